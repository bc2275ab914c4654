#include <gtest/gtest.h>

#include "tests/support/memory_filesystem.h"
#include "lists/drop_loader.h"
#include "lists/list_set.h"
#include "tests/lists/recording_view.h"
#include "tests/support/scripted_prompts.h"

namespace {

using testing_support::Utf8;
using Paths = std::vector<std::string>;

const char kFolderQuestion[] = "ディレクトリが含まれています。\r\n読み込みますか？";
const char kSubfolderQuestion[] = "サブディレクトリも読み込みますか？";

// Escape is reported at the escapeAt-th test of it (counted from 1).
class FakeEnvironment final : public lists::LoadEnvironment {
public:
    bool EscapePressed() override { return ++tests == escapeAt; }
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
    int tests = 0;
    int escapeAt = -1;
    int waits = 0;
};

class DropLoaderTest : public ::testing::Test {
protected:
    DropLoaderTest() : lists(fs)
    {
        list().SetFilter("*.jpg");
        list().SetView(&view);
        for (const char* path : {"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg",
                                 "C:\\f\\e.jpg", "C:\\f\\f.txt"})
            fs.AddFile(path);
    }
    lists::ListModel& list() { return lists.List(0); }
    int Drop(const Paths& dropped, bool confirm = true)
    {
        return lists::LoadDroppedFiles(list(), dropped, confirm, lists.SharedLastFolder(), fs, env);
    }
    Paths Loaded() const { return lists.List(0).Paths().Paths(); }

    testing_support::MemoryFileSystem fs;
    lists::ListSet lists;
    testing_support::RecordingView view;
    FakeEnvironment env;
    testing_support::ScriptedPrompts prompts;
};

TEST_F(DropLoaderTest, FolderAndSubfolderQuestionsAreAskedAtMostOncePerDrop)
{
    const struct {
        const char* what;
        Paths dropped;
        bool confirm;
        std::vector<int> answers;
        std::vector<std::string> questions;
        Paths loaded;
    } cases[] = {
        {"one folder: no folder question",
         {"C:\\d1"},
         true,
         {fw::kIdNo},
         {kSubfolderQuestion},
         {"C:\\d1\\a.jpg"}},
        {"folder and file",
         {"C:\\d1", "C:\\f\\e.jpg"},
         true,
         {fw::kIdYes, fw::kIdNo},
         {kFolderQuestion, kSubfolderQuestion},
         {"C:\\d1\\a.jpg", "C:\\f\\e.jpg"}},
        {"folders refused",
         {"C:\\d1", "C:\\f\\e.jpg", "C:\\d2"},
         true,
         {fw::kIdNo},
         {kFolderQuestion},
         {"C:\\f\\e.jpg"}},
        {"two folders share both answers",
         {"C:\\d1", "C:\\d2"},
         true,
         {fw::kIdYes, fw::kIdYes},
         {kFolderQuestion, kSubfolderQuestion},
         {"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg"}},
        {"no confirmation",
         {"C:\\d1", "C:\\d2", "C:\\f\\f.txt"},
         false,
         {},
         {},
         {"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg"}},
    };
    for (const auto& c : cases) {
        list().ClearList();
        testing_support::ScriptedPrompts scripted;
        for (int answer : c.answers)
            scripted.Answer(answer);
        Drop(c.dropped, c.confirm);
        std::vector<std::string> questions;
        for (const auto& shown : scripted.All()) {
            questions.push_back(Utf8(shown.text));
            EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, shown.flags);
        }
        EXPECT_EQ(c.questions, questions) << c.what;
        EXPECT_EQ(c.loaded, Loaded()) << c.what;
    }
    EXPECT_EQ(0, env.waits);
}

