#include "lists/drop_loader.h"
#include "lists/folder_loader.h"
#include "tests/lists/list_fixture.h"

namespace {

using lists::Answer;
using lists_test::Paths;
using lists_test::Utf8;

const char kFolderQuestion[] = "ディレクトリが含まれています。\r\n読み込みますか？";
const char kSubfolderQuestion[] = "サブディレクトリも読み込みますか？";

class LoaderTest : public lists_test::ListsTest {
protected:
    LoaderTest() { list().SetFilter("*.jpg"); }
    int Load(const std::string& folder, Answer answer = Answer::NotAsked,
             const lists::LoadCondition* condition = nullptr)
    {
        return lists::LoadFolder(list(), folder, answer, condition, fs, env);
    }
    void Add(const Paths& paths, int64_t size = -1)
    {
        for (const std::string& path : paths)
            fs.AddFile(path, "", 1, size);
    }
};

TEST_F(LoaderTest, FolderLoadAsksForSubfoldersOnceAndNeverEntersDotFolders)
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
        Load("C:\\p");
        EXPECT_EQ(loaded, Listed());
    }
    ASSERT_EQ(2u, prompts.Count());  // once per load
    EXPECT_EQ(kSubfolderQuestion, Utf8(prompts.Last().text));
    EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, prompts.Last().flags);
}

TEST_F(LoaderTest, FolderLoadConditionAppliesNamePatternAndInclusiveSizeBounds)
{
    Add({"C:\\x\\abc1.jpg"}, 10240);
    Add({"C:\\x\\abc2.jpg"}, 10239);
    Add({"C:\\x\\abc3.jpg"}, 10241);
    Add({"C:\\x\\z.jpg"}, 0);
    const struct {
        const char* pattern;
        bool minimum, maximum;
        Paths loaded;
    } cases[] = {
        {"*ABC*", true, false, {"C:\\x\\abc1.jpg", "C:\\x\\abc3.jpg"}},
        {"*ABC*", false, true, {"C:\\x\\abc1.jpg", "C:\\x\\abc2.jpg"}},
        {"", false, false, {}},  // an empty pattern accepts nothing
    };
    for (const auto& c : cases) {
        list().ClearList();
        lists::LoadCondition condition;
        condition.namePattern = c.pattern;
        condition.minimumOn = c.minimum;
        condition.maximumOn = c.maximum;
        condition.minimumKBytes = condition.maximumKBytes = 10;
        Load("C:\\x", Answer::No, &condition);
        EXPECT_EQ(c.loaded, Listed()) << c.pattern;
    }
}

TEST_F(LoaderTest, FolderLoadReportsAFailedSearch)
{
    prompts.Answer(fw::kIdOk);
    Load("C:\\missing", Answer::No);
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ("検索に失敗しました。\r\nC:\\missing\\*.*\r\nThe system cannot find the path specified.",
              Utf8(prompts.Last().text));
    EXPECT_EQ(unsigned{fw::kMbIconHand}, prompts.Last().flags);
}

TEST_F(LoaderTest, EscapeAbandonsTheFolderScanAndKeepsWhatWasFound)
{
    // C:\p lists ".", "..", a.jpg, s, b.jpg; then s lists ".", "..", c.jpg.
    Add({"C:\\p\\a.jpg", "C:\\p\\s\\c.jpg", "C:\\p\\b.jpg"});
    env.escapeAt = 5;
    Load("C:\\p", Answer::Yes);
    EXPECT_EQ((Paths{"C:\\p\\a.jpg", "C:\\p\\s\\c.jpg"}), Listed());
    EXPECT_EQ("0:   1/  2 C:\\p\\a.jpg", view.caption);
}

TEST_F(LoaderTest, FolderLoadShowsTheNewEntryThatSortsFirstAndTakesItFromOtherLists)
{
    List({"C:\\p\\a.jpg", "C:\\p\\c.jpg", "C:\\p\\e.jpg"});
    Add({"C:\\p\\d.jpg", "C:\\p\\b.jpg"});
    lists.List(7).InsertAndSelect("C:\\p\\d.jpg");
    EXPECT_EQ(1, Load("C:\\p", Answer::No));
    EXPECT_EQ(Paths{"C:\\p\\b.jpg"}, view.shown);
    EXPECT_EQ(0, lists.List(7).GetCount());
    view.Reset();
    EXPECT_EQ(0, Load("C:\\p", Answer::No));  // nothing new: the first entry
    EXPECT_EQ(Paths{"C:\\p\\a.jpg"}, view.shown);
}

TEST_F(LoaderTest, CommandLineFoldersShareOneSubfolderAnswer)
{
    Add({"C:\\f\\1.jpg", "C:\\f\\2.txt", "C:\\d1\\sub\\x.jpg", "C:\\d2\\sub\\y.jpg"});
    prompts.Answer(fw::kIdYes);
    lists::LoadCommandLine(list(), {"C:\\d1", "C:\\nothing.jpg", "C:\\f\\2.txt", "C:\\f\\1.jpg", "C:\\d2"},
                           fs, env);
    EXPECT_EQ(1u, prompts.Count());
    EXPECT_EQ((Paths{"C:\\d1\\sub\\x.jpg", "C:\\d2\\sub\\y.jpg", "C:\\f\\1.jpg"}), Listed());
    EXPECT_EQ("0:   1/  3 C:\\d1\\sub\\x.jpg", view.caption);
}

