#include <gtest/gtest.h>

#include "framework/core/field_text.h"
#include "lists/filter_match.h"
#include "lists/load_condition.h"
#include "tests/support/test_files.h"

namespace {

using lists::FilterMatch;
using lists::LoadCondition;

struct FilterCase {
    const char* patterns;
    const char* path;
    bool expected;
};

TEST(FilterMatch, MatchesWholePathsAgainstEachPattern)
{
    const FilterCase cases[] = {
        {"*.JPG;*.JPEG", "c:\\pics\\a.jpeg", true},
        {"*.JPG;*.JPEG", "c:\\pics\\a.jpe", false},
        {"A*", "C:\\A.JPG", false},  // the whole path, drive included
        {"*?.JPG", "C:\\X.JPG", true},
        {"*.jpg", "C:\\PICS\\A.JPG", true},
        {"*ABC*", "C:\\x\\abc1.jpg", true},
        {"ABC*", "C:\\x\\abc1.jpg", false},
        {"C:\\?.JPG", "C:\\\x95\x5C.jpg", true},  // 表 is one character for '?'
        {"C:\\??.JPG", "C:\\\x95\x5C.jpg", false},
        {"C:\\\x95\x5C*", "C:\\\x95\x5C\\x.jpg", true},
        {"C:\\\x95\x5C*", "C:\\\x95\x5B\\x.jpg", false},  // both bytes must be equal
        {"*\x82\x81*", "C:\\\x82\x60.jpg", true},         // ａ matches Ａ after upper-casing
        {"*.jpg;;*.bmp", "", true},                       // an empty pattern matches the empty path
        {"*.jpg;", "C:\\x.png", false},
        {"", "", true},
        {"", "C:\\x.jpg", false},
        {"*", "", true},
        {"?", "", false},
        {"*a*b*c*d*e*f*g*h*",
         "C:\\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"*a*a*a*a*a*a*b", "C:\\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", true},
        {"*.*", "C:\\noext", false},
        {"*.*", "C:\\x.y\\noext", true},
    };
    for (const FilterCase& c : cases)
        EXPECT_EQ(c.expected, FilterMatch(c.patterns, c.path)) << c.patterns << " / " << c.path;
}

TEST(FilterMatch, HonoursOnly63Patterns)
{
    std::string patterns;
    for (int i = 0; i < 63; ++i)
        patterns += "*." + std::to_string(i) + ";";
    lists::FilterPattern filter(patterns + "*.JPG");
    EXPECT_EQ(63u, filter.PatternCount());
    EXPECT_TRUE(filter.Matches("C:\\x.62"));
    EXPECT_FALSE(filter.Matches("C:\\x.jpg"));
}

struct BoundsCase {
    bool minOn;
    uint32_t minK;
    bool maxOn;
    uint32_t maxK;
    uint32_t size;
    bool expected;
};

TEST(SizeBounds, AreInclusiveAndUseUnsigned32BitProducts)
{
    const BoundsCase cases[] = {
        {true, 10, false, 0, 10240, true},      {true, 10, false, 0, 10239, false},
        {false, 0, true, 10, 10240, true},      {false, 0, true, 10, 10241, false},
        {false, 10, false, 0, 0, true},         // bounds off
        {true, 4194304, false, 0, 0, true},     // 4194304 x 1024 wraps to 0
        {false, 0, true, 4194305, 1024, true},  // wraps to 1024
        {false, 0, true, 4194305, 1025, false}, {true, 1, true, 1, 1024, true},
    };
    for (const BoundsCase& c : cases) {
        LoadCondition condition;
        condition.minimumOn = c.minOn;
        condition.minimumKBytes = c.minK;
        condition.maximumOn = c.maxOn;
        condition.maximumKBytes = c.maxK;
        EXPECT_EQ(c.expected, lists::SizeWithinBounds(condition, c.size))
            << c.minK << "/" << c.maxK << "/" << c.size;
    }
}

TEST(LoadCondition, StartsWithTheDialogDefaults)
{
    LoadCondition condition;
    EXPECT_TRUE(condition.folder.empty());
    EXPECT_TRUE(condition.namePattern.empty());
    EXPECT_FALSE(condition.subfolders);
    EXPECT_FALSE(condition.minimumOn);
    EXPECT_EQ(0u, condition.minimumKBytes);
    EXPECT_FALSE(condition.maximumOn);
    EXPECT_EQ(99999u, condition.maximumKBytes);
}

struct FolderCase {
    const char* folder;
    bool subfolders;
    const char* path;
    bool expected;
};

TEST(ConditionMatch, TestsFolderIgnoringAsciiCaseAndSubFolders)
{
    testing_support::TestFiles files;
    fw::FileSystem& fs = files.Fs();
    const FolderCase cases[] = {
        {"C:\\A", false, "C:\\a\\x.jpg", true},
        {"C:\\A", false, "C:\\A\\B\\x.jpg", false},
        {"C:\\A", true, "C:\\A\\B\\x.jpg", true},
        {"C:\\A", false, "C:\\AB\\x.jpg", false},
        {"C:\\A\\", false, "C:\\a\\x.jpg", true},
        {"C:\\A", false, "C:\\A", false},
        {"C:\\A", false, "C:\\", false},
        {"C:\\pics", false, "C:\\pics\\\x83\x5C.jpg", true},   // ソ's trail byte is no folder
        {"C:\\\x95\x5C", false, "C:\\\x95\x5C\\x.jpg", true},  // folder 表 gets its own backslash
        {"C:\\\x95\x5C", false, "C:\\\x95\x5Cx.jpg", false},
        {"C:\\\x82\x81", false, "C:\\\x82\x60\\x.jpg", false},  // only ASCII letters ignore case
        {"", false, "D:\\any\\where\\x.jpg", true},
    };
    for (const FolderCase& c : cases) {
        LoadCondition condition;
        condition.folder = c.folder;
        condition.subfolders = c.subfolders;
        EXPECT_EQ(c.expected, lists::ConditionMatch(condition, c.path, fs)) << c.folder << " / " << c.path;
    }
}

TEST(ConditionMatch, AppliesNamePatternAndSizeOfTheFileOnDisk)
{
    testing_support::TestFiles files;
    std::string small = files.AddFile("s.jpg", "", 1000);
    std::string big = files.AddFile("b.jpg", "", 20000);
    std::string missing = files.Path("m.jpg");
    LoadCondition condition;
    condition.namePattern = "*.JPG";
    condition.minimumOn = true;
    condition.minimumKBytes = 1;
    EXPECT_FALSE(lists::ConditionMatch(condition, small, files.Fs()));
    EXPECT_TRUE(lists::ConditionMatch(condition, big, files.Fs()));
    EXPECT_FALSE(lists::ConditionMatch(condition, missing, files.Fs()));  // size 0
    condition.minimumOn = false;
    EXPECT_TRUE(lists::ConditionMatch(condition, missing, files.Fs()));
    condition.namePattern = "*.BMP";
    EXPECT_FALSE(lists::ConditionMatch(condition, big, files.Fs()));
    condition.namePattern.clear();  // an empty pattern skips the test
    EXPECT_TRUE(lists::ConditionMatch(condition, big, files.Fs()));
}

}  // namespace
