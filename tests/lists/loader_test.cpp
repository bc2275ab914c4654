#include "lists/drop_loader.h"
#include "lists/folder_loader.h"
#include "tests/lists/list_fixture.h"

namespace {

using lists::Answer;
using lists_test::Paths;
using lists_test::Utf8;

const char kFolderQuestion[] = "ディレクトリが含まれています。\r\n読み込みますか？";
const char kSubfolderQuestion[] = "サブディレクトリも読み込みますか？";

// *.jpg files in C:\d1 (and its sub-folder s), C:\d2 (and t) and C:\f, which holds a .txt too.
class LoaderTest : public lists_test::ListsTest {
protected:
    LoaderTest()
    {
        list().SetFilter("*.jpg");
        for (const char* path : {"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg",
                                 "C:\\f\\e.jpg", "C:\\f\\f.txt"})
            fs.AddFile(path);
    }
    int Drop(const Paths& dropped, bool confirm = true)
    {
        return lists::LoadDroppedFiles(list(), dropped, confirm, lists.SharedLastFolder(), fs, env);
    }
};

TEST_F(LoaderTest, FolderLoadAsksForSubfoldersOnceNeverEntersDotFoldersAndReportsAFailedSearch)
{
    for (const char* path : {"C:\\d1\\s\\t\\c.jpg", "C:\\d1\\.svn\\e.jpg", "C:\\d1\\.f.jpg"})
        fs.AddFile(path);
    prompts.Answer(fw::kIdYes);
    Answer subfolders = Answer::NotAsked;
    lists::LoadFolder(list(), "C:\\d1", subfolders, nullptr, fs, env);
    EXPECT_EQ((Paths{"C:\\d1\\.f.jpg", "C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d1\\s\\t\\c.jpg"}),
              Listed());
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ(kSubfolderQuestion, Utf8(prompts.Last().text));
    EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, prompts.Last().flags);

    prompts.Answer(fw::kIdOk);
    lists::LoadFolder(list(), "C:\\missing", subfolders, nullptr, fs, env);
    EXPECT_EQ("検索に失敗しました。\r\nC:\\missing\\*.*\r\nThe system cannot find the path specified.",
              Utf8(prompts.Last().text));
    EXPECT_EQ(unsigned{fw::kMbIconHand}, prompts.Last().flags);
}

// Each command line loads alike whether or not it was scanned ahead: the same entries
// and the same messages in the same order. The scan ahead stops at d1's sub-folder, so
// the question and what follows are the load's own.
TEST_F(LoaderTest, CommandLineLoadsFoldersAndTheFilesTheFilterAcceptsScannedAheadOrNot)
{
    fs.AddFolder("C:\\locked");
    fs.FailEnumerate("C:\\locked");
    const std::string failed = "検索に失敗しました。\r\nC:\\locked\\*.*\r\nError 5?", s = kSubfolderQuestion;
    // Listed before, the command line, the Escape test that finds a press, the answers;
    // listed after, the messages ("?": an error box).
    const std::tuple<Paths, Paths, int, std::vector<int>, Paths, Paths> cases[] = {
        // clang-format off
        {{}, {"C:\\f\\f.txt", "C:\\missing.jpg", "C:\\locked", "C:\\f", "C:\\f\\e.jpg"}, -1, {fw::kIdOk},
         {"C:\\f\\e.jpg"}, {failed}},
        {{"C:\\gone.jpg", "C:\\d2\\c.jpg"}, {"C:\\f"}, -1, {}, {"C:\\d2\\c.jpg", "C:\\f\\e.jpg"}, {}},
        {{"C:\\gone.jpg"}, {"C:\\locked", "C:\\f", "C:\\d1", "C:\\d2"}, -1, {fw::kIdOk, fw::kIdYes},
         {"C:\\d1\\a.jpg", "C:\\d1\\s\\b.jpg", "C:\\d2\\c.jpg", "C:\\d2\\t\\d.jpg", "C:\\f\\e.jpg"}, {failed, s}},
        {{}, {"C:\\f", "C:\\d2\\c.jpg"}, 2, {}, {"C:\\d2\\c.jpg"}, {}},  // Escape at f's first entry
        // clang-format on
    };
    for (const auto& [before, tokens, escapeAt, answers, after, messages] : cases) {
        for (const bool ahead : {false, true}) {
            const std::string row = tokens.front() + (ahead ? " ahead" : "");
            list().ClearList();
            for (const std::string& path : before)
                list().InsertAndSelect(path);
            env = lists_test::Environment();
            env.escapeAt = escapeAt;
            testing_support::ScriptedPrompts scripted;
            for (int answer : answers)
                scripted.Answer(answer);
            if (ahead) {
                lists::CommandLinePrescan prescan(tokens, fs, fw::SystemCodePage(),
                                                  [this] { return env.EscapePressed(); });
                lists::LoadCommandLine(list(), tokens, fs, env, &prescan);
            } else {
                lists::LoadCommandLine(list(), tokens, fs, env);
            }
            EXPECT_EQ(after, Listed()) << row;
            Paths shown;
            for (const auto& box : scripted.All())
                shown.push_back(Utf8(box.text) + (box.flags == (fw::kMbOk | fw::kMbIconHand) ? "?" : ""));
            EXPECT_EQ(messages, shown) << row;
        }
    }
    // A scan ahead that nobody takes over ends with its owner.
    lists::CommandLinePrescan({"C:\\d2", "C:\\f"}, fs, fw::SystemCodePage(), [] { return false; });
}

