// The installer's pages as a small state machine, and the decisions the pages make
// from the script: how the program starts, which components a page selects, what the
// finish page shows. The Win32 pages only show these states and report the user's
// choices back.
#pragma once

#include <string>
#include <vector>

#include "installer/setup_script.h"

namespace installer {

// How the program starts. The uninstall parameter counts only exactly as
// "/UNINSTALL"; a script holding the log marker makes an uninstaller anyway.
enum class StartMode {
    Install,
    Uninstall,          // the script is an install log: uninstall mode at first activation
    Launcher,           // "/UNINSTALL": copy to the temporary folder and start the copy
    LauncherNoLogInfo,  // "/UNINSTALL" without the marker: string 2, nothing started
};
StartMode DecideStartMode(const std::string& commandLine, bool scriptHasMarker);

// Pages in their order, each with the main window command that opens it.
enum class Page { Terms, Type, Destination, Copying, Finish, FinishActions, End };
int PageCommand(Page page);  // 111, 114, 112, 115, 113, 117; 0 for End

// What the user did on the current page.
enum class PageEvent {
    Next,      // accept, "次へ", "インストール(&I)", "完了", OK
    Decline,   // decline, "中止", closing the main window
    Back,      // "戻る(&B)"
    RunFailed  // the copying run failed
};

class InstallFlow {
public:
    explicit InstallFlow(const Sequence& sequence) : sequence_(sequence) {}

    // Whether the page is shown at all; a page that is off passes control on at once.
    // The copying page is always shown; the finish page, when off, is replaced by a
    // message box (FinishPrompt).
    bool Shown(Page page) const;
    // Back is offered on the destination page only when the type page is on.
    bool BackEnabled() const { return sequence_.selectType; }

    // Starts at the first page that is shown.
    Page Start();
    // Moves on after an event on the current page; events a page does not have leave
    // it where it is.
    Page Handle(PageEvent event);
    Page Current() const { return current_; }

private:
    Page NextShown(Page from) const;

    Sequence sequence_;
    Page current_ = Page::Terms;
};

// The install type page's component list: the names up to the first empty one, each
// preselected as its component is on this platform.
struct ComponentItem {
    int component = 0;  // index into SetupScript::components
    std::string name;
    bool preselected = false;
};
std::vector<ComponentItem> ComponentList(const SetupScript& script, bool ntFamily);

// The selection the run installs. Without the type page: every component's `default`
// as read (a component past an empty name included). With it: the items selected on
// the page, none past the list.
std::vector<bool> DefaultSelection(const SetupScript& script);
std::vector<bool> PageSelection(const SetupScript& script, const std::vector<ComponentItem>& items,
                                const std::vector<bool>& itemSelected);

// The finish page's check boxes.
struct FinishPageState {
    bool firstVisible = false, secondVisible = false;
    bool firstChecked = false, secondChecked = false;
    bool optionsEnabled = true;
    bool restartVisible = false, restartChecked = false;
    // What the finish actions open after the page opened (until it is accepted): every
    // offered option, none when a restart is needed.
    bool openFirst = false, openSecond = false;
};
FinishPageState MakeFinishPage(const FinishOptions& finish, bool restartNeeded);

// With the finish page off: the box shown instead.
enum class FinishPrompt { Done, RestartQuestion };
inline FinishPrompt FinishOffPrompt(bool restartNeeded)
{
    return restartNeeded ? FinishPrompt::RestartQuestion : FinishPrompt::Done;
}

// The finish actions: files to open and whether to restart.
struct FinishAction {
    std::string file;
    std::string parameters;
    bool operator==(const FinishAction&) const = default;
};
struct FinishPlan {
    std::string currentFolder;  // the install folder
    std::vector<FinishAction> open;
    bool restart = false;
};
// Each option to open brings its file with its parameters (the first option's are
// always empty: the script has a parameter key only for the second). With the finish
// page off, every offered option opens, unticked or not.
FinishPlan PlanFinish(const FinishOptions& finish, bool openFirst, bool openSecond, bool restart,
                      const std::string& installFolder);

}  // namespace installer
