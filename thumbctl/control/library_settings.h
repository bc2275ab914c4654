// What the control takes from the library settings file: the sizes a cache it makes
// for itself starts with, and the file-name filter it reports.
#pragma once

#include <string>

namespace thumbctl {

struct CacheSizes {
    short cacheSize;
    short bufferingSize;
};

// "cachesize" and "bufferingsize" of the library settings, as 16-bit values.
CacheSizes SettingsCacheSizes();
// The filter of the readable file patterns ("*.jpeg;*.jpg;*.gif;*.bmp" and one
// pattern per plug-in extension).
std::wstring SettingsFilterText();

}  // namespace thumbctl
