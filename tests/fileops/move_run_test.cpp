#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "fileops/move_command.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

#ifdef _WIN32
#include <windows.h>

#include "framework/win/handles.h"
#endif

namespace {

using fileops::Action;
using fileops::OverwriteAnswer;
using testing_support::Utf8;
using Names = std::vector<std::string>;

// The run's questions from a script: overwrite answers in order, Escape at one poll,
// a preview that drops the invalid rows, and a hook before each row (faults mid-run).
class ScriptedHost final : public fileops::MoveCommandHost {
public:
    OverwriteAnswer AskOverwrite(const std::string&, const std::string& destination) override
    {
        asked.push_back(destination);
        const OverwriteAnswer answer = answers.empty() ? OverwriteAnswer::None : answers.front();
        answers.erase(answers.begin(), answers.begin() + !answers.empty());
        return answer;
    }
    bool EscapePressed() override { return polls++ == escapeAtPoll; }
    void ShowWait() override { beforeRow ? beforeRow(rows++) : void(rows++); }
    fileops::PreviewChoice Preview(fileops::MovePlan& plan) override
    {
        ++previews;
        plan.Exclude(plan.InvalidRows());
        return preview;
    }

    std::deque<OverwriteAnswer> answers;
    Names asked;
    int polls = 0, escapeAtPoll = -1;  // the run polls once before its first row
    int rows = 0, previews = 0;
    std::function<void(int row)> beforeRow;
    fileops::PreviewChoice preview = fileops::PreviewChoice::Move;
};

// Sources "src\<name>" holding "new <name>", listed; the destination "dst".
class RunTest : public ::testing::Test {
protected:
    RunTest() : list(0, files.Fs()) { files.AddFolder("dst"); }
    void List(const Names& names)
    {
        for (const std::string& name : names)
            list.Insert(files.AddFile("src\\" + name, "new " + name));
    }
    void Run(Action action)
    {
        auto plan = fileops::MovePlan::Build(list.Paths().Paths(), files.Path("dst\\"), list.Filter(), {},
                                             files.Fs());
        fileops::ApplyRun(list, plan, fileops::RunPlan(plan, action, files.Fs(), host), action, false);
    }
    Names Listed() const
    {
        Names names;
        for (const std::string& path : list.Paths())
            names.push_back(path.substr(files.Root().size() + 1));
        return names;
    }

