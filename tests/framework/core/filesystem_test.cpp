#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_files.h"

namespace {

using testing_support::TestFiles;

TEST(FileSystem, ReportsAttributesSizesAndMissingPaths)
{
    TestFiles files;
    fw::FileSystem& fs = files.Fs();
    std::string file = files.AddFile("a\\one.jpg", "", 10240);
    std::string folder = files.Path("a");

    EXPECT_EQ(fw::kAttrInvalid, fs.Attributes(files.Path("missing.jpg")));
    EXPECT_TRUE(fs.Attributes(folder) & fw::kAttrDirectory);
    EXPECT_FALSE(fs.Attributes(file) & fw::kAttrDirectory);

    fw::FileInfo info;
    ASSERT_TRUE(fs.Find(file, info));
    EXPECT_EQ(10240u, info.sizeLow);
    EXPECT_NE(0u, info.lastWrite);
    EXPECT_FALSE(fs.Find(files.Path("missing.jpg"), info));
}

TEST(FileSystem, EnumeratesAFolderWithDotEntriesAndStopsOnRequest)
{
    TestFiles files;
    files.AddFile("d\\x.jpg");
    files.AddFile("d\\y.jpg");
    files.AddFolder("d\\sub");
    std::vector<std::string> names;
    EXPECT_EQ(0u, files.Fs().Enumerate(files.Path("d\\*.*"), [&](const fw::DirEntry& e) {
        names.push_back(e.name);
        return true;
    }));
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{".", "..", "sub", "x.jpg", "y.jpg"}), names);

    int seen = 0;
    files.Fs().Enumerate(files.Path("d\\*.*"), [&](const fw::DirEntry&) { return ++seen < 2; });
    EXPECT_EQ(2, seen);

    EXPECT_NE(0u, files.Fs().Enumerate(files.Path("nothere\\*.*"), [](const fw::DirEntry&) { return true; }));
}

TEST(FileSystem, WritesReadsAndReplacesWholeFiles)
{
    TestFiles files;
    fw::FileSystem& fs = files.Fs();
    files.AddFile("target.txt", "old");
    {
        auto out = fs.Create(files.Path("new.tmp"));
        ASSERT_TRUE(out);
        EXPECT_EQ(5u, out->Write("hello", 5));
        EXPECT_TRUE(out->Close());
    }
    EXPECT_TRUE(fs.Replace(files.Path("new.tmp"), files.Path("target.txt")));
    EXPECT_EQ("hello", files.Read("target.txt"));
    EXPECT_FALSE(files.Exists("new.tmp"));
    EXPECT_EQ(nullptr, fs.Create(files.Path("no\\such\\folder\\x.txt")));
    std::string bytes;
    EXPECT_FALSE(fs.ReadAll(files.Path("missing.txt"), bytes));
}

TEST(FileSystem, HandlesDoubleBytePathsWhoseTrailByteIsABackslash)
{
    TestFiles files;
    std::string path = files.AddFile("\x95\x5C\\\x83\x5C.jpg", "x");  // 表\ソ.jpg
    EXPECT_NE(fw::kAttrInvalid, files.Fs().Attributes(path));
    EXPECT_TRUE(files.Fs().Attributes(files.Path("\x95\x5C")) & fw::kAttrDirectory);
}

}  // namespace
