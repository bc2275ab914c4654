// What the lists tests share: the 36 lists over an in-memory file system, list 0 in a
// view that keeps what its window would show, a load environment and scripted boxes.
#pragma once

#include <gtest/gtest.h>

#include "lists/folder_loader.h"
#include "lists/list_set.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/scripted_prompts.h"

namespace lists_test {

using Paths = std::vector<std::string>;
using testing_support::Utf8;

class RecordingView final : public lists::ListView {
public:
    void SetScrollRange(int max, bool redraw) override
    {
        ranges.push_back(std::to_string(max) + (redraw ? "r" : ""));
    }
    void SetScrollPosition(int, bool) override {}
    bool IsActive() const override { return active; }
    void PreloadFile(const std::string& path) override { shown.push_back("preload " + path); }
    void DisplayFile(const std::string& path) override { shown.push_back(path); }
    void SetCaption(const std::string& text) override { caption = text; }
    void StartRecheckTimer(unsigned milliseconds) override { timer = milliseconds; }
    void StopRecheckTimer() override { timer = 0; }
    void Reset() { ranges.clear(), shown.clear(), caption.clear(); }

    bool active = false;
    Paths ranges;  // scroll ranges set, "max" or "maxr" (redrawn)
    Paths shown;   // displayed paths and "preload <path>", in order
    std::string caption;
    unsigned timer = 0;  // the recheck timer's period while it runs
};

// Escape is down at the escapeAt-th test of it (counted from 1).
class Environment final : public lists::LoadEnvironment {
public:
    bool EscapePressed() override { return ++tests == escapeAt; }
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
    int tests = 0, escapeAt = -1, waits = 0;
};

class ListsTest : public ::testing::Test {
protected:
    ListsTest() : lists(fs) { list().SetView(&view); }
    lists::ListModel& list() { return lists.List(0); }
    Paths Listed() { return list().Paths().Paths(); }
    // Files on the disk (size in bytes), listed in list 0 in this order.
    void List(const Paths& paths, int64_t size = -1)
    {
        for (const std::string& path : paths) {
            fs.AddFile(path, "", 1, size);
            EXPECT_TRUE(list().InsertAndSelect(path)) << path;
        }
        view.Reset();
    }

    testing_support::MemoryFileSystem fs;
    lists::ListSet lists;
    RecordingView view;
    Environment env;
    testing_support::ScriptedPrompts prompts;
};

}  // namespace lists_test
