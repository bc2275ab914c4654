// CClsApp: the sorter's process. Starts OLE and control hosting, places the profile
// and the help file beside the program, creates the main frame, loads the command
// line, runs the message loop with the idle status update and closes help at exit.
#pragma once

#include <memory>
#include <string>

#include "app/main_frame.h"
#include "framework/win/handles.h"
#include "framework/win/ini_profile.h"
#include "framework/win/message_loop.h"
#include "lists/folder_loader.h"

class CClsApp {
public:
    CClsApp() = default;
    ~CClsApp();
    CClsApp(const CClsApp&) = delete;
    CClsApp& operator=(const CClsApp&) = delete;

    // Start-up, the message loop and exit; returns the process's exit code.
    int Run(const char* commandLine);

    // Whether file lists handed to the shell are written as UTF-16 (1) or ANSI (0).
    static int WideDropNames() { return wideDropNames_; }

private:
    bool InitInstance(const char* commandLine);
    // The profile beside the program, or in the user's roaming data when that folder refuses writes.
    static std::string ProfilePath(const std::string& besideProgram);
    int ExitInstance(int code);
    bool OnIdle(int count);

    static int wideDropNames_;

    bool oleStarted_ = false;
    std::string helpFile_;
    std::unique_ptr<fw::IniProfile> profile_;
    fw::UniqueHandle journalLock_;  // held while this copy writes the journal
    // The command line's files, looked up while the windows are made.
    std::unique_ptr<lists::CommandLinePrescan> prescan_;
    std::unique_ptr<CClsMainFrame> frame_;
    fw::MessageLoop loop_;
};
