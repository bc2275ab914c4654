#include <gtest/gtest.h>

#include <tuple>

#include "app/catalog.h"
#include "tests/lists/recording_view.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

namespace {

using app::Catalog;
using Paths = std::vector<std::string>;

// Header lines "*n" CR LF for n = first to 35.
std::string HeadersFrom(int first)
{
    std::string headers;
    for (int n = first; n < lists::kListCount; ++n)
        headers += "*" + std::to_string(n) + "\r\n";
    return headers;
}

TEST(CatalogLines, FollowTheRuntimeTextModeAndLineBuffer)
{
    const std::pair<std::string, Paths> cases[] = {
        {"", {}},
        {"a\r\nb\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\r\n", {"a"}},  // a lone CR cuts the line
        {"a\r\n\x1A\r\nb\r\n", {"a"}},
        {"a\x1A\r\nb", {"a"}},
        {std::string("a\0b\r\nc", 7), {"a", "c"}},  // a NUL ends the piece
        {"x\x95\x5C\r\ny", {"x\x95\x5C", "y"}},
        {std::string(5000, 'x') + "\r\nz", {std::string(4094, 'x'), std::string(906, 'x'), "z"}},
        // A line of exactly 4094 bytes leaves its line end for a second, empty piece.
        {std::string(4094, 'y') + "\r\nz", {std::string(4094, 'y'), "", "z"}},
        {std::string(4093, 'y') + "\r\nz", {std::string(4093, 'y'), "z"}},
    };
    for (const auto& [bytes, expected] : cases) {
        Paths lines;
        app::ForEachCatalogLine(bytes, fw::SystemCodePage(),
                                [&](std::string_view line) { lines.emplace_back(line); });
        EXPECT_EQ(expected, lines) << bytes.substr(0, 12);
    }
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

// The file dialog answers with the next of `choices`, an empty one cancelling it.
class FakeHost final : public app::CatalogHost {
public:
    bool ChooseCatalogFile(bool save, std::string& path) override
    {
        asked.push_back({save, path});
        const std::string& choice = choices.at(asked.size() - 1);
        return !choice.empty() && !(path = choice).empty();
    }
    void ApplyCacheSettings() override { ++cacheApplied; }

    Paths choices;
    std::vector<std::pair<bool, std::string>> asked;
    int cacheApplied = 0;
};

class CatalogTest : public ::testing::Test {
protected:
    CatalogTest() : lists(files.Fs()), catalog(lists, files.Fs(), host)
    {
        for (int n = 0; n < lists::kListCount; ++n) {
            lists.List(n).SetView(&views[n]);
            lists.List(n).SetFilter("*.jpg;*.bmp;*.png");
        }
    }
    Paths In(int n) const { return lists.List(n).Paths().Paths(); }

    testing_support::TestFiles files;
    testing_support::ScriptedPrompts prompts;
    FakeHost host;
    testing_support::RecordingView views[lists::kListCount];
    lists::ListSet lists;
    Catalog catalog;
};

TEST_F(CatalogTest, LoadListsExistingAcceptedFilesUnderTheirHeadersAndCountsEveryEntry)
{
    std::string p[4];
    for (int i = 0; i < 4; ++i)
        p[i] = files.AddFile("p" + std::to_string(i) + ".jpg");
    files.AddFolder("dir.jpg");
    const std::string b = files.AddFile("b.png");
    const std::string upper = files.Path("P0.JPG");
    lists.List(0).SetFilter("*.JPG");
    // No header: list 0. An empty line, a missing file, a folder and a file outside the
    // filter are excluded; a path given twice is loaded twice but listed once; a later
    // header takes a path over.
    const std::string cat =
        files.AddFile("cat.txt", p[0] + "\r\n\r\n" + files.Path("gone.jpg") + "\r\n" + files.Path("dir.jpg") +
                                     "\r\n" + b + "\r\n*36\r\n" + p[1] + "\r\n* 7\r\n" + p[2] +
                                     "\r\n*35\r\n" + p[3] + "\r\n" + p[3] + "\r\n*3\r\n" + upper);
    prompts.Answer(fw::kIdOk);
    app::CatalogCounts counts;
    EXPECT_TRUE(catalog.Load(cat, &counts));
    EXPECT_EQ(L"6個のファイルをロードしました。\r\n全項目数10、対象外項目数4", prompts.Last().text);
    EXPECT_EQ(unsigned{fw::kMbIconInformation}, prompts.Last().flags);
    EXPECT_EQ(Catalog::LoadedMessage(counts), prompts.Last().text);
    const std::pair<int, Paths> expected[] = {{0, {p[1]}}, {7, {p[2]}}, {35, {p[3]}}, {3, {upper}}};
    for (const auto& [list, paths] : expected)
        EXPECT_EQ(paths, In(list)) << list;
    EXPECT_EQ(4, lists.TotalCount());
    EXPECT_EQ(Paths{p[3]}, views[35].displayed);  // the first entry is shown at the end
    EXPECT_TRUE(views[0].timerRunning);           // list 0 lost a path
    EXPECT_EQ(cat, catalog.Path());
}

TEST_F(CatalogTest, OpenAddsToTheListsSaveWritesThemAllAndNewAsksBeforeEmptyingThem)
{
    catalog.New();  // nothing to ask about
    EXPECT_EQ(0u, prompts.Count());
    const std::string a = files.AddFile("img\\a.jpg");
    const std::string b = files.AddFile("img\\b.jpg");
    const std::string c = files.AddFile("x\\c.bmp");
    lists.List(0).InsertAndSelect(b);
    lists.List(4).InsertAndSelect(c);
    const std::string cat = files.AddFile("cat.txt", "*0\r\n" + a + "\r\n*1\r\n" + c + "\r\n");
    host.choices = {"", cat, "", files.Path("no\\such\\out.txt"), files.Path("out.txt")};
    catalog.Save();  // no catalog yet: Save As, cancelled
    EXPECT_TRUE(catalog.Path().empty());
    prompts.Answer(fw::kIdOk).Answer(fw::kIdOk).Answer(fw::kIdOk);
    catalog.Open();  // adds to the lists; a path moves to the list that names it
    EXPECT_EQ((std::vector<Paths>{{a, b}, {c}, {}}), (std::vector<Paths>{In(0), In(1), In(4)}));
    catalog.Open();  // cancelled
    EXPECT_EQ((std::pair<bool, std::string>{false, cat}), host.asked.back());
    EXPECT_FALSE(catalog.Load(files.Path("missing.txt")));
    EXPECT_EQ(L"ファイルを開けません", prompts.Last().text);
    EXPECT_EQ(cat, catalog.Path());

    catalog.SaveAs();  // into a folder that does not exist
    EXPECT_EQ(L"ファイルが作成できません", prompts.Last().text);
    EXPECT_EQ(files.Path("no\\such\\out.txt"), catalog.Path());
    lists.List(0).InsertAndSelect(files.AddFile("img\\gone.jpg"));
    files.Remove("img\\gone.jpg");
    files.AddFile("out.txt.tmp", "mine");  // a file of the user's with the scratch name stays
    catalog.SaveAs();
    EXPECT_TRUE(host.asked.back().first);
    EXPECT_EQ("*0\r\n" + a + "\r\n" + b + "\r\n*1\r\n" + c + "\r\n" + HeadersFrom(2), files.Read("out.txt"));
    EXPECT_EQ(2, lists.List(0).GetCount());  // the missing file was dropped
    EXPECT_EQ("mine", files.Read("out.txt.tmp"));
    lists.List(1).ClearList();
    catalog.Save();  // replaces the file
    EXPECT_EQ("*0\r\n" + a + "\r\n" + b + "\r\n" + HeadersFrom(1), files.Read("out.txt"));
    EXPECT_FALSE(files.Exists("out.txt.tmp1"));

    lists.List(0).RemoveCurrent();
    prompts.Answer(fw::kIdNo).Answer(fw::kIdYes);
    catalog.New();  // one entry is enough to ask; No keeps everything
    EXPECT_EQ(1, lists.TotalCount());
    catalog.New();
    EXPECT_EQ(L"現在のデータを破棄しますか？", prompts.Last().text);
    EXPECT_EQ(unsigned{fw::kMbYesNo | fw::kMbIconQuestion}, prompts.Last().flags);
    EXPECT_EQ(0, lists.TotalCount());
    EXPECT_EQ(2, host.cacheApplied);
    EXPECT_TRUE(catalog.Path().empty());
}

// A write that fails half way leaves the user's catalog as it was, says so, and leaves
// no scratch file behind.
TEST_F(CatalogTest, AFailedWriteKeepsThePreviousCatalog)
{
    if (!files.Memory())
        GTEST_SKIP() << "failures are injected in the in-memory file system";
    const std::string cat = files.AddFile("cat.txt", "*0\r\nprevious\r\n");
    lists.List(0).InsertAndSelect(files.AddFile("a.jpg"));
    // Bytes written before writes fail (3: in a header, 10: in a path), the replacing failing.
    const std::tuple<size_t, bool, const wchar_t*> cases[] = {
        {3, false, L"ファイル書き込みに失敗しました"},
        {10, false, L"ファイル書き込みに失敗しました"},
        {SIZE_MAX / 2, true, L"ファイルが作成できません"}};
    for (const auto& [budget, failReplace, message] : cases) {
        files.Memory()->FailWritesAfter(budget);
        files.Memory()->FailReplace(failReplace);
        prompts.Answer(fw::kIdOk);
        EXPECT_FALSE(catalog.Write(cat));
        EXPECT_EQ(message, prompts.Last().text) << budget;
        EXPECT_EQ("*0\r\nprevious\r\n", files.Read("cat.txt"));
        EXPECT_FALSE(files.Exists("cat.txt.tmp"));
    }
}

}  // namespace
