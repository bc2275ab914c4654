// Orkvane.exe: the installer, driven by the setup script beside it; with
// "/UNINSTALL" or an install log as its script, the uninstaller.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "framework/com/com_ptr.h"
#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/win/ini_profile.h"
#include "framework/win/system_library.h"
#include "installer/launcher_win32.h"
#include "installer/main_window.h"
#include "installer/texts.h"
#include "resources/orkvane/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int startShow)
{
    using namespace installer;
    fw::RestrictDllSearch();
    fw::InitCommonControls(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);

    InstallerState state;
    state.instance = instance;
    state.newShell = HasNewShell();
    const bool ntFamily = IsNtFamily();
    const fw::com::CoInitScope com(COINIT_APARTMENTTHREADED);

    state.programPath = ModulePath();
    state.scriptPath = fw::WithExtension(state.programPath, ".ini");
    fw::IniProfile scriptFile(state.scriptPath);
    state.script = ReadSetupScript(scriptFile, startShow, JapaneseDefaults());

    switch (DecideStartMode(commandLine ? commandLine : "", state.script.uninstallSetup)) {
        case StartMode::LauncherNoLogInfo:
            fw::CurrentPrompts().Message(0, text::kNoUninstallInfo, std::wstring(), fw::kMbOk);
            return 0;
        case StartMode::Launcher:
            StartTemporaryUninstaller(state.programPath, state.scriptPath, state.script.look.show);
            return 0;
        case StartMode::Install:
        case StartMode::Uninstall:
            break;
    }

    state.folders = ResolveSystemFolders(ntFamily);
    state.choices = InstallChoices::Defaults(state.script, state.folders.windows);
    state.flow = InstallFlow(state.script.sequence);

    const HICON icon =
        static_cast<HICON>(LoadImageA(nullptr, "SETUPICON.ICO", IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
    const std::wstring className = fw::WidenAnsi(state.script.look.windowClass);
    const fw::WindowClass cls(instance, className.c_str(), CS_HREDRAW | CS_VREDRAW,
                              LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), nullptr, icon);
    MainWindow window(state);
    if (!cls || !window.Create(cls))
        return 1;
    if (const HANDLE small = LoadImageW(instance, MAKEINTRESOURCEW(IDI_ORKVANE), IMAGE_ICON, 16, 16, 0))
        SendMessageW(window.Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    ShowWindow(window.Handle(), state.script.look.show);
    UpdateWindow(window.Handle());
    state.loop.AddFilter([](MSG& message) {
        PageDialog* page = MainWindow::CurrentPage();
        return page && page->PreTranslate(message);
    });
    return state.loop.Run();
}
