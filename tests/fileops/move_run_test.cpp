#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <set>

#include "fileops/move_command.h"
#include "tests/fileops/run_check.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

namespace {

using fileops::Action;
using fileops::MovePlan;
using fileops::OverwriteAnswer;
using run_check::ScriptedHost;
using testing_support::ScriptedPrompts;
using testing_support::TestFiles;
using testing_support::Utf8;

// Sources in "src", the destination "dst", one list of the sources.
class RunTest : public ::testing::Test {
protected:
    RunTest() : list(0, files.Fs()) { files.AddFolder("dst"); }

    void List(const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            list.Insert(files.AddFile("src\\" + name, "new " + name));
    }
    fileops::RunResult Run(Action action, bool reload = false)
    {
        plan = MovePlan::Build(list.Paths().Paths(), files.Path("dst\\"), list.Filter(), {}, files.Fs());
        fileops::RunResult result = fileops::RunPlan(plan, action, files.Fs(), host);
        fileops::ApplyRun(list, plan, result, action, reload);
        return result;
    }
    std::vector<std::string> ListNames() const
    {
        std::vector<std::string> names;
        for (const std::string& path : list.Paths())
            names.push_back(path.substr(files.Root().size() + 1));
        return names;
    }

    TestFiles files;
    ScriptedPrompts prompts;
    ScriptedHost host;
    lists::ListModel list;
    MovePlan plan = MovePlan::Build({}, "", lists::FilterPattern(), {}, files.Fs());
};

struct AnswerCase {
    std::vector<OverwriteAnswer> answers;
    size_t asks;
    std::string overwritten;  // names whose old file was replaced
};

TEST_F(RunTest, OverwritesOnlyWhatTheAnswersAllow)
{
    using A = OverwriteAnswer;
    const AnswerCase cases[] = {
        {{A::Overwrite, A::Skip, A::Overwrite, A::Skip}, 4, "ac"},
        {{A::OverwriteAll}, 1, "abcd"},
        {{A::Skip, A::SkipAll}, 2, ""},
        {{A::Overwrite, A::OverwriteAll}, 2, "abcd"},
        {{A::None, A::None, A::None, A::None}, 4, ""},
    };
    for (const AnswerCase& c : cases) {
        list.ClearList();
        host = ScriptedHost();
        host.answers.assign(c.answers.begin(), c.answers.end());
        for (const char* name : {"a", "b", "c", "d"})
            files.AddFile(std::string("dst\\") + name, "old");
        List({"a", "b", "c", "d"});
        Run(Action::Copy);
        EXPECT_EQ(c.asks, host.asked.size());
        std::string overwritten;
        for (const char* name : {"a", "b", "c", "d"}) {
            std::string now = files.Read(std::string("dst\\") + name);
            EXPECT_TRUE(now == "old" || now == std::string("new ") + name);
            overwritten += now == "old" ? "" : name;
            EXPECT_EQ(std::string("new ") + name, files.Read(std::string("src\\") + name));
        }
        EXPECT_EQ(c.overwritten, overwritten);
        EXPECT_EQ(4, list.GetCount());
        EXPECT_EQ(0u, prompts.Count());
    }
}

TEST_F(RunTest, MoveLeavesOnlyUncompletedEntriesInTheList)
{
    files.AddFile("dst\\b", "read-only");
    ASSERT_EQ(0u, files.Fs().SetAttributes(files.Path("dst\\b"), fw::kAttrReadOnly));
    list.Insert(files.AddFile("dst\\a", "in place"));
    List({"b", "c", "d"});
    host.escapeAtPoll = 4;  // before the row of d
    prompts.Answer(fw::kIdOk);
    fileops::RunResult result = Run(Action::Move, true);

    EXPECT_TRUE(result.escaped);
    EXPECT_TRUE(host.asked.empty());
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ(files.Path("dst\\b") + "\r\nは、読み込み専用属性のため上書きできません",
              Utf8(prompts.Last().text));
    EXPECT_EQ("in place", files.Read("dst\\a"));
    EXPECT_EQ("read-only", files.Read("dst\\b"));
    EXPECT_EQ("new c", files.Read("dst\\c"));
    EXPECT_FALSE(files.Exists("src\\c"));
    EXPECT_EQ(std::vector<std::string>{files.Path("dst\\c")}, result.arrived);
    // a: completed in place and gone; b: refused; c: arrived and reloaded; d: never tried.
    EXPECT_EQ((std::vector<std::string>{"dst\\c", "src\\b", "src\\d"}), ListNames());
    files.Fs().SetAttributes(files.Path("dst\\b"), fw::kAttrNormal);
}

TEST_F(RunTest, FailuresAreReportedWithTheSystemTextAndTouchNothing)
{
    if (!files.Memory())
        GTEST_SKIP() << "needs injected faults";
    List({"a", "b"});
    files.Memory()->Lock(files.Path("src\\a"));
    files.AddFile("dst\\b", "old");
    host.answers = {OverwriteAnswer::Overwrite};
    prompts.Answer(fw::kIdOk).Answer(fw::kIdOk);
    // Each name is first tried by a move that never replaces; then, the careful way, a
    // fails again and b is renamed over the old file: the fourth change.
    files.Memory()->FailChange(3, fw::kErrorDiskFull);
    Run(Action::Move);
    ASSERT_EQ(2u, prompts.Count());
    EXPECT_EQ("元:" + files.Path("src\\a") + "\r\n先:" + files.Path("dst\\a") + "\r\nError 32",
              Utf8(prompts.At(0).text));
    EXPECT_EQ("old", files.Read("dst\\b"));
    EXPECT_EQ("new b", files.Read("src\\b"));
    EXPECT_EQ((std::vector<std::string>{"src\\a", "src\\b"}), ListNames());
    EXPECT_EQ(3u, files.Memory()->Files().size());
}

TEST_F(RunTest, TextOutputReplacesTheFileOnlyWhenComplete)
{
    List({"a", "b"});
    files.Remove("src\\b");
    std::string out = files.AddFile("out.txt", "before");
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

TEST(CreateFolderPath, CreatesEachMissingFolderBelowTheDrive)
{
    struct Case {
        std::string path;
        bool created;
    };
    const Case cases[] = {{"C:\\a\\b\\c", true},
                          {"C:\\a\\b\\c\\", true},
                          {"C:\\a\\\x95\x5C\\d", true},
                          {"C:\\f\\x", false},
                          {"Q:\\a", false},
                          {"\\\\srv\\share\\new", true},
                          {"", false}};
    for (const Case& c : cases) {
        testing_support::MemoryFileSystem fs;
        fs.AddFile("C:\\f");
        fs.AddFolder("\\\\srv\\share");
        EXPECT_EQ(c.created, fileops::CreateFolderPath(c.path, fs)) << c.path;
        EXPECT_EQ(c.created, fs.Attributes(c.path) != fw::kAttrInvalid) << c.path;
    }
}

TEST_F(RunTest, DeleteDropsOnlyTheFilesTheRecycleBinTook)
{
    class TakesX final : public fileops::Recycler {
    public:
        explicit TakesX(fw::FileSystem& fs) : fs_(fs) {}
        void Recycle(const std::string& paths, intptr_t) override
        {
            buffer = paths;
            for (size_t i = 0; i < paths.size() && paths[i]; i = paths.find('\0', i) + 1)
                if (paths[paths.find('\0', i) - 1] == 'x')
                    fs_.Delete(paths.c_str() + i);
        }
        std::string buffer;

    private:
        fw::FileSystem& fs_;
    } recycler(files.Fs());
    List({"a", "b.x"});
    fileops::RecycleList(list, recycler);
    EXPECT_EQ(files.Path("src\\a") + '\0' + files.Path("src\\b.x") + '\0' + '\0', recycler.buffer);
    EXPECT_EQ(std::vector<std::string>{"src\\a"}, ListNames());
}

TEST_F(RunTest, PreviewOpensForAnInvalidPlanOrOnRequestAndDecidesTheAction)
{
    fileops::MoveSettings settings;
    settings.folder = files.Path("dst");
    settings.action = Action::Copy;
    settings.details = false;
    List({"a", "b"});
    list.Insert(files.AddFile("other\\a", "other a"));
    host.preview = fileops::PreviewChoice::Move;  // after excluding the clashing rows
    EXPECT_TRUE(fileops::MoveOrCopy(list, settings, files.Fs(), host));
    EXPECT_EQ(1, host.previews);
    EXPECT_EQ(Action::Move, settings.action);
    EXPECT_EQ(files.Path("dst\\"), list.LastFolder());
    EXPECT_EQ((std::vector<std::string>{"other\\a", "src\\a"}), ListNames());
    EXPECT_EQ("new b", files.Read("dst\\b"));

    host.preview = fileops::PreviewChoice::Cancel;
    settings.details = true;
    EXPECT_FALSE(fileops::MoveOrCopy(list, settings, files.Fs(), host));
    EXPECT_EQ(2, host.previews);
    EXPECT_EQ(2, list.GetCount());
    EXPECT_FALSE(files.Exists("dst\\a"));
}

TEST(MoveSettings, OkChecksTheFolderAndTheTemplate)
{
    struct Case {
        const char* folder;
        bool rename;
        const char* pattern;
        std::vector<int> answers;
        bool accepted;
        const char* lastMessage;
        bool folderAfter;
    };
    const Case cases[] = {
        {"  ", false, "", {fw::kIdOk}, false, "フォルダを指定してください", false},
        {"C:\\f", false, "", {fw::kIdOk}, false, "ディレクトリではありません", true},
        {" C:\\new\\sub ", false, "", {fw::kIdYes}, true, "フォルダがありません。作成しますか？", true},
        {"C:\\new", false, "", {fw::kIdNo}, true, "フォルダがありません。作成しますか？", false},
        {"Q:\\new", false, "", {fw::kIdYes, fw::kIdOk}, false, "フォルダが作成できません", false},
        {"C:\\d", true, " \t", {fw::kIdOk}, false, "変名用テンプレートが空欄です", true},
        {"C:\\d", true, " %f ", {}, true, "", true},
    };
    for (const Case& c : cases) {
        testing_support::MemoryFileSystem fs;
        fs.AddFile("C:\\f");
        fs.AddFolder("C:\\d");
        ScriptedPrompts prompts;
        for (int answer : c.answers)
            prompts.Answer(answer);
        fileops::MoveSettings settings;
        settings.folder = c.folder;
        settings.rename = c.rename;
        settings.pattern = c.pattern;
        EXPECT_EQ(c.accepted, fileops::AcceptFolderSettings(settings, fs)) << c.folder;
        EXPECT_EQ(c.lastMessage, prompts.Count() ? Utf8(prompts.Last().text) : "") << c.folder;
        EXPECT_EQ(c.folderAfter, fs.Attributes(settings.folder) != fw::kAttrInvalid) << c.folder;
    }
}

// Random lists into random folders with random answers, faults and Escape: every
// file is still at its source or destination with its content unless its own
// overwrite was agreed to, no stray file is left, and the list matches the disk.
TEST(RunProperty, NoFileIsLostAndTheListFollowsTheDisk)
{
    run_check::AcceptingPrompts prompts;
    const char* const names[] = {"a", "A.jpg", "a.jpg", "b.jpg", "1.jpg", "0.jpg", "README", "~mv0.tmp"};
    const char* const patterns[] = {"", "%f.%e", "%c.%e", "x.%e", "%if.%ie", "%c"};
    const uint32_t faults[] = {fw::kErrorDiskFull, fw::kErrorAccessDenied, fw::kErrorFileExists};
    std::mt19937 rng(7);
    auto pick = [&](auto& array) { return array[rng() % std::size(array)]; };
    for (int round = 0; round < 10000; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        testing_support::MemoryFileSystem fs;
        const std::string folder = rng() % 4 ? "C:\\dst\\" : "D:\\dst\\";
        fs.AddFolder(folder);
        for (int i = rng() % 5; i > 0; --i) {
            std::string path = folder + pick(names);
            fs.AddFile(path, "old " + path);
            if (rng() % 4 == 0)
                fs.SetAttributes(path, fw::kAttrReadOnly);
        }
        lists::ListModel list(0, fs);
        for (int i = 1 + rng() % 8; i > 0; --i) {
            const char* const folders[] = {"C:\\src\\", "C:\\src2\\", folder.c_str()};
            std::string path = pick(folders) + std::string(pick(names));
            if (fs.Attributes(path) == fw::kAttrInvalid)
                fs.AddFile(path, "new " + path);
            list.Insert(path);
        }
        MovePlan plan =
            MovePlan::Build(list.Paths().Paths(), folder, lists::FilterPattern("*"), pick(patterns), fs);
        if (!plan.Validate() && rng() % 4)
            plan.Exclude(plan.InvalidRows());  // as the preview ends; otherwise run an unchecked plan
        if (rng() % 4 == 0)
            plan.Exclude({rng() % plan.Rows().size()});
        if (rng() % 4 == 0)
            fs.Remove(list.Paths()[rng() % list.GetCount()]);  // gone before the run starts
        if (rng() % 3 == 0 && !fs.Files().empty())
            fs.Lock(fs.Files()[rng() % fs.Files().size()]);
        for (int i = rng() % 3; i > 0; --i)
            fs.FailChange(rng() % 12, pick(faults));

        run_check::RunRecord run;
        for (const std::string& path : fs.Files()) {
            run.before[path] = fs.Content(path);
            if (fs.Attributes(path) & fw::kAttrReadOnly)
                run.readOnly.insert(path);
        }
        ScriptedHost host;
        const OverwriteAnswer answers[] = {OverwriteAnswer::Overwrite, OverwriteAnswer::Skip,
                                           OverwriteAnswer::OverwriteAll, OverwriteAnswer::SkipAll,
                                           OverwriteAnswer::None};
        for (int i = 0; i < 8; ++i)
            host.answers.push_back(pick(answers));
        host.escapeAtPoll = rng() % 12;
        run.given = host.answers;
        run.original.insert(list.Paths().begin(), list.Paths().end());
        run.action = rng() % 2 ? Action::Move : Action::Copy;
        run.reload = rng() % 2;
        fileops::RunResult result = fileops::RunPlan(plan, run.action, fs, host);
        fileops::ApplyRun(list, plan, result, run.action, run.reload);

        run.host = &host;
        run.plan = &plan;
        run.result = &result;
        run_check::PathMap after;
        for (const std::string& path : fs.Files())
            after[path] = fs.Content(path);
        run_check::CheckRun(run, after, list);
    }
}

}  // namespace
