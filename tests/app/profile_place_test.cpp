#include <gtest/gtest.h>

#include "app/profile_settings.h"
#include "tests/support/memory_filesystem.h"

namespace {

constexpr char kBeside[] = "C:\\Program Files\\Lumsor\\Lumsor20.ini";
constexpr char kRoaming[] = "C:\\Users\\u\\AppData\\Roaming\\Lumsor20\\Lumsor20.ini";

TEST(ProfilePlace, BesideTheProgramWhileItsFolderTakesWritesElseInTheRoamingFolder)
{
    // folder writable, file beside (null: none), it read-only, roaming file; chosen, its content
    const std::tuple<bool, const char*, bool, const char*, const char*, const char*> places[] = {
        {true, nullptr, false, nullptr, kBeside, nullptr},
        {true, "[A]", false, "[old]", kBeside, "[A]"},
        {true, "[A]", true, nullptr, kRoaming, "[A]"},
        {false, "[A]", true, nullptr, kRoaming, "[A]"},
        {false, nullptr, false, nullptr, kRoaming, nullptr},
        {false, "[A]", false, "[mine]", kRoaming, "[mine]"},
    };
    for (const auto& [writable, beside, readOnly, roaming, path, content] : places) {
        SCOPED_TRACE(testing::Message()
                     << writable << (beside ? beside : "-") << readOnly << (roaming ? roaming : "-"));
        testing_support::MemoryFileSystem fs;
        fs.AddFolder("C:\\Program Files\\Lumsor");
        fs.AddFolder("C:\\Users\\u\\AppData\\Roaming");
        if (beside)
            fs.AddFile(kBeside, beside);
        if (readOnly)
            fs.SetAttributes(kBeside, fw::kAttrReadOnly);
        if (roaming)
            fs.AddFile(kRoaming, roaming);
        fs.AddFile(std::string(kBeside) + ".tmp", "the user's");
        fs.FailCreate(!writable);
        const std::string chosen =
            app::ChooseProfilePath(kBeside, {fs, L"C:\\Users\\u\\AppData\\Roaming", nullptr});
        EXPECT_EQ(path, chosen);
        std::string read;
        EXPECT_EQ(content != nullptr,
                  fs.ReadAll(chosen, read) && !(fs.Attributes(chosen) & fw::kAttrReadOnly));
        EXPECT_EQ(content ? content : "", read);
        EXPECT_FALSE(fs.Exists(std::string(kBeside) + ".tmp1"));
        EXPECT_EQ(fs.ReadAll(std::string(kBeside) + ".tmp", read) ? read : "", "the user's");
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
    // Without a short form, a roaming folder or a way to make it: beside the program.
    for (const std::wstring& folder : {roaming, std::wstring(), std::wstring(L"Q:\\missing")})
        EXPECT_EQ(kBeside, app::ChooseProfilePath(kBeside, {fs, folder, nullptr}));
}

}  // namespace
