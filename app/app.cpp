#include "app/app.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/html_help.h"
#include "app/profile_settings.h"

int CClsApp::wideDropNames_ = 0;

CClsApp::~CClsApp()
{
    frame_.reset();
    if (oleStarted_)
        OleUninitialize();
}

int CClsApp::Run(const char* commandLine)
{
    if (!InitInstance(commandLine))
        return ExitInstance(0);
    return ExitInstance(loop_.Run());
}

bool CClsApp::InitInstance(const char* commandLine)
{
    oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
    if (!oleStarted_)
        return false;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    char module[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        module[0] = '\0';
    const app::ProgramFiles files = app::ProgramFilesFor(module);
    helpFile_ = files.help;
    profile_ = std::make_unique<fw::IniProfile>(files.profile);

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
    const bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    wideDropNames_ = app::WideDropNames(nt, *profile_);

    frame_ = std::make_unique<CClsMainFrame>(*fw::SystemFileSystem(), *profile_, helpFile_);
    frame_->SetWideDropNames(wideDropNames_);
    if (!frame_->LoadFrame())
        return false;
    ShowWindow(frame_->Handle(), SW_SHOW);
    UpdateWindow(frame_->Handle());

    loop_.AddFilter([this](MSG& msg) { return frame_ && frame_->Handle() && frame_->PreTranslate(msg); });
    loop_.AddIdleHandler([this](int count) { return OnIdle(count); });

    if (commandLine && *commandLine)
        frame_->LoadCommandLine(commandLine);
    return true;
}

bool CClsApp::OnIdle(int)
{
    if (frame_ && frame_->Handle())
        frame_->OnIdle();
    return false;
}

int CClsApp::ExitInstance(int code)
{
    app::CloseAllHelp();
    frame_.reset();
    // What the program put on the clipboard stays there after it has gone.
    if (oleStarted_)
        OleFlushClipboard();
    return code;
}
