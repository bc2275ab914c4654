#include <gtest/gtest.h>

#include "tests/support/memory_filesystem.h"
#include "lists/condition_form.h"
#include "lists/list_commands.h"
#include "lists/list_set.h"
#include "lists/properties_text.h"
#include "tests/support/scripted_prompts.h"

namespace {

using testing_support::Utf8;
using Paths = std::vector<std::string>;
using namespace std::string_literals;

class FakeClipboard final : public lists::TransferSink {
public:
    bool Put(const lists::TransferData& data) override
    {
        ++puts;
        if (refuse)
            return false;
        held = data;
        return true;
    }
    bool refuse = false;
    int puts = 0;
    lists::TransferData held;
};

class ListCommandsTest : public ::testing::Test {
protected:
    ListCommandsTest() : lists(fs)
    {
        fs.AddFile("C:\\p\\big.jpg", "", 1, 200 * 1024);
        fs.AddFile("C:\\p\\mid.jpg", "", 1, 150 * 1024);
        fs.AddFile("C:\\p\\small.jpg", "", 1, 1024);
        Fill();
        options.wideNames = false;
    }
    void Fill()
    {
        list().ClearList();
        for (const char* path : {"C:\\p\\big.jpg", "C:\\p\\mid.jpg", "C:\\p\\small.jpg"})
            list().InsertAndSelect(path);
        list().ShowEntry(0);
    }
    lists::ListModel& list() { return lists.List(0); }
    Paths Listed() const { return lists.List(0).Paths().Paths(); }

