#include "app/html_help.h"

#include "framework/win/handles.h"
#include "framework/win/system_library.h"

namespace app {
namespace {

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

constexpr UINT kDisplayTopic = 0;
constexpr UINT kCloseAll = 18;

// The server of the HTML Help control {ADB880A6-D8FF-11CF-9377-00AA003B7A11}.
std::string RegisteredServer()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    fw::UniqueKey owned(key);
    char path[MAX_PATH] = "";
    DWORD size = sizeof path - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    path[size < sizeof path ? size : sizeof path - 1] = '\0';
    return path;
}

// Loaded once, on the first call; a failed load is not tried again.
bool g_bound = false;

HtmlHelpProc Bind()
{
    static fw::UniqueModule module;
    static HtmlHelpProc proc = [] {
        g_bound = true;
        const std::string server = RegisteredServer();
        if (!server.empty())
            module = fw::LoadLibraryAt(server);
        if (!module)
            module = fw::LoadSystemLibrary(L"hhctrl.ocx");
        return module ? reinterpret_cast<HtmlHelpProc>(GetProcAddress(module.get(), MAKEINTRESOURCEA(14)))
                      : nullptr;
    }();
    return proc;
}

}  // namespace

void ShowHelp(HWND owner, const std::string& helpFile)
{
    if (HtmlHelpProc proc = Bind())
        proc(owner, helpFile.c_str(), kDisplayTopic, 0);
}

void CloseAllHelp()
{
    // Help windows exist only when help was shown: do not load the library for nothing.
    if (!g_bound)
        return;
    if (HtmlHelpProc proc = Bind())
        proc(nullptr, nullptr, kCloseAll, 0);
}

}  // namespace app
