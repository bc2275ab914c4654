#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "app/catalog.h"
#include "tests/lists/recording_view.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using app::Catalog;
using app::CatalogCounts;
using testing_support::RecordingView;
using testing_support::ScriptedPrompts;
using testing_support::TestFiles;

// Header lines "*n" CR LF for n = first to 35.
std::string HeadersFrom(int first)
{
    std::string headers;
    for (int n = first; n < lists::kListCount; ++n)
        headers += "*" + std::to_string(n) + "\r\n";
    return headers;
}

class FakeHost final : public app::CatalogHost {
public:
    bool ChooseCatalogFile(bool save, std::string& path) override
    {
        asked.push_back({save, path});
        if (choices.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return false;
        }
        std::optional<std::string> choice = choices.front();
        choices.pop_front();
        if (!choice)
            return false;
        path = *choice;
        return true;
    }
    void ApplyCacheSettings() override { ++cacheApplied; }
    void BeginWait() override { ++waits; }

    std::deque<std::optional<std::string>> choices;  // nullopt: cancelled
    std::vector<std::pair<bool, std::string>> asked;
    int cacheApplied = 0;
    int waits = 0;
};

class CatalogTest : public ::testing::Test {
protected:
    CatalogTest() : lists(files.Fs()), catalog(lists, files.Fs(), host)
    {
        for (int n = 0; n < lists::kListCount; ++n) {
            lists.List(n).SetView(&views[n]);
            lists.List(n).SetFilter(kImageFilter);
        }
    }

    static constexpr const char* kImageFilter = "*.jpg;*.jpeg;*.bmp;*.png";

    std::vector<std::string> Paths(int n) const { return lists.List(n).Paths().Paths(); }

    // Reads `content` as a catalog file, expecting the final message.
    CatalogCounts Read(const std::string& content)
    {
        std::string path = files.AddFile("cat.txt", content);
        prompts.Answer(fw::kIdOk);
        CatalogCounts counts;
        EXPECT_TRUE(catalog.Load(path, &counts));
        EXPECT_EQ(Catalog::LoadedMessage(counts), prompts.Last().text);
        EXPECT_EQ(unsigned{fw::kMbIconInformation}, prompts.Last().flags);
        return counts;
    }

    TestFiles files;
    ScriptedPrompts prompts;
    FakeHost host;
    RecordingView views[lists::kListCount];
    lists::ListSet lists;
    Catalog catalog;
};

