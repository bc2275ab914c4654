#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fileops/move_plan.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"

namespace {

using fileops::MovePlan;
using fileops::PlanRow;
using testing_support::ScriptedPrompts;
using testing_support::TestFiles;

// A scratch folder with a destination folder "dst".
class PlanFiles {
public:
    PlanFiles() { files.AddFolder("dst"); }

    // Files at these paths under the scratch folder, in this order.
    std::vector<std::string> Sources(const std::vector<std::string>& relative)
    {
        std::vector<std::string> paths;
        for (const std::string& r : relative)
            paths.push_back(files.AddFile(r, r));
        return paths;
    }
    MovePlan Build(const std::vector<std::string>& relative, std::string_view pattern = {},
                   std::string_view filter = "*")
    {
        sources = Sources(relative);
        return MovePlan::Build(sources, Folder(), lists::FilterPattern(filter), pattern, files.Fs());
    }
    std::string Folder() const { return files.Path("dst\\"); }
    // Each row as "new name|existing name|source relative to the scratch folder".
    std::vector<std::string> Describe(const MovePlan& plan) const
    {
        std::vector<std::string> rows;
        for (const PlanRow& row : plan.Rows()) {
            std::string source = row.ExistingOnly() ? row.source : row.source.substr(files.Root().size() + 1);
            rows.push_back(row.newName + "|" + row.existingName + "|" + source);
        }
        return rows;
    }
    size_t RowOf(const MovePlan& plan, const std::string& relative) const
    {
        for (size_t i = 0; i < plan.Rows().size(); ++i)
            if (plan.Rows()[i].source == files.Path(relative))
                return i;
        ADD_FAILURE() << relative;
        return 0;
    }

