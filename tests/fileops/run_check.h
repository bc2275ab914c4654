// Shared by the run tests: a scripted run host and the invariants every run keeps,
// checked on snapshots of the disk so that the in-memory file system and the real
// Win32 one are judged alike.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fileops/move_command.h"
#include "framework/core/prompts.h"
#include "lists/list_model.h"
#include "lists/path_order.h"

namespace run_check {

// The run's questions from a script: overwrite answers in order, Escape at one poll,
// and a hook before each row's file operations (for faults injected mid-run).
class ScriptedHost final : public fileops::MoveCommandHost {
public:
    fileops::OverwriteAnswer AskOverwrite(const std::string&, const std::string& destination) override
    {
        asked.push_back(destination);
        if (answers.empty())
            return fileops::OverwriteAnswer::None;
        fileops::OverwriteAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool EscapePressed() override { return polls++ == escapeAtPoll; }
    void ShowWait() override
    {
        if (beforeRow)
            beforeRow(rows);
        ++rows;
    }
    fileops::PreviewChoice Preview(fileops::MovePlan& plan) override
    {
        ++previews;
        plan.Exclude(plan.InvalidRows());
        return preview;
    }

    std::deque<fileops::OverwriteAnswer> answers;
    std::vector<std::string> asked;
    int polls = 0;
    int escapeAtPoll = -1;  // the run polls once before its first row
    int rows = 0;
    std::function<void(int row)> beforeRow;
    int previews = 0;
    fileops::PreviewChoice preview = fileops::PreviewChoice::Move;
};

// Answers every message box with OK.
class AcceptingPrompts final : public fw::Prompts {
public:
    AcceptingPrompts() : previous_(fw::SetPrompts(this)) {}
    ~AcceptingPrompts() override { fw::SetPrompts(previous_); }
    int Message(intptr_t, const std::wstring&, const std::wstring&, unsigned) override { return fw::kIdOk; }

private:
    fw::Prompts* previous_;
};

struct PathLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return lists::ComparePaths(a, b) < 0;
    }
};
using PathMap = std::map<std::string, std::string, PathLess>;  // path -> content
using PathSet = std::set<std::string, PathLess>;

// One finished run and what surrounded it.
struct RunRecord {
    PathMap before;    // every file before the run
    PathSet readOnly;  // the read-only ones among them
    PathSet original;  // the list before the run
    std::deque<fileops::OverwriteAnswer> given;
    const ScriptedHost* host = nullptr;
    const fileops::MovePlan* plan = nullptr;
    const fileops::RunResult* result = nullptr;
    fileops::Action action = fileops::Action::Move;
    bool reload = false;
};

// Every file that existed before the run is still at its source or its destination
// with its content unless its own overwrite was agreed to; no stray file is left;
// the list holds only files on the disk and follows the completed rows.
inline void CheckRun(const RunRecord& run, const PathMap& after, const lists::ListModel& list)
{
    using fileops::OverwriteAnswer;
    const fileops::MovePlan& plan = *run.plan;
    const std::string& folder = plan.Folder();
    // A destination as Windows names it: trailing dots and spaces dropped.
    auto canonical = [&](const std::string& path) {
        if (lists::ComparePaths(path.substr(0, folder.size()), folder) != 0)
            return path;
        return folder + std::string(fileops::NameKey(path.substr(folder.size()), plan.Order().CodePage()));
    };
    auto find = [&](const std::string& path) {
        auto found = after.find(path);
        return found != after.end() ? found : after.find(canonical(path));
    };
    auto exists = [&](const std::string& path) { return find(path) != after.end(); };
    auto content = [&](const std::string& path) {
        auto found = find(path);
        return found == after.end() ? std::string() : found->second;
    };
    auto same = [&](const std::string& destination, const std::string& path) {
        return lists::ComparePaths(destination, path) == 0 ||
               lists::ComparePaths(canonical(destination), path) == 0;
    };

    // The destinations the user agreed to lose, and where each source was going.
    PathSet agreed;
    PathMap going;
    bool all = false;
    size_t asked = 0;
    for (const fileops::PlanRow& row : plan.Rows()) {
        if (row.newName.empty())
            continue;
        std::string destination = folder + row.newName;
        going[row.source] = destination;
        if (asked < run.host->asked.size() && lists::ComparePaths(run.host->asked[asked], destination) == 0) {
            OverwriteAnswer answer = run.given[asked++];
            all = all || answer == OverwriteAnswer::OverwriteAll;
            if (answer == OverwriteAnswer::Overwrite || answer == OverwriteAnswer::OverwriteAll) {
                agreed.insert(destination);
                agreed.insert(canonical(destination));
            }
        }
        if (all) {
            agreed.insert(destination);
            agreed.insert(canonical(destination));
        }
    }
    for (const auto& [path, was] : run.before) {
        if (agreed.count(path))
            continue;
        bool kept = exists(path) && content(path) == was;
        auto to = going.find(path);
        if (run.action == fileops::Action::Move && to != going.end() && agreed.count(to->second))
            continue;  // moved there, then overwritten by agreement (two rows with one name)
        bool moved = run.action == fileops::Action::Move && to != going.end() && exists(to->second) &&
                     content(to->second) == was;
        EXPECT_TRUE(kept || moved) << path;
    }
    for (const std::string& path : run.readOnly)
        EXPECT_TRUE(going.count(path) || content(path) == run.before.at(path)) << "read-only " << path;
    for (const auto& entry : after) {
        const std::string& path = entry.first;
        const auto& now = entry.second;
        bool destination =
            std::any_of(going.begin(), going.end(), [&](const auto& g) { return same(g.second, path); });
        // A staged copy stays only when removing it failed as well: a copy, nothing lost.
        bool staged =
            path.find("\\~mv") != std::string::npos &&
            std::any_of(run.before.begin(), run.before.end(), [&](const auto& b) { return b.second == now; });
        EXPECT_TRUE(run.before.count(path) || destination || staged) << "stray " << path;
    }

    PathSet listed(list.Paths().begin(), list.Paths().end());
    PathSet arrived(run.result->arrived.begin(), run.result->arrived.end());
    for (const std::string& path : listed)
        EXPECT_TRUE(exists(path)) << "listed but missing " << path;
    for (const fileops::PlanRow& row : plan.Rows()) {
        if (row.ExistingOnly() || !exists(row.source) || arrived.count(row.source))
            continue;
        bool gone = run.action == fileops::Action::Move && row.completed;
        EXPECT_NE(gone, listed.count(row.source) != 0) << row.source;
    }
    for (const std::string& path : run.result->arrived)
        EXPECT_TRUE(run.reload ? !exists(path) || listed.count(path)
                               : !listed.count(path) || run.original.count(path))
            << path;
}

}  // namespace run_check
