#include <gtest/gtest.h>

#include "framework/core/codepage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Shift_JIS bytes of a few characters used below.
const std::string kHyo = "\x95\x5C";     // 表: its trail byte is a backslash
const std::string kSo = "\x83\x5C";      // ソ
const std::string kFullA = "\x82\x81";   // ａ
const std::string kFullUA = "\x82\x60";  // Ａ
const std::string kAlpha = "\x83\xBF";   // α
const std::string kUAlpha = "\x83\x9F";  // Α
const std::string kCyrO = "\x84\x80";    // о (after the gap at 0x847F)
const std::string kUCyrO = "\x84\x4F";   // О
const std::string kCyrA = "\x84\x70";    // а
const std::string kUCyrA = "\x84\x40";   // А

#ifdef _WIN32
TEST(SystemCodePage, IsShiftJisUnderTheTestEnvironment)
{
    EXPECT_EQ(932u, GetACP());
}
#endif

TEST(SystemCodePage, LeadBytesAreTheShiftJisRanges)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    for (int c = 0; c < 256; ++c) {
        bool expected = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(expected, cp.IsLeadByte(static_cast<unsigned char>(c))) << "byte " << c;
    }
}

TEST(SystemCodePage, UpperCasesAsciiAndFullWidthLettersWithoutSplittingCharacters)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    struct Case {
        std::string in, out;
    } cases[] = {
        {"c:\\pics\\x.jpg", "C:\\PICS\\X.JPG"},
        {kFullA + "b", kFullUA + "B"},
        {kAlpha, kUAlpha},
        {kCyrA + kCyrO, kUCyrA + kUCyrO},
        {kHyo + "a" + kSo, kHyo + "A" + kSo},  // trail bytes 0x5C stay
        {"\xB1\xB2", "\xB1\xB2"},              // half-width katakana have no case
        {"x\x82", "X\x82"},                    // a lone lead byte at the end
    };
    for (const Case& c : cases) {
        std::string s = c.in;
        cp.ToUpper(s);
        EXPECT_EQ(c.out, s);
    }
}

TEST(SystemCodePage, StepsOverDoubleByteCharacters)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    std::string s = "a" + kHyo + "\\b";
    EXPECT_EQ(1u, cp.Next(s.c_str(), 0, s.size()));
    EXPECT_EQ(3u, cp.Next(s.c_str(), 1, s.size()));
    EXPECT_EQ(1u, cp.Prev(s.c_str(), 3));  // the character before "\\" is 表, not its trail byte
    EXPECT_EQ(3u, cp.Prev(s.c_str(), 4));
    EXPECT_EQ(0u, cp.Prev(s.c_str(), 0));
}

TEST(BuiltInCodePages, SingleByteNeverPairsBytes)
{
    const fw::CodePage& cp = fw::SingleByteCodePage();
    std::string s = kFullA;
    cp.ToUpper(s);
    EXPECT_EQ(kFullA, s);
    EXPECT_EQ(1u, cp.Next(s.c_str(), 0, s.size()));
}

}  // namespace
