#include "lists/filter_match.h"
#include "lists/load_condition.h"
#include "tests/lists/list_fixture.h"

namespace {

using lists::LoadCondition;

TEST(FilterMatch, MatchesWholePathsAgainstEachPattern)
{
    const struct {
        const char *patterns, *path;
        bool expected;
    } cases[] = {
        {"*.JPG;*.JPEG", "c:\\pics\\a.jpeg", true},
        {"*.JPG;*.JPEG", "c:\\pics\\a.jpe", false},
        {"A*", "C:\\A.JPG", false},  // the whole path, drive included
        {"*?.JPG", "C:\\X.JPG", true},
        {"C:\\?.JPG", "C:\\\x95\x5C.jpg", true},          // 表 is one character for '?'
        {"C:\\\x95\x5C*", "C:\\\x95\x5B\\x.jpg", false},  // both bytes must be equal
        {"*\x82\x81*", "C:\\\x82\x60.jpg", true},         // ａ matches Ａ after upper-casing
        {"*.jpg;;*.bmp", "", true},                       // an empty pattern matches the empty path
        {"", "C:\\x.jpg", false},
        {"?", "", false},
        {"*", "", true},
        {"*a*a*a*a*a*a*b", "C:\\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", true},
        {"*.*", "C:\\noext", false},
        {"*.*", "C:\\x.y\\noext", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, lists::FilterMatch(c.patterns, c.path)) << c.patterns << " / " << c.path;

    std::string patterns;  // only the first 63 count
    for (int i = 0; i < 63; ++i)
        patterns += "*." + std::to_string(i) + ";";
    EXPECT_TRUE(lists::FilterMatch(patterns + "*.JPG", "C:\\x.62"));
    EXPECT_FALSE(lists::FilterMatch(patterns + "*.JPG", "C:\\x.jpg"));
}

TEST(SizeBounds, AreInclusiveAndUseUnsigned32BitProducts)
{
    const std::tuple<bool, uint32_t, bool, uint32_t, uint32_t, bool> cases[] = {
        // minimum on, K bytes, maximum on, K bytes, size, within
        {true, 10, false, 0, 10240, true},     {true, 10, false, 0, 10239, false},
        {false, 0, true, 10, 10240, true},     {false, 0, true, 10, 10241, false},
        {false, 10, false, 0, 0, true},        {true, 4194304, false, 0, 0, true},  // 4194304 K wraps to 0
        {false, 0, true, 4194305, 1025, false}};                                    // and 4194305 K to 1024
    for (const auto& [minOn, minK, maxOn, maxK, size, within] : cases) {
        LoadCondition condition;
        std::tie(condition.minimumOn, condition.minimumKBytes, condition.maximumOn, condition.maximumKBytes) =
            std::tie(minOn, minK, maxOn, maxK);
        EXPECT_EQ(within, lists::SizeWithinBounds(condition, size)) << minK << "/" << maxK << "/" << size;
    }
}

TEST(ConditionMatch, TestsFolderIgnoringAsciiCaseThenNamePatternThenSizeOnDisk)
{
    testing_support::MemoryFileSystem fs;
    fs.AddFile("C:\\s.jpg", "", 1, 1000);
    fs.AddFile("C:\\b.jpg", "", 1, 20000);
    const struct {
        const char* folder;
        bool subfolders;
        const char *pattern, *path;
        bool minimum, expected;
    } cases[] = {
        {"C:\\A", false, "", "C:\\a\\x.jpg", false, true},
        {"C:\\A", false, "", "C:\\A\\B\\x.jpg", false, false},
        {"C:\\A", true, "", "C:\\A\\B\\x.jpg", false, true},
        {"C:\\A", false, "", "C:\\AB\\x.jpg", false, false},
        {"C:\\A", false, "", "C:\\A", false, false},
        {"C:\\pics", false, "", "C:\\pics\\\x83\x5C.jpg", false, true},   // ソ's trail byte is no folder
        {"C:\\\x95\x5C", false, "", "C:\\\x95\x5C\\x.jpg", false, true},  // folder 表 gets its own "\"
        {"C:\\\x95\x5C", false, "", "C:\\\x95\x5Cx.jpg", false, false},
        {"C:\\\x82\x81", false, "", "C:\\\x82\x60\\x.jpg", false, false},  // only ASCII letters ignore case
        {"", false, "*.JPG", "C:\\s.jpg", true, false},
        {"", false, "*.JPG", "C:\\b.jpg", true, true},
        {"", false, "*.JPG", "C:\\missing.jpg", true, false},  // size 0
        {"", false, "*.JPG", "C:\\missing.jpg", false, true},
        {"", false, "*.BMP", "C:\\b.jpg", false, false},
    };
    for (const auto& c : cases) {
        LoadCondition condition;
        condition.folder = c.folder;
        condition.subfolders = c.subfolders;
        condition.namePattern = c.pattern;
        condition.minimumOn = c.minimum;
        condition.minimumKBytes = 1;
        EXPECT_EQ(c.expected, lists::ConditionMatch(condition, c.path, fs)) << c.folder << " / " << c.path;
    }
}

}  // namespace
