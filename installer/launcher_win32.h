// "/UNINSTALL": the uninstaller in the install folder copies itself and its log to
// the temporary folder and starts that copy, which can then remove every file of the
// install folder, the uninstaller included.
#pragma once

#include <string>

namespace installer {

// Copies `program` and `script` to "_ipXXXX.exe" / "_ipXXXX.ini" in the temporary
// folder and starts the copy with show state `show`, without waiting.
bool StartTemporaryUninstaller(const std::string& program, const std::string& script, int show);

}  // namespace installer
