#include <windows.h>

#include <shellapi.h>

#include "framework/core/text.h"
#include "installer/pages.h"
#include "resources/orkvane/resource.h"

namespace installer {

void TypePage::OnInit()
{
    const SelectTypePage& type = state_.script.selectType;
    const bool custom = type.custom;
    CheckRadioButton(hwnd_, IDC_TYPE_RECOMMENDED, IDC_TYPE_CUSTOM,
                     custom ? IDC_TYPE_CUSTOM : IDC_TYPE_RECOMMENDED);
    Show(IDC_TYPE_HELP, !type.help.empty());
    items_ = ComponentList(state_.script, state_.folders.ntFamily);
    for (const ComponentItem& item : items_)
        SendDlgItemMessageW(hwnd_, IDC_COMPONENTS, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(fw::WidenAnsi(item.name).c_str()));
    SelectPreselected();
    Enable(IDC_COMPONENTS, custom);
    ShowWindow(hwnd_, SW_SHOW);
}

void TypePage::SelectPreselected()
{
    for (size_t i = 0; i < items_.size(); ++i)
        SendDlgItemMessageW(hwnd_, IDC_COMPONENTS, LB_SETSEL, items_[i].preselected, static_cast<LPARAM>(i));
}

void TypePage::OnCommand(UINT id, UINT)
{
    switch (id) {
        case IDC_TYPE_RECOMMENDED:
            SelectPreselected();
            Enable(IDC_COMPONENTS, false);
            break;
        case IDC_TYPE_CUSTOM:
            Enable(IDC_COMPONENTS, true);
            break;
        case IDC_TYPE_HELP:
            ShellExecuteA(hwnd_, "open", state_.script.selectType.help.c_str(), nullptr, nullptr,
                          SW_SHOWNORMAL);
            break;
        case IDOK: {
            std::vector<bool> selected;
            for (size_t i = 0; i < items_.size(); ++i)
                selected.push_back(SendDlgItemMessageW(hwnd_, IDC_COMPONENTS, LB_GETSEL, i, 0) > 0);
            state_.choices.selected = PageSelection(state_.script, items_, selected);
            Finish(PageEvent::Next);
            break;
        }
        case IDCANCEL:
            Finish(PageEvent::Decline);
            break;
        default:
            break;
    }
}

}  // namespace installer
