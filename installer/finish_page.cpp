#include "framework/core/text.h"
#include "installer/pages.h"
#include "resources/orkvane/resource.h"

namespace installer {

void FinishPage::OnInit()
{
    const FinishOptions& finish = session_.script.finish;
    const FinishPageState state = MakeFinishPage(finish, session_.restartNeeded);
    session_.option1 = state.option1;
    session_.option2 = state.option2;
    Show(IDC_OPTION1, state.option1Visible);
    Show(IDC_OPTION2, state.option2Visible);
    Enable(IDC_OPTION1, state.optionsEnabled);
    Enable(IDC_OPTION2, state.optionsEnabled);
    Show(IDC_RESTART, state.restartVisible);
    Check(IDC_OPTION1, state.option1Checked);
    Check(IDC_OPTION2, state.option2Checked);
    Check(IDC_RESTART, state.restartChecked);
    SetText(IDC_FINISH_MESSAGE, fw::WidenAnsi(finish.message));
    SetText(IDC_OPTION1, fw::WidenAnsi(finish.opt1Message));
    SetText(IDC_OPTION2, fw::WidenAnsi(finish.opt2Message));
    ShowWindow(hwnd_, SW_SHOW);
}

void FinishPage::OnCommand(UINT id, UINT)
{
    if (id != IDOK)
        return;
    session_.option1 = Checked(IDC_OPTION1) ? 1 : 0;
    session_.option2 = Checked(IDC_OPTION2) ? 1 : 0;
    session_.restartNeeded = Checked(IDC_RESTART);
    Finish(PageEvent::Next);
}

}  // namespace installer
