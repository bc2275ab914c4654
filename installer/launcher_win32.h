// Programs the installer starts. "/UNINSTALL": the uninstaller in the install folder
// copies itself and its log to the temporary folder and starts that copy, which can then
// remove every file of the install folder, the uninstaller included. The copy is made
// and started by a process at the level the copy runs at (the launcher already asked for
// it), so the copy is in that account's temporary folder and readable by it. The finish
// page's documents and programs open as the user who is logged on, not as the
// administrator an elevated installer runs as.
#pragma once

#include <windows.h>

#include <string>

namespace installer {

// Copies `program` and `script` to "_ipXXXX.exe" / "_ipXXXX.ini" in the temporary
// folder and starts the copy with show state `show`, without waiting.
bool StartTemporaryUninstaller(const std::string& program, const std::string& script, int show);

// Opens `file` with `parameters` (may be empty) in the current folder as the shell's
// "open" verb does. When this process is elevated, the shell's desktop, which runs as the
// user who logged on, does the opening, so the program started does not inherit the
// administrator's rights; where that desktop cannot be reached (no shell, another shell)
// the file is opened from here.
void OpenAsDesktopUser(HWND owner, const std::string& file, const std::string& parameters);

}  // namespace installer
