// Loading by folder and the command line's paths into a list.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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

// The file-system half of a command-line load, run ahead on a thread of its own while
// the program builds its windows: the pending Escape press cleared, each token's
// attributes, the scans of folder tokens and the check that what they found still
// exists. The scan stops at the first sub-folder met, whose question needs a window:
// that token and the rest are left to LoadCommandLine. Reports of folders that cannot
// be enumerated are kept for it to show in their place.
class CommandLinePrescan {
public:
    CommandLinePrescan(std::vector<std::string> tokens, fw::FileSystem& fs, const fw::CodePage& codePage,
                       std::function<bool()> escapePressed);
    ~CommandLinePrescan();
    CommandLinePrescan(const CommandLinePrescan&) = delete;
    CommandLinePrescan& operator=(const CommandLinePrescan&) = delete;

    struct Token {
        uint32_t attributes = fw::kAttrInvalid;
        std::vector<std::wstring> failures;  // message texts, in the order met
        std::vector<std::string> accepted;   // a folder's files that the filter accepts and that exist
    };
    // Hands list 0's filter to the scan (which waits for it before checking what it
    // found) and waits for the scan to end. The tokens scanned, in order: fewer than
    // given when it stopped at a sub-folder.
    std::vector<Token> Finish(const FilterPattern& filter);
    const std::vector<std::string>& Tokens() const { return tokens_; }

private:
    void Run();

    const std::vector<std::string> tokens_;
    fw::FileSystem& fs_;
    const fw::CodePage& codePage_;
    const std::function<bool()> escapePressed_;
    std::vector<Token> scanned_;
    std::mutex mutex_;
    std::condition_variable filterGiven_;
    std::optional<FilterPattern> filter_;  // guarded by mutex_
    std::atomic<bool> abandoned_{false};   // set under mutex_
    std::thread thread_;
};

// The command line's paths into list 0: a pending Escape press is cleared first; paths
// that name nothing are skipped; folders are loaded by LoadFolder without a condition,
// all sharing one sub-folder answer; files go in by InsertAndSelect when list 0's
// filter accepts them. Then entries whose files are gone are dropped, list 0's paths
// are removed from the other lists and its first entry is shown.
// With `prescan` (made for the same tokens), what it found goes in first, as each
// token's load would have put it; the scan's existence check stands for the final one
// when it covered every token.
void LoadCommandLine(ListModel& list0, const std::vector<std::string>& tokens, fw::FileSystem& fs,
                     LoadEnvironment& env, CommandLinePrescan* prescan = nullptr);

}  // namespace lists
