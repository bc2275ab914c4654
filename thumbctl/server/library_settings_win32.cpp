#include "thumbctl/server/library_settings_win32.h"

#include <cstdio>
#include <memory>

#include "framework/core/codepage.h"

namespace thumbctl {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

}  // namespace

LibrarySettings ReadSettingsFile(const std::string& path)
{
    LibrarySettings settings;
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "rt"));
    if (file) {
        char line[kLineBufferSize];
        while (fgets(line, sizeof line, file.get())) {
            if (!settings.AcceptLine(line, fw::SystemCodePage()))
                break;
        }
    }
    settings.Finish();
    return settings;
}

void LoadModuleSettings(HMODULE module)
{
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        InstallSettings(LibrarySettings());
        return;
    }
    InstallSettings(ReadSettingsFile(SettingsPathFor(path, fw::SystemCodePage())));
}

}  // namespace thumbctl
