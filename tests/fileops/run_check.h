// The run's property, shared by the in-memory and the real Win32 file system: random
// lists into a folder with random existing (some read-only) files, templates, plan
// edits, overwrite answers, Escape and faults. No file is lost unless its own overwrite
// was agreed to, no stray file is left and the list follows the disk.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fileops/move_command.h"
#include "framework/core/prompts.h"
#include "lists/list_model.h"

namespace run_check {

// The run's questions from a script: overwrite answers in order, Escape at one poll,
// and a hook before each row's file operations (for faults injected mid-run).
class ScriptedHost final : public fileops::MoveCommandHost {
public:
    fileops::OverwriteAnswer AskOverwrite(const std::string&, const std::string& destination) override
    {
        asked.push_back(destination);
        const auto answer = answers.empty() ? fileops::OverwriteAnswer::None : answers.front();
        if (!answers.empty())
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
    int polls = 0, escapeAtPoll = -1;  // the run polls once before its first row
    int rows = 0, previews = 0;
    std::function<void(int row)> beforeRow;
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

// Where a round runs: the file system, its files (path -> content, every content
// unique) and the folders ("...\\") the list's files come from and go to.
struct Scene {
    fw::FileSystem& fs;
    std::function<void(const std::string& path, const std::string& content)> addFile;
    std::function<PathMap()> snapshot;
    std::vector<std::string> sources;
    std::string folder;
};

// Faults of a round, set up before the run: `before` is the disk the run starts from
// (a file deleted mid-run must leave it).
using Faults = std::function<void(std::mt19937&, lists::ListModel&, ScriptedHost&, PathMap& before)>;

inline void RandomRound(std::mt19937& rng, const Scene& scene, const Faults& faults)
{
    using fileops::OverwriteAnswer;
    const char* const names[] = {"a",     "A.jpg",        "a.jpg",  "b.jpg",
                                 "1.jpg", "\x95\x5c.jpg", "README", "~mv0.tmp"};
    const char* const patterns[] = {"", "%f.%e", "%c.%e", "x.%e", "%if.%ie", "%c"};
    const OverwriteAnswer answers[] = {OverwriteAnswer::Overwrite, OverwriteAnswer::Skip,
                                       OverwriteAnswer::OverwriteAll, OverwriteAnswer::SkipAll,
                                       OverwriteAnswer::None};
    auto pick = [&](const auto& array) { return array[rng() % std::size(array)]; };
    fw::FileSystem& fs = scene.fs;
    for (int i = rng() % 5; i > 0; --i) {
        const std::string path = scene.folder + pick(names);
        scene.addFile(path, "old " + path);
        if (rng() % 4 == 0)
            fs.SetAttributes(path, fw::kAttrReadOnly);
    }
    lists::ListModel list(0, fs);
    for (int i = 1 + rng() % 8; i > 0; --i) {
        const std::string path = (rng() % 3 ? pick(scene.sources) : scene.folder) + pick(names);
        if (fs.Attributes(path) == fw::kAttrInvalid)
            scene.addFile(path, "new " + path);
        list.Insert(path);
    }
    fileops::MovePlan plan = fileops::MovePlan::Build(list.Paths().Paths(), scene.folder,
                                                      lists::FilterPattern("*"), pick(patterns), fs);
    if (!plan.Validate() && rng() % 4)
        plan.Exclude(plan.InvalidRows());  // as the preview ends; otherwise run an unchecked plan
    if (rng() % 4 == 0)
        plan.Exclude({rng() % plan.Rows().size()});
    ScriptedHost host;
    for (int i = 0; i < 8; ++i)
        host.answers.push_back(pick(answers));
    host.escapeAtPoll = rng() % 12;
    const std::deque<OverwriteAnswer> given = host.answers;
    const PathSet original(list.Paths().begin(), list.Paths().end());
    const auto action = rng() % 2 ? fileops::Action::Move : fileops::Action::Copy;
    const bool reload = rng() % 2;
    PathMap before;
    faults(rng, list, host, before);
    before = scene.snapshot();
    PathSet readOnly;
    for (const auto& file : before)
        if (fs.Attributes(file.first) & fw::kAttrReadOnly)
            readOnly.insert(file.first);

    const fileops::RunResult result = fileops::RunPlan(plan, action, fs, host);
    host.beforeRow = nullptr;  // releases what the faults hold
    fileops::ApplyRun(list, plan, result, action, reload);
    const PathMap after = scene.snapshot();

    // Destinations as Windows names them (trailing dots and spaces dropped) and as asked.
    const std::string& folder = plan.Folder();
    const auto canonical = [&](const std::string& path) {
        const bool in = lists::ComparePaths(path.substr(0, folder.size()), folder) == 0;
        return in ? folder +
                        std::string(fileops::NameKey(path.substr(folder.size()), plan.Order().CodePage()))
                  : path;
    };
    const auto holds = [&](const std::string& path, const std::string* content = nullptr) {
        auto found = after.find(path);
        found = found != after.end() ? found : after.find(canonical(path));
        return found != after.end() && (!content || found->second == *content);
    };
    PathSet agreed, targets;  // the destinations the user agreed to lose; every destination
    PathMap going;            // where each source was going
    bool all = false;
    for (size_t asked = 0; const fileops::PlanRow& row : plan.Rows()) {
        const std::string to = folder + row.newName;
        if (row.newName.empty())
            continue;
        going[row.source] = to;
        targets.insert({to, canonical(to)});
        const bool ask = asked < host.asked.size() && lists::ComparePaths(host.asked[asked], to) == 0;
        const OverwriteAnswer answer = ask ? given[asked++] : OverwriteAnswer::None;
        all = all || answer == OverwriteAnswer::OverwriteAll;
        if (answer == OverwriteAnswer::Overwrite || all)
            agreed.insert({to, canonical(to)});
    }
    const bool move = action == fileops::Action::Move;
    for (const auto& [path, was] : before) {
        const auto to = going.find(path);
        // A move may land on a name whose overwrite was agreed to by a later row.
        const bool moved = move && to != going.end() && (agreed.count(to->second) || holds(to->second, &was));
        EXPECT_TRUE(agreed.count(path) || holds(path, &was) || moved) << "lost " << path;
        EXPECT_TRUE(!readOnly.count(path) || going.count(path) || holds(path, &was)) << "read-only " << path;
    }
    std::set<std::string> contents;
    for (const auto& file : before)
        contents.insert(file.second);
    for (const auto& [path, now] : after)  // a staged copy stays only when its removal failed too: a copy
        EXPECT_TRUE(before.count(path) || targets.count(path) ||
                    (path.find("\\~mv") != std::string::npos && contents.count(now)))
            << "stray " << path;
    const PathSet listed(list.Paths().begin(), list.Paths().end());
    const PathSet arrived(result.arrived.begin(), result.arrived.end());
    for (const std::string& path : listed)
        EXPECT_TRUE(holds(path)) << "listed but missing " << path;
    for (const fileops::PlanRow& row : plan.Rows())
        EXPECT_TRUE(row.ExistingOnly() || !holds(row.source) || arrived.count(row.source) ||
                    (move && row.completed) != (listed.count(row.source) != 0))
            << row.source;
    for (const std::string& path : result.arrived)
        EXPECT_TRUE(reload ? !holds(path) || listed.count(path) : !listed.count(path) || original.count(path))
            << path;
}

}  // namespace run_check
