#include <gtest/gtest.h>

#include "framework/core/codepage.h"
#include "framework/core/local_time.h"
#include "framework/core/profile.h"
#include "framework/core/text.h"
#include "tests/support/scripted_prompts.h"

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
