#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>
#include <random>
#include <set>

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
    List({"a", "b", "c"});
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
    EXPECT_EQ((Names{"src\\a", "src\\b", "src\\c"}), Listed());
    EXPECT_EQ(5u, files.Memory()->Files().size());
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
    const struct {
        const char *folder, *pattern;
        std::vector<int> answers;
        bool accepted;
        std::string lastMessage;
        const char* created;
    } cases[] = {
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

struct PathLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return lists::ComparePaths(a, b) < 0;
    }
};

// Random lists into a folder with random existing files (some read-only), templates,
// plan edits, answers, Escape and faults: natively failing changes, locked files and a
// volume of its own; on Windows a file deleted or held open during the run. No file is
// lost unless its own overwrite was agreed to, and the list holds only files on the disk.
TEST(RunProperty, NoFileIsLostAndTheListHoldsOnlyFilesOnTheDisk)
{
    struct Accepting final : fw::Prompts {
        fw::Prompts* previous = fw::SetPrompts(this);
        ~Accepting() override { fw::SetPrompts(previous); }
        int Message(intptr_t, const std::wstring&, const std::wstring&, unsigned) override
        {
            return fw::kIdOk;
        }
    } prompts;
    const char* const names[] = {"a",     "A.jpg",        "a.jpg",  "b.jpg",
                                 "1.jpg", "\x95\x5c.jpg", "README", "~mv0.tmp"};
    const char* const patterns[] = {"", "%f.%e", "%c.%e", "x.%e", "%if.%ie", "%c"};
    std::mt19937 rng(7);
    const auto pick = [&](const auto& array) { return array[rng() % std::size(array)]; };
    for (int round = 0; round < (testing_support::TestFiles().Memory() ? 5000 : 100) && !HasFailure();
         ++round) {
        SCOPED_TRACE(round);
        testing_support::TestFiles files;
        fw::FileSystem& fs = files.Fs();
        auto* memory = files.Memory();
        const std::string folder = memory && rng() % 4 == 0 ? "D:\\dst\\" : files.AddFolder("dst") + "\\";
        std::set<std::string, PathLess> before, deleted, agreed;  // each file holds its own path
        const auto add = [&](const std::string& path) {
            if (!before.insert(path).second)
                return path;
            memory ? memory->AddFile(path, path)
                   : void(files.AddFile(path.substr(files.Root().size() + 1), path));
            if (rng() % 6 == 0)
                fs.SetAttributes(path, fw::kAttrReadOnly);
            return path;
        };
        for (int i = rng() % 5; i > 0; --i)
            add(folder + pick(names));
        lists::ListModel list(0, fs);
        for (int i = 1 + rng() % 8; i > 0; --i)
            list.Insert(add((rng() % 3 ? files.Path(rng() % 2 ? "s\\" : "t\\") : folder) + pick(names)));
        auto plan = fileops::MovePlan::Build(list.Paths().Paths(), folder, lists::FilterPattern("*"),
                                             pick(patterns), fs);
        if (!plan.Validate() && rng() % 4)
            plan.Exclude(plan.InvalidRows());  // as the preview ends; otherwise run an unchecked plan
        ScriptedHost host;
        const bool overwrite = rng() % 2;  // every overwrite agreed to, or none
        host.answers.assign(8, overwrite ? OverwriteAnswer::OverwriteAll
                                         : pick(std::array{OverwriteAnswer::Skip, OverwriteAnswer::SkipAll,
                                                           OverwriteAnswer::None}));
        host.escapeAtPoll = rng() % 12;
        const std::string victim = list.Paths()[rng() % list.GetCount()];
#ifdef _WIN32
        host.beforeRow = [&, held = std::make_shared<std::vector<fw::UniqueHandle>>(), row = int(rng() % 8),
                          fault = int(rng() % 3)](int at) {  // what it holds open is closed with it
            if (at == row && fault == 0 && fs.Delete(victim) == 0)
                deleted.insert(victim);
            else if (at == row && fault == 1)
                held->emplace_back(
                    CreateFileA(victim.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        };
#else
        if (rng() % 3 == 0)
            memory->Lock(victim);
        for (int i = rng() % 3; i > 0; --i)
            memory->FailChange(rng() % 12, pick(std::array{fw::kErrorDiskFull, fw::kErrorAccessDenied,
                                                           fw::kErrorFileExists}));
#endif
        const Action action = rng() % 2 ? Action::Move : Action::Copy;
        fileops::ApplyRun(list, plan, fileops::RunPlan(plan, action, fs, host), action, rng() % 2);
        host.beforeRow = nullptr;

        const auto key = [&](std::string_view name) {  // the name Windows keeps
            return folder + std::string(fileops::NameKey(name, fw::CodePage932()));
        };
        for (const fileops::PlanRow& row : plan.Rows())
            if (overwrite && !row.newName.empty())
                agreed.insert(key(row.newName));
        const auto holds = [&](const std::string& path, const std::string& content) {
            std::string now;
            return fs.ReadAll(path, now) && now == content;
        };
        for (const std::string& path : before) {
            bool kept = deleted.count(path) || agreed.count(path) || holds(path, path);
            for (const fileops::PlanRow& row : plan.Rows())  // moved, possibly onto a name later agreed to
                kept = kept || (!lists::ComparePaths(row.source, path) && !row.newName.empty() &&
                                action == Action::Move &&
                                (holds(folder + row.newName, path) || agreed.count(key(row.newName))));
            EXPECT_TRUE(kept) << "lost " << path;
        }
        for (const std::string& path : list.Paths())
            EXPECT_NE(fw::kAttrInvalid, fs.Attributes(path)) << "listed but missing " << path;
    }
}

}  // namespace
