#include "app/app.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include "app/command_line.h"
#include "app/html_help.h"
#include "app/profile_settings.h"
#include "app/recovery.h"
#include "framework/win/system_library.h"

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
    const bool loading = commandLine && *commandLine;
    if (loading)
        prescan_ = std::make_unique<lists::CommandLinePrescan>(
            app::SplitCommandLine(commandLine), *fw::SystemFileSystem(), fw::SystemCodePage(),
            [] { return GetAsyncKeyState(VK_ESCAPE) != 0; });
    oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
    if (!oleStarted_)
        return false;
    fw::InitCommonControls(ICC_WIN95_CLASSES);

    char module[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        module[0] = '\0';
    const app::ProgramFiles files = app::ProgramFilesFor(module);
    helpFile_ = files.help;
    profile_ = std::make_unique<fw::IniProfile>(ProfilePath(files.profile));
    {
        // Making the frame reads several hundred keys (the layout alone 185): each section
        // is read once, and the file is read afresh once the frame stands.
        fw::IniProfile::Snapshot profileSnapshot(*profile_);
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
        const bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
        wideDropNames_ = app::WideDropNames(nt, *profile_);

        frame_ = std::make_unique<CClsMainFrame>(*fw::SystemFileSystem(), *profile_, helpFile_);
        frame_->SetWideDropNames(wideDropNames_);
        if (!frame_->LoadFrame())
            return false;
    }
    if (loading)
        frame_->MaximizeFirstList();
    ShowWindow(frame_->Handle(), SW_SHOW);
    UpdateWindow(frame_->Handle());

    loop_.AddFilter([this](MSG& msg) { return frame_ && frame_->Handle() && frame_->PreTranslate(msg); });
    loop_.AddIdleHandler([this](int count) { return OnIdle(count); });

    std::string lockName;
    const std::string journal = app::JournalPath(profile_->Path(), module, &lockName);
    HANDLE lock = CreateMutexA(nullptr, FALSE, lockName.c_str());
    const bool owned = lock && GetLastError() != ERROR_ALREADY_EXISTS;
    journalLock_.reset(lock);
    frame_->StartRecovery(journal, owned);

    if (loading)
        frame_->LoadCommandLine(commandLine, prescan_.get());
    prescan_.reset();
    return true;
}

std::string CClsApp::ProfilePath(const std::string& besideProgram)
{
    wchar_t roaming[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming)))
        roaming[0] = L'\0';
    const auto shortPath = [](const std::wstring& path) {
        std::wstring shortForm(MAX_PATH, L'\0');
        const DWORD length = GetShortPathNameW(path.c_str(), shortForm.data(), MAX_PATH);
        shortForm.resize(length < MAX_PATH ? length : 0);
        return shortForm;
    };
    return app::ChooseProfilePath(besideProgram, {*fw::SystemFileSystem(), roaming, shortPath});
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
