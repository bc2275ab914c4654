#include "lists/condition_form.h"
#include "lists/list_commands.h"
#include "lists/properties_text.h"
#include "tests/lists/list_fixture.h"

namespace {

using lists_test::Paths;
using lists_test::Utf8;
using namespace std::string_literals;

struct FakeClipboard final : lists::TransferSink {
    bool Put(const lists::TransferData& data) override
    {
        ++puts;
        if (!refuse)
            held = data;
        return !refuse;
    }
    bool refuse = false;
    int puts = 0;
    lists::TransferData held;
};

// Three files of 200, 150 and 1 KB listed, the first one current.
class CommandsTest : public lists_test::ListsTest {
protected:
    void Fill()
    {
        list().ClearList();
        List({"C:\\p\\big.jpg"}, 200 * 1024);
        List({"C:\\p\\mid.jpg"}, 150 * 1024);
        List({"C:\\p\\small.jpg"}, 1024);
        list().ShowEntry(0);
        view.Reset();
        clipboard = FakeClipboard();
    }
    const Paths all = {"C:\\p\\big.jpg", "C:\\p\\mid.jpg", "C:\\p\\small.jpg"};
    lists::TransferOptions options{false};
    FakeClipboard clipboard;
};

TEST_F(CommandsTest, ClearAsksOnlyWhenConfirmationIsOn)
{
    Fill();
    prompts.Answer(fw::kIdNo).Answer(fw::kIdYes);
    EXPECT_FALSE(lists::ClearWithConfirm(list(), true));
    EXPECT_EQ(3, list().GetCount());
    EXPECT_EQ("リストの内容をクリアしてもよろしいですか？", Utf8(prompts.Last().text));
    EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, prompts.Last().flags);
    EXPECT_TRUE(lists::ClearWithConfirm(list(), true));
    Fill();
    EXPECT_TRUE(lists::ClearWithConfirm(list(), false));
    EXPECT_EQ(0, list().GetCount());
    EXPECT_EQ(2u, prompts.Count());
}

TEST_F(CommandsTest, ClipboardCommandsCarryTheirPathsAndEffectAndACutClearsOnceTheClipboardHasThem)
{
    using lists::ClipboardCommand;
    // The command, the clipboard refusing, the paths and drop effect it gets, the list cleared.
    const std::tuple<ClipboardCommand, bool, Paths, std::string, bool> cases[] = {
        {ClipboardCommand::CopyShown, false, {"C:\\p\\big.jpg"}, "\x05\0\0\0"s, false},
        {ClipboardCommand::Copy, false, all, "\x05\0\0\0"s, false},
        {ClipboardCommand::Cut, false, all, "\x02\0\0\0"s, true},
        {ClipboardCommand::Cut, true, {}, "", false},  // the clipboard refused: the list stays
    };
    for (const auto& [command, refuse, sent, effect, cleared] : cases) {
        Fill();
        clipboard.refuse = refuse;
        EXPECT_EQ(!refuse, lists::RunClipboardCommand(list(), command, fs, options, clipboard, false));
        EXPECT_EQ(sent, clipboard.held.paths);
        EXPECT_EQ(effect, clipboard.held.preferredDropEffect);
        EXPECT_EQ(cleared ? 0 : 3, list().GetCount());
        EXPECT_EQ(command == ClipboardCommand::CopyShown && !refuse, !clipboard.held.fileName.empty());
    }
    list().ClearList();  // nothing to send: no clipboard and no clear question
    clipboard = FakeClipboard();
    for (ClipboardCommand command : {ClipboardCommand::CopyShown, ClipboardCommand::Cut})
        EXPECT_FALSE(lists::RunClipboardCommand(list(), command, fs, options, clipboard, true));
    EXPECT_EQ(0, clipboard.puts);
}

TEST_F(CommandsTest, ConditionalCutSendsTheMatchesInABlockSizedForTheWholeListAndReports)
{
    lists::LoadCondition condition;
    condition.minimumOn = true;
    condition.minimumKBytes = 100;
    Fill();
    clipboard.refuse = true;  // the list stays, and nothing is said
    EXPECT_EQ(0, lists::ConditionalCut(list(), condition, fs, options, clipboard));
    EXPECT_EQ(all, Listed());
    EXPECT_EQ(0u, prompts.Count());

    Fill();
    prompts.Answer(fw::kIdOk);
    EXPECT_EQ(2, lists::ConditionalCut(list(), condition, fs, options, clipboard));
    EXPECT_EQ((Paths{"C:\\p\\big.jpg", "C:\\p\\mid.jpg"}), clipboard.held.paths);
    EXPECT_EQ("\x02\0\0\0"s, clipboard.held.preferredDropEffect);
    EXPECT_TRUE(clipboard.held.fileName.empty());
    EXPECT_EQ(20 + 2 * lists::FileList(all).size(), clipboard.held.hdrop.size());
    EXPECT_EQ(Paths{"C:\\p\\small.jpg"}, Listed());
    EXPECT_EQ(Paths{"C:\\p\\small.jpg"}, view.shown);
    EXPECT_EQ("2個のファイルが該当しました。", Utf8(prompts.Last().text));
    EXPECT_EQ(unsigned{fw::kMbOk}, prompts.Last().flags);

    condition.minimumKBytes = 1000;
    prompts.Answer(fw::kIdOk);
    EXPECT_EQ(0, lists::ConditionalCut(list(), condition, fs, options, clipboard));
    EXPECT_EQ(1, clipboard.puts);
    EXPECT_EQ("条件に該当するファイルがありません", Utf8(prompts.Last().text));
}

