#include <gtest/gtest.h>

#include "app/profile_settings.h"
#include "tests/support/memory_filesystem.h"

namespace {

constexpr char kBeside[] = "C:\\Program Files\\Lumsor\\Lumsor20.ini";
constexpr char kRoaming[] = "C:\\Users\\u\\AppData\\Roaming\\Lumsor20\\Lumsor20.ini";

struct Place {
    const char* name;
    bool folderWritable;
    const char* besideContent;  // null: no file beside the program
    bool besideReadOnly;
    const char* roamingContent;  // null: no file in the roaming folder yet
    const char* expectedPath;
    const char* expectedContent;  // of the chosen file; null: none
};

TEST(ProfilePlace, BesideTheProgramWhileItsFolderTakesWritesElseInTheRoamingFolder)
{
    const Place places[] = {
        {"writable, no file", true, nullptr, false, nullptr, kBeside, nullptr},
        {"writable, a file", true, "[A]", false, "[old]", kBeside, "[A]"},
        {"read-only file", true, "[A]", true, nullptr, kRoaming, "[A]"},
        {"read-only folder, a default", false, "[A]", true, nullptr, kRoaming, "[A]"},
        {"read-only folder, no default", false, nullptr, false, nullptr, kRoaming, nullptr},
        {"roaming file kept", false, "[A]", false, "[mine]", kRoaming, "[mine]"},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        testing_support::MemoryFileSystem fs;
        fs.AddFolder("C:\\Program Files\\Lumsor");
        fs.AddFolder("C:\\Users\\u\\AppData\\Roaming");
        if (p.besideContent)
            fs.AddFile(kBeside, p.besideContent);
        if (p.besideReadOnly)
            fs.SetAttributes(kBeside, fw::kAttrReadOnly);
        if (p.roamingContent)
            fs.AddFile(kRoaming, p.roamingContent);
        fs.FailCreate(!p.folderWritable);
        const std::string chosen =
            app::ChooseProfilePath(kBeside, {fs, L"C:\\Users\\u\\AppData\\Roaming", nullptr});
        EXPECT_EQ(p.expectedPath, chosen);
        std::string content;
        EXPECT_EQ(p.expectedContent != nullptr, fs.ReadAll(chosen, content));
        EXPECT_EQ(p.expectedContent ? p.expectedContent : "", content);
        if (p.expectedContent) {
            EXPECT_FALSE(fs.Attributes(chosen) & fw::kAttrReadOnly);  // settings can be saved
        }
        EXPECT_FALSE(fs.Exists(std::string(kBeside) + ".tmp"));
    }
}

TEST(ProfilePlace, ARoamingFolderTheCodePageCannotNameIsTakenByItsShortForm)
{
    testing_support::MemoryFileSystem fs;
    fs.AddFolder("C:\\Users\\ABCDEF~1\\AppData");
    fs.FailCreate(true);
    const std::wstring roaming = L"C:\\Users\\\x4E01\x4E02\\AppData";
    const auto shortForm = [&](const std::wstring& path) {
        return path == roaming ? std::wstring(L"C:\\Users\\ABCDEF~1\\AppData") : std::wstring();
    };
    EXPECT_EQ("C:\\Users\\ABCDEF~1\\AppData\\Lumsor20\\Lumsor20.ini",
              app::ChooseProfilePath(kBeside, {fs, roaming, shortForm}));
    EXPECT_TRUE(fs.Attributes("C:\\Users\\ABCDEF~1\\AppData\\Lumsor20") & fw::kAttrDirectory);
    // Without a short form, or without a roaming folder, nothing better than beside the program.
    EXPECT_EQ(kBeside, app::ChooseProfilePath(kBeside, {fs, roaming, nullptr}));
    EXPECT_EQ(kBeside, app::ChooseProfilePath(kBeside, {fs, L"", nullptr}));
    EXPECT_EQ(kBeside, app::ChooseProfilePath(kBeside, {fs, L"Q:\\missing", nullptr}));
}

}  // namespace
