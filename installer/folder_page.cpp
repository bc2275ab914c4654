#include <windows.h>

#include <shlobj.h>

#include "framework/core/path.h"
#include "framework/core/text.h"
#include "framework/win/string_table.h"
#include "installer/pages.h"
#include "resources/orkvane/resource.h"

namespace installer {

namespace {

}  // namespace

void FolderPage::OnInit()
{
    const TargetOptions& target = state_.script.target;
    const InstallChoices& choices = state_.choices;
    const bool nt = state_.folders.ntFamily;
    EnableItem(IDC_FOLDER_BACK, state_.flow.BackEnabled());
    SendDlgItemMessageW(Handle(), IDC_FOLDER_EDIT, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SetItemText(IDC_FOLDER_EDIT, fw::WidenAnsi(choices.installFolder));
    SetChecked(IDC_LINK_DESKTOP, target.desktop);
    EnableItem(IDC_LINK_DESKTOP, target.desktop);
    SetChecked(IDC_LINK_STARTMENU, target.startMenu);
    EnableItem(IDC_LINK_STARTMENU, target.startMenu);
    EnableItem(IDC_GROUP_COMBO, target.startMenu);
    const UninstallOptions& uninstall = state_.script.uninstall;
    SetChecked(IDC_UNINSTALL_ENTRY, uninstall.uninstallEntry);
    EnableItem(IDC_UNINSTALL_ENTRY, uninstall.uninstaller && uninstall.uninstallEntry);
    EnableItem(IDC_LINK_PRIVATE, target.desktop || target.startMenu);
    SetChecked(IDC_LINK_PRIVATE, target.privateLinks && nt);
    ShowItem(IDC_LINK_PRIVATE, nt);
    state_.choices.privateLinks = target.privateLinks && nt;
    FillGroups();
    ShowWindow(Handle(), SW_SHOW);
}

// The sub-folders of the programs menu (per-user or shared), and the group name.
void FolderPage::FillGroups()
{
    const HWND combo = Item(IDC_GROUP_COMBO);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const SystemFolders& folders = state_.folders;
    const std::string& programs = state_.choices.privateLinks ? folders.programsUser : folders.programsAll;
    WIN32_FIND_DATAA found{};
    const HANDLE find = FindFirstFileA(fw::JoinPath(programs, "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.')
                SendMessageW(combo, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(fw::WidenAnsi(found.cFileName).c_str()));
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    SetWindowTextW(combo, fw::WidenAnsi(state_.script.target.groupName).c_str());
}

void FolderPage::Browse()
{
    const std::wstring title = fw::LoadText(IDS_BROWSE_TITLE);
    const std::string titleAnsi = fw::NarrowAnsi(title);
    char display[MAX_PATH] = "";
    BROWSEINFOA info{};
    info.hwndOwner = state_.main;
    info.pszDisplayName = display;
    info.lpszTitle = titleAnsi.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    if (!list)
        return;
    char path[MAX_PATH] = "";
    if (SHGetPathFromIDListA(list, path)) {
        SetItemText(IDC_FOLDER_EDIT, fw::WidenAnsi(path));
        SetFocus(Item(IDC_FOLDER_EDIT));
        SendDlgItemMessageW(Handle(), IDC_FOLDER_EDIT, EM_SETSEL, 0, -1);
    }
    CoTaskMemFree(list);
}

void FolderPage::OnPageCommand(UINT id, UINT code)
{
    InstallChoices& choices = state_.choices;
    switch (id) {
        case IDC_FOLDER_BROWSE:
            Browse();
            break;
        case IDC_LINK_PRIVATE:
            if (code == BN_CLICKED) {
                choices.privateLinks = IsChecked(IDC_LINK_PRIVATE);
                FillGroups();
            }
            break;
        case IDC_LINK_STARTMENU:
            if (code == BN_CLICKED)
                EnableItem(IDC_GROUP_COMBO, IsChecked(IDC_LINK_STARTMENU));
            break;
        case IDC_FOLDER_BACK:
            Finish(PageEvent::Back);
            break;
        case IDOK:
            choices.desktop = IsChecked(IDC_LINK_DESKTOP);
            choices.startMenu = IsChecked(IDC_LINK_STARTMENU);
            choices.privateLinks = IsChecked(IDC_LINK_PRIVATE);
            choices.uninstallEntry = IsChecked(IDC_UNINSTALL_ENTRY);
            choices.installFolder = ItemAnsiText(IDC_FOLDER_EDIT, MAX_PATH - 1);
            choices.groupName = ItemAnsiText(IDC_GROUP_COMBO, MAX_PATH - 1);
            Finish(PageEvent::Next);
            break;
        case IDCANCEL:
            Finish(PageEvent::Decline);
            break;
        default:
            break;
    }
}

}  // namespace installer
