#include <gtest/gtest.h>

#include "tests/support/memory_filesystem.h"
#include "lists/list_model.h"
#include "lists/transfer_data.h"

namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

std::string Le32(uint32_t v)
{
    return lists::DropEffectBlock(v);
}

std::string Header(uint32_t pFiles, bool wide)
{
    return Le32(pFiles) + Le32(0) + Le32(0) + Le32(0) + Le32(wide ? 1 : 0);
}

// UTF-16LE bytes of ASCII text (NULs included) or of explicit code units.
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
        {{"C:\\a.jpg"}, "C:\\a.jpg\0\0"s, "C:\\a.jpg\r\n\0"s},
        {{}, "\0"s, "\0"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.fileList, lists::FileList(c.paths));
        EXPECT_EQ(c.text, lists::TextBlock(c.paths));
    }
    EXPECT_EQ("C:\\a.jpg\0\0"s, lists::FileNameBlock("C:\\a.jpg"));
    EXPECT_EQ("\x05\0\0\0"s, lists::DropEffectBlock(lists::kCopyCommandEffect));
    EXPECT_EQ("\x02\0\0\0"s, lists::DropEffectBlock(lists::kCutCommandEffect));
}

TEST(TransferData, HDropBlockHasItsHeaderAndTwiceTheListBytesWideOrNot)
{
    const Paths paths = {"C:\\a.jpg", "C:\\bb.jpg"};
    const std::string ansi = lists::FileList(paths);  // B = 20
    const struct {
        bool wide;
        size_t reserved;
        std::string list;
        size_t size;
    } cases[] = {
        {false, 0, ansi, 20 + 2 * 20},
        {true, 0, Utf16(ansi), 20 + 2 * 20},
        {false, 100, ansi, 20 + 2 * 100},
        {true, 100, Utf16(ansi), 20 + 2 * 100},
    };
    for (const auto& c : cases) {
        const std::string block = lists::HDropBlock(paths, c.wide, lists::SystemAnsiToUtf16, c.reserved);
        ASSERT_EQ(c.size, block.size()) << c.wide;
        EXPECT_EQ(Header(20, c.wide), block.substr(0, 20));
        EXPECT_EQ(c.list, block.substr(20, c.list.size()));
        EXPECT_EQ(std::string(block.size() - 20 - c.list.size(), '\0'), block.substr(20 + c.list.size()));
        EXPECT_EQ(paths, Parse(block));
    }
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
        {"empty list", Header(20, false) + "\0\0"s, {}},
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

class TransferPathsTest : public ::testing::Test {
protected:
    TransferPathsTest() : list(0, fs)
    {
        fs.AddFile("C:\\p\\big.jpg", "", 1, 200 * 1024);
        fs.AddFile("C:\\p\\small.jpg", "", 1, 1024);
        fs.AddFile("C:\\p\\sub\\big2.jpg", "", 1, 300 * 1024);
        for (const char* path : {"C:\\p\\big.jpg", "C:\\p\\small.jpg", "C:\\p\\sub\\big2.jpg"})
            list.InsertAndSelect(path);
        list.ShowEntry(1);
    }
    testing_support::MemoryFileSystem fs;
    lists::ListModel list;
};

TEST_F(TransferPathsTest, ModeAndConditionChooseThePaths)
{
    lists::LoadCondition big;
    big.minimumOn = true;
    big.minimumKBytes = 100;
    lists::LoadCondition topFolder;
    topFolder.folder = "C:\\P";
    const struct {
        lists::TransferMode mode;
        const lists::LoadCondition* condition;
        Paths paths;
    } cases[] = {
        {lists::TransferMode::CurrentEntry, nullptr, {"C:\\p\\small.jpg"}},
        {lists::TransferMode::AllEntries,
         nullptr,
         {"C:\\p\\big.jpg", "C:\\p\\small.jpg", "C:\\p\\sub\\big2.jpg"}},
        {lists::TransferMode::AllEntries, &big, {"C:\\p\\big.jpg", "C:\\p\\sub\\big2.jpg"}},
        {lists::TransferMode::AllEntries, &topFolder, {"C:\\p\\big.jpg", "C:\\p\\small.jpg"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.paths, lists::TransferPaths(list, c.mode, c.condition, fs));
}

TEST_F(TransferPathsTest, BuildTransferDataFillsEveryFormatOrNothing)
{
    lists::TransferData one;
    ASSERT_TRUE(lists::BuildTransferData(list, lists::TransferMode::CurrentEntry, nullptr, fs, false, one));
    EXPECT_EQ("C:\\p\\small.jpg\0\0"s, one.fileName);
    EXPECT_EQ(lists::HDropBlock(one.paths, false, lists::SystemAnsiToUtf16), one.hdrop);
    EXPECT_EQ("C:\\p\\small.jpg\r\n\0"s, one.text);
    EXPECT_TRUE(one.preferredDropEffect.empty());

    // Sent in part, the block keeps the size of the whole list's file list.
    lists::LoadCondition big;
    big.minimumOn = true;
    big.minimumKBytes = 100;
    lists::TransferData some;
    ASSERT_TRUE(lists::BuildTransferData(list, lists::TransferMode::AllEntries, &big, fs, true, some));
    EXPECT_TRUE(some.fileName.empty());
    EXPECT_EQ(20 + 2 * lists::FileList(list.Paths().Paths()).size(), some.hdrop.size());
    EXPECT_EQ(some.paths, Parse(some.hdrop));

    big.minimumKBytes = 1000;
    lists::TransferData untouched;
    untouched.text = "kept";
    EXPECT_FALSE(lists::BuildTransferData(list, lists::TransferMode::AllEntries, &big, fs, true, untouched));
    EXPECT_EQ("kept", untouched.text);
    list.ClearList();
    EXPECT_FALSE(
        lists::BuildTransferData(list, lists::TransferMode::CurrentEntry, nullptr, fs, true, untouched));
}

}  // namespace
