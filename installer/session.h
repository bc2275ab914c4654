// The installer's process-wide state: platform facts, the script, the system's
// folders and the choices the pages make. Filled at start-up, changed by the pages,
// read by the runs.
#pragma once

#include <windows.h>

#include <string>

#include "installer/install_flow.h"
#include "installer/install_run.h"
#include "installer/setup_script.h"

namespace installer {

struct Session {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    bool newShell = true;
    std::string programPath;  // the running program
    std::string scriptPath;   // beside it, extension "ini"
    SetupScript script;
    Places places;
    InstallChoices choices;
    int option1 = 0, option2 = 0;
    bool restartNeeded = false;

    Session() : flow(Sequence{}) {}
    InstallFlow flow;
};

// Platform facts and folders (Win32).
bool IsNtFamily();
bool HasNewShell();  // Shell32.DLL 4.72 or later
Places ResolvePlaces(bool ntFamily);
std::string ModulePath();

// Processes every pending message, offering each to the current page first.
void PumpPending();

}  // namespace installer
