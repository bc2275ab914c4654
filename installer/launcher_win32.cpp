#include "installer/launcher_win32.h"

#include <windows.h>

#include <shellapi.h>

#include "framework/core/path.h"
#include "framework/win/handles.h"
#include "installer/installer_state.h"

namespace installer {

namespace {

constexpr int kMaxNameTries = 1000;

// A new, empty file "_ipXXXX.exe" in the temporary folder, created exclusively.
std::string TemporaryProgramName()
{
    char folder[MAX_PATH] = "";
    if (GetTempPathA(MAX_PATH, folder) == 0)
        return {};
    UINT unique = GetTickCount() & 0xFFFF;
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt, unique = (unique + 1) & 0xFFFF) {
        char name[MAX_PATH] = "";
        if (GetTempFileNameA(folder, "_ip", unique == 0 ? 1 : unique, name) == 0)
            return {};
        const std::string program = fw::WithExtension(name, ".exe");
        fw::UniqueHandle file(CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return program;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
    return {};
}

}  // namespace

bool StartTemporaryUninstaller(const std::string& program, const std::string& script, int show)
{
    const std::string copy = TemporaryProgramName();
    if (copy.empty())
        return false;
    if (!CopyFileA(script.c_str(), fw::WithExtension(copy, ".ini").c_str(), FALSE) ||
        !CopyFileA(program.c_str(), copy.c_str(), FALSE))
        return false;
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteA(GetDesktopWindow(), "open", copy.c_str(), nullptr, nullptr, show));
    return started > 32;
}

}  // namespace installer
