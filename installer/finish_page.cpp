#include "framework/core/text.h"
#include "installer/pages.h"
#include "resources/orkvane/resource.h"

namespace installer {

void FinishPage::OnInit()
{
    const FinishOptions& finish = state_.script.finish;
    const FinishPageState page = MakeFinishPage(finish, state_.restartNeeded);
    state_.openFirst = page.openFirst;
    state_.openSecond = page.openSecond;
    ShowItem(IDC_OPTION1, page.firstVisible);
    ShowItem(IDC_OPTION2, page.secondVisible);
    EnableItem(IDC_OPTION1, page.optionsEnabled);
    EnableItem(IDC_OPTION2, page.optionsEnabled);
    ShowItem(IDC_RESTART, page.restartVisible);
    SetChecked(IDC_OPTION1, page.firstChecked);
    SetChecked(IDC_OPTION2, page.secondChecked);
    SetChecked(IDC_RESTART, page.restartChecked);
    SetItemText(IDC_FINISH_MESSAGE, fw::WidenAnsi(finish.message));
    SetItemText(IDC_OPTION1, fw::WidenAnsi(finish.first.text));
    SetItemText(IDC_OPTION2, fw::WidenAnsi(finish.second.text));
    ShowWindow(Handle(), SW_SHOW);
}

void FinishPage::OnPageCommand(UINT id, UINT)
{
    if (id != IDOK)
        return;
    state_.openFirst = IsChecked(IDC_OPTION1);
    state_.openSecond = IsChecked(IDC_OPTION2);
    state_.restartNeeded = IsChecked(IDC_RESTART);
    Finish(PageEvent::Next);
}

}  // namespace installer
