#include <gtest/gtest.h>

#include "app/command_line.h"
#include "tests/support/memory_filesystem.h"
#include "lists/folder_loader.h"
#include "lists/list_set.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndQuotes)
{
    const std::string longest(259, 'x');
    const std::pair<std::string, Tokens> cases[] = {
        {"", {}},
        {" \t ", {}},
        {"a.jpg  \tb.jpg", {"a.jpg", "b.jpg"}},
        {"\"C:\\My Pictures\" x", {"C:\\My Pictures", "x"}},
        {"\"\" a \"\"", {"a"}},
        {"a \"C:\\open folder", {"a", "C:\\open folder"}},
        {"\"q\"r s", {"q", "r", "s"}},  // the closing quote ends the token
        {"x\"y z", {"x\"y", "z"}},
        {longest + " " + longest + "y z", {longest, "z"}},  // too long: skipped, never cut
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(expected, app::SplitCommandLine(text)) << text;
}

class NoEscape final : public lists::LoadEnvironment {
public:
    bool EscapePressed() override { return false; }
};

TEST(CommandLine, LoadsOnlyTheFirst64Files)
{
    testing_support::MemoryFileSystem fs;
    std::string text;
    for (int i = 0; i < 70; ++i) {
        std::string path = "C:\\f\\" + std::to_string(100 + i) + ".jpg";
        fs.AddFile(path);
        text += path + " ";
    }
    lists::ListSet lists(fs);
    lists.List(0).SetFilter("*.jpg");
    NoEscape env;
    lists::LoadCommandLine(lists.List(0), app::SplitCommandLine(text), fs, env);
    ASSERT_EQ(64, lists.List(0).GetCount());
    EXPECT_EQ("C:\\f\\163.jpg", lists.List(0).Paths()[63]);
}

}  // namespace
