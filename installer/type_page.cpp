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
    CheckRadioButton(Handle(), IDC_TYPE_RECOMMENDED, IDC_TYPE_CUSTOM,
                     custom ? IDC_TYPE_CUSTOM : IDC_TYPE_RECOMMENDED);
    ShowItem(IDC_TYPE_HELP, !type.help.empty());
    items_ = ComponentList(state_.script, state_.folders.ntFamily);
    for (const ComponentItem& item : items_)
        SendDlgItemMessageW(Handle(), IDC_COMPONENTS, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(fw::WidenAnsi(item.name).c_str()));
    SelectPreselected();
    EnableItem(IDC_COMPONENTS, custom);
    ShowWindow(Handle(), SW_SHOW);
}

void TypePage::SelectPreselected()
{
    for (size_t i = 0; i < items_.size(); ++i)
        SendDlgItemMessageW(Handle(), IDC_COMPONENTS, LB_SETSEL, items_[i].preselected,
                            static_cast<LPARAM>(i));
}

void TypePage::OnPageCommand(UINT id, UINT)
{
    switch (id) {
        case IDC_TYPE_RECOMMENDED:
            SelectPreselected();
            EnableItem(IDC_COMPONENTS, false);
            break;
        case IDC_TYPE_CUSTOM:
            EnableItem(IDC_COMPONENTS, true);
            break;
        case IDC_TYPE_HELP:
            ShellExecuteA(Handle(), "open", state_.script.selectType.help.c_str(), nullptr, nullptr,
                          SW_SHOWNORMAL);
            break;
        case IDOK: {
            std::vector<bool> selected;
            for (size_t i = 0; i < items_.size(); ++i)
                selected.push_back(SendDlgItemMessageW(Handle(), IDC_COMPONENTS, LB_GETSEL, i, 0) > 0);
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
