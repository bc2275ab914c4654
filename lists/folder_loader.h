// Loading by folder and the command line's paths into a list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/filesystem.h"
#include "framework/core/wait.h"
#include "lists/list_model.h"

namespace lists {

// A question of a load: asked only while NotAsked; the answer holds for that load.
enum class Answer { NotAsked, Yes, No };

// What a load needs from the window system; the wait shows around a load.
class LoadEnvironment : public fw::WaitIndicator {
public:
    virtual ~LoadEnvironment() = default;
    // True when Escape is down or was pressed since the previous call
    // (GetAsyncKeyState(VK_ESCAPE), whole value tested).
    virtual bool EscapePressed() = 0;
    // The owner window of the load's message boxes.
    virtual intptr_t Owner() const { return 0; }
};

// Scans `folder` and, when `subfolders` is (or is answered) Yes, its sub-folders,
// depth first, most recently found first. Folders whose names begin with '.' are never
// entered; the sub-folder question is asked at the first sub-folder met while
// `subfolders` is NotAsked. A file (or a folder with the system attribute) goes into
// the list when the list filter accepts its full path and, with a condition, the
// condition's name pattern does too (an empty pattern accepts nothing) and its size as
// enumerated is within the condition's bounds. A folder that cannot be enumerated is
// reported and skipped. Escape abandons the folder being scanned at its next entry;
// the scan goes on with the next pending folder.
// All accepted paths go in as one batch; then CompleteLoad shows the new entry that
// sorts first (the first entry when nothing is new), whose index is returned.
int LoadFolder(ListModel& list, const std::string& folder, Answer& subfolders, const LoadCondition* condition,
               fw::FileSystem& fs, LoadEnvironment& env);

// The command line's paths into list 0: a pending Escape press is cleared first; paths
// that name nothing are skipped; folders are loaded by LoadFolder without a condition,
// all sharing one sub-folder answer; files go in by InsertAndSelect when list 0's
// filter accepts them. Then entries whose files are gone are dropped, list 0's paths
// are removed from the other lists and its first entry is shown.
void LoadCommandLine(ListModel& list0, const std::vector<std::string>& tokens, fw::FileSystem& fs,
                     LoadEnvironment& env);

}  // namespace lists
