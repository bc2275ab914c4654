// The installer's process-wide state: platform facts, the script, the system's
// folders and the choices the pages make. Filled at start-up, changed by the pages,
// read by the runs.
#pragma once

#include <windows.h>

#include <string>

#include "framework/win/message_loop.h"
#include "installer/install_flow.h"
#include "installer/install_run.h"
#include "installer/setup_script.h"

namespace installer {

struct InstallerState {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    bool newShell = true;
    std::string programPath;  // the running program
    std::string scriptPath;   // beside it, extension "ini"
    SetupScript script;
    SystemFolders folders;
    InstallChoices choices;
    bool openFirst = false, openSecond = false;  // the finish options' files to open at the end
    bool restartNeeded = false;

    InstallerState() : flow(Sequence{}) {}
    InstallFlow flow;
    // The program's message loop; the runs pump it between steps.
    fw::MessageLoop loop;
};

// Platform facts and folders (Win32).
bool IsNtFamily();
bool HasNewShell();  // Shell32.DLL 4.72 or later
SystemFolders ResolveSystemFolders(bool ntFamily);
std::string ModulePath();

}  // namespace installer
