// The run over the real Win32 file functions: random lists into a folder with random
// existing (some read-only) files, random overwrite answers, Escape at a random row,
// and faults injected while the run goes on: a source deleted or held open without
// sharing, a destination held open.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>

#include "framework/win/handles.h"
#include "tests/fileops/run_check.h"
#include "tests/support/test_files.h"

namespace {

using fileops::Action;
using fileops::OverwriteAnswer;

// Every file below `folder` with its content.
void Snapshot(const std::string& folder, run_check::PathMap& files)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Snapshot(path, files);
            continue;
        }
        std::string content;
        fw::SystemFileSystem()->ReadAll(path, content);
        files[path] = content;
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

fw::UniqueHandle HoldOpen(const std::string& path)
{
    return fw::UniqueHandle(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(RunPropertyWin32, NoFileIsLostAndTheListFollowsTheDisk)
{
    run_check::AcceptingPrompts prompts;
    // "\x95\x5c" is a double-byte character whose trail byte is "\".
    const char* const names[] = {"a",     "A.jpg",        "a.jpg",  "b.jpg",
                                 "1.jpg", "\x95\x5c.jpg", "README", "~mv0.tmp"};
    const char* const patterns[] = {"", "%f.%e", "%c.%e", "x.%e", "%if.%ie"};
    const OverwriteAnswer answers[] = {OverwriteAnswer::Overwrite, OverwriteAnswer::Skip,
                                       OverwriteAnswer::OverwriteAll, OverwriteAnswer::SkipAll,
                                       OverwriteAnswer::None};
    std::mt19937 rng(11);
    auto pick = [&](auto& array) { return array[rng() % std::size(array)]; };
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        testing_support::TestFiles files;
        fw::FileSystem& fs = files.Fs();
        const std::string folder = files.AddFolder("dst") + "\\";
        for (int i = rng() % 5; i > 0; --i) {
            const std::string relative = std::string("dst\\") + pick(names);
            const std::string path = files.AddFile(relative, "old " + relative);
            if (rng() % 4 == 0)
                fs.SetAttributes(path, fw::kAttrReadOnly);
        }
        lists::ListModel list(0, fs);
        for (int i = 1 + rng() % 8; i > 0; --i) {
            const char* const folders[] = {"src\\", "src2\\", "dst\\"};
            const std::string relative = pick(folders) + std::string(pick(names));
            list.Insert(files.Exists(relative) ? files.Path(relative)
                                               : files.AddFile(relative, "new " + relative));
        }
        fileops::MovePlan plan = fileops::MovePlan::Build(list.Paths().Paths(), folder,
                                                          lists::FilterPattern("*"), pick(patterns), fs);
        if (!plan.Validate() && rng() % 4)
            plan.Exclude(plan.InvalidRows());

        run_check::RunRecord run;
        Snapshot(files.Root(), run.before);
        for (const auto& [path, content] : run.before)
            if (fs.Attributes(path) & fw::kAttrReadOnly)
                run.readOnly.insert(path);

        // Faults at random rows. A file the test deletes is no loss of the run's: its
        // content (unique to one file) no longer counts.
        run_check::ScriptedHost host;
        std::vector<fw::UniqueHandle> held;
        const int faultRow = static_cast<int>(rng() % 8);
        const int fault = static_cast<int>(rng() % 4);
        const std::string victim = list.Paths()[rng() % list.GetCount()];
        const std::string heldTarget = folder + pick(names);
        host.beforeRow = [&](int row) {
            if (row != faultRow)
                return;
            std::string content;
            if (fault == 0 && fs.ReadAll(victim, content) && fs.Delete(victim) == 0)
                std::erase_if(run.before, [&](const auto& file) { return file.second == content; });
            else if (fault == 1)
                held.push_back(HoldOpen(victim));
            else if (fault == 2)
                held.push_back(HoldOpen(heldTarget));
        };
        for (int i = 0; i < 8; ++i)
            host.answers.push_back(pick(answers));
        host.escapeAtPoll = static_cast<int>(rng() % 12);
        run.given = host.answers;
        run.original.insert(list.Paths().begin(), list.Paths().end());
        run.action = rng() % 2 ? Action::Move : Action::Copy;
        run.reload = rng() % 2;
        fileops::RunResult result = fileops::RunPlan(plan, run.action, fs, host);
        held.clear();
        fileops::ApplyRun(list, plan, result, run.action, run.reload);

        run.host = &host;
        run.plan = &plan;
        run.result = &result;
        run_check::PathMap after;
        Snapshot(files.Root(), after);
        run_check::CheckRun(run, after, list);
        if (HasFailure())
            break;  // one round's report is enough
    }
}

}  // namespace
