#include "fileops/move_list_command.h"

#include "fileops/move_dialog.h"
#include "fileops/overwrite_dialog.h"
#include "fileops/preview_dialog.h"
#include "framework/win/wait_cursor.h"

namespace fileops {

OverwriteAnswer WindowMoveHost::AskOverwrite(const std::string& source, const std::string& destination)
{
    CClsOverwriteDlg dialog(OverwriteQuestion(source, destination));
    return dialog.Run(owner_);
}

bool WindowMoveHost::EscapePressed()
{
    return (GetAsyncKeyState(VK_ESCAPE) & 0x8001) != 0;
}

void WindowMoveHost::ShowWait()
{
    static const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(wait);
}

PreviewChoice WindowMoveHost::Preview(MovePlan& plan)
{
    CClsPreviewDlg dialog(plan, fs_, cache_);
    return dialog.Run(owner_);
}

bool RunMoveListCommand(HWND owner, lists::ListModel& list, MoveWindowState& state,
                        std::string& sharedLastFolder, fw::FileSystem& fs, IUnknown* cache)
{
    if (list.GetCount() == 0)
        return false;
    if (list.LastFolder().empty())
        list.LastFolder() = sharedLastFolder;
    MoveSettings& settings = state.settings;
    settings.folder = list.LastFolder();
    CClsMoveDlg dialog(settings, fs);
    if (dialog.Run(owner) != IDOK)
        return false;

    const auto window = reinterpret_cast<intptr_t>(owner);
    switch (settings.action) {
        case Action::Move:
        case Action::Copy: {
            WindowMoveHost host(owner, fs, sharedLastFolder, cache);
            fw::WaitCursor restore(
                fw::WaitCursor::kNow);  // the run sets the wait cursor per row; the old one comes back after
            return MoveOrCopy(list, settings, fs, host);
        }
        case Action::TextOutput: {
            fw::WaitCursor wait(fw::WaitCursor::kNow);
            WriteListFile(list, settings.textPath, fs, window);
            return true;
        }
        case Action::Delete:
            if (Recycler* recycler = SystemRecycler())
                RecycleList(list, *recycler, window);
            return true;
    }
    return false;
}

}  // namespace fileops
