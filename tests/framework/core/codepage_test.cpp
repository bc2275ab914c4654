#include <gtest/gtest.h>

#include "framework/core/codepage.h"
#include "framework/core/local_time.h"

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
        {"\x82\x81\x82\x9A"
         "b",
         "\x82\x60\x82\x79"
         "B"},                                                                     // ａｚ
        {"\x83\xBF\x83\xD6", "\x83\x9F\x83\xB6"},                                  // αω
        {"\x84\x70\x84\x7E\x84\x80\x84\x91", "\x84\x40\x84\x4E\x84\x4F\x84\x60"},  // ан оя around 0x847F
        {"\x95\x5C"
         "a\x83\x5C",
         "\x95\x5C"
         "A\x83\x5C"},             // trail bytes 0x5C stay
        {"\xB1\xB2", "\xB1\xB2"},  // half-width katakana have no case
        {"x\x82", "X\x82"},        // a lone lead byte at the end
    };
    for (const auto& [in, out] : cases) {
        std::string s = in;
        fw::SystemCodePage().ToUpper(s);
        EXPECT_EQ(out, s) << in;
    }
}

TEST(CodePages, StepOverDoubleByteCharactersAndSingleByteNeverPairsBytes)
{
    EXPECT_EQ(1u, fw::SingleByteCodePage().Next("\x82\x81", 0, 2));
    const fw::CodePage& cp = fw::SystemCodePage();
    const std::string s = "a\x95\x5C\\b";  // a表\b
    EXPECT_EQ(1u, cp.Next(s.c_str(), 0, s.size()));
    EXPECT_EQ(3u, cp.Next(s.c_str(), 1, s.size()));
    EXPECT_EQ(1u, cp.Prev(s.c_str(), 3));  // the character before "\\" is 表, not its trail byte
    EXPECT_EQ(3u, cp.Prev(s.c_str(), 4));
    EXPECT_EQ(0u, cp.Prev(s.c_str(), 0));
}

#ifndef _WIN32
TEST(LocalTime, FileTimesBecomeCalendarFieldsInUtcWithoutATimeZone)
{
    const std::pair<uint64_t, std::vector<int>> cases[] = {
        {0, {1601, 1, 1, 0, 0, 0, 0}},
        {62941535990000000, {1800, 6, 15, 23, 59, 59, 0}},
        {125962992000000000, {2000, 2, 29, 12, 0, 0, 0}},
        {133542759020450000, {2024, 3, 7, 9, 5, 2, 45}},
    };
    for (const auto& [fileTime, fields] : cases) {
        const fw::LocalTime t = fw::ToLocalTime(fileTime);
        EXPECT_EQ(fields,
                  (std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds}));
    }
}
#endif

}  // namespace