    TestFiles files;
    std::vector<std::string> sources;
};

class PlanTest : public ::testing::Test, public PlanFiles {};

TEST_F(PlanTest, MergesEntriesWithTheFolderFilesInNameOrder)
{
    for (const char* name : {"dst\\b.jpg", "dst\\D.jpg", "dst\\.hidden.jpg", "dst\\x.txt"})
        files.AddFile(name);
    files.AddFolder("dst\\c.jpg");
    MovePlan plan = Build({"src\\e.jpg", "src\\b.jpg", "src2\\B.JPG", "src\\a.jpg"}, {}, "*.jpg");
    EXPECT_EQ((std::vector<std::string>{"a.jpg||src\\a.jpg", "B.JPG|b.jpg|src2\\B.JPG", "b.jpg||src\\b.jpg",
                                        "|D.jpg|<NONE>", "e.jpg||src\\e.jpg"}),
              Describe(plan));
}

TEST_F(PlanTest, RenamesByTemplateWithTheListPositionAsCounter)
{
    files.AddFile("dst\\1.jpg");
    MovePlan plan = Build({"src\\b.jpg", "src\\a.jpg"}, "%c.%e");
    EXPECT_EQ((std::vector<std::string>{"0.jpg||src\\b.jpg", "1.jpg|1.jpg|src\\a.jpg"}), Describe(plan));
}

struct ValidationCase {
    const char* what;
    std::vector<std::string> sources;  // relative; files in "dst" are in the folder
    const char* pattern;
    std::vector<std::pair<std::string, std::string>> edits;  // source -> new name ("" excludes)
    std::set<std::string> invalid;                           // sources of the invalid rows
};

TEST_F(PlanTest, ValidationMarksExactlyTheRowsThatMustNotRun)
{
    const std::string deep(250, 'd');
    const ValidationCase cases[] = {
        {"distinct names", {"s1\\a.jpg", "s1\\b.jpg"}, "", {}, {}},
        {"same name from two folders",
         {"s1\\a.jpg", "s2\\A.jpg", "s1\\b.jpg"},
         "",
         {},
         {"s1\\a.jpg", "s2\\A.jpg"}},
        {"same name by template", {"s1\\a.jpg", "s1\\b.jpg"}, "x.%e", {}, {"s1\\a.jpg", "s1\\b.jpg"}},
        {"a trailing dot names the same file",
         {"s1\\README", "s2\\README."},
         "",
         {},
         {"s1\\README", "s2\\README."}},
        {"excluding one of two clears both", {"s1\\a.jpg", "s2\\a.jpg"}, "", {{"s2\\a.jpg", ""}}, {}},
        {"renaming one of two clears both", {"s1\\a.jpg", "s2\\a.jpg"}, "", {{"s2\\a.jpg", "c.jpg"}}, {}},
        {"a file already in place", {"dst\\a.jpg", "s1\\b.jpg"}, "", {}, {}},
        {"itself in another case", {"dst\\A.JPG"}, "%if.%ie", {}, {}},
        {"onto another entry's source",
         {"dst\\a.jpg", "s1\\b.jpg"},
         "",
         {{"dst\\a.jpg", "z.jpg"}, {"s1\\b.jpg", "a.jpg"}},
         {"s1\\b.jpg"}},
        {"onto a source the template renamed", {"dst\\1.jpg", "s1\\b.jpg"}, "%c.%e", {}, {"s1\\b.jpg"}},
        {"onto an excluded source", {"dst\\a.jpg", "s1\\a.jpg"}, "", {{"dst\\a.jpg", ""}}, {"s1\\a.jpg"}},
        {"forbidden character", {"s1\\a.jpg"}, "%f?.%e", {}, {"s1\\a.jpg"}},
        {"control character", {"s1\\a.jpg"}, "%f\x01", {}, {"s1\\a.jpg"}},
        {"nothing but dots", {"s1\\a.jpg"}, "..", {}, {"s1\\a.jpg"}},
        {"device name",
         {"s1\\a.jpg", "s1\\b.jpg"},
         "",
         {{"s1\\a.jpg", "NUL.jpg"}, {"s1\\b.jpg", "com1"}},
         {"s1\\a.jpg", "s1\\b.jpg"}},
        {"path too long", {"s1\\a.jpg", "s1\\b.jpg"}, "", {{"s1\\a.jpg", deep}}, {"s1\\a.jpg"}},
        {"every row excluded", {"s1\\a.jpg", "s2\\a.jpg"}, "", {{"s1\\a.jpg", ""}, {"s2\\a.jpg", ""}}, {}},
    };
    for (const ValidationCase& c : cases) {
        PlanFiles scratch;
        MovePlan plan = scratch.Build(c.sources, c.pattern);
        for (const auto& [source, name] : c.edits) {
            size_t row = scratch.RowOf(plan, source);
            if (name.empty())
                plan.Exclude({row});
            else
                plan.Rows()[row].newName = name;  // as a label edit or batch change leaves it
        }
        std::set<std::string> invalid;
        for (size_t row : plan.InvalidRows())
            invalid.insert(plan.Rows()[row].source);
        EXPECT_TRUE(invalid.empty()) << "marks before validation: " << c.what;
        EXPECT_EQ(c.invalid.empty(), plan.Validate()) << c.what;
        for (size_t row : plan.InvalidRows())
            invalid.insert(plan.Rows()[row].source.substr(scratch.files.Root().size() + 1));
        EXPECT_EQ(c.invalid, invalid) << c.what;
    }
}

TEST_F(PlanTest, CheckWarnsOnlyAboutAnInvalidPlan)
{
    ScriptedPrompts prompts;
    prompts.Answer(fw::kIdOk);
    MovePlan plan = Build({"s1\\a.jpg", "s2\\a.jpg"});
    EXPECT_FALSE(fileops::CheckPlan(plan));
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ(
        "ファイル名が重複しているか、\r\nコピー・移動元ファイルを上書きしようとしているか、\r\n\r\n"
        "不正な文字が使用されているためコピーできません",
        testing_support::Utf8(prompts.Last().text));
    plan.Exclude({0});
    EXPECT_TRUE(fileops::CheckPlan(plan));
    EXPECT_EQ(1u, prompts.Count());
}

TEST_F(PlanTest, NameEditsRefuseForbiddenCharactersEmptyTextAndFolderFiles)
{
    ScriptedPrompts prompts;
    prompts.Answer(fw::kIdOk);
    files.AddFile("dst\\z.jpg");
    MovePlan plan = Build({"s1\\a.jpg"});
    ASSERT_EQ(2u, plan.Rows().size());
    EXPECT_FALSE(fileops::EndNameEdit(plan, 0, "b,c.jpg"));
    ASSERT_EQ(1u, prompts.Count());
    EXPECT_EQ("ファイル名には次の文字はつかえません。\r\n*?;:<>|\\/,\"",
              testing_support::Utf8(prompts.Last().text));
    EXPECT_FALSE(fileops::EndNameEdit(plan, 0, ""));
    EXPECT_FALSE(plan.CanEditName(1));
    EXPECT_FALSE(fileops::EndNameEdit(plan, 1, "y.jpg"));
    EXPECT_EQ(1u, prompts.Count());
    EXPECT_EQ("a.jpg", plan.Rows()[0].newName);
    EXPECT_TRUE(fileops::EndNameEdit(plan, 0, "\x95\x5C.jpg"));  // a trail byte "\" is no separator
    EXPECT_EQ("\x95\x5C.jpg", plan.Rows()[0].newName);
}

TEST_F(PlanTest, BatchChangeNumbersTheChosenRowsAndSkipsFolderFiles)
{
    files.AddFile("dst\\b.jpg");
    MovePlan plan = Build({"s1\\a.jpg", "s1\\c.jpg", "s1\\d.jpg"});
    ASSERT_EQ((std::vector<std::string>{"a.jpg||s1\\a.jpg", "|b.jpg|<NONE>", "c.jpg||s1\\c.jpg",
                                        "d.jpg||s1\\d.jpg"}),
              Describe(plan));
    plan.Exclude({2});
    int32_t sequence = 5;
    plan.BatchRename({3, 2, 1, 0}, "%f_%c.%e", sequence, files.Fs());
    EXPECT_EQ(8, sequence);
    EXPECT_EQ((std::vector<std::string>{"a_5.jpg", "", "_6.", "d_7.jpg"}),
              (std::vector<std::string>{plan.Rows()[0].newName, plan.Rows()[1].newName,
                                        plan.Rows()[2].newName, plan.Rows()[3].newName}));
    sequence = 0;
    plan.Exclude({0});
    plan.BatchRename({0}, "%f.%e", sequence, files.Fs());
    EXPECT_EQ(".", plan.Rows()[0].newName);
}

}  // namespace
