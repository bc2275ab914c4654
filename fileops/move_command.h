// The move command of a list window after its dialog: the dialog's settings and
// their checks on OK, and the move or copy from plan to list. The dialogs are thin
// windows over this: the preview edits a MovePlan, the overwrite dialog answers
// RunHost::AskOverwrite.
#pragma once

#include <string>

#include "fileops/move_run.h"

namespace fileops {

// The dialog's settings; they live as long as the list window.
struct MoveSettings {
    Action action = Action::Move;
    std::string folder;
    bool rename = false;
    std::string pattern = "%f.%e";
    bool details = true;
    bool reload = false;
    std::string textPath;
};

// How the preview dialog ended.
enum class PreviewChoice { Cancel, Copy, Move };

class MoveCommandHost : public RunHost {
public:
    // The preview dialog over the plan (which it may edit).
    virtual PreviewChoice Preview(MovePlan& plan) = 0;
    // The main frame's shared last folder.
    virtual void SetSharedLastFolder(const std::string&) {}
};

// OK of the dialog for move and copy: trims the folder and the template, refuses an
// empty folder, a file in its place and an empty template with rename on, and offers
// to create a missing folder. False (after its warning) keeps the dialog open.
bool AcceptFolderSettings(MoveSettings& settings, fw::FileSystem& fs, intptr_t owner = 0);

// OK of the dialog for text output: the save dialog. False when it was cancelled.
bool ChooseTextOutput(MoveSettings& settings, intptr_t owner = 0);

// Move or copy after the dialog: the folder gets its "\" and becomes the last folder
// of the list and of the frame; the plan is built and checked, the preview shown
// when the plan is invalid or details are on (its button decides the action, which
// the settings keep), then the run, and the list follows the result. False when the
// preview was cancelled and nothing was touched.
bool MoveOrCopy(lists::ListModel& list, MoveSettings& settings, fw::FileSystem& fs, MoveCommandHost& host);

}  // namespace fileops
