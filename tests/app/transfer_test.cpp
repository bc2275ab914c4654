// Filling and emptying lists through the running program: the clipboard in both
// directions, dropped folders with their questions, the condition and settings dialogs,
// clearing and the properties text.
#include "tests/app/sorter_fixture.h"

#include <shlobj.h>

#include "framework/core/text.h"
#include "tests/support/server_library.h"

namespace sorter_test {
namespace {

constexpr wchar_t kFolderQuestion[] = L"ディレクトリが含まれています。\r\n読み込みますか？";
constexpr wchar_t kSubfolderQuestion[] = L"サブディレクトリも読み込みますか？";
constexpr wchar_t kNothingMatched[] = L"条件に該当するファイルがありません";

UINT Format(const wchar_t* name)
{
    return RegisterClipboardFormatW(name);
}

// The clipboard's block of `format`; empty when it has none.
std::string ClipboardBlock(UINT format)
{
    std::string bytes;
    if (!ts::WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
        return bytes;
    if (HANDLE block = GetClipboardData(format)) {
        if (const void* p = GlobalLock(block)) {
            bytes.assign(static_cast<const char*>(p), GlobalSize(block));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return bytes;
}

// Puts raw blocks on the clipboard as another program would.
void PutClipboard(const std::vector<std::pair<UINT, std::string>>& blocks)
{
    ASSERT_TRUE(ts::WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }));
    EmptyClipboard();
    for (const auto& [format, bytes] : blocks) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        SetClipboardData(format, block);
    }
    CloseClipboard();
}

// A CF_HDROP block as the shell writes it (ANSI names).
std::string Drop(const std::vector<std::string>& paths, uint32_t filesOffset = 20)
{
    std::string bytes(20, '\0');
    memcpy(bytes.data(), &filesOffset, 4);
    for (const std::string& p : paths)
        bytes += p + '\0';
    bytes += '\0';
    return bytes;
}

std::string Effect(uint32_t value)
{
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

class TransferTest : public SorterTest {
protected:
    void StartOnThree()
    {
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            paths.push_back(AddImage(std::string("pics\\") + name));
        Start("\"" + Path("pics") + "\"");
        ASSERT_EQ(Caption(0), Caption('0', 1, 3, paths[0]));
    }
    // Fills the dialog with the given title: edit and check box values, then OK.
    HWND Dialog(const wchar_t* title)
    {
        HWND dialog = ts::WaitForWindow(process_.Id(), L"#32770", title);
        EXPECT_NE(dialog, nullptr) << ts::Narrow(title);
        return dialog;
    }
    void SetText(HWND dialog, int id, const wchar_t* text)
    {
        SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    void Click(HWND dialog, int id)
    {
        PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        ts::WaitForInputProcessed(dialog);
    }
    std::vector<std::string> paths;
};

TEST_F(TransferTest, CopiesAndCutsListsToTheClipboardInTheShellsFormats)
{
    StartOnThree();
    ASSERT_TRUE(Command(57634));  // copy
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    std::wstring list;
    for (const std::string& p : paths)
        list += fw::WidenAnsi(p) + L'\0';
    list += L'\0';
    const std::string hdrop = ClipboardBlock(CF_HDROP);
    ASSERT_GE(hdrop.size(), 20u);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(hdrop.data()), 20u);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(hdrop.data() + 16), 1u);  // wide names
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(hdrop.data() + 20), list.size()), list);
    const std::string text = ClipboardBlock(CF_TEXT);
    EXPECT_EQ(std::string(text.c_str()), paths[0] + "\r\n" + paths[1] + "\r\n" + paths[2] + "\r\n");
    EXPECT_EQ(ClipboardBlock(Format(L"Preferred DropEffect")), Effect(5));
    EXPECT_TRUE(ClipboardBlock(Format(L"FileName")).empty());

    ASSERT_TRUE(Command(32778));  // copy of the shown image only
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    EXPECT_EQ(ClipboardBlock(Format(L"FileName")), paths[0] + std::string(2, '\0'));

