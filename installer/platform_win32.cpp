#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include "framework/core/codepage.h"
#include "framework/win/handles.h"
#include "framework/win/system_library.h"
#include "installer/installer_state.h"

namespace installer {

namespace {

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list) {
        if (!SHGetPathFromIDListA(list, path))
            path[0] = '\0';
        CoTaskMemFree(list);
    }
    return path;
}

}  // namespace

bool IsNtFamily()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool HasNewShell()
{
    fw::UniqueModule shell = fw::LoadSystemLibrary(L"shell32.dll");
    if (!shell)
        return false;
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(shell.get(), "DllGetVersion"));
    if (!getVersion)
        return false;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(getVersion(&info)))
        return false;
    return ((info.dwMajorVersion << 16) | info.dwMinorVersion) >= ((4u << 16) | 72u);
}

SystemFolders ResolveSystemFolders(bool ntFamily)
{
    SystemFolders p;
    p.ntFamily = ntFamily;
    char buffer[MAX_PATH] = "";
    GetWindowsDirectoryA(buffer, MAX_PATH);
    p.windows = buffer;
    p.windowsRoot = p.windows.substr(0, 3);
    GetSystemDirectoryA(buffer, MAX_PATH);
    p.system = buffer;
    p.documents = SpecialFolder(CSIDL_PERSONAL);
    p.programsUser = SpecialFolder(CSIDL_PROGRAMS);
    p.desktopUser = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    p.startupUser = SpecialFolder(CSIDL_STARTUP);
    if (ntFamily) {
        p.programsAll = SpecialFolder(CSIDL_COMMON_PROGRAMS);
        p.desktopAll = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
        p.startupAll = SpecialFolder(CSIDL_COMMON_STARTUP);
    } else {
        p.programsAll = p.programsUser;
        p.desktopAll = p.desktopUser;
        p.startupAll = p.startupUser;
    }
    return p;
}

std::string ModulePath()
{
    char path[MAX_PATH] = "";
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

}  // namespace installer
