#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndQuotesIntoAtMost64Paths)
{
    const std::string longest(259, 'x');
    std::string many;  // empty tokens in between do not count
    Tokens first64;
    for (int i = 0; i < 70; ++i) {
        many += "\"\" f" + std::to_string(i) + " ";
        if (i < 64)
            first64.push_back("f" + std::to_string(i));
    }
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
        {many, first64},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(expected, app::SplitCommandLine(text)) << text.substr(0, 40);
}

}  // namespace