    ASSERT_TRUE(Command(57635));  // cut empties the list once the clipboard holds it
    EXPECT_EQ(WaitCaption(0, Caption('0', 0, 0, "")), Caption('0', 0, 0, ""));
    EXPECT_EQ(ClipboardBlock(Format(L"Preferred DropEffect")), Effect(2));

    // Pasting what was cut loads it again and empties the clipboard.
    ASSERT_TRUE(Press('3', false, true));
    ASSERT_TRUE(Command(57637));
    EXPECT_EQ(WaitCaption(3, Caption('3', 1, 3, paths[0])), Caption('3', 1, 3, paths[0]));
    EXPECT_TRUE(ts::WaitUntil([] { return !IsClipboardFormatAvailable(CF_HDROP); }));
}

TEST_F(TransferTest, PastesOtherProgramsFilesAndIgnoresBrokenData)
{
    StartOnThree();
    const std::string extra = AddImage("more\\x.bmp");
    const std::string deeper = AddImage("more\\sub\\y.bmp");
    const std::string folder = Path("more");
    ASSERT_TRUE(Press('4', false, true));

    PutClipboard({{CF_HDROP, Drop({paths[1]}, 4000)}});  // offset outside the block
    ASSERT_TRUE(Command(57637));
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    EXPECT_EQ(Caption(4), Caption('4', 0, 0, ""));

    // A folder with a file: both questions, asked once each.
    PutClipboard({{CF_HDROP, Drop({folder, paths[1]})}, {Format(L"Preferred DropEffect"), Effect(5)}});
    ASSERT_TRUE(Command(57637));
    Answer(kFolderQuestion, IDYES);
    Answer(kSubfolderQuestion, IDNO);
    // The new entry that sorts first is shown.
    EXPECT_EQ(WaitCaption(4, Caption('4', 1, 2, extra)), Caption('4', 1, 2, extra));
    EXPECT_EQ(Caption(0), Caption('0', 1, 2, paths[0]));  // one list per file
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));    // copied data stays

    // Without the confirmation, folders and their sub-folders are read silently.
    WriteProfile("CONFIRM", "DROPFOLDER", "0");
    ASSERT_TRUE(Command(57637));
    EXPECT_EQ(WaitCaption(4, Caption('4', 1, 3, deeper)), Caption('4', 1, 3, deeper));
    EXPECT_TRUE(ts::NoMessageBoxWithin(process_.Id(), 300));
}

TEST_F(TransferTest, ConditionalCutSaysSoWhenNothingMatches)
{
    StartOnThree();
    PutClipboard({{CF_TEXT, std::string("keep\0", 5)}});
    ASSERT_TRUE(Command(32785));
    HWND dialog = Dialog(L"画像の切り取り - 対象画像の条件設定");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ts::WindowText(GetDlgItem(dialog, 1033)), L"*.*");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1036)));
    Click(dialog, 1034);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1036)));
    SetText(dialog, 1036, L"-5");
    Click(dialog, IDOK);
    Answer(L"正の整数を入力してください。", IDOK);
    SetText(dialog, 1036, L"100");
    Click(dialog, IDOK);
    Answer(kNothingMatched, IDOK);
    EXPECT_EQ(Caption(0), Caption('0', 1, 3, paths[0]));
    EXPECT_EQ(ClipboardBlock(CF_TEXT), std::string("keep\0", 5));
}

TEST_F(TransferTest, SettingsDialogChecksAndWritesItsKeys)
{
    Start();
    ASSERT_TRUE(Command(32783));
    HWND dialog = Dialog(L"設定ダイアログ");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ts::WindowText(GetDlgItem(dialog, 1013)), L"48");
    SetText(dialog, 1013, L"95");
    Click(dialog, IDOK);
    Answer(L"8 から 94 までの整数を入力してください。", IDOK);
    SetText(dialog, 1013, L"10");
    SetText(dialog, 1014, L"10");
    Click(dialog, IDOK);
    Answer(L"保持枠再利用単位は画像保持数よりも少なくなければなりません", IDOK);
    SetText(dialog, 1014, L"4");
    Click(dialog, 1018);
    Click(dialog, IDOK);
    ASSERT_TRUE(ts::WaitUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    EXPECT_EQ(ProfileInt("CACHE", "CACHESIZE", -1), 10);
    EXPECT_EQ(ProfileInt("CACHE", "CACHEOUT", -1), 4);
    EXPECT_EQ(ProfileInt("CONFIRM", "CLEARLIST", -1), 1);
    EXPECT_EQ(ProfileInt("LAYOUT", "NOSAVE", -1), 0);
}

