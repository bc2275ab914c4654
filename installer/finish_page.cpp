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
    Show(IDC_OPTION1, page.firstVisible);
    Show(IDC_OPTION2, page.secondVisible);
    Enable(IDC_OPTION1, page.optionsEnabled);
    Enable(IDC_OPTION2, page.optionsEnabled);
    Show(IDC_RESTART, page.restartVisible);
    Check(IDC_OPTION1, page.firstChecked);
    Check(IDC_OPTION2, page.secondChecked);
    Check(IDC_RESTART, page.restartChecked);
    SetText(IDC_FINISH_MESSAGE, fw::WidenAnsi(finish.message));
    SetText(IDC_OPTION1, fw::WidenAnsi(finish.first.text));
    SetText(IDC_OPTION2, fw::WidenAnsi(finish.second.text));
    ShowWindow(hwnd_, SW_SHOW);
}

void FinishPage::OnCommand(UINT id, UINT)
{
    if (id != IDOK)
        return;
    state_.openFirst = Checked(IDC_OPTION1);
    state_.openSecond = Checked(IDC_OPTION2);
    state_.restartNeeded = Checked(IDC_RESTART);
    Finish(PageEvent::Next);
}

}  // namespace installer
