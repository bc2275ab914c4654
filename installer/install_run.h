// The install run behind the copying page: the steps the script and the pages'
// choices make (InstallPlan), and their execution through the machine seam, the page
// and the prompt seam (InstallRun).
//
// Every file that the run leaves in place is in the log before the run goes on or
// stops: a registration that fails the run logs its file first, and "中止" is heard
// only between entries. With the log on, the install folder is made and logged first,
// so the log can be written from the first entry on (whatever folder that goes to) and
// the uninstaller may remove the log and itself without the uninstall entry; every
// folder level the run makes is logged, deeper ones after the folders they lie in.
#pragma once

#include <string>
#include <vector>

#include "framework/com/registrar_script.h"
#include "installer/install_log.h"
#include "installer/setup_machine.h"
#include "installer/setup_script.h"

namespace installer {

// The system's folders the run uses.
struct SystemFolders {
    bool ntFamily = true;
    std::string windows, windowsRoot, system, documents;
    std::string desktopUser, desktopAll, programsUser, programsAll, startupUser, startupAll;

    std::string Base(BaseFolder base, const std::string& installFolder) const;
};

// The pages' choices.
struct InstallChoices {
    std::string installFolder;
    std::string groupName;
    bool desktop = false;
    bool startMenu = false;
    bool privateLinks = false;
    bool uninstallEntry = false;
    std::vector<bool> selected;  // per component

    // The choices when no page changes them.
    static InstallChoices Defaults(const SetupScript& script, const std::string& windowsDirectory);
};

enum class StepKind {
    Component,  // heading line of a selected component
    Verb,       // a verb action on the entry's file
    File,       // copy / none: folder, target, version check, registration, log
    DesktopHeading,
    Desktop,
    StartMenuHeading,
    StartMenu,  // folder empty for a startup shortcut (asked first)
    LogItself,
    Uninstaller,
    FinishLog,
};

struct InstallStep {
    StepKind kind = StepKind::Component;
    std::string name;    // component name, or shortcut description
    FileEntry entry;     // Verb, File
    std::string folder;  // File: the component folder; StartMenu: the group folder
    std::string target;  // File: the installed path; shortcuts: the link target
    std::string linkFile;
    std::string parameters;
    bool startup = false;
    bool counts = false;  // takes one progress position (every file entry)
};

// Every folder and path of the plan is as the log writes it (PathAsLogged), however
// the install folder was typed.
struct InstallPlan {
    std::string installFolder;
    std::string logPath;
    std::string uninstallerPath;
    int total = 0;  // file entries of the selected components
    std::vector<InstallStep> steps;
};

InstallPlan PlanInstall(const SetupScript& script, const InstallChoices& choices,
                        const SystemFolders& folders);

struct InstallResult {
    bool success = false;
    bool restartNeeded = false;
};

class InstallRun {
public:
    InstallRun(const SetupScript& script, const InstallChoices& choices, const SystemFolders& folders,
               SetupMachine& machine, RunView& view, fw::reg::RegistryTarget& registry)
        : script_(script),
          choices_(choices),
          folders_(folders),
          machine_(machine),
          view_(view),
          registry_(registry)
    {
    }

    InstallResult Run();

private:
    enum class Outcome { Go, Fail };
    Outcome RunVerb(const InstallStep& step);
    Outcome RunFile(const InstallStep& step);
    bool CopyLoop(const InstallStep& step);
    bool CopyOnce(const std::string& source, const std::string& target, InUseRule inUse);
    bool ReplaceInUse(const std::vector<ReplaceStep>& steps);
    void RunDesktop(const InstallStep& step);
    bool RunStartMenu(const InstallStep& step);  // false: no further start menu shortcuts
    void RunUninstaller(const InstallPlan& plan);
    // Makes the folder's missing levels and logs each level made and the folder itself.
    bool CreateFolders(const std::string& folder);
    int Box(const std::wstring& text, unsigned flags);
    void Line(const std::wstring& line, bool select) { view_.AddLine(line, select); }
    void LogFolder(const std::string& folder);

    const SetupScript& script_;
    const InstallChoices& choices_;
    const SystemFolders& folders_;
    SetupMachine& machine_;
    RunView& view_;
    fw::reg::RegistryTarget& registry_;
    std::unique_ptr<fw::Profile> logFile_;
    std::unique_ptr<LogWriter> log_;
    std::string installFolder_;
    bool restartNeeded_ = false;
};

}  // namespace installer