    testing_support::TestFiles files;
    testing_support::ScriptedPrompts prompts;
    ScriptedHost host;
    lists::ListModel list;
};

TEST_F(RunTest, OverwritesOnlyWhatTheAnswersAllow)
{
    using A = OverwriteAnswer;
    const std::pair<std::vector<A>, std::string> cases[] = {
        {{A::Overwrite, A::Skip, A::None, A::Overwrite}, "ad"},
        {{A::Skip, A::OverwriteAll}, "bcd"},
        {{A::Overwrite, A::SkipAll}, "a"}};
    for (const auto& [answers, expected] : cases) {
        list.ClearList();
        host = ScriptedHost();
        host.answers.assign(answers.begin(), answers.end());
        for (const std::string name : {"a", "b", "c", "d"})
            files.AddFile("dst\\" + name, "old");
        List({"a", "b", "c", "d"});
        Run(Action::Copy);
        EXPECT_EQ(answers.size(), host.asked.size());  // an "all" answer stands for the rest
        std::string overwritten;
        for (const std::string name : {"a", "b", "c", "d"}) {
            overwritten += files.Read("dst\\" + name) == "new " + name ? name : "";
            EXPECT_EQ("new " + name, files.Read("src\\" + name));
        }
        EXPECT_EQ(expected, overwritten);
        EXPECT_EQ(4, list.GetCount());
    }
}

TEST_F(RunTest, FailuresAreReportedWithTheSystemTextAndTouchNothing)
{
    if (!files.Memory())
        GTEST_SKIP() << "needs injected faults";
    List({"a", "b", "c", "d"});
    host.escapeAtPoll = 4;  // before the row of d
    files.Memory()->Lock(files.Path("src\\a"));
    files.AddFile("dst\\b", "old");
    files.AddFile("dst\\c", "read-only");
    files.Fs().SetAttributes(files.Path("dst\\c"), fw::kAttrReadOnly);
    host.answers = {OverwriteAnswer::Overwrite};
    prompts.Answer(fw::kIdOk).Answer(fw::kIdOk).Answer(fw::kIdOk);
    // Each name is first tried by a move that never replaces; then, the careful way, a
    // fails again and b is renamed over the old file: the fourth change.
    files.Memory()->FailChange(3, fw::kErrorDiskFull);
    Run(Action::Move);
    ASSERT_EQ(3u, prompts.Count());
    EXPECT_EQ("元:" + files.Path("src\\a") + "\r\n先:" + files.Path("dst\\a") + "\r\nError 32",
              Utf8(prompts.At(0).text));
    EXPECT_EQ(files.Path("dst\\c") + "\r\nは、読み込み専用属性のため上書きできません",
              Utf8(prompts.At(2).text));
    EXPECT_EQ("old", files.Read("dst\\b"));
    EXPECT_EQ("read-only", files.Read("dst\\c"));
    EXPECT_EQ((Names{"src\\a", "src\\b", "src\\c", "src\\d"}), Listed());
    EXPECT_EQ(6u, files.Memory()->Files().size());  // d never tried
}

TEST_F(RunTest, TextOutputReplacesTheFileOnlyWhenComplete)
{
    List({"a", "b"});
    files.Remove("src\\b");
    const std::string out = files.AddFile("out.txt", "before");
    ASSERT_TRUE(fileops::WriteListFile(list, out, files.Fs()));
    EXPECT_EQ(files.Path("src\\a") + "\r\n", files.Read("out.txt"));
    if (!files.Memory())
        return;
    files.Memory()->FailWritesAfter(3);
    prompts.Answer(fw::kIdOk);
    EXPECT_FALSE(fileops::WriteListFile(list, out, files.Fs()));
    EXPECT_EQ("ファイル書き込みに失敗しました。", Utf8(prompts.Last().text));
    EXPECT_EQ(files.Path("src\\a") + "\r\n", files.Read("out.txt"));
    EXPECT_EQ(2u, files.Memory()->Files().size());
}

TEST_F(RunTest, DeleteHandsTheListToTheRecycleBinAndDropsWhatItTook)
{
    struct Bin final : fileops::Recycler {
        void Recycle(const std::string& paths, intptr_t) override { given = paths; }
        std::string given;
    } bin;
    List({"a", "b"});
    files.Remove("src\\b");  // taken
    fileops::RecycleList(list, bin);
    EXPECT_EQ(files.Path("src\\a") + '\0' + files.Path("src\\b") + '\0' + '\0', bin.given);
    EXPECT_EQ(Names{"src\\a"}, Listed());
}

TEST_F(RunTest, PreviewOpensForAnInvalidPlanOrOnRequestAndDecidesTheAction)
{
    fileops::MoveSettings settings;
    settings.folder = files.Path("dst");
    settings.action = Action::Copy;
    settings.details = false;
    List({"a", "b"});
    list.Insert(files.AddFile("other\\a", "other a"));
    list.Insert(files.AddFile("dst\\c", "c"));    // already there: done, so no longer listed
    host.preview = fileops::PreviewChoice::Move;  // after excluding the clashing rows
    EXPECT_TRUE(fileops::MoveOrCopy(list, settings, files.Fs(), host));
    EXPECT_EQ(1, host.previews);
    EXPECT_EQ(Action::Move, settings.action);
    EXPECT_EQ(files.Path("dst\\"), list.LastFolder());
    EXPECT_EQ((Names{"other\\a", "src\\a"}), Listed());
    EXPECT_EQ("new b", files.Read("dst\\b"));

    host.preview = fileops::PreviewChoice::Cancel;
    settings.details = true;
    EXPECT_FALSE(fileops::MoveOrCopy(list, settings, files.Fs(), host));
    EXPECT_EQ(2, host.previews);
    EXPECT_FALSE(files.Exists("dst\\a"));
}

TEST(MoveSettings, OkChecksTheFolderCreatesItOnRequestAndChecksTheTemplate)
{
    testing_support::MemoryFileSystem empty;
    EXPECT_FALSE(fileops::CreateFolderPath("", empty));
    const std::string create = "フォルダがありません。作成しますか？", cannot = "フォルダが作成できません";
    // The folder and template typed, the answers; accepted, the last message, the folder made.
    const std::tuple<const char*, const char*, std::vector<int>, bool, std::string, const char*> cases[] = {
        {"  ", "", {fw::kIdOk}, false, "フォルダを指定してください", ""},
        {"C:\\f", "", {fw::kIdOk}, false, "ディレクトリではありません", ""},
        {" C:\\new\\\x95\x5C ", "", {fw::kIdYes}, true, create, "C:\\new\\\x95\x5C"},
        {"\\\\srv\\share\\new\\", "", {fw::kIdYes}, true, create, "\\\\srv\\share\\new"},
        {"C:\\new", "", {fw::kIdNo}, true, create, ""},
        {"Q:\\new", "", {fw::kIdYes, fw::kIdOk}, false, cannot, ""},
        {"C:\\f\\x", "", {fw::kIdYes, fw::kIdOk}, false, cannot, ""},
        {"C:\\d", " \t", {fw::kIdOk}, false, "変名用テンプレートが空欄です", ""},
        {"C:\\d", " %f ", {}, true, "", ""},
    };
    for (const auto& [folder, pattern, answers, accepted, message, created] : cases) {
        testing_support::MemoryFileSystem fs;
        fs.AddFile("C:\\f");
        fs.AddFolder("C:\\d");
        fs.AddFolder("\\\\srv\\share");
        testing_support::ScriptedPrompts prompts;
        for (int answer : answers)
            prompts.Answer(answer);
        fileops::MoveSettings settings;
        std::tie(settings.folder, settings.rename, settings.pattern) = std::tuple(folder, *pattern, pattern);
        EXPECT_EQ(accepted, fileops::AcceptFolderSettings(settings, fs)) << folder;
        EXPECT_EQ(message, prompts.Count() ? Utf8(prompts.Last().text) : "") << folder;
        EXPECT_TRUE(!*created || fs.Attributes(created) & fw::kAttrDirectory) << folder;
    }
}

#ifdef _WIN32
// The real file system's faults while the run goes on: a source held open without
// sharing and another one deleted. No file is lost and the list keeps what is there.
TEST_F(RunTest, FilesHeldOpenOrDeletedDuringTheRunAreNeverLost)
{
    List({"a", "b", "c"});
    files.AddFile("dst\\c", "old c");
    host.answers = {OverwriteAnswer::Overwrite};
    prompts.Answer(fw::kIdOk).Answer(fw::kIdOk);  // a and b fail
    std::vector<fw::UniqueHandle> held;
    host.beforeRow = [&](int row) {
        if (row == 0)
            held.emplace_back(CreateFileA(files.Path("src\\a").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        if (row == 1)
            files.Remove("src\\b");
    };
    Run(Action::Move);
    held.clear();
    EXPECT_EQ(2u, prompts.Count());
    EXPECT_EQ("new a", files.Read("src\\a"));
    EXPECT_EQ("new c", files.Read("dst\\c"));  // its overwrite agreed to
    EXPECT_EQ(Names{"src\\a"}, Listed());
}
#endif

}  // namespace
