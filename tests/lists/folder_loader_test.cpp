#include <gtest/gtest.h>

#include "framework/core/memory_filesystem.h"
#include "lists/folder_loader.h"
#include "lists/list_set.h"
#include "tests/lists/recording_view.h"
#include "tests/support/scripted_prompts.h"

namespace {

using lists::Answer;
using testing_support::RecordingView;
using testing_support::ScriptedPrompts;
using testing_support::Utf8;

// Escape is reported pressed at the given tests of it (counted from 1).
class FakeEnvironment final : public lists::LoadEnvironment {
public:
    bool EscapePressed() override { return ++tests == escapeAt; }
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
    int tests = 0;
    int escapeAt = -1;
    int waits = 0;
};

class FolderLoaderTest : public ::testing::Test {
protected:
    FolderLoaderTest() : lists(fs)
    {
        list().SetFilter("*.jpg");
        list().SetView(&view);
    }
    lists::ListModel& list() { return lists.List(0); }
    int Load(const std::string& folder, Answer& answer, const lists::LoadCondition* condition = nullptr)
    {
        return lists::LoadFolder(list(), folder, answer, condition, fs, env);
    }
    std::vector<std::string> Paths() const { return lists.List(0).Paths().Paths(); }

    fw::MemoryFileSystem fs;
    lists::ListSet lists;
    RecordingView view;
    FakeEnvironment env;
    ScriptedPrompts prompts;
};

const char kAskSubfolders[] = "サブディレクトリも読み込みますか？";

TEST_F(FolderLoaderTest, SubfolderQuestionIsAskedOnceAndHonoured)
{
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\s1\\b.jpg", "C:\\p\\s2\\c.jpg", "C:\\p\\s2\\t\\d.jpg"})
        fs.AddFile(path);
    const struct {
        int answer;
        std::vector<std::string> loaded;
    } cases[] = {
        {fw::kIdNo, {"C:\\p\\a.jpg"}},
        {fw::kIdYes, {"C:\\p\\a.jpg", "C:\\p\\s1\\b.jpg", "C:\\p\\s2\\c.jpg", "C:\\p\\s2\\t\\d.jpg"}}};
    for (const auto& c : cases) {
        list().ClearList();
        prompts.Answer(c.answer);
        size_t before = prompts.Count();
        Answer answer = Answer::NotAsked;
        Load("C:\\p", answer);
        ASSERT_EQ(before + 1, prompts.Count());
        EXPECT_EQ(kAskSubfolders, Utf8(prompts.Last().text));
        EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, prompts.Last().flags);
        EXPECT_EQ(c.loaded, Paths());
        EXPECT_EQ(0, env.waits);
    }
}

TEST_F(FolderLoaderTest, DotFoldersAreNeverEnteredButDotFilesLoad)
{
    for (const char* path : {"C:\\p\\.svn\\x.jpg", "C:\\p\\.hidden.jpg"})
        fs.AddFile(path);
    Answer answer = Answer::Yes;
    Load("C:\\p\\", answer);
    EXPECT_EQ(std::vector<std::string>{"C:\\p\\.hidden.jpg"}, Paths());
    EXPECT_EQ(0u, prompts.Count());
}

TEST_F(FolderLoaderTest, ConditionAppliesNamePatternAndInclusiveSizeBounds)
{
    const std::pair<const char*, int64_t> files[] = {{"C:\\x\\abc1.jpg", 10240},
                                                     {"C:\\x\\abc2.jpg", 10239},
                                                     {"C:\\x\\abc3.jpg", 10241},
                                                     {"C:\\x\\z.jpg", 10240}};
    for (auto [path, size] : files)
        fs.AddFile(path, "", 1, size);
    const struct {
        const char* pattern;
        bool minimum;
        bool maximum;
        std::vector<std::string> loaded;
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
        Answer answer = Answer::No;
        Load("C:\\x", answer, &condition);
        EXPECT_EQ(c.loaded, Paths()) << c.pattern;
    }
}

TEST_F(FolderLoaderTest, EnumerationFailureIsReportedAndTheScanGoesOn)
{
    fs.AddFile("C:\\p\\a.jpg");
    prompts.Answer(fw::kIdOk);
    Answer answer = Answer::No;
    Load("C:\\missing", answer);
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ("検索に失敗しました。\r\nC:\\missing\\*.*\r\nThe system cannot find the path specified.",
              Utf8(prompts.Last().text));
    EXPECT_EQ(unsigned{fw::kMbIconHand}, prompts.Last().flags);
}

TEST_F(FolderLoaderTest, EscapeAbandonsTheCurrentFolderAndKeepsWhatWasFound)
{
    // Entries of C:\p: ".", "..", a.jpg, s (pushed), b.jpg; then s: ".", "..", c.jpg.
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\s\\c.jpg", "C:\\p\\b.jpg"})
        fs.AddFile(path);
    env.escapeAt = 5;  // at b.jpg
    Answer answer = Answer::Yes;
    Load("C:\\p", answer);
    EXPECT_EQ((std::vector<std::string>{"C:\\p\\a.jpg", "C:\\p\\s\\c.jpg"}), Paths());
    EXPECT_EQ("0:   1/  2 C:\\p\\a.jpg", view.caption);
}

TEST_F(FolderLoaderTest, ShowsTheNewEntryThatSortsFirst)
{
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\c.jpg", "C:\\p\\e.jpg"})
        list().InsertAndSelect(path);
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\e.jpg", "C:\\p\\d.jpg", "C:\\p\\b.jpg"})
        fs.AddFile(path);
    lists.List(7).InsertAndSelect("C:\\p\\d.jpg");
    Answer answer = Answer::No;
    view.Reset();
    EXPECT_EQ(1, Load("C:\\p", answer));
    EXPECT_EQ(std::vector<std::string>{"C:\\p\\b.jpg"}, view.displayed);
    EXPECT_EQ(0, lists.List(7).GetCount());  // a file sits in one list only

    view.Reset();
    EXPECT_EQ(0, Load("C:\\p", answer));  // nothing new: the first entry
    EXPECT_EQ(std::vector<std::string>{"C:\\p\\a.jpg"}, view.displayed);
}

TEST_F(FolderLoaderTest, CommandLineLoadsFilesAndFoldersWithOneQuestion)
{
    std::vector<std::string> tokens;
    for (int i = 0; i < 10; ++i)
        tokens.push_back("C:\\f\\" + std::to_string(i) + ".jpg");
    for (const std::string& token : tokens)
        fs.AddFile(token);
    for (const char* folder : {"C:\\d1", "C:\\d2"})
        fs.AddFile(std::string(folder) + "\\sub\\x.jpg");
    fs.AddFile("C:\\f\\skip.txt");
    tokens.insert(tokens.end(), {"C:\\d1", "C:\\nothing.jpg", "C:\\f\\skip.txt", "C:\\d2"});
    prompts.Answer(fw::kIdYes);
    lists::LoadCommandLine(list(), tokens, fs, env);
    EXPECT_EQ(1u, prompts.Count());
    EXPECT_EQ(12, list().GetCount());
    EXPECT_EQ("C:\\d1\\sub\\x.jpg", Paths()[0]);
    EXPECT_EQ(std::string("0:   1/ 12 ") + Paths()[0], view.caption);
}

}  // namespace
