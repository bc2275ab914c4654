#include <gtest/gtest.h>

#include <set>

#include "fileops/move_plan.h"
#include "fileops/rename_template.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

namespace {

using fileops::ExpandTemplate;
using fileops::LocalTime;

const LocalTime kTime{2001, 12, 3, 15, 45, 2};

// Double-byte characters whose trail bytes are "\" and "|", and a full-width digit.
const std::string kHyo = "\x95\x5C";    // 表
const std::string kPo = "\x83\x7C";     // ポ
const std::string kWide1 = "\x82\x50";  // １

TEST(RenameTemplate, ExpandsEveryCode)
{
    const std::tuple<std::string, int32_t, std::string, std::string> cases[] = {
        // pattern, counter, name, result
        {"%w%3:1c.%ie", 4, "IMG_0012.JPG", "IMG_005.jpg"},
        {"%Y%M%D_%h%m%s.%e", 0, "a.bmp", "20011203_154502.bmp"},
        {"%w%4n.%e", 0, "photo12b.jpg", "photo0012.jpg"},
        {"%w%:10n", 0, "x7.gif", "x17"},
        {"%of", 0, "abc.gif", "ABC"},
        {"100%%_%f", 0, "a.png", "100%_a"},
        {"%F-%W-%E-%C-%N", 3, "ab12cd34.x", "ab12cd34-ab-x-3-12"},
        {"[%f][%e]", 0, ".abc", "[.abc][]"},
        {"[%f][%e]", 0, "a.b.c", "[a.b][c]"},
        {"%w|%n|%5:3n", 0, "abc.jpg", "abc|0|00003"},
        {"%5c|%c|%:2c", -12, "a", "-0012|-12|-10"},
        {"%c", INT_MAX, "a", "2147483647"},
        {"%:1c", INT_MAX, "a", "2147483648"},
        {"%ydHS%x%-1c", 0, "a", "ydHSx-1c"},
        {"%if%oe", 0, "MiXeD.jpg", "mixedJPG"},
        {"a%", 0, "x", "a"},
        {"a%12:", 0, "x", "a"},
        {"a%3:4i", 0, "x", "a"},
        {"%99999999999999999999999n", 0, "x1", std::string(259, '0')},
        {"%n", 0, "n99999999999999999999999", "999999999999999999"},
        // Double-byte characters are copied whole and never split by the searches.
        {"%f.%e", 0, kHyo + ".jpg", kHyo + ".jpg"},
        {"%w_%n", 0, "a" + kWide1 + "5b", "a" + kWide1 + "_5"},
        {"%of" + kPo, 0, "a" + kPo + ".x", "A" + kPo + kPo},
        {"%" + kHyo, 0, "a", kHyo},
        {"[%f][%e]", 0, kHyo + ".b\x95", "[" + kHyo + "][b\x95]"},  // a lone lead byte at the end
    };
    for (const auto& [pattern, counter, name, result] : cases)
        EXPECT_EQ(result, ExpandTemplate(name, pattern, kTime, counter, fw::CodePage932()))
            << pattern << " on " << name;
    EXPECT_EQ("0000-00-00 00.00.00",
              ExpandTemplate("a", "%Y-%M-%D %h.%m.%s", LocalTime(), 0));  // time unknown
}

TEST(RenameTemplate, StopsBeforeTheFirstCharacterThatDoesNotFit)
{
    const std::tuple<std::string, std::string, size_t, std::string> cases[] = {
        // pattern, name, limit, result
        {"%f", std::string(300, 'a'), fileops::kMaxPathBytes, std::string(259, 'a')},
        {"%f.%e", "abc.def", 5, "abc.d"},
        {"ab" + kHyo + "c", "x", 3, "ab"},  // no half character, and nothing after it
        {"%f" + kHyo, "abcd", 5, "abcd"},
        {"%10c", "x", 4, "0000"},
        {"x%3c", "x", 3, "x00"},
    };
    for (const auto& [pattern, name, limit, result] : cases)
        EXPECT_EQ(result, ExpandTemplate(name, pattern, kTime, 0, fw::CodePage932(), limit))
            << pattern << " " << limit;
}

using fileops::MovePlan;
using testing_support::Utf8;
using Names = std::vector<std::string>;

// A scratch folder with a destination folder "dst"; paths relative to it.
class PlanTest : public ::testing::Test {
protected:
    PlanTest() { files.AddFolder("dst"); }
    MovePlan Build(const Names& sources, std::string_view pattern = {}, std::string_view filter = "*",
                   const std::string& at = "")
    {
        Names paths;
        for (const std::string& source : sources)
            paths.push_back(files.AddFile(at + source, source));
        return MovePlan::Build(paths, files.AddFolder(at + "dst") + "\\", lists::FilterPattern(filter),
                               pattern, files.Fs());
    }
    std::string Relative(const std::string& path) const
    {
        return path == fileops::kNoSource ? path : path.substr(files.Root().size() + 1);
    }
    // Each row as "new name|existing name|source".
    Names Describe(const MovePlan& plan) const
    {
        Names rows;
        for (const fileops::PlanRow& row : plan.Rows())
            rows.push_back(row.newName + "|" + row.existingName + "|" + Relative(row.source));
        return rows;
    }

