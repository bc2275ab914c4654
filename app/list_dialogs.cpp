#include "app/list_dialogs.h"

#include <shlobj.h>

#include "framework/core/text.h"
#include "framework/core/prompts.h"
#include "lists/condition_form.h"
#include "resources/lumsor/resource.h"

namespace {

std::wstring Number(uint32_t value)
{
    return std::to_wstring(value);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lp, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = L"";
        const BOOL hasPath = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp), path);
        SendMessageW(browser, BFFM_ENABLEOK, 0, hasPath);
    }
    return 0;
}

}  // namespace

bool BrowseForFolder(HWND owner, const wchar_t* title, const std::string& initial, std::string& chosen)
{
    const std::wstring start = fw::WidenAnsi(initial);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item)
        return false;
    wchar_t path[MAX_PATH] = L"";
    const bool hasPath = SHGetPathFromIDListW(item, path) != FALSE;
    CoTaskMemFree(item);
    std::string ansi;
    if (!hasPath || !fw::TryNarrowAnsi(path, ansi) || ansi.size() >= MAX_PATH)
        return false;
    chosen = ansi;
    return true;
}

bool CClsCondDlg::OnInitDialog()
{
    if (!condition_.title.empty())
        SetWindowTextW(Handle(), fw::WidenAnsi(condition_.title).c_str());
    SetItemText(IDC_COND_FOLDER, fw::WidenAnsi(condition_.folder));
    SetChecked(IDC_COND_SUBFOLDERS, condition_.subfolders);
    SetItemText(IDC_COND_PATTERN,
                condition_.namePattern.empty() ? L"*.*" : fw::WidenAnsi(condition_.namePattern));
    SetChecked(IDC_COND_MIN_ON, condition_.minimumOn);
    SetItemText(IDC_COND_MIN, Number(condition_.minimumKBytes));
    SetChecked(IDC_COND_MAX_ON, condition_.maximumOn);
    SetItemText(IDC_COND_MAX, Number(condition_.maximumKBytes));
    UpdateSizeEdits();
    return true;
}

void CClsCondDlg::UpdateSizeEdits()
{
    EnableItem(IDC_COND_MIN, IsChecked(IDC_COND_MIN_ON));
    EnableItem(IDC_COND_MAX, IsChecked(IDC_COND_MAX_ON));
}

bool CClsCondDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_COND_MIN_ON || id == IDC_COND_MAX_ON) {
        UpdateSizeEdits();
        return true;
    }
    if (id == IDC_COND_BROWSE) {
        OnBrowse();
        return true;
    }
    return false;
}

void CClsCondDlg::OnBrowse()
{
    std::string chosen;
    if (!BrowseForFolder(Handle(), L"フォルダを指定してください", fw::NarrowAnsi(ItemText(IDC_COND_FOLDER)),
                         chosen))
        return;
    SetItemText(IDC_COND_FOLDER, fw::WidenAnsi(chosen));
    SetFocus(Item(IDC_COND_FOLDER));
}

void CClsCondDlg::OnOk()
{
    lists::ConditionFields fields;
    fields.folder = fw::NarrowAnsi(ItemText(IDC_COND_FOLDER));
    fields.subfolders = IsChecked(IDC_COND_SUBFOLDERS);
    fields.namePattern = fw::NarrowAnsi(ItemText(IDC_COND_PATTERN));
    fields.minimumOn = IsChecked(IDC_COND_MIN_ON);
    fields.minimumText = ItemText(IDC_COND_MIN);
    fields.maximumOn = IsChecked(IDC_COND_MAX_ON);
    fields.maximumText = ItemText(IDC_COND_MAX);
    const lists::ConditionCheck check = lists::ReadConditionFields(fields, condition_);
    if (!check.ok) {
        fw::Ask(check.message, check.flags, reinterpret_cast<intptr_t>(Handle()));
        SetFocus(Item(check.focusControl));
        return;
    }
    End(IDOK);
}

bool CClsPropertiesDlg::OnInitDialog()
{
    SetItemText(IDC_PROPERTIES_TEXT, text_);
    return true;
}
