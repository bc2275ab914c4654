#include <gtest/gtest.h>

#include "tests/fileops/run_check.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

namespace {

using fileops::Action;
using fileops::OverwriteAnswer;
using testing_support::Utf8;
using Names = std::vector<std::string>;

// Sources "src\<name>" holding "new <name>", listed; the destination "dst".
class RunTest : public ::testing::Test {
protected:
    RunTest() : list(0, files.Fs()) { files.AddFolder("dst"); }
    void List(const Names& names)
    {
        for (const std::string& name : names)
            list.Insert(files.AddFile("src\\" + name, "new " + name));
    }
    fileops::RunResult Run(Action action, bool reload = false)
    {
        auto plan = fileops::MovePlan::Build(list.Paths().Paths(), files.Path("dst\\"), list.Filter(), {},
                                             files.Fs());
        const fileops::RunResult result = fileops::RunPlan(plan, action, files.Fs(), host);
        fileops::ApplyRun(list, plan, result, action, reload);
        return result;
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
    run_check::ScriptedHost host;
    lists::ListModel list;
};

TEST_F(RunTest, OverwritesOnlyWhatTheAnswersAllow)
{
    using A = OverwriteAnswer;
    const std::pair<std::vector<A>, std::string> cases[] = {
        {{A::Overwrite, A::Skip, A::Overwrite, A::Skip}, "ac"},
        {{A::OverwriteAll}, "abcd"},
        {{A::Skip, A::SkipAll}, ""},
        {{A::Overwrite, A::OverwriteAll}, "abcd"},
        {{A::None, A::None, A::None, A::None}, ""}};
    for (const auto& [answers, expected] : cases) {
        list.ClearList();
        host = run_check::ScriptedHost();
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

TEST_F(RunTest, MoveKeepsUncompletedEntriesListedAndRefusesToOverwriteAReadOnlyFile)
{
    files.AddFile("dst\\b", "read-only");
    ASSERT_EQ(0u, files.Fs().SetAttributes(files.Path("dst\\b"), fw::kAttrReadOnly));
    list.Insert(files.AddFile("dst\\a", "in place"));
    List({"b", "c", "d"});
    host.escapeAtPoll = 4;  // before the row of d
    prompts.Answer(fw::kIdOk);
    const fileops::RunResult result = Run(Action::Move, true);
    EXPECT_TRUE(result.escaped && host.asked.empty());
    EXPECT_EQ(files.Path("dst\\b") + "\r\nは、読み込み専用属性のため上書きできません",
              Utf8(prompts.Last().text));
    EXPECT_EQ("read-only", files.Read("dst\\b"));
    EXPECT_EQ("new c", files.Read("dst\\c"));
    EXPECT_EQ(Names{files.Path("dst\\c")}, result.arrived);
    // a: completed in place and gone; b: refused; c: arrived and reloaded; d: never tried.
    EXPECT_EQ((Names{"dst\\c", "src\\b", "src\\d"}), Listed());
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
    EXPECT_EQ((Names{"src\\a", "src\\b"}), Listed());
    EXPECT_EQ(3u, files.Memory()->Files().size());
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

// The recycle bin takes the files whose names end in "x".
class TakesX final : public fileops::Recycler {
public:
    explicit TakesX(fw::FileSystem& fs) : fs(fs) {}
    void Recycle(const std::string& paths, intptr_t) override
    {
        buffer = paths;
        for (size_t i = 0, end = 0; paths[i]; i = end + 1)
            if (paths[(end = paths.find('\0', i)) - 1] == 'x')
                fs.Delete(paths.c_str() + i);
    }
    fw::FileSystem& fs;
    std::string buffer;
};

TEST_F(RunTest, DeleteHandsTheListToTheRecycleBinAndDropsOnlyTheFilesItTook)
{
    TakesX recycler(files.Fs());
    List({"a", "b.x"});
    fileops::RecycleList(list, recycler);
    EXPECT_EQ(files.Path("src\\a") + '\0' + files.Path("src\\b.x") + '\0' + '\0', recycler.buffer);
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
    const struct {
        const char *folder, *pattern;
        std::vector<int> answers;
        bool accepted;
        const char* lastMessage;
        const char* created;
    } cases[] = {
        {"  ", "", {fw::kIdOk}, false, "フォルダを指定してください", ""},
        {"C:\\f", "", {fw::kIdOk}, false, "ディレクトリではありません", ""},
        {" C:\\new\\\x95\x5C ",
         "",
         {fw::kIdYes},
         true,
         "フォルダがありません。作成しますか？",
         "C:\\new\\\x95\x5C"},
        {"\\\\srv\\share\\new\\",
         "",
         {fw::kIdYes},
         true,
         "フォルダがありません。作成しますか？",
         "\\\\srv\\share\\new"},
        {"C:\\new", "", {fw::kIdNo}, true, "フォルダがありません。作成しますか？", ""},
        {"Q:\\new", "", {fw::kIdYes, fw::kIdOk}, false, "フォルダが作成できません", ""},
        {"C:\\f\\x", "", {fw::kIdYes, fw::kIdOk}, false, "フォルダが作成できません", ""},
        {"C:\\d", " \t", {fw::kIdOk}, false, "変名用テンプレートが空欄です", ""},
        {"C:\\d", " %f ", {}, true, "", ""},
    };
    for (const auto& c : cases) {
        testing_support::MemoryFileSystem fs;
        fs.AddFile("C:\\f");
        fs.AddFolder("C:\\d");
        fs.AddFolder("\\\\srv\\share");
        testing_support::ScriptedPrompts prompts;
        for (int answer : c.answers)
            prompts.Answer(answer);
        fileops::MoveSettings settings;
        settings.folder = c.folder;
        settings.rename = *c.pattern;
        settings.pattern = c.pattern;
        EXPECT_EQ(c.accepted, fileops::AcceptFolderSettings(settings, fs)) << c.folder;
        EXPECT_EQ(c.lastMessage, prompts.Count() ? Utf8(prompts.Last().text) : "") << c.folder;
        EXPECT_TRUE(!*c.created || fs.Attributes(c.created) & fw::kAttrDirectory) << c.folder;
    }
}

TEST(RunProperty, NoFileIsLostAndTheListFollowsTheDisk)
{
    run_check::AcceptingPrompts prompts;
    const uint32_t faults[] = {fw::kErrorDiskFull, fw::kErrorAccessDenied, fw::kErrorFileExists};
    std::mt19937 rng(7);
    for (int round = 0; round < 10000 && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        testing_support::MemoryFileSystem fs;
        const run_check::Scene scene{
            fs,
            [&](const std::string& path, const std::string& content) { fs.AddFile(path, content); },
            [&] {
                run_check::PathMap files;
                for (const std::string& path : fs.Files())
                    files[path] = fs.Content(path);
                return files;
            },
            {"C:\\src\\", "C:\\src2\\"},
            rng() % 4 ? "C:\\dst\\" : "D:\\dst\\"};  // D: moves by copy and delete
        fs.AddFolder(scene.folder);
        run_check::RandomRound(rng, scene, [&](std::mt19937& r, lists::ListModel& list, auto&, auto&) {
            if (r() % 4 == 0)
                fs.Remove(list.Paths()[r() % list.GetCount()]);  // gone before the run starts
            if (r() % 3 == 0 && !fs.Files().empty())
                fs.Lock(fs.Files()[r() % fs.Files().size()]);
            for (int i = r() % 3; i > 0; --i)
                fs.FailChange(r() % 12, faults[r() % std::size(faults)]);
        });
    }
}

}  // namespace
