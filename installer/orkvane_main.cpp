// Orkvane.exe: the installer, driven by the setup script beside it; with
// "/UNINSTALL" or an install log as its script, the uninstaller.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/win/ini_profile.h"
#include "installer/launcher_win32.h"
#include "installer/main_window.h"
#include "installer/messages.h"
#include "resources/orkvane/resource.h"

namespace {

class ComInit {
public:
    ComInit() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComInit()
    {
        if (ok_)
            CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    bool ok_;
};

int RunMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        installer::PageDialog* page = installer::MainWindow::CurrentPage();
        if (page && page->PreTranslate(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int startShow)
{
    using namespace installer;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    Session session;
    session.instance = instance;
    session.newShell = HasNewShell();
    const bool ntFamily = IsNtFamily();
    const ComInit com;

    session.programPath = ModulePath();
    session.scriptPath = fw::WithExtension(session.programPath, ".ini");
    fw::IniProfile scriptFile(session.scriptPath);
    session.script = ReadSetupScript(scriptFile, startShow, JapaneseDefaults());

    switch (DecideStartMode(commandLine ? commandLine : "", session.script.uninstallSetup)) {
        case StartMode::LauncherNoLogInfo:
            fw::CurrentPrompts().Message(0, text::kNoUninstallInfo, std::wstring(), fw::kMbOk);
            return 0;
        case StartMode::Launcher:
            StartTemporaryUninstaller(session.programPath, session.scriptPath, session.script.look.show);
            return 0;
        case StartMode::Install:
        case StartMode::Uninstall:
            break;
    }

    session.places = ResolvePlaces(ntFamily);
    session.choices = InstallChoices::Defaults(session.script, session.places.windows);
    session.flow = InstallFlow(session.script.sequence);

    const HICON icon =
        static_cast<HICON>(LoadImageA(nullptr, "SETUPICON.ICO", IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
    const std::wstring className = fw::WidenAnsi(session.script.look.windowClass);
    const fw::WindowClass cls(instance, className.c_str(), CS_HREDRAW | CS_VREDRAW,
                              LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), nullptr, icon);
    MainWindow window(session);
    if (!cls || !window.Create(cls))
        return 1;
    if (const HANDLE small = LoadImageW(instance, MAKEINTRESOURCEW(IDI_ORKVANE), IMAGE_ICON, 16, 16, 0))
        SendMessageW(window.Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    ShowWindow(window.Handle(), session.script.look.show);
    UpdateWindow(window.Handle());
    return RunMessageLoop();
}