class DropTest : public LoaderTest {
protected:
    DropTest()
    {
        Add({"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg", "C:\\f\\e.jpg",
             "C:\\f\\f.txt"});
    }
    int Drop(const Paths& dropped, bool confirm = true)
    {
        return lists::LoadDroppedFiles(list(), dropped, confirm, lists.SharedLastFolder(), fs, env);
    }
};

TEST_F(DropTest, FolderAndSubfolderQuestionsAreAskedAtMostOncePerDrop)
{
    const std::string f = kFolderQuestion, s = kSubfolderQuestion;
    const Paths all = {"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg"};
    const struct {
        Paths dropped;
        bool confirm;
        std::vector<int> answers;
        Paths questions, loaded;
    } cases[] = {
        {{"C:\\d1"}, true, {fw::kIdNo}, {s}, {"C:\\d1\\a.jpg"}},  // one folder: no folder question
        {{"C:\\d1", "C:\\f\\e.jpg"},
         true,
         {fw::kIdYes, fw::kIdNo},
         {f, s},
         {"C:\\d1\\a.jpg", "C:\\f\\e.jpg"}},
        {{"C:\\d1", "C:\\f\\e.jpg", "C:\\d2"}, true, {fw::kIdNo}, {f}, {"C:\\f\\e.jpg"}},
        {{"C:\\d1", "C:\\d2"}, true, {fw::kIdYes, fw::kIdYes}, {f, s}, all},
        {{"C:\\d1", "C:\\d2", "C:\\f\\f.txt"}, false, {}, {}, all},
    };
    for (const auto& c : cases) {
        list().ClearList();
        testing_support::ScriptedPrompts scripted;
        for (int answer : c.answers)
            scripted.Answer(answer);
        Drop(c.dropped, c.confirm);
        Paths questions;
        for (const auto& shown : scripted.All()) {
            questions.push_back(Utf8(shown.text));
            EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, shown.flags);
        }
        EXPECT_EQ(c.questions, questions) << c.dropped.size();
        EXPECT_EQ(c.loaded, Listed()) << c.dropped.size();
    }
    EXPECT_EQ(0, env.waits);
}

TEST_F(DropTest, SkipsWhatCannotBeReadOrIsFilteredAndTakesSystemFoldersAsFiles)
{
    fs.AddFolder("C:\\sys.jpg", fw::kAttrSystem);
    const std::string longest = "C:\\" + std::string(252, 'x') + ".jpg";  // 259 bytes
    const std::string tooLong = "C:\\" + std::string(253, 'x') + ".jpg";
    Add({longest, tooLong});
    Drop({"", "C:\\missing.jpg", "C:\\f\\f.txt", tooLong, "C:\\sys.jpg", longest});
    EXPECT_EQ((Paths{"C:\\sys.jpg", longest}), Listed());
    EXPECT_EQ(0u, prompts.Count());
}

TEST_F(DropTest, EscapeStopsBeforeTheNextItemAndTheLoadStillCompletes)
{
    lists.List(3).InsertAndSelect("C:\\f\\e.jpg");
    env.escapeAt = 3;  // the first test clears an old press, the second precedes item 1
    Drop({"C:\\f\\e.jpg", "C:\\d2\\c.jpg"});
    EXPECT_EQ(Paths{"C:\\f\\e.jpg"}, Listed());
    EXPECT_EQ(0, lists.List(3).GetCount());
    EXPECT_EQ("0:   1/  1 C:\\f\\e.jpg", view.caption);
}

TEST_F(DropTest, ShowsTheNewEntryThatSortsFirstAndRemembersTheLastFolder)
{
    List({"C:\\d2\\a.jpg", "C:\\d2\\b.jpg", "C:\\f\\a.jpg"});
    lists.List(9).InsertAndSelect("C:\\D2\\C.JPG");
    prompts.Answer(fw::kIdYes).Answer(fw::kIdNo);
    // e.jpg goes in at 3, then c.jpg (found in d2) at 2; the second e.jpg is refused.
    EXPECT_EQ(2, Drop({"C:\\f\\e.jpg", "C:\\d2", "C:\\F\\E.JPG"}));
    EXPECT_EQ((Paths{"C:\\d2\\a.jpg", "C:\\d2\\b.jpg", "C:\\d2\\c.jpg", "C:\\f\\a.jpg", "C:\\f\\e.jpg"}),
              Listed());
    EXPECT_EQ("C:\\d2\\c.jpg", view.shown.back());
    EXPECT_EQ(2, list().Position());
    EXPECT_EQ(0, lists.List(9).GetCount());
    EXPECT_EQ("C:\\d2", list().LastFolder());
    EXPECT_EQ("C:\\d2", lists.SharedLastFolder());

    Add({"C:\\z\\z.jpg"});  // a folder that brings nothing new is a candidate of index 0
    prompts.Answer(fw::kIdYes).Answer(fw::kIdNo);
    EXPECT_EQ(0, Drop({"C:\\d2", "C:\\z\\z.jpg"}));
    EXPECT_EQ("C:\\z\\z.jpg", Listed().back());
}

}  // namespace
