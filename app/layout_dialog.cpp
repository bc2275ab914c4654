#include "app/layout_dialog.h"

#include "app/layout_store.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "resources/lumsor/resource.h"

bool CClsInputDlg::OnInitDialog()
{
    if (!title.empty())
        SetWindowTextW(Handle(), title.c_str());
    SetItemText(IDC_INPUT_TEXT, text);
    return true;
}

void CClsInputDlg::OnOk()
{
    text = ItemText(IDC_INPUT_TEXT);
    End(IDOK);
}

bool CClsLayoutDlg::OnInitDialog()
{
    for (const app::NamedLayout& layout : app::ReadLayoutList(settings_)) {
        const LRESULT at = SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_ADDSTRING, 0,
                                               reinterpret_cast<LPARAM>(fw::WidenAnsi(layout.name).c_str()));
        if (at >= 0)
            SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_SETITEMDATA, static_cast<WPARAM>(at),
                                layout.id);
    }
    return true;
}

bool CClsLayoutDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_LAYOUT_NEW:
            OnNew();
            return true;
        case IDC_LAYOUT_DELETE:
            OnDelete();
            return true;
        case IDC_LAYOUT_SAVE:
            OnSave();
            return true;
        default:
            return false;
    }
}

int CClsLayoutDlg::SelectedId() const
{
    const LRESULT at = SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_GETCURSEL, 0, 0);
    if (at == LB_ERR)
        return -1;
    return static_cast<int>(
        SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void CClsLayoutDlg::WriteList() const
{
    HWND list = Item(IDC_LAYOUT_LIST);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::vector<app::NamedLayout> layouts;
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring name(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name.data()));
        name.resize(wcslen(name.c_str()));
        layouts.push_back({fw::NarrowAnsi(name),
                           static_cast<int>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0))});
    }
    app::WriteLayoutList(settings_, layouts);
}

void CClsLayoutDlg::OnNew()
{
    CClsInputDlg input;
    if (input.RunModal(GetModuleHandleW(nullptr), IDD_INPUT, Handle()) != IDOK || input.text.empty())
        return;
    const LRESULT at = SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(input.text.c_str()));
    if (at < 0)
        return;
    const int id = app::NewLayoutId(settings_);
    SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_SETITEMDATA, static_cast<WPARAM>(at), id);
    WriteList();
    copy_(app::settings::kWorkingLayoutSection, app::LayoutSection(id).c_str());
}

void CClsLayoutDlg::OnDelete()
{
    const LRESULT at = SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_GETCURSEL, 0, 0);
    if (at == LB_ERR) {
        MessageBeep(MB_OK);
        return;
    }
    if (fw::Ask(L"削除してもよろしいですか？", fw::kMbYesNo | fw::kMbDefButton2,
                reinterpret_cast<intptr_t>(Handle())) != fw::kIdYes)
        return;
    SendDlgItemMessageW(Handle(), IDC_LAYOUT_LIST, LB_DELETESTRING, static_cast<WPARAM>(at), 0);
    WriteList();
}

void CClsLayoutDlg::OnSave()
{
    const int id = SelectedId();
    if (id < 0) {
        MessageBeep(MB_OK);
        return;
    }
    copy_(app::settings::kWorkingLayoutSection, app::LayoutSection(id).c_str());
}

void CClsLayoutDlg::OnOk()
{
    if (const int id = SelectedId(); id >= 0)
        copy_(app::LayoutSection(id).c_str(), app::settings::kWorkingLayoutSection);
    End(IDOK);
}