TEST(ListCommands, PasteSeesACutByTheMoveBit)
{
    EXPECT_TRUE(lists::PastedDataWasCut("\x02\0\0\0", 4) && lists::PastedDataWasCut("\x07\0\0\0", 4));
    EXPECT_FALSE(lists::PastedDataWasCut("\x05\0\0\0", 4) || lists::PastedDataWasCut("\x02\0\0", 3) ||
                 lists::PastedDataWasCut(nullptr, 4));
}

TEST(PropertiesText, ListsSizeAttributesAndTimesInTheirOrder)
{
    const auto widen = [](const std::string& path) { return std::wstring(path.begin(), path.end()); };
    lists::FileProperties file;
    file.found = true;
    file.lastWrite = {2024, 3, 7, 9, 5, 2, 45};
    file.created = {1999, 12, 31, 23, 59, 59, 999};
    file.attributes = 0xFFFFFFFF;
    file.size = 3000000000u;
    EXPECT_EQ(
        "C:\\a.jpg\r\n\r\nサイズ:3000000000 Bytes\r\n\r\n属性:\r\n"
        "  アーカイブ\r\n  読み込み専用\r\n  隠しファイル\r\n  システム\r\n"
        "  暗号化\r\n  圧縮\r\n  テンポラリ\r\n  オフライン\r\n\r\n"
        "更新日:2024/03/07 09:05:02.045\r\n作成日:1999/12/31 23:59:59.999\r\n",
        Utf8(lists::PropertiesText("C:\\a.jpg", file, widen)));
    file.found = false;
    EXPECT_EQ("ファイル情報を読み取れません", Utf8(lists::PropertiesText("C:\\a.jpg", file, widen)));
}

TEST(ConditionForm, SizeEditsMustHoldUnsignedNumbersAndTextsAreTrimmed)
{
    const std::tuple<const wchar_t*, const wchar_t*, int> cases[] = {
        // minimum, maximum, the edit refused
        {L" 10\t", L"4294967295", 0},
        {L"1", L"1 2", lists::kMaximumEdit},
        {L"x", L"4294967296", lists::kMinimumEdit}};
    for (const auto& [minimum, maximum, refused] : cases) {
        lists::LoadCondition condition;
        const auto check = lists::ReadConditionFields(
            {" \tC:\\my pics \r\n", true, " *.jpg ", true, minimum, true, maximum}, condition);
        EXPECT_EQ(refused, check.focusControl) << Utf8(minimum);
        EXPECT_EQ(!refused, check.ok);
        EXPECT_EQ(refused ? "正の整数を入力してください。" : "", Utf8(check.message));
        EXPECT_EQ(refused ? fw::kMbOk | fw::kMbIconExclamation : 0, check.flags);
        EXPECT_EQ(
            refused ? "||0|99999|000" : "C:\\my pics|*.jpg|10|4294967295|111",  // unchanged when refused
            condition.folder + "|" + condition.namePattern + "|" + std::to_string(condition.minimumKBytes) +
                "|" + std::to_string(condition.maximumKBytes) + "|" + std::to_string(condition.subfolders) +
                std::to_string(condition.minimumOn) + std::to_string(condition.maximumOn));
    }
}

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
    const std::tuple<Paths, std::string, std::string> cases[] = {
        // paths, file list, text
        {{"C:\\a.jpg", "C:\\b c.jpg"}, "C:\\a.jpg\0C:\\b c.jpg\0\0"s, "C:\\a.jpg\r\nC:\\b c.jpg\r\n\0"s},
        {{}, "\0"s, "\0"s},
    };
    for (const auto& [paths, fileList, text] : cases)
        EXPECT_EQ(std::pair(fileList, text), std::pair(lists::FileList(paths), lists::TextBlock(paths)));
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
    const std::tuple<const char*, std::string, Paths> cases[] = {
        // what, block, names
        {"ansi", Header(20, false) + "C:\\a\0C:\\b\0\0"s, {"C:\\a", "C:\\b"}},
        {"wide", Header(20, true) + Utf16("C:\\a\0C:\\b\0\0"s), {"C:\\a", "C:\\b"}},
        {"list after padding", Header(24, false) + "pad!C:\\a\0\0"s, {"C:\\a"}},
        {"shorter than the header", Header(20, false).substr(0, 19), {}},
        {"pFiles inside the header", Header(8, false) + "C:\\a\0\0"s, {}},
        {"pFiles past the end", Header(0xFFFFFFF0u, false) + "C:\\a\0\0"s, {}},
        {"empty list", Header(20, false) + "\0C:\\a\0\0"s, {}},
        {"no final NUL", Header(20, false) + "C:\\a\0C:\\b\0"s, {"C:\\a", "C:\\b"}},
        {"last name cut off", Header(20, false) + "C:\\a\0C:\\b"s, {"C:\\a"}},
        {"wide last name cut off", Header(20, true) + Utf16("C:\\a\0C:\\b"s), {"C:\\a"}},
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
    for (const auto& [what, block, names] : cases)
        EXPECT_EQ(names, Parse(block)) << what;
    EXPECT_TRUE(lists::ParseHDrop(nullptr, 100, lists::SystemUtf16ToAnsi).empty());
}

}  // namespace
