// Uninstalling from the install log: which logged entries are removed and how
// (UninstallPlan), and the run that carries that out through the machine seam
// (UninstallRun).
//
// Only what the log names is touched, and only inside the folders the installation
// used: a file entry is refused (neither unregistered nor deleted, and reported) when
// its path is not a full path ("X:\..." or "\\server\share\..."), has a "." or ".."
// part, or lies directly in none of the logged folders and the extra folders the
// program knows (the desktop and startup folders, and the install folder when the
// uninstall entry names it). Folders are removed only when empty. A log cut short
// removes what it names and reports the numbers it lacks. Paths are compared and used
// as PathAsLogged makes them, so a log written with forward slashes (an install folder
// typed so) is removed alike.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/com/registrar_script.h"
#include "installer/install_log.h"
#include "installer/setup_machine.h"

namespace installer {

struct UninstallContext {
    bool ntFamily = true;
    std::string runningProgram;  // the temporary copy of the installer
    std::string runningScript;   // its script: the temporary copy of the log
    std::string applic;          // WINDOW/APPLIC of the log: the uninstall entry's key
    std::vector<std::string> extraFolders;
};

enum class ShareRule {
    NotShared,  // processed
    AskGroup,   // processed when the group's one answer is Yes
    Keep,       // kNeverRemovedShareGroup and above: never removed nor unregistered
};

struct UninstallEntry {
    LoggedFile file;
    ShareRule share = ShareRule::NotShared;
    bool refused = false;
    bool deleteFile = false;  // delete after unregistering (never the running script)
};

struct UninstallPlan {
    std::vector<UninstallEntry> entries;  // last logged first
    std::vector<LoggedFolder> folders;    // last logged first
    std::vector<int> missingFiles;
    std::vector<int> missingFolders;
};

UninstallPlan PlanUninstall(const InstallLog& log, const UninstallContext& context);

// The install folder an uninstall entry names: the folder of the uninstaller in its
// command (UninstallString), the parameter after the path dropped; empty when the
// command names no folder.
std::string InstallFolderOfCommand(const std::string& command, const std::string& parameter);

// The text of the share question for an entry: its comment, or its path without one.
std::wstring ShareQuestion(const LoggedFile& file);

struct UninstallFailure {
    enum class Kind { Refused, Unregister, Delete, Folder, MissingFile, MissingFolder };
    Kind kind;
    std::string path;  // empty for missing entries
    int number = 0;    // the log's entry number
    bool operator==(const UninstallFailure&) const = default;
};

struct UninstallResult {
    bool success = false;
    std::vector<UninstallFailure> failures;
};

class UninstallRun {
public:
    UninstallRun(const UninstallContext& context, SetupMachine& machine, RunView& view,
                 fw::reg::RegistryTarget& registry)
        : context_(context), machine_(machine), view_(view), registry_(registry)
    {
    }

    UninstallResult Run(const UninstallPlan& plan);

private:
    bool Decide(const UninstallEntry& entry);  // whether to process, asking once per group
    void Process(const UninstallEntry& entry, UninstallResult& result);

    const UninstallContext& context_;
    SetupMachine& machine_;
    RunView& view_;
    fw::reg::RegistryTarget& registry_;
    std::map<int, bool> answers_;  // share group -> Yes
};

}  // namespace installer
