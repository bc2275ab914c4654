#include <gtest/gtest.h>

#include "app/profile_settings.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/memory_profile.h"

namespace {

using app::ProfileSettings;
namespace settings = app::settings;

TEST(ProfileSettings, EveryFixedKeyReadsItsDefaultFromAnEmptyProfile)
{
    struct Expected {
        const char* section;
        const char* key;
        int value;
    };
    const Expected table[] = {
        {"shell", "USEWIDECHAR", 1}, {"CONFIRM", "CLEARLIST", 0},     {"CONFIRM", "DROPFOLDER", 1},
        {"LOADFOLDER", "SUBDIR", 0}, {"LOADFOLDER", "USECURRENT", 0}, {"CACHE", "CACHESIZE", 48},
        {"CACHE", "CACHEOUT", 8},    {"LAYOUT", "NOSAVE", 0},         {"LAYOUT", "NOMOVE", 0},
        {"LAYOUT", "COUNT", 0},      {"WINDOWSTYLE", "WIDTH", 180},   {"WINDOWSTYLE", "HEIGHT", 150},
    };
    ASSERT_EQ(std::size(table), std::size(settings::kFixed));
    testing_support::MemoryProfile profile;
    ProfileSettings read(profile);
    for (size_t i = 0; i < std::size(table); ++i) {
        EXPECT_STREQ(table[i].section, settings::kFixed[i].section);
        EXPECT_STREQ(table[i].key, settings::kFixed[i].key);
        EXPECT_EQ(table[i].value, read.Get(settings::kFixed[i])) << table[i].key;
    }
    EXPECT_EQ(0u, profile.Size());  // reading writes nothing
}

TEST(ProfileSettings, ReadsWrittenValuesAsSignedDecimals)
{
    testing_support::MemoryProfile profile;
    ProfileSettings s(profile);
    EXPECT_TRUE(s.Set(settings::kCacheSize, 64));
    profile.WriteString("confirm", "clearlist", "1");  // names ignore case
    EXPECT_EQ(64, s.Get(settings::kCacheSize));
    EXPECT_TRUE(s.GetFlag(settings::kConfirmClearList));

    app::ProfileRect rect{-5, -10, 300, 400};
    EXPECT_TRUE(s.SetRect("ALLIGN_DEFAULT", app::ListWindowKey(7, ""), rect));
    EXPECT_EQ("-10", profile.GetString("ALLIGN_DEFAULT", "W07left", ""));
    EXPECT_EQ(rect, s.GetRect("ALLIGN_DEFAULT", "W07", app::ProfileRect{}));
    EXPECT_EQ(app::kDefaultMainRect, s.GetRect("ALLIGN_DEFAULT", "", app::kDefaultMainRect));
    EXPECT_EQ(1, s.ListWindowShow(3));
    profile.WriteInt("ALLIGN_DEFAULT", "W03show", 6);
    EXPECT_EQ(6, s.ListWindowShow(3));
}

TEST(ProfileSettings, LayoutKeysAndTheirDefaults)
{
    EXPECT_EQ("W07left", app::ListWindowKey(7, settings::kLeft));
    EXPECT_EQ("W35show", app::ListWindowKey(35, settings::kShow));
    EXPECT_EQ("ALLIGN_05", app::LayoutSection(5));
    EXPECT_EQ("ALLIGN_100", app::LayoutSection(100));
    EXPECT_EQ("NAME03", app::LayoutNameKey(3));
    EXPECT_EQ("ID123", app::LayoutIdKey(123));

    testing_support::MemoryProfile profile;
    ProfileSettings s(profile);
    EXPECT_EQ("NAME03", s.LayoutName(3));
    EXPECT_EQ(3, s.LayoutId(3));
    EXPECT_EQ(0, s.LayoutLastId());
    profile.WriteInt("LAYOUT", "COUNT", 4);
    EXPECT_EQ(4, s.LayoutLastId());  // defaults to the number of layouts
    profile.WriteInt("LAYOUT", "LASTID", 9);
    EXPECT_EQ(9, s.LayoutLastId());
}

TEST(ListStartOptions, TakeSubFoldersAndCurrentFolderFromTheProfile)
{
    testing_support::MemoryProfile profile;
    ProfileSettings s(profile);
    lists::ListOptions options = app::ListStartOptions(s, "C:\\work");
    EXPECT_FALSE(options.subfolders);
    EXPECT_TRUE(options.lastFolder.empty());
    profile.WriteInt("LOADFOLDER", "SUBDIR", 1);
    profile.WriteInt("LOADFOLDER", "USECURRENT", 1);
    options = app::ListStartOptions(s, "C:\\work");
    EXPECT_TRUE(options.subfolders);
    EXPECT_EQ("C:\\work", options.lastFolder);
    testing_support::MemoryFileSystem fs;
    lists::ListModel list(0, fs, options);
    EXPECT_TRUE(list.Condition().subfolders);
    EXPECT_EQ("C:\\work", list.LastFolder());
}

TEST(WideDropNames, StartsFromThePlatformAndTakesTheProfileValue)
{
    testing_support::MemoryProfile profile;
    EXPECT_EQ(1, app::WideDropNames(true, profile));
    EXPECT_EQ(0, app::WideDropNames(false, profile));
    profile.WriteInt("shell", "USEWIDECHAR", 0);
    EXPECT_EQ(0, app::WideDropNames(true, profile));
    profile.WriteInt("shell", "USEWIDECHAR", 1);
    EXPECT_EQ(1, app::WideDropNames(false, profile));
}

TEST(ProgramFiles, ReplaceTheExtensionOfTheFileNameOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a.b\\prog", "C:\\a.b\\prog"},
        {"C:\\a.b\\prog.exe", "C:\\a.b\\prog"},
        {"C:\\dir\\prog.x.exe", "C:\\dir\\prog.x"},
        {"C:\\\x95\x5C.d\\\x83\x5C.exe", "C:\\\x95\x5C.d\\\x83\x5C"},
        {"C:\\\x95\x5C.d\\\x83\x5C", "C:\\\x95\x5C.d\\\x83\x5C"},
        {"prog.exe", "prog"},
    };
    for (auto [program, base] : cases) {
        const app::ProgramFiles files = app::ProgramFilesFor(program);
        EXPECT_EQ(std::string(base) + ".ini", files.profile) << program;
        EXPECT_EQ(std::string(base) + ".chm", files.help) << program;
    }
}

}  // namespace