TEST_F(LoaderTest, DropAsksTheFolderAndSubfolderQuestionsAtMostOnce)
{
    const std::string f = kFolderQuestion, s = kSubfolderQuestion,
                      tooLong = "C:\\" + std::string(253, 'x') + ".jpg";
    fs.AddFile(tooLong);  // 260 bytes
    // Dropped, confirmation on, answers; questions asked ("?": not a yes/no question), files loaded.
    const std::tuple<Paths, bool, std::vector<int>, Paths, int> cases[] = {
        {{"C:\\d1"}, true, {fw::kIdNo}, {s}, 1},  // one folder: no folder question
        {{"C:\\d1", "C:\\f\\e.jpg", "C:\\d2"}, true, {fw::kIdNo}, {f}, 1},
        {{"C:\\d1", "C:\\d2", "C:\\f\\e.jpg"}, true, {fw::kIdYes, fw::kIdNo}, {f, s}, 3},
        {{"C:\\d1", "C:\\d2", "C:\\f\\f.txt", "C:\\missing.jpg", "", tooLong}, false, {}, {}, 4},
    };
    for (const auto& [dropped, confirm, answers, asked, loaded] : cases) {
        list().ClearList();
        testing_support::ScriptedPrompts scripted;
        for (int answer : answers)
            scripted.Answer(answer);
        Drop(dropped, confirm);
        Paths questions;
        for (const auto& shown : scripted.All())
            questions.push_back(Utf8(shown.text) +
                                (shown.flags == (fw::kMbYesNo | fw::kMbIconQuestion) ? "" : "?"));
        EXPECT_EQ(asked, questions) << dropped.size();
        EXPECT_EQ(loaded, list().GetCount()) << dropped.size();
    }
}

TEST_F(LoaderTest, DropShowsTheNewEntryThatSortsFirstTakesItFromOtherListsAndStopsOnEscape)
{
    List({"C:\\d2\\a.jpg", "C:\\d2\\b.jpg", "C:\\f\\a.jpg"});
    lists.List(9).InsertAndSelect("C:\\D2\\C.JPG");
    fs.AddFolder("C:\\sys.jpg", fw::kAttrSystem);  // a system folder is taken as a file
    prompts.Answer(fw::kIdYes).Answer(fw::kIdNo);
    // e.jpg goes in at 3, then c.jpg (found in d2) at 2; the second e.jpg is refused.
    EXPECT_EQ(2, Drop({"C:\\f\\e.jpg", "C:\\d2", "C:\\F\\E.JPG", "C:\\sys.jpg"}));
    EXPECT_EQ((Paths{"C:\\d2\\a.jpg", "C:\\d2\\b.jpg", "C:\\d2\\c.jpg", "C:\\f\\a.jpg", "C:\\f\\e.jpg",
                     "C:\\sys.jpg"}),
              Listed());
    EXPECT_EQ("C:\\d2\\c.jpg", view.shown.back());
    EXPECT_EQ(0, lists.List(9).GetCount());
    EXPECT_EQ("C:\\d2", list().LastFolder());
    EXPECT_EQ("C:\\d2", lists.SharedLastFolder());

    list().ClearList();
    env.escapeAt = env.tests + 3;  // the first test clears an old press, the second precedes item 1
    Drop({"C:\\f\\e.jpg", "C:\\d2\\c.jpg"});
    EXPECT_EQ("0:   1/  1 C:\\f\\e.jpg", view.caption);
}

}  // namespace
