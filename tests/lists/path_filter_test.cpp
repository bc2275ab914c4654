#include <gtest/gtest.h>

#include <random>

#include "lists/filter_match.h"
#include "lists/load_condition.h"
#include "lists/sorted_path_set.h"
#include "tests/support/memory_filesystem.h"

namespace {

TEST(PathOrder, ComparesAsciiWithoutCaseAndEverythingElseByValue)
{
    const std::tuple<const char*, const char*, int> cases[] = {
        // a, b, sign of Compare(a, b)
        {"c:\\pics\\x.jpg", "C:\\PICS\\X.JPG", 0},
        {"C:\\_z.jpg", "C:\\a.jpg", -1},        // 0x5B-0x60 sort before every letter
        {"C:\\a.jpg", "C:\\a\\b.jpg", -1},      // '.' before '\'
        {"C:\\a", "C:\\a.jpg", -1},             // a prefix sorts first
        {"C:\\{", "C:\\Z", 1},                  // '{' after 'z'
        {"C:\\\xB1", "C:\\\x83\x41", -1},       // half-width ｱ (one byte) before ア (two bytes)
        {"C:\\\x82\x81z", "C:\\\x82\x60Z", 0},  // ａ equals Ａ after upper-casing
        {"C:\\\x82\x81", "C:\\\x82\x61", -1},   // Ａ before Ｂ
        {"C:\\\x83\x41", "C:\\\x83\x61", -1},   // trail bytes are not case-folded like ASCII
        {"C:\\\x95\x5C-", "C:\\\x83\x5C-", 1},  // 表 after ソ by value
        {"C:\\\x95", "C:\\\x95\x5C", -1},       // a lone lead byte at the end is a single byte
    };
    for (const auto& [a, b, sign] : cases) {
        EXPECT_EQ(sign, (lists::ComparePaths(a, b) > 0) - (lists::ComparePaths(a, b) < 0))
            << a << " <> " << b;
        EXPECT_EQ(-sign, (lists::ComparePaths(b, a) > 0) - (lists::ComparePaths(b, a) < 0))
            << b << " <> " << a;
    }
}

// Random paths from a small alphabet (both cases, double-byte characters, a lone lead
// byte) so that equal and prefix paths are frequent.
std::string RandomPath(std::mt19937& rng)
{
    static const char* const pieces[] = {"a",        "A",        "b",        "\\",       ".",    "_",   "z",
                                         "\x82\x81", "\x82\x60", "\x95\x5C", "\x83\x5C", "\xB1", "\x95"};
    std::string path = "C:\\";
    for (int n = static_cast<int>(rng() % 5); n > 0; --n)
        path += pieces[rng() % std::size(pieces)];
    return path;
}

TEST(SortedPathSet, InsertManyAndRemoveAllOfEqualOneByOne)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        lists::SortedPathSet single, batch, theirs;
        for (int i = static_cast<int>(rng() % (round % 2 ? 40 : 4)); i > 0; --i) {
            const std::string path = RandomPath(rng);
            single.Insert(path);
            batch.Insert(path);
        }
        for (int i = static_cast<int>(rng() % (round % 2 ? 4 : 40)); i > 0; --i)
            theirs.Insert(RandomPath(rng));
        std::vector<std::string> paths;
        for (int i = static_cast<int>(rng() % 12); i > 0; --i)
            paths.push_back(RandomPath(rng));
        if (round % 3 == 0)  // as a saved list reads back
            std::sort(paths.begin(), paths.end(), lists::PathOrder::System());

        lists::SortedPathSet::InsertManyResult expected;
        std::string last;
        for (const std::string& path : paths) {
            const int at = single.Insert(path);
            if (at < 0) {
                EXPECT_EQ(-1, at);  // already there
                continue;
            }
            ++expected.inserted;
            expected.smallestNewIndex = expected.inserted == 1 ? at : std::min(at, expected.smallestNewIndex);
            last = path;
        }
        expected.lastNewIndex = expected.inserted ? single.Find(last) : -1;
        const auto result = batch.InsertMany(paths);
        ASSERT_EQ(single.Paths(), batch.Paths());
        EXPECT_EQ(expected.inserted, result.inserted);
        EXPECT_EQ(expected.smallestNewIndex, result.smallestNewIndex);
        EXPECT_EQ(expected.lastNewIndex, result.lastNewIndex);

        EXPECT_EQ(-1, single.Find("C:\\none"));
        std::vector<std::string> removed, gone;
        for (const std::string& path : theirs)
            if (const int at = single.Find(path); at >= 0) {
                removed.push_back(single[static_cast<size_t>(at)]);  // the list's own spelling
                single.RemoveAt(static_cast<size_t>(at));
            }
        EXPECT_EQ(removed.size(), batch.RemoveAllOf(theirs, &gone));
        EXPECT_EQ(single.Paths(), batch.Paths());
        EXPECT_EQ(removed, gone);
    }
}

TEST(FilterMatch, MatchesWholePathsAgainstEachPattern)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        // patterns, path, match
        {"*.JPG;*.JPEG", "c:\\pics\\a.jpeg", true},
        {"*.JPG;*.JPEG", "c:\\pics\\a.jpe", false},
        {"A*", "C:\\A.JPG", false},                       // the whole path, drive included
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
        {"*\\", "C:\\\x95\x5C", false},  // a path's end is matched by whole characters
        {"*.JPG", "JPG", false},
        {"*.jpg", ".JPG", true},
    };
    for (const auto& [patterns, path, match] : cases)
        EXPECT_EQ(match, lists::FilterMatch(patterns, path)) << patterns << " / " << path;

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
        lists::LoadCondition condition;
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
    // Folder, subfolders, name pattern, path, minimum of 1 KB on, match.
    const std::tuple<const char*, bool, const char*, const char*, bool, bool> cases[] = {
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
    for (const auto& [folder, subfolders, pattern, path, minimum, match] : cases) {
        lists::LoadCondition condition;
        std::tie(condition.folder, condition.subfolders, condition.namePattern, condition.minimumOn) =
            std::tie(folder, subfolders, pattern, minimum);
        condition.minimumKBytes = 1;
        EXPECT_EQ(match, lists::ConditionMatch(condition, path, fs)) << folder << " / " << path;
    }
}

}  // namespace
