#include "framework/win/system_library.h"

#include <commctrl.h>

namespace fw {

namespace {

// LoadLibraryEx flags of Windows 8 (and of Windows 7 with its loader update).
constexpr DWORD kSearchDllLoadDir = 0x00000100;  // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchSystem32 = 0x00000800;    // LOAD_LIBRARY_SEARCH_SYSTEM32

// Whether the loader takes the LOAD_LIBRARY_SEARCH_ flags.
bool HasSearchFlags()
{
    static const bool has =
        ProcAddress<void*>(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
    return has;
}

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

void RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto restrict = ProcAddress<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                  "SetDefaultDllDirectories");
    if (!restrict || !restrict(kSearchSystem32))
        SetDllDirectoryW(L"");
}

UniqueModule LoadSystemLibrary(const wchar_t* name)
{
    const std::wstring folder = SystemFolder();
    if (folder.empty())
        return UniqueModule();
    const std::wstring path = folder + L"\\" + name;
    return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, HasSearchFlags() ? kSearchSystem32 : 0));
}

UniqueModule LoadLibraryAt(const std::string& path)
{
    const DWORD flags =
        HasSearchFlags() ? kSearchDllLoadDir | kSearchSystem32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    return UniqueModule(LoadLibraryExA(path.c_str(), nullptr, flags));
}

bool InitCommonControls(DWORD classes)
{
    // By name, so that the manifest's side-by-side assembly answers first.
    static const HMODULE controls =
        LoadLibraryExW(L"comctl32.dll", nullptr, HasSearchFlags() ? kSearchSystem32 : 0);
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = ProcAddress<InitFn>(controls, "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX request{sizeof request, classes};
    return init && init(&request);
}

}  // namespace fw
