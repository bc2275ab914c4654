#include "installer/install_flow.h"

namespace installer {

StartMode DecideStartMode(const std::string& commandLine, bool scriptHasMarker)
{
    if (commandLine == "/UNINSTALL")
        return scriptHasMarker ? StartMode::Launcher : StartMode::LauncherNoLogInfo;
    return scriptHasMarker ? StartMode::Uninstall : StartMode::Install;
}

int PageCommand(Page page)
{
    switch (page) {
        case Page::Terms:
            return 111;
        case Page::Type:
            return 114;
        case Page::Destination:
            return 112;
        case Page::Copying:
            return 115;
        case Page::Finish:
            return 113;
        case Page::FinishActions:
            return 117;
        case Page::End:
            break;
    }
    return 0;
}

bool InstallFlow::Shown(Page page) const
{
    switch (page) {
        case Page::Terms:
            return sequence_.license;
        case Page::Type:
            return sequence_.selectType;
        case Page::Destination:
            return sequence_.chooseFolder;
        case Page::Finish:
            return sequence_.finish;
        case Page::Copying:
        case Page::FinishActions:
        case Page::End:
            return true;
    }
    return true;
}

Page InstallFlow::NextShown(Page from) const
{
    Page page = from;
    while (page != Page::Copying && !Shown(page))
        page = static_cast<Page>(static_cast<int>(page) + 1);
    return page;
}

Page InstallFlow::Start()
{
    current_ = NextShown(Page::Terms);
    return current_;
}

Page InstallFlow::Handle(PageEvent event)
{
    if (current_ == Page::End)
        return current_;
    switch (event) {
        case PageEvent::Decline:
            current_ = Page::End;
            break;
        case PageEvent::RunFailed:
            if (current_ == Page::Copying)
                current_ = Page::End;
            break;
        case PageEvent::Back:
            if (current_ == Page::Destination && BackEnabled())
                current_ = Page::Type;
            break;
        case PageEvent::Next:
            switch (current_) {
                case Page::Terms:
                case Page::Type:
                    current_ = NextShown(static_cast<Page>(static_cast<int>(current_) + 1));
                    break;
                case Page::Destination:
                    current_ = Page::Copying;
                    break;
                case Page::Copying:
                    // The finish page when it is on; otherwise its box, then the actions.
                    current_ = Page::Finish;
                    break;
                case Page::Finish:
                    current_ = Page::FinishActions;
                    break;
                case Page::FinishActions:
                case Page::End:
                    current_ = Page::End;
                    break;
            }
            break;
    }
    return current_;
}

std::vector<ComponentItem> ComponentList(const SetupScript& script, bool ntFamily)
{
    std::vector<ComponentItem> items;
    for (size_t i = 0; i < script.components.size(); ++i) {
        const Component& c = script.components[i];
        if (c.name.empty())
            break;
        items.push_back({static_cast<int>(i), c.name, c.Preselected(ntFamily)});
    }
    return items;
}

std::vector<bool> DefaultSelection(const SetupScript& script)
{
    std::vector<bool> selected;
    for (const Component& c : script.components)
        selected.push_back(c.isDefault);
    return selected;
}

std::vector<bool> PageSelection(const SetupScript& script, const std::vector<ComponentItem>& items,
                                const std::vector<bool>& itemSelected)
{
    std::vector<bool> selected(script.components.size(), false);
    for (size_t i = 0; i < items.size() && i < itemSelected.size(); ++i)
        if (items[i].component >= 0 && static_cast<size_t>(items[i].component) < selected.size())
            selected[static_cast<size_t>(items[i].component)] = itemSelected[i];
    return selected;
}

FinishPageState MakeFinishPage(const FinishOptions& finish, bool restartNeeded)
{
    FinishPageState s;
    s.firstVisible = finish.first.offer != FinishOffer::Hidden;
    s.secondVisible = finish.second.offer != FinishOffer::Hidden;
    if (restartNeeded) {
        s.optionsEnabled = false;
        s.restartVisible = true;
        s.restartChecked = true;
        return s;
    }
    s.openFirst = s.firstVisible;
    s.openSecond = s.secondVisible;
    s.firstChecked = finish.first.offer == FinishOffer::Checked;
    s.secondChecked = finish.second.offer == FinishOffer::Checked;
    return s;
}

FinishPlan PlanFinish(const FinishOptions& finish, bool openFirst, bool openSecond, bool restart,
                      const std::string& installFolder)
{
    FinishPlan plan;
    plan.currentFolder = installFolder;
    if (openFirst)
        plan.open.push_back({finish.first.file, finish.first.parameters});
    if (openSecond)
        plan.open.push_back({finish.second.file, finish.second.parameters});
    plan.restart = restart;
    return plan;
}

}  // namespace installer
