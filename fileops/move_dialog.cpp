#include "fileops/move_dialog.h"

#include <shlobj.h>

#include <iterator>
#include <memory>

#include "framework/core/text.h"
#include "resources/lumsor/fileops_res.h"

using fileops::Action;

namespace {

const wchar_t kBrowseTitle[] = L"保存先フォルダを指定してください";

// The radio buttons, indexed by Action.
constexpr int kActionButtons[] = {IDC_MOVE_ACTION_MOVE, IDC_MOVE_ACTION_COPY, IDC_MOVE_ACTION_TEXT,
                                  IDC_MOVE_ACTION_DELETE};
// What only move and copy use.
constexpr int kFolderControls[] = {IDC_MOVE_FOLDER, IDC_MOVE_BROWSE, IDC_MOVE_TEMPLATE_GROUP,
                                   IDC_MOVE_TEMPLATE, IDC_MOVE_DETAILS};

struct TaskMemFree {
    void operator()(ITEMIDLIST* items) const { CoTaskMemFree(items); }
};

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lp, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        const auto* folder = reinterpret_cast<const std::string*>(data);
        if (!folder->empty())
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder->c_str()));
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH];
        const BOOL fileSystem = lp && SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp), path);
        SendMessageW(browser, BFFM_ENABLEOK, 0, fileSystem);
    }
    return 0;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& folder, std::string& chosen)
{
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&folder);
    const std::unique_ptr<ITEMIDLIST, TaskMemFree> items(SHBrowseForFolderW(&info));
    char path[MAX_PATH];
    if (!items || !SHGetPathFromIDListA(items.get(), path))
        return false;
    chosen = path;
    return true;
}

INT_PTR CClsMoveDlg::Run(HWND owner)
{
    return RunModal(GetModuleHandleW(nullptr), IDD_MOVE, owner);
}

bool CClsMoveDlg::OnInitDialog()
{
    SetItemText(IDC_MOVE_FOLDER, fw::WidenAnsi(settings_.folder));
    SetItemText(IDC_MOVE_TEMPLATE, fw::WidenAnsi(settings_.pattern));
    const auto action = static_cast<size_t>(settings_.action);
    CheckRadioButton(Handle(), kActionButtons[0], kActionButtons[std::size(kActionButtons) - 1],
                     kActionButtons[action < std::size(kActionButtons) ? action : 0]);
    SetChecked(IDC_MOVE_RENAME, settings_.rename);
    SetChecked(IDC_MOVE_DETAILS, settings_.details);
    SetChecked(IDC_MOVE_RELOAD, settings_.reload);
    FitHeight();
    EnableForAction();
    return true;
}

Action CClsMoveDlg::CheckedAction() const
{
    for (size_t i = 0; i < std::size(kActionButtons); ++i)
        if (IsChecked(kActionButtons[i]))
            return static_cast<Action>(i);
    return Action::Move;
}

void CClsMoveDlg::TakeSettings()
{
    settings_.action = CheckedAction();
    settings_.folder = fw::NarrowAnsiPath(ItemText(IDC_MOVE_FOLDER));
    settings_.pattern = fw::NarrowAnsiPath(ItemText(IDC_MOVE_TEMPLATE));
    settings_.rename = IsChecked(IDC_MOVE_RENAME);
    settings_.details = IsChecked(IDC_MOVE_DETAILS);
    settings_.reload = IsChecked(IDC_MOVE_RELOAD);
}

void CClsMoveDlg::FitHeight()
{
    RECT window{};
    RECT client{};
    RECT group{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    GetWindowRect(Item(IDC_MOVE_TEMPLATE_GROUP), &group);
    const int margin = (window.right - window.left) - (client.right - client.left);
    const int bottom = IsChecked(IDC_MOVE_RENAME) ? group.bottom + margin : group.top;
    SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left, bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CClsMoveDlg::EnableForAction()
{
    const Action action = CheckedAction();
    const bool toFolder = action == Action::Move || action == Action::Copy;
    for (int id : kFolderControls)
        EnableItem(id, toFolder);
}

void CClsMoveDlg::OnBrowse()
{
    TakeSettings();
    std::string chosen;
    if (!BrowseForFolder(Handle(), settings_.folder, chosen))
        return;
    settings_.folder = chosen;
    SetItemText(IDC_MOVE_FOLDER, fw::WidenAnsi(chosen));
}

bool CClsMoveDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_MOVE_BROWSE:
            OnBrowse();
            return true;
        case IDC_MOVE_RENAME:
            FitHeight();
            return true;
        case IDC_MOVE_ACTION_MOVE:
        case IDC_MOVE_ACTION_COPY:
        case IDC_MOVE_ACTION_TEXT:
        case IDC_MOVE_ACTION_DELETE:
            EnableForAction();
            return true;
        default:
            return false;
    }
}

void CClsMoveDlg::OnOk()
{
    TakeSettings();
    const auto owner = reinterpret_cast<intptr_t>(Handle());
    bool accepted = true;
    switch (settings_.action) {
        case Action::Move:
        case Action::Copy:
            accepted = fileops::AcceptFolderSettings(settings_, fs_, owner);
            break;
        case Action::TextOutput:
            accepted = fileops::ChooseTextOutput(settings_, owner);
            break;
        case Action::Delete:
            break;
    }
    if (accepted)
        End(IDOK);
}
