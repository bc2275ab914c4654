// The run over the real Win32 file functions, with faults injected while it goes on:
// a source deleted or held open without sharing, a destination held open.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "framework/win/handles.h"
#include "tests/fileops/run_check.h"
#include "tests/support/test_files.h"

namespace {

// Every file below `folder` with its content.
void Snapshot(fw::FileSystem& fs, const std::string& folder, run_check::PathMap& files)
{
    fs.Enumerate(folder + "\\*.*", [&](const fw::DirEntry& entry) {
        const std::string path = folder + "\\" + entry.name;
        if (!(entry.info.attributes & fw::kAttrDirectory))
            fs.ReadAll(path, files[path]);
        else if (entry.name != "." && entry.name != "..")
            Snapshot(fs, path, files);
        return true;
    });
}

TEST(RunPropertyWin32, NoFileIsLostAndTheListFollowsTheDisk)
{
    run_check::AcceptingPrompts prompts;
    std::mt19937 rng(11);
    for (int round = 0; round < 100 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        testing_support::TestFiles files;
        fw::FileSystem& fs = files.Fs();
        const std::string root = files.Root();
        const run_check::Scene scene{fs,
                                     [&](const std::string& path, const std::string& content) {
                                         files.AddFile(path.substr(root.size() + 1), content);
                                     },
                                     [&] {
                                         run_check::PathMap snapshot;
                                         Snapshot(fs, root, snapshot);
                                         return snapshot;
                                     },
                                     {root + "\\src\\", root + "\\src2\\"},
                                     files.AddFolder("dst") + "\\"};
        run_check::RandomRound(
            rng, scene,
            [&](std::mt19937& r, lists::ListModel& list, run_check::ScriptedHost& host,
                run_check::PathMap& before) {
                // A file the test deletes is no loss of the run's: its content no longer counts.
                const int faultRow = r() % 8, fault = r() % 4;
                const std::string victim = list.Paths()[r() % list.GetCount()];
                const std::string heldTarget = scene.folder + (r() % 2 ? "a.jpg" : "b.jpg");
                auto held = std::make_shared<std::vector<fw::UniqueHandle>>();
                host.beforeRow = [&fs, &before, faultRow, fault, victim, heldTarget, held](int row) {
                    const auto hold = [&](const std::string& path) {
                        held->emplace_back(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr));
                    };
                    std::string content;
                    if (row != faultRow)
                        return;
                    if (fault == 0 && fs.ReadAll(victim, content) && fs.Delete(victim) == 0)
                        std::erase_if(before, [&](const auto& file) { return file.second == content; });
                    else if (fault == 1)
                        hold(victim);
                    else if (fault == 2)
                        hold(heldTarget);
                };
            });
    }
}

}  // namespace
