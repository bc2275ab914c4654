#include <gtest/gtest.h>

#include "lists/transfer_data.h"

namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

std::string Header(uint32_t pFiles, bool wide)
{
    return lists::DropEffectBlock(pFiles) + std::string(12, '\0') + lists::DropEffectBlock(wide ? 1 : 0);
}

// UTF-16LE bytes of ASCII text (NULs included) or of one code unit.
std::string Utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}
std::string Unit(char16_t u)
{
    return std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}

Paths Parse(const std::string& block)
{
    return lists::ParseHDrop(block.data(), block.size(), lists::SystemUtf16ToAnsi);
}

TEST(TransferData, BlocksLayPathsOutAsTheShellFormatsDo)
{
    const struct {
        Paths paths;
        std::string fileList, text;
    } cases[] = {
        {{"C:\\a.jpg", "C:\\b c.jpg"}, "C:\\a.jpg\0C:\\b c.jpg\0\0"s, "C:\\a.jpg\r\nC:\\b c.jpg\r\n\0"s},
        {{}, "\0"s, "\0"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.fileList, lists::FileList(c.paths));
        EXPECT_EQ(c.text, lists::TextBlock(c.paths));
    }
    EXPECT_EQ("C:\\a.jpg\0\0"s, lists::FileNameBlock("C:\\a.jpg"));
    const Paths paths = {"C:\\a.jpg", "C:\\bb.jpg"};  // a 20-byte file list, in a block sized for 30
    const std::string wide = lists::HDropBlock(paths, true, lists::SystemAnsiToUtf16, 30);
    EXPECT_EQ(Header(20, true) + Utf16(lists::FileList(paths)) + std::string(20, '\0'), wide);
    EXPECT_EQ(paths, Parse(wide));
    EXPECT_EQ("\x05\0\0\0"s, lists::DropEffectBlock(lists::kCopyCommandEffect));
    EXPECT_EQ("\x02\0\0\x01"s, lists::DropEffectBlock(0x01000002));
}

TEST(TransferData, ParseHDropTakesOnlyWhatTheBlockReallyHolds)
{
    const std::string long259 = "C:\\" + std::string(256, 'x');
    const std::string long260 = long259 + "y";
    const struct {
        const char* what;
        std::string block;
        Paths names;
    } cases[] = {
        {"ansi", Header(20, false) + "C:\\a\0C:\\b\0\0"s, {"C:\\a", "C:\\b"}},
        {"wide", Header(20, true) + Utf16("C:\\a\0C:\\b\0\0"s), {"C:\\a", "C:\\b"}},
        {"list after padding", Header(24, false) + "pad!C:\\a\0\0"s, {"C:\\a"}},
        {"shorter than the header", Header(20, false).substr(0, 19), {}},
        {"pFiles inside the header", Header(8, false) + "C:\\a\0\0"s, {}},
        {"pFiles at the end", Header(20, false), {}},
        {"pFiles past the end", Header(0xFFFFFFF0u, false) + "C:\\a\0\0"s, {}},
        {"empty list", Header(20, false) + "\0C:\\a\0\0"s, {}},
        {"no final NUL", Header(20, false) + "C:\\a\0C:\\b\0"s, {"C:\\a", "C:\\b"}},
        {"last name cut off", Header(20, false) + "C:\\a\0C:\\b"s, {"C:\\a"}},
        {"wide last name cut off", Header(20, true) + Utf16("C:\\a\0C:\\b"s), {"C:\\a"}},
        {"wide odd byte count", Header(20, true) + Utf16("C:\\a\0"s) + "C"s, {"C:\\a"}},
        {"259 bytes kept, 260 skipped",
         Header(20, false) + long259 + '\0' + long260 + "\0C:\\c\0\0"s,
         {long259, "C:\\c"}},
        {"wide 260 skipped", Header(20, true) + Utf16(long260 + "\0C:\\c\0\0"s), {"C:\\c"}},
        // U+0101 exists in neither code page 932 nor 1252.
        {"wide name without an exact ANSI form",
         Header(20, true) + Utf16("C:\\") + Unit(u'\u0101') + Utf16("\0C:\\c\0\0"s),
         {"C:\\c"}},
        {"wide lone surrogate", Header(20, true) + Unit(0xD800) + Utf16("\0C:\\c\0\0"s), {"C:\\c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.names, Parse(c.block)) << c.what;
    EXPECT_TRUE(lists::ParseHDrop(nullptr, 100, lists::SystemUtf16ToAnsi).empty());
}

}  // namespace