    testing_support::TestFiles files;
    testing_support::ScriptedPrompts prompts;
};

TEST_F(PlanTest, MergesEntriesWithTheFolderFilesInNameOrderAndRenamesByTemplateWithTheListPosition)
{
    for (const char* name : {"dst\\b.jpg", "dst\\D.jpg", "dst\\.hidden.jpg", "dst\\x.txt", "dst\\1.jpg"})
        files.AddFile(name);
    files.AddFolder("dst\\c.jpg");
    EXPECT_EQ((Names{"|1.jpg|<NONE>", "a.jpg||src\\a.jpg", "B.JPG|b.jpg|src2\\B.JPG", "b.jpg||src\\b.jpg",
                     "|D.jpg|<NONE>", "e.jpg||src\\e.jpg"}),
              Describe(Build({"src\\e.jpg", "src\\b.jpg", "src2\\B.JPG", "src\\a.jpg"}, {}, "*.jpg")));
    EXPECT_EQ((Names{"0.jpg||s\\b.jpg", "1.jpg|1.jpg|s\\a.jpg", "|b.jpg|<NONE>", "|D.jpg|<NONE>"}),
              Describe(Build({"s\\b.jpg", "s\\a.jpg"}, "%c.%e", "*.jpg")));
}

TEST_F(PlanTest, ValidationMarksExactlyTheRowsThatMustNotRun)
{
    const std::string deep(250, 'd');
    const struct {
        const char* what;
        Names sources;  // files in "dst" lie in the folder
        const char* pattern;
        std::vector<std::pair<std::string, std::string>> edits;  // source -> new name ("" excludes)
        std::set<std::string> invalid;                           // sources of the invalid rows
    } cases[] = {
        {"two folders", {"x\\a.jpg", "y\\A.jpg", "x\\b.jpg"}, "", {}, {"x\\a.jpg", "y\\A.jpg"}},
        {"by template", {"x\\a.jpg", "x\\b.jpg"}, "x.%e", {}, {"x\\a.jpg", "x\\b.jpg"}},
        {"a trailing dot", {"x\\README", "y\\README."}, "", {}, {"x\\README", "y\\README."}},
        {"one excluded", {"x\\a.jpg", "y\\a.jpg"}, "", {{"y\\a.jpg", ""}}, {}},
        {"one renamed", {"x\\a.jpg", "y\\a.jpg"}, "", {{"y\\a.jpg", "c.jpg"}}, {}},
        {"in place", {"dst\\a.jpg", "x\\b.jpg"}, "", {}, {}},
        {"itself", {"dst\\A.JPG"}, "%if.%ie", {}, {}},
        {"onto a source", {"dst\\a", "x\\b"}, "", {{"dst\\a", "z"}, {"x\\b", "a"}}, {"x\\b"}},
        {"onto a renamed source", {"dst\\1.jpg", "x\\b.jpg"}, "%c.%e", {}, {"x\\b.jpg"}},
        {"onto an excluded source", {"dst\\a.jpg", "x\\a.jpg"}, "", {{"dst\\a.jpg", ""}}, {"x\\a.jpg"}},
        {"forbidden", {"x\\a.jpg"}, "%f?.%e", {}, {"x\\a.jpg"}},
        {"control", {"x\\a.jpg"}, "%f\x01", {}, {"x\\a.jpg"}},
        {"dots", {"x\\a.jpg"}, "..", {}, {"x\\a.jpg"}},
        {"devices", {"x\\a", "x\\b"}, "", {{"x\\a", "NUL.jpg"}, {"x\\b", "com1"}}, {"x\\a", "x\\b"}},
        {"too long", {"x\\a.jpg", "x\\b.jpg"}, "", {{"x\\a.jpg", deep}}, {"x\\a.jpg"}},
    };
    for (const auto& c : cases) {
        const std::string at = std::to_string(&c - cases) + "\\";  // a folder of its own
        MovePlan plan = Build(c.sources, c.pattern, "*", at);
        for (const auto& [source, name] : c.edits) {
            for (size_t row = 0; row < plan.Rows().size(); ++row) {
                if (plan.Rows()[row].source != files.Path(at + source))
                    continue;
                if (name.empty())
                    plan.Exclude({row});
                else
                    plan.Rows()[row].newName = name;  // as a label edit or batch change leaves it
            }
        }
        EXPECT_TRUE(plan.InvalidRows().empty()) << "marks before validation: " << c.what;
        EXPECT_EQ(c.invalid.empty(), plan.Validate()) << c.what;
        std::set<std::string> invalid;
        for (size_t row : plan.InvalidRows())
            invalid.insert(Relative(plan.Rows()[row].source).substr(at.size()));
        EXPECT_EQ(c.invalid, invalid) << c.what;
    }
}

TEST_F(PlanTest, ChecksAndNameEditsWarnAndBatchChangesRenameTheChosenRowsInOrder)
{
    prompts.Answer(fw::kIdOk).Answer(fw::kIdOk);
    files.AddFile("dst\\b.jpg");
    MovePlan plan = Build({"x\\a.jpg", "y\\a.jpg"});  // rows a (x), a (y), b (the folder's)
    EXPECT_FALSE(fileops::CheckPlan(plan));
    EXPECT_EQ(
        "ファイル名が重複しているか、\r\nコピー・移動元ファイルを上書きしようとしているか、\r\n\r\n"
        "不正な文字が使用されているためコピーできません",
        Utf8(prompts.Last().text));
    EXPECT_FALSE(fileops::EndNameEdit(plan, 0, "b,c.jpg"));
    EXPECT_EQ("ファイル名には次の文字はつかえません。\r\n*?;:<>|\\/,\"", Utf8(prompts.Last().text));
    EXPECT_FALSE(fileops::EndNameEdit(plan, 0, "") || plan.CanEditName(2) ||
                 fileops::EndNameEdit(plan, 2, "y"));
    EXPECT_TRUE(fileops::EndNameEdit(plan, 0, "\x95\x5C.jpg"));  // a trail byte "\" is no separator
    EXPECT_TRUE(fileops::CheckPlan(plan));
    EXPECT_EQ(2u, prompts.Count());
    int32_t sequence = INT32_MAX;
    plan.BatchRename({1, 2, 0, 1}, "%f_%c.%e", sequence, files.Fs());
    EXPECT_EQ(INT32_MIN + 1, sequence);  // wraps like the int it is
    EXPECT_EQ((Names{"\x95\x5C_2147483647.jpg||x\\a.jpg", "a_-2147483648.jpg||y\\a.jpg", "|b.jpg|<NONE>"}),
              Describe(plan));
}

}  // namespace