    testing_support::MemoryFileSystem fs;
    lists::ListSet lists;
    lists::TransferOptions options;
    FakeClipboard clipboard;
    testing_support::ScriptedPrompts prompts;
};

TEST_F(ListCommandsTest, ClearAsksOnlyWhenConfirmationIsOn)
{
    const struct {
        bool confirm;
        int answer;
        bool cleared;
    } cases[] = {{false, 0, true}, {true, fw::kIdYes, true}, {true, fw::kIdNo, false}};
    for (const auto& c : cases) {
        Fill();
        testing_support::ScriptedPrompts scripted;
        if (c.confirm)
            scripted.Answer(c.answer);
        EXPECT_EQ(c.cleared, lists::ClearWithConfirm(list(), c.confirm));
        EXPECT_EQ(c.cleared ? 0 : 3, list().GetCount());
        ASSERT_EQ(c.confirm ? 1u : 0u, scripted.Count());
        if (c.confirm) {
            EXPECT_EQ("リストの内容をクリアしてもよろしいですか？", Utf8(scripted.Last().text));
            EXPECT_EQ(fw::kMbYesNo | fw::kMbIconQuestion, scripted.Last().flags);
        }
    }
}

TEST_F(ListCommandsTest, ClipboardCommandsCarryTheirPathsAndEffect)
{
    using lists::ClipboardCommand;
    const Paths all = {"C:\\p\\big.jpg", "C:\\p\\mid.jpg", "C:\\p\\small.jpg"};
    const struct {
        ClipboardCommand command;
        bool refuse;
        Paths sent;
        std::string effect;
        bool fileName, cleared;
    } cases[] = {
        {ClipboardCommand::CopyShown, false, {"C:\\p\\big.jpg"}, "\x05\0\0\0"s, true, false},
        {ClipboardCommand::Copy, false, all, "\x05\0\0\0"s, false, false},
        {ClipboardCommand::Cut, false, all, "\x02\0\0\0"s, false, true},
        {ClipboardCommand::Cut, true, {}, "", false, false},  // the clipboard refused: the list stays
    };
    for (const auto& c : cases) {
        Fill();
        clipboard = FakeClipboard();
        clipboard.refuse = c.refuse;
        EXPECT_EQ(!c.refuse, lists::RunClipboardCommand(list(), c.command, fs, options, clipboard, false));
        EXPECT_EQ(c.sent, clipboard.held.paths);
        EXPECT_EQ(c.effect, clipboard.held.preferredDropEffect);
        EXPECT_EQ(c.fileName, !clipboard.held.fileName.empty());
        EXPECT_EQ(c.cleared ? 0 : 3, list().GetCount());
    }
    list().ClearList();
    clipboard = FakeClipboard();
    EXPECT_FALSE(lists::RunClipboardCommand(list(), ClipboardCommand::Cut, fs, options, clipboard, true));
    EXPECT_EQ(0, clipboard.puts);
    EXPECT_EQ(0u, prompts.Count());  // nothing to cut: no clear question either
}

TEST_F(ListCommandsTest, ConditionalCutReportsWhatItTook)
{
    lists::LoadCondition condition;
    condition.minimumOn = true;
    const struct {
        uint32_t minimumKBytes;
        bool refuse;
        int removed, puts;
        const char* message;
        Paths left;
    } cases[] = {
        {100, false, 2, 1, "2個のファイルが該当しました。", {"C:\\p\\small.jpg"}},
        {1000,
         false,
         0,
         0,
         "条件に該当するファイルがありません",
         {"C:\\p\\big.jpg", "C:\\p\\mid.jpg", "C:\\p\\small.jpg"}},
        {100, true, 0, 1, nullptr, {"C:\\p\\big.jpg", "C:\\p\\mid.jpg", "C:\\p\\small.jpg"}},
    };
    for (const auto& c : cases) {
        Fill();
        clipboard = FakeClipboard();
        clipboard.refuse = c.refuse;
        condition.minimumKBytes = c.minimumKBytes;
        testing_support::ScriptedPrompts scripted;
        if (c.message)
            scripted.Answer(fw::kIdOk);
        EXPECT_EQ(c.removed, lists::ConditionalCut(list(), condition, fs, options, clipboard));
        EXPECT_EQ(c.puts, clipboard.puts);
        EXPECT_EQ(c.left, Listed());
        if (c.removed) {
            EXPECT_EQ((Paths{"C:\\p\\big.jpg", "C:\\p\\mid.jpg"}), clipboard.held.paths);
            EXPECT_EQ("\x02\0\0\0"s, clipboard.held.preferredDropEffect);
        }
        ASSERT_EQ(c.message ? 1u : 0u, scripted.Count());
        if (c.message) {
            EXPECT_EQ(c.message, Utf8(scripted.Last().text));
            EXPECT_EQ(unsigned{fw::kMbOk}, scripted.Last().flags);
        }
    }
}

TEST(ListCommands, PasteSeesACutByTheMoveBit)
{
    const struct {
        std::string block;
        bool cut;
    } cases[] = {
        {"\x02\0\0\0"s, true}, {"\x03\0\0\0"s, true}, {"\x05\0\0\0"s, false},
        {"\x07\0\0\0"s, true}, {"\x02\0\0"s, false},  {""s, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cut, lists::PastedDataWasCut(c.block.data(), c.block.size())) << c.block.size();
    EXPECT_FALSE(lists::PastedDataWasCut(nullptr, 4));
}

TEST(PropertiesText, ListsSizeAttributesAndTimesInTheirOrder)
{
    const auto widen = [](const std::string& path) { return std::wstring(path.begin(), path.end()); };
    lists::FileProperties file;
    file.found = true;
    file.lastWrite = {2024, 3, 7, 9, 5, 2, 45};
    file.created = {1999, 12, 31, 23, 59, 59, 999};
    const std::string times = "\r\n更新日:2024/03/07 09:05:02.045\r\n作成日:1999/12/31 23:59:59.999\r\n";
    const struct {
        uint32_t attributes;
        uint64_t size;
        std::string middle;
    } cases[] = {
        {fw::kAttrReadOnly | fw::kAttrHidden | fw::kAttrArchive, 1234,
         "1234 Bytes\r\n\r\n属性:\r\n  アーカイブ\r\n  読み込み専用\r\n  隠しファイル\r\n"},
        {0, 0, "0 Bytes\r\n\r\n属性:\r\n"},
        {0xFFFFFFFF, 3000000000u,
         "3000000000 Bytes\r\n\r\n属性:\r\n  アーカイブ\r\n  読み込み専用\r\n  隠しファイル\r\n  システム\r\n"
         "  暗号化\r\n  圧縮\r\n  テンポラリ\r\n  オフライン\r\n"},
        {fw::kAttrNormal | fw::kAttrDirectory, 5368709120u, "5368709120 Bytes\r\n\r\n属性:\r\n"},
    };
    for (const auto& c : cases) {
        file.attributes = c.attributes;
        file.size = c.size;
        EXPECT_EQ("C:\\a.jpg\r\n\r\nサイズ:" + c.middle + times,
                  Utf8(lists::PropertiesText("C:\\a.jpg", file, widen)));
    }
    file.found = false;
    EXPECT_EQ("ファイル情報を読み取れません", Utf8(lists::PropertiesText("C:\\a.jpg", file, widen)));
}

TEST(ConditionForm, SizeEditsMustHoldUnsignedNumbersAndTextsAreTrimmed)
{
    const struct {
        const wchar_t *minimum, *maximum;
        int focus;  // 0: accepted
        uint32_t min = 0, max = 0;
    } cases[] = {
        {L"0", L"99999", 0, 0, 99999},
        {L" 10\t", L"4294967295", 0, 10, 4294967295u},
        {L"", L"1", lists::kMinimumEdit},
        {L"1", L"4294967296", lists::kMaximumEdit},
        {L"-1", L"1", lists::kMinimumEdit},
        {L"+1", L"1", lists::kMinimumEdit},
        {L"1", L"1 2", lists::kMaximumEdit},
        {L"x", L"y", lists::kMinimumEdit},  // one message, the first bad edit
        {L"12k", L"1", lists::kMinimumEdit},
    };
    for (const auto& c : cases) {
        lists::ConditionFields fields;
        fields.folder = " \tC:\\my pics \r\n";
        fields.namePattern = "  *.jpg;*.png ";
        fields.minimumText = c.minimum;
        fields.maximumText = c.maximum;
        lists::LoadCondition condition;
        condition.title = "t";
        const lists::ConditionCheck check = lists::ReadConditionFields(fields, condition);
        EXPECT_EQ(c.focus == 0, check.ok) << Utf8(c.minimum) << "/" << Utf8(c.maximum);
        EXPECT_EQ(c.focus, check.focusControl);
        if (check.ok) {
            EXPECT_EQ(c.min, condition.minimumKBytes);
            EXPECT_EQ(c.max, condition.maximumKBytes);
            EXPECT_EQ("C:\\my pics", condition.folder);
            EXPECT_EQ("*.jpg;*.png", condition.namePattern);
        } else {
            EXPECT_EQ("正の整数を入力してください。", Utf8(check.message));
            EXPECT_EQ(99999u, condition.maximumKBytes);  // unchanged
        }
        EXPECT_EQ("t", condition.title);
    }
}

}  // namespace
