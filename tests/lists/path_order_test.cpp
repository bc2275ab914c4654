#include <gtest/gtest.h>

#include <random>

#include "lists/path_order.h"
#include "lists/sorted_path_set.h"

namespace {

using lists::SortedPathSet;

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

struct OrderCase {
    const char* a;
    const char* b;
    int expected;  // sign of Compare(a, b)
};

TEST(PathOrder, ComparesAsciiWithoutCaseAndEverythingElseByValue)
{
    const OrderCase cases[] = {
        {"c:\\pics\\x.jpg", "C:\\PICS\\X.JPG", 0},
        {"C:\\_z.jpg", "C:\\a.jpg", -1},  // '_' (0x5F) before the letters
        {"C:\\[", "C:\\a", -1},           // 0x5B-0x60 sort before every letter
        {"C:\\`", "C:\\A", -1},
        {"C:\\a.jpg", "C:\\a\\b.jpg", -1},  // '.' before '\'
        {"C:\\a", "C:\\a.jpg", -1},         // a prefix sorts first
        {"", "a", -1},
        {"C:\\Z", "C:\\a", 1},
        {"C:\\{", "C:\\Z", 1},             // '{' after 'z'
        {"C:\\\xB1", "C:\\\x83\x41", -1},  // half-width ｱ (one byte) before ア (two bytes)
        {"C:\\\xDF", "C:\\\x81\x40", -1},
        {"C:\\\x82\x81", "C:\\\x82\x60", 0},  // ａ equals Ａ after upper-casing
        {"C:\\\x82\x81z", "C:\\\x82\x60Z", 0},
        {"C:\\\x82\x81", "C:\\\x82\x61", -1},  // Ａ before Ｂ
        {"C:\\\x83\x41", "C:\\\x83\x61", -1},  // trail bytes are not case-folded like ASCII
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\", -1},
        {"C:\\\x95\x5C"
         "a",
         "C:\\\x83\x5C"
         "a",
         1},                               // 表 after ソ by value
        {"C:\\\x95", "C:\\\x95\x5C", -1},  // a lone lead byte at the end is a single byte
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(c.expected, Sign(lists::ComparePaths(c.a, c.b))) << c.a << " <> " << c.b;
        EXPECT_EQ(-c.expected, Sign(lists::ComparePaths(c.b, c.a))) << c.b << " <> " << c.a;
    }
}

TEST(PathOrder, SortedSetKeepsTheDocumentedOrderExample)
{
    SortedPathSet set;
    EXPECT_EQ(0, set.Insert("C:\\a.jpg"));
    EXPECT_EQ(1, set.Insert("C:\\a\\b.jpg"));
    EXPECT_EQ(0, set.Insert("C:\\_z.jpg"));
    EXPECT_EQ((std::vector<std::string>{"C:\\_z.jpg", "C:\\a.jpg", "C:\\a\\b.jpg"}), set.Paths());
}

TEST(SortedPathSet, InsertFindAndRemoveGiveTheirIndexes)
{
    SortedPathSet set;
    EXPECT_EQ(0, set.Insert("c:\\pics\\x.jpg"));
    EXPECT_EQ(-1, set.Insert("C:\\PICS\\X.JPG"));
    EXPECT_EQ("c:\\pics\\x.jpg", set[0]);
    EXPECT_EQ(0, set.Insert("c:\\pics\\a.jpg"));
    EXPECT_EQ(2, set.Insert("c:\\pics\\z.jpg"));
    EXPECT_EQ(-1, set.Insert("C:\\Pics\\A.jpg"));
    EXPECT_EQ(1, set.Find("C:\\PICS\\X.JPG"));
    EXPECT_EQ(-1, set.Find("c:\\pics\\y.jpg"));
    EXPECT_EQ(-1, set.Remove("c:\\pics\\y.jpg"));
    EXPECT_EQ(1, set.Remove("C:\\pics\\X.jpg"));
    EXPECT_EQ(-1, set.Find("c:\\pics\\x.jpg"));
    EXPECT_EQ(2u, set.Count());
    // Full-width letters in both cases are one entry.
    EXPECT_GE(set.Insert("C:\\\x82\x81.jpg"), 0);
    EXPECT_EQ(-1, set.Insert("C:\\\x82\x60.JPG"));
    // Katakana whose trail bytes differ only in ASCII case are two entries.
    EXPECT_GE(set.Insert("C:\\\x83\x41.jpg"), 0);
    EXPECT_GE(set.Insert("C:\\\x83\x61.jpg"), 0);
}

// Random paths from a small alphabet (with both cases and double-byte characters)
// so that equal and prefix paths are frequent.
std::string RandomPath(std::mt19937& rng)
{
    static const char* const pieces[] = {"a",        "A",        "b",        "\\",       ".",    "_",
                                         "\x82\x81", "\x82\x60", "\x95\x5C", "\x83\x5C", "\xB1", "z"};
    std::string path = "C:\\";
    int n = static_cast<int>(rng() % 5);
    for (int i = 0; i < n; ++i)
        path += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    return path;
}

TEST(SortedPathSet, InsertManyEqualsInsertingOneByOne)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        SortedPathSet single;
        SortedPathSet batch;
        int existing = static_cast<int>(rng() % 6);
        for (int i = 0; i < existing; ++i) {
            std::string path = RandomPath(rng);
            single.Insert(path);
            batch.Insert(path);
        }
        std::vector<std::string> paths;
        int k = static_cast<int>(rng() % 12);
        for (int i = 0; i < k; ++i)
            paths.push_back(RandomPath(rng));

        size_t inserted = 0;
        int smallest = -1;
        int last = -1;
        std::string lastPath;
        for (const std::string& path : paths) {
            int at = single.Insert(path);
            if (at < 0)
                continue;
            ++inserted;
            if (smallest < 0 || at < smallest)
                smallest = at;
            lastPath = path;
        }
        if (inserted)
            last = single.Find(lastPath);
        SortedPathSet::InsertManyResult result = batch.InsertMany(paths);
        ASSERT_EQ(single.Paths(), batch.Paths()) << "round " << round;
        EXPECT_EQ(inserted, result.inserted);
        EXPECT_EQ(smallest, result.smallestNewIndex);
        EXPECT_EQ(last, result.lastNewIndex);
    }
}

TEST(SortedPathSet, RemoveAllOfEqualsRemovingOneByOne)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        SortedPathSet mine;
        SortedPathSet theirs;
        // Both the binary-search and the merge strategy are exercised.
        int mineSize = static_cast<int>(rng() % (round % 2 ? 40 : 4));
        int theirSize = static_cast<int>(rng() % (round % 2 ? 4 : 40));
        for (int i = 0; i < mineSize; ++i)
            mine.Insert(RandomPath(rng));
        for (int i = 0; i < theirSize; ++i)
            theirs.Insert(RandomPath(rng));
        SortedPathSet expected = mine;
        size_t removed = 0;
        for (const std::string& path : theirs)
            removed += expected.Remove(path) >= 0;
        EXPECT_EQ(removed, mine.RemoveAllOf(theirs));
        EXPECT_EQ(expected.Paths(), mine.Paths());
    }
}

}  // namespace
