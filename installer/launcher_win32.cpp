#include "installer/launcher_win32.h"

#include <windows.h>

#include <exdisp.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/com/com_ptr.h"
#include "framework/core/path.h"
#include "framework/core/text.h"
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

bool IsElevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    const fw::UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

// The desktop's shell automation object: the shell view of the desktop window, reached
// through the shell windows that the logged-on user's shell registers.
fw::com::ComPtr<IShellDispatch2> DesktopShell()
{
    using fw::com::ComPtr;
    ComPtr<IShellWindows> windows;
    ComPtr<IDispatch> desktop;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    VARIANT none{};
    long window = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.PutVoid())) ||
        windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Put()) != S_OK ||
        !desktop || FAILED(desktop.As(services)) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Put())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())) ||
        FAILED(background.As(folderView)) || FAILED(folderView->get_Application(application.Put())) ||
        FAILED(application.As(shell)))
        return {};
    return shell;
}

}  // namespace

void OpenAsDesktopUser(HWND owner, const std::string& file, const std::string& parameters)
{
    if (IsElevated()) {
        if (const auto shell = DesktopShell()) {
            char folder[MAX_PATH] = "";
            GetCurrentDirectoryA(MAX_PATH, folder);
            const fw::com::Bstr name(fw::WidenAnsi(file).c_str()),
                arguments(fw::WidenAnsi(parameters).c_str()), directory(fw::WidenAnsi(folder).c_str()),
                open(L"open");
            const auto text = [](const fw::com::Bstr& value) {
                VARIANT v{};
                V_VT(&v) = VT_BSTR;
                V_BSTR(&v) = value.Get();
                return v;
            };
            VARIANT show{};
            V_VT(&show) = VT_I4;
            V_I4(&show) = SW_SHOWNORMAL;
            if (SUCCEEDED(
                    shell->ShellExecute(name.Get(), text(arguments), text(directory), text(open), show)))
                return;
        }
    }
    ShellExecuteA(owner, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                  SW_SHOWNORMAL);
}

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
