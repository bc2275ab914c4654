// The library settings as the control sees them, from the cache's settings reader.
#include "thumbctl/control/library_settings.h"

#include "framework/win/strings.h"
#include "thumbctl/cache/settings.h"

namespace thumbctl {

CacheSizes SettingsCacheSizes()
{
    const auto& settings = cache::CurrentSettings();
    return {static_cast<short>(settings.CacheSize()), static_cast<short>(settings.BufferingSize())};
}

std::wstring SettingsFilterText()
{
    return fw::AnsiToWide(cache::CurrentSettings().FilterText());
}

}  // namespace thumbctl
