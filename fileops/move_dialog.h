// CClsMoveDlg: the move command's dialog over the list window's MoveSettings. It
// shows the settings when it opens and takes them back on OK, where the checks of
// the chosen action decide whether it closes.
#pragma once

#include "fileops/move_command.h"
#include "framework/win/dialog.h"

class CClsMoveDlg final : public fw::Dialog {
public:
    CClsMoveDlg(fileops::MoveSettings& settings, fw::FileSystem& fs) : settings_(settings), fs_(fs) {}

    // IDOK when the settings were accepted; the folder is the one shown at opening
    // unless the user changed it.
    INT_PTR Run(HWND owner);

protected:
    bool OnInitDialog() override;
    void OnOk() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void TakeSettings();
    fileops::Action CheckedAction() const;
    // The height: the template group shows only with rename on.
    void FitHeight();
    // Folder, browse, template and details only for move and copy.
    void EnableForAction();
    void OnBrowse();

    fileops::MoveSettings& settings_;
    fw::FileSystem& fs_;
};

// The shell's folder browser owned by `owner`, starting at `folder`. True with the
// chosen folder's path (ANSI) when the user picked a file-system folder.
bool BrowseForFolder(HWND owner, const std::string& folder, std::string& chosen);