TEST_F(DropLoaderTest, SkipsWhatCannotBeReadOrIsFilteredAndTreatsSystemFoldersAsFiles)
{
    fs.AddFolder("C:\\sys.jpg", fw::kAttrSystem);
    fs.AddFile("C:\\" + std::string(252, 'x') + ".jpg");  // 259 bytes
    const std::string tooLong = "C:\\" + std::string(253, 'x') + ".jpg";
    fs.AddFile(tooLong);
    Drop({"", "C:\\missing.jpg", "C:\\f\\f.txt", tooLong, "C:\\sys.jpg",
          "C:\\" + std::string(252, 'x') + ".jpg"});
    EXPECT_EQ((Paths{"C:\\sys.jpg", "C:\\" + std::string(252, 'x') + ".jpg"}), Loaded());
    EXPECT_EQ(0u, prompts.Count());
}

TEST_F(DropLoaderTest, EscapeStopsBeforeTheNextItemAndTheLoadStillCompletes)
{
    lists.List(3).InsertAndSelect("C:\\f\\e.jpg");
    env.escapeAt = 3;  // the first test clears an old press, the second precedes item 1
    Drop({"C:\\f\\e.jpg", "C:\\d2\\c.jpg"});
    EXPECT_EQ(Paths{"C:\\f\\e.jpg"}, Loaded());
    EXPECT_EQ(0, lists.List(3).GetCount());
    EXPECT_EQ("0:   1/  1 C:\\f\\e.jpg", view.caption);
}

TEST_F(DropLoaderTest, ShowsTheNewEntryThatSortsFirstAndRemembersTheLastFolder)
{
    for (const char* path : {"C:\\d2\\a.jpg", "C:\\d2\\b.jpg", "C:\\f\\a.jpg"})
        list().InsertAndSelect(path);
    lists.List(9).InsertAndSelect("C:\\D2\\C.JPG");
    prompts.Answer(fw::kIdYes).Answer(fw::kIdNo);
    view.Reset();
    // e.jpg goes in at 3, then c.jpg (found in d2) at 2; the second e.jpg is refused.
    EXPECT_EQ(2, Drop({"C:\\f\\e.jpg", "C:\\d2", "C:\\F\\E.JPG"}));
    EXPECT_EQ((Paths{"C:\\d2\\a.jpg", "C:\\d2\\b.jpg", "C:\\d2\\c.jpg", "C:\\f\\a.jpg", "C:\\f\\e.jpg"}),
              Loaded());
    EXPECT_EQ("C:\\d2\\c.jpg", view.displayed.back());
    EXPECT_EQ(2, list().Position());
    EXPECT_EQ(0, lists.List(9).GetCount());
    EXPECT_EQ("C:\\d2", list().LastFolder());
    EXPECT_EQ("C:\\d2", lists.SharedLastFolder());

    // A folder that brings nothing new is a candidate of index 0.
    fs.AddFile("C:\\z\\z.jpg");
    prompts.Answer(fw::kIdYes).Answer(fw::kIdNo);
    EXPECT_EQ(0, Drop({"C:\\d2", "C:\\z\\z.jpg"}));
    EXPECT_EQ("C:\\z\\z.jpg", list().Paths().Paths().back());
}

TEST_F(DropLoaderTest, ManyDroppedFilesGoIntoALargeList)
{
    std::vector<std::string> existing;
    for (int i = 0; i < 100000; ++i)
        existing.push_back("C:\\big\\" + std::to_string(1000000 + 2 * i) + ".jpg");
    list().InsertMany(existing);
    Paths dropped;
    for (int i = 0; i < 10000; ++i) {
        dropped.push_back("C:\\big\\" + std::to_string(1000000 + 2 * (10000 - i) + 1) + ".jpg");
        fs.AddFile(dropped.back());
    }
    dropped.push_back(existing[5]);  // already listed
    fs.AddFile(existing[5]);
    EXPECT_EQ(2, Drop(dropped));  // 1000003 sorts after 1000000 and 1000002
    EXPECT_EQ(110000, list().GetCount());
}

}  // namespace
