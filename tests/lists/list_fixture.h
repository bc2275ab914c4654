// What the lists tests share: the 36 lists over an in-memory file system, list 0 in a
// recording view, a load environment and scripted boxes.
#pragma once

#include <gtest/gtest.h>

#include "lists/folder_loader.h"
#include "lists/list_set.h"
#include "tests/lists/recording_view.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/scripted_prompts.h"

namespace lists_test {

using Paths = std::vector<std::string>;
using testing_support::RecordingView;
using testing_support::Utf8;

// Escape is down at the escapeAt-th test of it (counted from 1).
struct Environment final : lists::LoadEnvironment {
    bool EscapePressed() override { return ++tests == escapeAt; }
    int tests = 0, escapeAt = -1;
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
