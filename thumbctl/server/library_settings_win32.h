// Reads the library settings file of a module (its path with ".ini").
#pragma once

#include <windows.h>

#include <string>

#include "thumbctl/server/library_settings.h"

namespace thumbctl {

// Reads `path` with fopen/fgets; defaults when it cannot be opened.
LibrarySettings ReadSettingsFile(const std::string& path);

// At library load: reads the settings beside `module` and installs them.
void LoadModuleSettings(HMODULE module);

}  // namespace thumbctl
