#include <gtest/gtest.h>

#include <random>

#include "lists/sorted_path_set.h"

namespace {

TEST(PathOrder, ComparesAsciiWithoutCaseAndEverythingElseByValue)
{
    const std::tuple<const char*, const char*, int> cases[] = {
        // a, b, sign of Compare(a, b)
        {"c:\\pics\\x.jpg", "C:\\PICS\\X.JPG", 0},
        {"C:\\_z.jpg", "C:\\a.jpg", -1},  // 0x5B-0x60 sort before every letter
        {"C:\\`", "C:\\A", -1},
        {"C:\\a.jpg", "C:\\a\\b.jpg", -1},      // '.' before '\'
        {"C:\\a", "C:\\a.jpg", -1},             // a prefix sorts first
        {"C:\\{", "C:\\Z", 1},                  // '{' after 'z'
        {"C:\\\xB1", "C:\\\x83\x41", -1},       // half-width ｱ (one byte) before ア (two bytes)
        {"C:\\\x82\x81z", "C:\\\x82\x60Z", 0},  // ａ equals Ａ after upper-casing
        {"C:\\\x82\x81", "C:\\\x82\x61", -1},   // Ａ before Ｂ
        {"C:\\\x83\x41", "C:\\\x83\x61", -1},   // trail bytes are not case-folded like ASCII
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\", -1},
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
        // Both the binary-search and the merge strategy of RemoveAllOf are exercised.
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
        size_t removed = 0;
        for (const std::string& path : theirs)
            removed += single.Remove(path) >= 0;
        EXPECT_EQ(removed, batch.RemoveAllOf(theirs));
        EXPECT_EQ(single.Paths(), batch.Paths());
    }
}

}  // namespace
