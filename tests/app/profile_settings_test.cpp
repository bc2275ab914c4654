#include <gtest/gtest.h>

#include "app/profile_settings.h"
#include "tests/support/memory_profile.h"

namespace {

TEST(ProfileSettings, KeysAndTheValuesTheyDefaultTo)
{
    EXPECT_EQ("ALLIGN_05", app::LayoutSection(5));
    EXPECT_EQ("ALLIGN_100", app::LayoutSection(100));
    EXPECT_EQ("ID123", app::LayoutIdKey(123));

    testing_support::MemoryProfile profile;
    const app::ProfileSettings s(profile);
    EXPECT_EQ(1, app::WideDropNames(true, profile));
    EXPECT_EQ(0, app::WideDropNames(false, profile));
    lists::ListOptions options = app::ListStartOptions(s, "C:\\work");
    EXPECT_FALSE(options.subfolders);
    EXPECT_TRUE(options.lastFolder.empty());
    EXPECT_EQ(0u, profile.Size());  // reading writes nothing

    profile.WriteInt("LAYOUT", "COUNT", 4);
    EXPECT_EQ(4, s.LayoutLastId());  // defaults to the number of layouts
    profile.WriteInt("shell", "USEWIDECHAR", 1);
    profile.WriteInt("LOADFOLDER", "SUBDIR", 1);
    profile.WriteInt("LOADFOLDER", "USECURRENT", 1);
    EXPECT_EQ(1, app::WideDropNames(false, profile));
    options = app::ListStartOptions(s, "C:\\work");
    EXPECT_TRUE(options.subfolders);
    EXPECT_EQ("C:\\work", options.lastFolder);
}

TEST(ProfileSettings, ProgramFilesReplaceTheExtensionOfTheFileNameOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a.b\\prog", "C:\\a.b\\prog"},
        {"C:\\dir\\prog.x.exe", "C:\\dir\\prog.x"},
        {"C:\\\x95\x5C.d\\\x83\x5C.exe", "C:\\\x95\x5C.d\\\x83\x5C"},  // 0x5C trail bytes
        {"C:\\\x95\x5C.d\\\x83\x5C", "C:\\\x95\x5C.d\\\x83\x5C"},
        {"prog.exe", "prog"},
    };
    for (auto [program, base] : cases) {
        EXPECT_EQ(std::string(base) + ".ini", app::ProgramFilesFor(program).profile) << program;
        EXPECT_EQ(std::string(base) + ".chm", app::ProgramFilesFor(program).help) << program;
    }
}

}  // namespace