TEST_F(TransferTest, AboutShowsTheControlsFilter)
{
    Start();
    ASSERT_TRUE(Command(57664));
    HWND dialog = Dialog(L"Lumsorix2xのﾊﾞｰｼﾞｮﾝ情報");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ts::WindowText(GetDlgItem(dialog, 1010)), L"*.jpeg;*.jpg;*.gif;*.bmp");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ts::WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST_F(TransferTest, ClearsAfterTheQuestionAndShowsProperties)
{
    StartOnThree();
    ASSERT_TRUE(Command(32786));
    HWND dialog = Dialog(L"ファイルのプロパティ");
    ASSERT_NE(dialog, nullptr);
    const std::wstring text = ts::WindowText(GetDlgItem(dialog, 1007));
    EXPECT_EQ(text.rfind(fw::WidenAnsi(paths[0]) + L"\r\n\r\nサイズ:822 Bytes\r\n\r\n属性:\r\n", 0), 0u)
        << ts::Narrow(text);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(ts::WaitUntil([&] { return !IsWindow(dialog); }));

    WriteProfile("CONFIRM", "CLEARLIST", "1");
    ASSERT_TRUE(Press(VK_F4));
    Answer(L"リストの内容をクリアしてもよろしいですか？", IDNO);
    EXPECT_EQ(Caption(0), Caption('0', 1, 3, paths[0]));
    ASSERT_TRUE(Press(VK_F4));
    Answer(L"リストの内容をクリアしてもよろしいですか？", IDYES);
    EXPECT_EQ(WaitCaption(0, Caption('0', 0, 0, "")), Caption('0', 0, 0, ""));
}

TEST_F(TransferTest, LoadsSeveralFilesChosenInTheFileDialog)
{
    for (const char* name : {"a.bmp", "b.bmp", "c.txt"})
        paths.push_back(AddImage(name));
    Start();
    ASSERT_TRUE(Command(32773));
    AnswerFileDialog("\"a.bmp\" \"c.txt\"");  // any file may be chosen, not only images
    EXPECT_EQ(WaitCaption(0, Caption('0', 1, 2, paths[0])), Caption('0', 1, 2, paths[0]));
}

// Moves the pointer to a window's centre, as the mouse would.
void PointAt(HWND window, DWORD buttons)
{
    RECT r{};
    GetWindowRect(window, &r);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ((r.left + r.right) / 2) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ((r.top + r.bottom) / 2) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
}

TEST_F(TransferTest, RightDragMovesTheImageToAnotherListAndAShortClickOpensTheMenu)
{
    StartOnThree();
    SendMessageW(client_, WM_MDIRESTORE, reinterpret_cast<WPARAM>(List(0)), 0);
    ASSERT_TRUE(ts::Activate(frame_));
    PointAt(List(0), 0);
    PointAt(List(0), MOUSEEVENTF_RIGHTDOWN);
    ts::WaitForInputProcessed(frame_);
    for (int step = 0; step < 10; ++step) {
        PointAt(step < 5 ? List(0) : List(1), 0);
        Sleep(50);  // the drag loop looks at the pointer as it moves
    }
    PointAt(List(1), MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(WaitCaption(1, Caption('1', 1, 1, paths[0])), Caption('1', 1, 1, paths[0]));
    EXPECT_EQ(WaitCaption(0, Caption('0', 1, 2, paths[1])), Caption('0', 1, 2, paths[1]));

    // A right click without moving: the edit menu comes up at the pointer.
    PointAt(List(0), MOUSEEVENTF_RIGHTDOWN);
    PointAt(List(0), MOUSEEVENTF_RIGHTUP);
    EXPECT_NE(ts::WaitForWindow(process_.Id(), L"#32768"), nullptr);
    ts::KeyDown(VK_ESCAPE);
    ts::KeyUp(VK_ESCAPE);
}

}  // namespace
}  // namespace sorter_test
