// The move command of a list window (its F8 command): the move dialog, then move or
// copy into a folder (with the preview and the overwrite question), text output of
// the list, or delete to the recycle bin.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

#include "fileops/move_command.h"

namespace fileops {

// What one list window keeps of the command while the program runs (never saved).
struct MoveWindowState {
    MoveSettings settings;
};

// The run's questions as windows: the overwrite dialog, Escape from the keyboard,
// the wait cursor, the preview dialog; the shared last folder is `sharedLastFolder`.
class WindowMoveHost final : public MoveCommandHost {
public:
    WindowMoveHost(HWND owner, fw::FileSystem& fs, std::string& sharedLastFolder, IUnknown* cache = nullptr)
        : owner_(owner), fs_(fs), sharedLastFolder_(sharedLastFolder), cache_(cache)
    {
    }

    OverwriteAnswer AskOverwrite(const std::string& source, const std::string& destination) override;
    // GetAsyncKeyState: down now, or pressed since the last look.
    bool EscapePressed() override;
    void ShowWait() override;
    intptr_t Owner() const override { return reinterpret_cast<intptr_t>(owner_); }
    PreviewChoice Preview(MovePlan& plan) override;
    void SetSharedLastFolder(const std::string& folder) override { sharedLastFolder_ = folder; }

private:
    HWND owner_;
    fw::FileSystem& fs_;
    std::string& sharedLastFolder_;
    IUnknown* cache_;
};

// The whole command for `list`, shown by the window `owner`:
//  - an empty list: nothing, false;
//  - the list's last folder, or `sharedLastFolder` when the list has none (it then
//    becomes the list's), is offered in CClsMoveDlg with the other settings of
//    `state`; Cancel: nothing changed, false;
//  - move or copy: the folder becomes the last folder of the list and
//    `sharedLastFolder`; the plan is previewed when it is invalid or details are on
//    (its cancel: false, nothing touched), then run, and the list follows the disk
//    (RefreshView included);
//  - text output: the list to the file chosen in the dialog;
//  - delete: the list's files to the recycle bin, the deleted ones leave the list.
// True when an action ran. Message boxes go through fw::CurrentPrompts(); `cache`
// (may be null) is handed to the preview's thumbnail controls.
bool RunMoveListCommand(HWND owner, lists::ListModel& list, MoveWindowState& state,
                        std::string& sharedLastFolder, fw::FileSystem& fs, IUnknown* cache = nullptr);

}  // namespace fileops
