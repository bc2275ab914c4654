// The library settings as the control sees them. With the picture cache's settings
// reader linked in (VELMORA_HAS_LIBRARY_SETTINGS) they come from the settings file;
// without it the control uses the values of a missing settings file.
#include "thumbctl/control/library_settings.h"

#include "framework/win/strings.h"

#if defined(VELMORA_HAS_LIBRARY_SETTINGS)
#include "thumbctl/cache/settings.h"
#endif

namespace thumbctl {

#if defined(VELMORA_HAS_LIBRARY_SETTINGS)

CacheSizes SettingsCacheSizes()
{
    const auto& settings = cache::CurrentSettings();
    return {static_cast<short>(settings.CacheSize()), static_cast<short>(settings.BufferingSize())};
}

std::wstring SettingsFilterText()
{
    return fw::AnsiToWide(cache::CurrentSettings().FilterText());
}

#else

// The values of a missing settings file: 8 pictures, 2 of them per window ahead, and
// the formats of the system's picture loader.
CacheSizes SettingsCacheSizes()
{
    return {8, 2};
}

std::wstring SettingsFilterText()
{
    return L"*.jpeg;*.jpg;*.gif;*.bmp";
}

#endif

}  // namespace thumbctl