TEST(CatalogLines, FollowTheRuntimeTextModeAndLineBuffer)
{
    auto lines = [](const std::string& bytes) {
        std::vector<std::string> out;
        app::ForEachCatalogLine(bytes, fw::SystemCodePage(),
                                [&](std::string_view line) { out.emplace_back(line); });
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(V{}, lines(""));
    EXPECT_EQ((V{"a", "b"}), lines("a\r\nb\n"));
    EXPECT_EQ((V{"a", "b"}), lines("a\r\nb"));
    EXPECT_EQ((V{"a", ""}), lines("a\r\n\r\n"));
    EXPECT_EQ((V{"a"}), lines("a\rb\r\n"));  // a lone CR cuts the line
    EXPECT_EQ((V{"a"}), lines("a\r\n\x1A"
                              "b\r\n"));
    EXPECT_EQ((V{"a"}), lines("a\x1A\r\nb"));
    EXPECT_EQ((V{"a", "c"}), lines(std::string("a\0b\r\nc", 7)));  // a NUL ends the piece
    EXPECT_EQ((V{"x\x95\x5C", "y"}), lines("x\x95\x5C\r\ny"));

    std::string longLine(5000, 'x');
    V pieces = lines(longLine + "\r\nz");
    ASSERT_EQ(3u, pieces.size());
    EXPECT_EQ(std::string(4094, 'x'), pieces[0]);
    EXPECT_EQ(std::string(906, 'x'), pieces[1]);
    EXPECT_EQ("z", pieces[2]);
    // A line of exactly 4094 bytes leaves its line end for a second, empty piece.
    EXPECT_EQ((V{std::string(4094, 'y'), "", "z"}), lines(std::string(4094, 'y') + "\r\nz"));
    EXPECT_EQ((V{std::string(4093, 'y'), "z"}), lines(std::string(4093, 'y') + "\r\nz"));
}

TEST(CatalogHeaders, NameListsWithTheRuntimeDecimalConversion)
{
    const std::pair<const char*, int> cases[] = {
        {"*0", 0},  {"*7", 7},    {"* 7", 7},  {"*\t 7", 7},       {"*+7", 7},
        {"*07", 7}, {"*7abc", 7}, {"*35", 35}, {"*36", 0},         {"*-1", 0},
        {"*", 0},   {"*x7", 0},   {"*- 7", 0}, {"*4294967303", 0}, {"*99999999999999999999", 0},
    };
    for (auto [line, list] : cases)
        EXPECT_EQ(list, app::CatalogHeaderList(line)) << line;
}

TEST_F(CatalogTest, EmptyFileLoadsNothing)
{
    CatalogCounts counts = Read("");
    EXPECT_EQ(0, counts.loaded);
    EXPECT_EQ(0, counts.total);
    EXPECT_EQ(L"0個のファイルをロードしました。\r\n全項目数0、対象外項目数0", prompts.Last().text);
    EXPECT_EQ(files.Path("cat.txt"), catalog.Path());
    EXPECT_EQ(0, lists.TotalCount());
}

TEST_F(CatalogTest, CountsLoadedAndExcludedEntries)
{
    std::string a = files.AddFile("a.jpg");
    std::string b = files.AddFile("b.png");
    files.AddFolder("dir.jpg");
    lists.List(0).SetFilter("*.JPG");
    // No header: list 0. An empty line, a missing file, a folder and a file outside
    // the filter are excluded; a path given twice is loaded twice but listed once.
    CatalogCounts counts = Read(a + "\r\n\r\n" + files.Path("gone.jpg") + "\r\n" + files.Path("dir.jpg") +
                                "\r\n" + b + "\r\n" + a + "\r\n");
    EXPECT_EQ(2, counts.loaded);
    EXPECT_EQ(6, counts.total);
    EXPECT_EQ(L"2個のファイルをロードしました。\r\n全項目数6、対象外項目数4", prompts.Last().text);
    EXPECT_EQ((std::vector<std::string>{a}), Paths(0));
    EXPECT_EQ((std::vector<std::string>{a}), views[0].displayed);  // UpdateView(0) at the end
    EXPECT_EQ("0:   1/  1 " + a, views[0].caption);
}

TEST_F(CatalogTest, HeadersChooseTheTargetList)
{
    std::string p[6];
    for (int i = 0; i < 6; ++i)
        p[i] = files.AddFile("p" + std::to_string(i) + ".jpg");
    Read("*36\r\n" + p[0] + "\r\n* 7\r\n" + p[1] + "\r\n*-1\r\n" + p[2] + "\r\n*\r\n" + p[3] + "\r\n*35\r\n" +
         p[4] + "\r\n*x\r\n" + p[5] + "\r\n");
    EXPECT_EQ((std::vector<std::string>{p[0], p[2], p[3], p[5]}), Paths(0));
    EXPECT_EQ((std::vector<std::string>{p[1]}), Paths(7));
    EXPECT_EQ((std::vector<std::string>{p[4]}), Paths(35));
    EXPECT_EQ(6, lists.TotalCount());
}

TEST_F(CatalogTest, APathUnderTwoHeadersEndsInTheLaterList)
{
    std::string x = files.AddFile("x.jpg");
    std::string y = files.AddFile("y.jpg");
    std::string upper = files.Path("X.JPG");
    CatalogCounts counts = Read("*3\r\n" + x + "\r\n" + y + "\r\n*5\r\n" + upper + "\r\n");
    EXPECT_EQ(3, counts.loaded);
    EXPECT_EQ((std::vector<std::string>{y}), Paths(3));
    EXPECT_EQ((std::vector<std::string>{upper}), Paths(5));
    EXPECT_TRUE(views[3].timerRunning);  // list 3 lost a path
    EXPECT_EQ((std::vector<std::string>{y}),
              std::vector<std::string>(views[3].displayed.end() - 1, views[3].displayed.end()));
}

TEST_F(CatalogTest, OpenAddsToTheListsAndNewBeforeOpenGivesTheCatalogOnly)
{
    std::string old = files.AddFile("old.jpg");
    std::string moved = files.AddFile("moved.jpg");
    std::string fresh = files.AddFile("fresh.jpg");
    lists.List(0).InsertAndSelect(old);
    lists.List(4).InsertAndSelect(moved);
    std::string cat = files.AddFile("cat.txt", "*0\r\n" + fresh + "\r\n*2\r\n" + moved + "\r\n");

    host.choices.push_back(cat);
    prompts.Answer(fw::kIdOk);
    catalog.Open();
    EXPECT_EQ((std::vector<std::string>{fresh, old}), Paths(0));
    EXPECT_EQ((std::vector<std::string>{moved}), Paths(2));
    EXPECT_TRUE(Paths(4).empty());
    EXPECT_EQ(cat, catalog.Path());

    prompts.Answer(fw::kIdYes).Answer(fw::kIdOk);
    catalog.New();
    EXPECT_EQ(L"現在のデータを破棄しますか？", prompts.Last().text);
    EXPECT_EQ(unsigned{fw::kMbYesNo | fw::kMbIconQuestion}, prompts.Last().flags);
    EXPECT_EQ(0, lists.TotalCount());
    EXPECT_EQ(1, host.cacheApplied);
    EXPECT_TRUE(catalog.Path().empty());
    EXPECT_TRUE(catalog.Load(cat));
    EXPECT_EQ((std::vector<std::string>{fresh}), Paths(0));
    EXPECT_EQ(2, lists.TotalCount());
}

TEST_F(CatalogTest, NewAsksOnlyWhenListsHoldEntriesAndNoKeepsEverything)
{
    catalog.New();  // nothing to ask about
    EXPECT_EQ(0u, prompts.Count());
    EXPECT_EQ(1, host.cacheApplied);

    std::string a = files.AddFile("a.jpg");
    std::string cat = files.AddFile("cat.txt", a + "\r\n");
    prompts.Answer(fw::kIdOk);
    catalog.Load(cat);
    prompts.Answer(fw::kIdNo);
    catalog.New();
    EXPECT_EQ(1, lists.TotalCount());
    EXPECT_EQ(cat, catalog.Path());
    EXPECT_EQ(1, host.cacheApplied);
}

TEST_F(CatalogTest, UnreadableFileKeepsListsAndPath)
{
    std::string a = files.AddFile("a.jpg");
    std::string cat = files.AddFile("cat.txt", a + "\r\n");
    prompts.Answer(fw::kIdOk);
    catalog.Load(cat);
    prompts.Answer(fw::kIdOk);
    EXPECT_FALSE(catalog.Load(files.Path("missing.txt")));
    EXPECT_EQ(L"ファイルを開けません", prompts.Last().text);
    EXPECT_EQ(unsigned{fw::kMbOk}, prompts.Last().flags);
    EXPECT_EQ(cat, catalog.Path());
    EXPECT_EQ(1, lists.TotalCount());

    host.choices.push_back(std::nullopt);  // a cancelled Open does nothing
    catalog.Open();
    EXPECT_EQ(cat, host.asked.back().second);
    EXPECT_EQ(2u, prompts.Count());
}

TEST_F(CatalogTest, EndOfFileByteAndLongLinesFollowTheRuntime)
{
    std::string a = files.AddFile("a.jpg");
    std::string b = files.AddFile("b.jpg");
    CatalogCounts counts = Read(a + "\r\n" + std::string(5000, 'q') + "\r\n\x1A" + b + "\r\n");
    EXPECT_EQ(1, counts.loaded);
    EXPECT_EQ(3, counts.total);  // the long line counts as two pieces
    EXPECT_EQ((std::vector<std::string>{a}), Paths(0));
}

TEST_F(CatalogTest, SaveWritesAllHeadersAndEntriesExactly)
{
    std::string a = files.AddFile("img\\a.jpg");
    std::string b = files.AddFile("img\\b.jpg");
    std::string c = files.AddFile("x\\c.bmp");
    std::string gone = files.AddFile("img\\gone.jpg");
    lists.List(0).InsertAndSelect(b);
    lists.List(0).InsertAndSelect(a);
    lists.List(0).InsertAndSelect(gone);
    lists.List(1).InsertAndSelect(c);
    files.Remove("img\\gone.jpg");

    std::string expected = "*0\r\n" + a + "\r\n" + b + "\r\n*1\r\n" + c + "\r\n" + HeadersFrom(2);
    host.choices.push_back(files.Path("out.txt"));
    catalog.Save();  // no catalog path yet: Save As
    EXPECT_TRUE(host.asked.back().first);
    EXPECT_EQ(files.Path("out.txt"), catalog.Path());
    EXPECT_EQ(expected, files.Read("out.txt"));
    EXPECT_FALSE(files.Exists("out.txt.tmp"));
    EXPECT_EQ(2, lists.List(0).GetCount());  // the missing file was dropped

    // Reading the file back gives the same lists.
    lists::ListSet again(files.Fs());
    for (int n = 0; n < lists::kListCount; ++n)
        again.List(n).SetFilter(kImageFilter);
    Catalog reader(again, files.Fs(), host);
    prompts.Answer(fw::kIdOk);
    ASSERT_TRUE(reader.Load(files.Path("out.txt")));
    for (int n = 0; n < lists::kListCount; ++n)
        EXPECT_EQ(Paths(n), again.List(n).Paths().Paths());

    // Saving again replaces the file; a file of the user's that happens to
    // carry the scratch name stays as it was.
    files.AddFile("out.txt.tmp", "mine");
    lists.List(1).ClearList();
    catalog.Save();
    EXPECT_EQ("*0\r\n" + a + "\r\n" + b + "\r\n" + HeadersFrom(1), files.Read("out.txt"));
    EXPECT_EQ("mine", files.Read("out.txt.tmp"));
    EXPECT_FALSE(files.Exists("out.txt.tmp1"));
}

TEST_F(CatalogTest, SavingEmptyListsWrites36Headers)
{
    EXPECT_TRUE(catalog.Write(files.Path("empty.txt")));
    EXPECT_EQ(HeadersFrom(0), files.Read("empty.txt"));
    EXPECT_EQ(0u, prompts.Count());
}

TEST_F(CatalogTest, CancelledSaveAsWritesNothing)
{
    host.choices.push_back(std::nullopt);
    catalog.Save();
    EXPECT_TRUE(catalog.Path().empty());
    EXPECT_EQ(0u, prompts.Count());
    EXPECT_FALSE(files.Exists("out.txt"));
}

TEST_F(CatalogTest, FileThatCannotBeCreatedIsReported)
{
    std::string path = files.Path("no\\such\\folder\\cat.txt");
    host.choices.push_back(path);
    prompts.Answer(fw::kIdOk);
    catalog.SaveAs();
    EXPECT_EQ(L"ファイルが作成できません", prompts.Last().text);
    EXPECT_EQ(unsigned{fw::kMbOk}, prompts.Last().flags);
    EXPECT_EQ(path, catalog.Path());
}

TEST_F(CatalogTest, FailedWriteKeepsThePreviousCatalog)
{
    if (!files.Memory())
        GTEST_SKIP() << "short writes are injected in the in-memory file system";
    std::string cat = files.AddFile("cat.txt", "*0\r\nprevious\r\n");
    lists.List(0).InsertAndSelect(files.AddFile("a.jpg"));
    for (size_t budget : {size_t{0}, size_t{3}, size_t{10}}) {
        files.Memory()->FailWritesAfter(budget);
        prompts.Answer(fw::kIdOk);
        EXPECT_FALSE(catalog.Write(cat));
        EXPECT_EQ(L"ファイル書き込みに失敗しました", prompts.Last().text);
        EXPECT_EQ(unsigned{fw::kMbOk}, prompts.Last().flags);
        EXPECT_EQ("*0\r\nprevious\r\n", files.Read("cat.txt"));
        EXPECT_FALSE(files.Exists("cat.txt.tmp"));
    }
    files.Memory()->FailWritesAfter(SIZE_MAX / 2);
    files.Memory()->FailReplace(true);
    prompts.Answer(fw::kIdOk);
    EXPECT_FALSE(catalog.Write(cat));
    EXPECT_EQ(L"ファイルが作成できません", prompts.Last().text);
    EXPECT_EQ("*0\r\nprevious\r\n", files.Read("cat.txt"));
    EXPECT_FALSE(files.Exists("cat.txt.tmp"));

    files.Memory()->FailReplace(false);
    EXPECT_TRUE(catalog.Write(cat));
    EXPECT_EQ("*0\r\n" + files.Path("a.jpg") + "\r\n" + HeadersFrom(1), files.Read("cat.txt"));
}

#ifdef _WIN32
TEST_F(CatalogTest, CatalogInUseStaysAsItWasAndNoTemporaryFileRemains)
{
    std::string cat = files.AddFile("cat.txt", "*0\r\nprevious\r\n");
    lists.List(0).InsertAndSelect(files.AddFile("a.jpg"));
    HANDLE held =
        CreateFileA(cat.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    prompts.Answer(fw::kIdOk);
    EXPECT_FALSE(catalog.Write(cat));
    CloseHandle(held);
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ(L"ファイルが作成できません", prompts.Last().text);
    EXPECT_EQ("*0\r\nprevious\r\n", files.Read("cat.txt"));
    EXPECT_FALSE(files.Exists("cat.txt.tmp"));
}
#endif

}  // namespace
