// Running a move plan, and the other whole-list actions of the move command: text
// output, delete to the recycle bin, and creating the destination folder.
//
// No file is lost: whatever the answers and faults, every file that existed before
// a run exists afterwards at its source or its destination (both after a copy) with
// its content, unless the user agreed to overwrite that one file. A file is
// replaced only by renaming a complete file over it (a copy is staged beside it
// first when the source is elsewhere), never deleted before its replacement exists.
// A staged copy whose removal fails after a failed replace stays beside the
// destination as "~mvN.tmp".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fileops/move_plan.h"
#include "framework/core/filesystem.h"
#include "lists/list_model.h"

namespace fileops {

// The command's actions, numbered as the dialog's radio buttons are.
enum class Action : int { Move = 0, Copy = 1, TextOutput = 2, Delete = 3 };

// The overwrite dialog's answers (its button ids). Closing it counts as Skip.
enum class OverwriteAnswer : int { None = 0, Overwrite = 1, Skip = 2, OverwriteAll = 6, SkipAll = 7 };

// The overwrite dialog's text for one conflict.
std::wstring OverwriteQuestion(const std::string& source, const std::string& destination);

// What a run asks of the window that started it.
class RunHost {
public:
    virtual ~RunHost() = default;
    // The overwrite dialog for one conflict (text: OverwriteQuestion).
    virtual OverwriteAnswer AskOverwrite(const std::string& source, const std::string& destination) = 0;
    // True when Escape is down or was pressed since the last call (GetAsyncKeyState).
    virtual bool EscapePressed() = 0;
    // The wait cursor, set again for every row.
    virtual void ShowWait() {}
    // Owner of the message boxes.
    virtual intptr_t Owner() const { return 0; }
};

struct RunResult {
    std::vector<std::string> arrived;  // destinations that received a file, in order
    bool escaped = false;              // Escape ended the run early
};

// Runs the plan's rows in order, marking each completed one; stops before the next row
// once Escape is pressed. A row is skipped when excluded; completed without touching
// anything when its destination is its own source (by any spelling); refused with a
// warning when its destination is read-only or a folder; otherwise an existing
// destination is overwritten only on an overwrite answer. Each failure is reported
// with the system's text and the run goes on.
RunResult RunPlan(MovePlan& plan, Action action, fw::FileSystem& fs, RunHost& host);

// The list after a run: a move drops the sources of completed rows; `reload` adds the
// arrived files (and takes them out of the other lists); files gone from the disk
// leave the list, which is redisplayed.
void ApplyRun(lists::ListModel& list, const MovePlan& plan, const RunResult& result, Action action,
              bool reload);

// Text output: RemoveMissing, then every path and CR LF to `path`. The lines go to a
// new file beside it that replaces `path` only when complete, so a failed write
// leaves an existing file untouched. False, after a warning, on failure.
bool WriteListFile(lists::ListModel& list, const std::string& path, fw::FileSystem& fs, intptr_t owner = 0);

// The shell's delete to the recycle bin (SHFileOperation, FO_DELETE with undo); the
// shell asks its own confirmation.
class Recycler {
public:
    virtual ~Recycler() = default;
    // `paths` as the shell takes them: each path ended by a NUL, one more NUL at the end.
    virtual void Recycle(const std::string& paths, intptr_t owner) = 0;
};
// The Win32 recycler (null elsewhere).
Recycler* SystemRecycler();

// The list's paths, in list order, as Recycler::Recycle takes them.
std::string RecycleBuffer(const lists::ListModel& list);

// Delete: every entry of the list to the recycle bin, then the files that are gone
// leave the list (the ones the user kept stay).
void RecycleList(lists::ListModel& list, Recycler& recycler, intptr_t owner = 0);

// Creates every missing folder of `path` (at most kMaxPathBytes of it), from the top.
// The drive (or "\\server\share") is never created. False at the first part that is
// neither a folder nor could be made one.
bool CreateFolderPath(const std::string& path, fw::FileSystem& fs);

}  // namespace fileops
