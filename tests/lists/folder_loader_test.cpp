#include <gtest/gtest.h>

#include "tests/support/memory_filesystem.h"
#include "lists/folder_loader.h"
#include "lists/list_set.h"
#include "tests/lists/recording_view.h"
#include "tests/support/scripted_prompts.h"

namespace {

using lists::Answer;
using testing_support::Utf8;
using Paths = std::vector<std::string>;

// Escape is reported at the escapeAt-th test of it (counted from 1).
class FakeEnvironment final : public lists::LoadEnvironment {
public:
    bool EscapePressed() override { return ++tests == escapeAt; }
    int tests = 0;
    int escapeAt = -1;
};

class FolderLoaderTest : public ::testing::Test {
protected:
    FolderLoaderTest() : lists(fs)
    {
        list().SetFilter("*.jpg");
        list().SetView(&view);
    }
    lists::ListModel& list() { return lists.List(0); }
    int Load(const std::string& folder, Answer answer, const lists::LoadCondition* condition = nullptr)
    {
        return lists::LoadFolder(list(), folder, answer, condition, fs, env);
    }
    void Add(std::initializer_list<const char*> paths)
    {
        for (const char* path : paths)
            fs.AddFile(path);
    }
    Paths Loaded() const { return lists.List(0).Paths().Paths(); }

    testing_support::MemoryFileSystem fs;
    lists::ListSet lists;
    testing_support::RecordingView view;
    FakeEnvironment env;
    testing_support::ScriptedPrompts prompts;
};

TEST_F(FolderLoaderTest, SubfolderAnswerIsAskedOnceAndDotFoldersAreNeverEntered)
{
    Add({"C:\\p\\a.jpg", "C:\\p\\s\\b.jpg", "C:\\p\\s\\t\\c.jpg", "C:\\p\\u\\d.jpg", "C:\\p\\.svn\\e.jpg",
         "C:\\p\\.f.jpg"});
    const std::pair<int, Paths> cases[] = {
        {fw::kIdNo, {"C:\\p\\.f.jpg", "C:\\p\\a.jpg"}},
        {fw::kIdYes,
         {"C:\\p\\.f.jpg", "C:\\p\\a.jpg", "C:\\p\\s\\b.jpg", "C:\\p\\s\\t\\c.jpg", "C:\\p\\u\\d.jpg"}}};
    for (const auto& [answer, loaded] : cases) {
        list().ClearList();
        prompts.Answer(answer);
        const size_t before = prompts.Count();
        Load("C:\\p", Answer::NotAsked);
        ASSERT_EQ(before + 1, prompts.Count());
        EXPECT_EQ("サブディレクトリも読み込みますか？", Utf8(prompts.Last().text));
        EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, prompts.Last().flags);
        EXPECT_EQ(loaded, Loaded());
    }
}

TEST_F(FolderLoaderTest, ConditionAppliesNamePatternAndInclusiveSizeBounds)
{
    const std::pair<const char*, int64_t> files[] = {{"C:\\x\\abc1.jpg", 10240},
                                                     {"C:\\x\\abc2.jpg", 10239},
                                                     {"C:\\x\\abc3.jpg", 10241},
                                                     {"C:\\x\\z.jpg", 0}};
    for (auto [path, size] : files)
        fs.AddFile(path, "", 1, size);
    const struct {
        const char* pattern;
        bool minimum, maximum;
        Paths loaded;
    } cases[] = {
        {"*ABC*", true, false, {"C:\\x\\abc1.jpg", "C:\\x\\abc3.jpg"}},
        {"*ABC*", false, true, {"C:\\x\\abc1.jpg", "C:\\x\\abc2.jpg"}},
        {"ABC*", false, false, {}},  // the whole path is matched
        {"", false, false, {}},      // an empty pattern accepts nothing
    };
    for (const auto& c : cases) {
        list().ClearList();
        lists::LoadCondition condition;
        condition.namePattern = c.pattern;
        condition.minimumOn = c.minimum;
        condition.maximumOn = c.maximum;
        condition.minimumKBytes = condition.maximumKBytes = 10;
        Load("C:\\x", Answer::No, &condition);
        EXPECT_EQ(c.loaded, Loaded()) << c.pattern;
    }
}

TEST_F(FolderLoaderTest, EnumerationFailureIsReported)
{
    prompts.Answer(fw::kIdOk);
    Load("C:\\missing", Answer::No);
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ("検索に失敗しました。\r\nC:\\missing\\*.*\r\nThe system cannot find the path specified.",
              Utf8(prompts.Last().text));
    EXPECT_EQ(unsigned{fw::kMbIconHand}, prompts.Last().flags);
}

TEST_F(FolderLoaderTest, EscapeAbandonsTheCurrentFolderAndKeepsWhatWasFound)
{
    // C:\p lists ".", "..", a.jpg, s, b.jpg; then s lists ".", "..", c.jpg.
    Add({"C:\\p\\a.jpg", "C:\\p\\s\\c.jpg", "C:\\p\\b.jpg"});
    env.escapeAt = 5;
    Load("C:\\p", Answer::Yes);
    EXPECT_EQ((Paths{"C:\\p\\a.jpg", "C:\\p\\s\\c.jpg"}), Loaded());
    EXPECT_EQ("0:   1/  2 C:\\p\\a.jpg", view.caption);
}

TEST_F(FolderLoaderTest, ShowsTheNewEntryThatSortsFirstAndTakesItFromOtherLists)
{
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\c.jpg", "C:\\p\\e.jpg"})
        list().InsertAndSelect(path);
    Add({"C:\\p\\a.jpg", "C:\\p\\e.jpg", "C:\\p\\d.jpg", "C:\\p\\b.jpg"});
    lists.List(7).InsertAndSelect("C:\\p\\d.jpg");
    view.Reset();
    EXPECT_EQ(1, Load("C:\\p", Answer::No));
    EXPECT_EQ(Paths{"C:\\p\\b.jpg"}, view.displayed);
    EXPECT_EQ(0, lists.List(7).GetCount());
    view.Reset();
    EXPECT_EQ(0, Load("C:\\p", Answer::No));  // nothing new: the first entry
    EXPECT_EQ(Paths{"C:\\p\\a.jpg"}, view.displayed);
}

TEST_F(FolderLoaderTest, CommandLineSharesOneSubfolderAnswer)
{
    Add({"C:\\f\\1.jpg", "C:\\f\\2.txt", "C:\\d1\\sub\\x.jpg", "C:\\d2\\sub\\y.jpg"});
    prompts.Answer(fw::kIdYes);
    lists::LoadCommandLine(list(), {"C:\\d1", "C:\\nothing.jpg", "C:\\f\\2.txt", "C:\\f\\1.jpg", "C:\\d2"},
                           fs, env);
    EXPECT_EQ(1u, prompts.Count());
    EXPECT_EQ((Paths{"C:\\d1\\sub\\x.jpg", "C:\\d2\\sub\\y.jpg", "C:\\f\\1.jpg"}), Loaded());
    EXPECT_EQ("0:   1/  3 C:\\d1\\sub\\x.jpg", view.caption);
}

}  // namespace
