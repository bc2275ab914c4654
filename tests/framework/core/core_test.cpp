#include <gtest/gtest.h>

#include "framework/core/codepage.h"
#include "framework/core/local_time.h"
#include "framework/core/profile.h"
#include "framework/core/text.h"
#include "tests/support/scripted_prompts.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "framework/win/ini_profile.h"
#endif

namespace {

TEST(SystemCodePage, LeadBytesAreTheShiftJisRanges)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC),
                  cp.IsLeadByte(static_cast<uint8_t>(c)))
            << c;
}

TEST(SystemCodePage, UpperCasesAsciiAndFullWidthLettersWithoutSplittingCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"c:\\pics\\x.jpg", "C:\\PICS\\X.JPG"},
        {"\x82\x81\x82\x9Az", "\x82\x60\x82\x79Z"},                                // ａｚ
        {"\x83\xBF\x83\xD6", "\x83\x9F\x83\xB6"},                                  // αω
        {"\x84\x70\x84\x7E\x84\x80\x84\x91", "\x84\x40\x84\x4E\x84\x4F\x84\x60"},  // ан оя, 0x847F unused
        {"\x95\x5Cq\x83\x5C", "\x95\x5CQ\x83\x5C"},                                // trail bytes 0x5C stay
        {"\xB1\xB2", "\xB1\xB2"},  // half-width katakana have no case
        {"x\x82", "X\x82"},        // a lone lead byte at the end
    };
    for (const auto& [in, out] : cases) {
        std::string s = in;
        fw::SystemCodePage().ToUpper(s);
        EXPECT_EQ(out, s) << in;
    }
}

#ifndef _WIN32
TEST(LocalTime, FileTimesBecomeCalendarFieldsInUtcWithoutATimeZone)
{
    const std::pair<uint64_t, std::vector<int>> cases[] = {
        {0, {1601, 1, 1, 0, 0, 0, 0}},
        {62941535990000000, {1800, 6, 15, 23, 59, 59, 0}},
        {133542759020450000, {2024, 3, 7, 9, 5, 2, 45}},
    };
    for (const auto& [fileTime, fields] : cases) {
        const fw::LocalTime t = fw::ToLocalTime(fileTime);
        EXPECT_EQ(fields,
                  (std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds}));
    }
}

TEST(NativeText, NarrowsTheLatin1RangeByteForByteAndRefusesWiderCharacters)
{
    std::string ansi;
    EXPECT_EQ("a\xFF?", fw::NarrowAnsiPath(L"a\u00FF\u0100"));
    EXPECT_TRUE(fw::TryNarrowAnsi(L"\u00FF", ansi) && ansi == "\xFF");
    EXPECT_FALSE(fw::TryNarrowAnsi(L"\u0100", ansi));
}
#endif

TEST(ProfileInt, ParsesLikeTheProfileFunctions)
{
    const std::pair<const char*, int> cases[] = {{"", 0},      {"abc", 0}, {" \t-5x", -5},
                                                 {"+7", 7},    {"-", 0},   {"4294967295", -1},
                                                 {"12 3", 12}, {"0", 0},   {"-2147483648", INT32_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(value, fw::ParseProfileInt(text)) << text;
}

// A section read whole answers plain values and absent keys; anything the profile
// functions might read differently is left to them.
TEST(ProfileSection, AnswersOnlyWhatEveryProfileReaderReadsAlike)
{
    using namespace std::string_literals;
    const fw::ProfileSection section(
        "W00top=12\0w00LEFT=-7\0name=a b\0empty=\0big=1234567890\0hex=0x10\0"
        " padded =3\0spaced= 4\0quoted=\"q\"\0bare\0twice=1\0twice=2\0;c=1\0"s);
    const std::pair<const char*, std::optional<int>> ints[] = {
        {"W00top", 12},           {"w00left", -7},        {"missing", 99},        {"twice", 1},
        {"empty", std::nullopt},  {"big", std::nullopt},  {"hex", std::nullopt},  {"padded", std::nullopt},
        {"spaced", std::nullopt}, {"bare", std::nullopt}, {"name", std::nullopt}, {";c", std::nullopt},
        {";x", std::nullopt}};
    for (const auto& [key, value] : ints)
        EXPECT_EQ(value, section.GetInt(key, 99)) << key;
    const std::pair<const char*, std::optional<std::string>> strings[] = {{"name", "a b"},
                                                                          {"empty", ""},
                                                                          {"missing", "dflt"},
                                                                          {"quoted", std::nullopt},
                                                                          {"spaced", std::nullopt}};
    for (const auto& [key, value] : strings)
        EXPECT_EQ(value, section.GetString(key, "dflt")) << key;
    EXPECT_EQ(std::nullopt, section.GetString("missing", "dflt "));
    EXPECT_EQ(7, fw::ProfileSection("").GetInt("any", 7));
}

#ifdef _WIN32
// Every read through a snapshot gives what the profile functions give, and a write
// made meanwhile is read back.
TEST(IniProfile, ReadsThroughASnapshotAsThroughTheFile)
{
    const std::string path = (std::filesystem::temp_directory_path() / "snapshot_test.ini").string();
    std::ofstream(path) << "[s]\nn=12\nneg=-7\n pad = 3 \nq=\"x y\"\nsq='z'\nhex=0x10\nbig=99999999999\n"
                           "e=\nbare\nn=13\nword=abc\n;c=1\n[S]\nlater=5\n[t]\nt=1\n";
    const char* const keys[] = {"n", "neg",  "pad",  "q",  "sq",    "hex", "big",
                                "e", "bare", "word", ";c", "later", "none"};
    fw::IniProfile file(path), copied(path);
    fw::IniProfile::Snapshot snapshot(copied);
    for (const char* section : {"s", "S", "t", "none"})
        for (const char* key : keys) {
            EXPECT_EQ(file.GetInt(section, key, 42), copied.GetInt(section, key, 42)) << section << key;
            EXPECT_EQ(file.GetString(section, key, "d"), copied.GetString(section, key, "d"))
                << section << key;
        }
    EXPECT_TRUE(copied.WriteInt("t", "t", 8));
    EXPECT_EQ(8, copied.GetInt("t", "t", 0));
    std::filesystem::remove(path);
}
#endif

TEST(Prompts, AskCaptionsTheProgramsOwnBoxesWithItsName)
{
#ifdef _WIN32
    EXPECT_EQ(L"framework_core_tests", fw::ProgramTitle());
#endif
    testing_support::ScriptedPrompts prompts;
    prompts.Answer(fw::kIdYes);
    EXPECT_EQ(fw::kIdYes, fw::Ask(L"終了してもよろしいですか？", fw::kMbYesNo | fw::kMbIconQuestion, 42));
    EXPECT_EQ(fw::ProgramTitle(), prompts.Last().caption);
    EXPECT_EQ(0x24u, prompts.Last().flags);
}

}  // namespace
