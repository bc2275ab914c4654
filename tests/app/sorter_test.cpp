// The sorter as a user meets it: started on files and folders, sorted with the list
// keys, stepped with the arrows, and refusing what it must refuse.
#include "tests/app/sorter_fixture.h"

#include "framework/core/text.h"
#include "tests/support/pixels.h"
#include "tests/support/server_library.h"

namespace sorter_test {
namespace {

constexpr wchar_t kSubfolderQuestion[] = L"サブディレクトリも読み込みますか？";
constexpr wchar_t kNotInstalled[] = L"サムネイル・コントロールがインストールされていない可能性があります。";

class SortingTest : public SorterTest {
protected:
    // Five images in "pics", started on that folder: list 0 holds them, at the first.
    void StartOnFive()
    {
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"})
            paths.push_back(AddImage(std::string("pics\\") + name));
        Start("\"" + Path("pics") + "\"");
        ASSERT_EQ(Caption(0), Caption('0', 1, 5, paths[0]));
    }
    std::vector<std::string> paths;
};

TEST_F(SortingTest, StartsWithThirtySixListsAndTheCommandLineInListZero)
{
    AddImage("pics\\sub\\deep.bmp");
    AddImage("pics\\notes.txt", "not an image");
    const std::string single = AddImage("one.bmp");
    AddImage("pics\\x.bmp");
    process_ =
        ts::Process::Start(program_, fw::WidenAnsi("\"" + Path("pics") + "\" \"" + single + "\" missing.bmp"),
                           fw::WidenAnsi(root_));
    ASSERT_TRUE(process_);
    Answer(kSubfolderQuestion, IDNO);
    Attach();
    EXPECT_EQ(Caption(0), Caption('0', 1, 2, single));
    EXPECT_TRUE(IsZoomed(List(0)));
    for (int n = 1; n < 36; ++n)
        EXPECT_EQ(Caption(n), Caption(static_cast<char>(n < 10 ? '0' + n : 'A' + n - 10), 0, 0, "")) << n;
    EXPECT_TRUE(ts::WaitUntil([&] { return StatusText() == Caption(0); })) << StatusText();
    EXPECT_EQ(ActiveList(), 0);
}

TEST_F(SortingTest, SortsPullsUndoesRedoesAndExcludes)
{
    StartOnFive();
    ASSERT_TRUE(Press('5'));
    EXPECT_EQ(Caption(0), Caption('0', 1, 4, paths[1]));
    EXPECT_EQ(Caption(5), Caption('5', 1, 1, paths[0]));
    ASSERT_TRUE(Press(VK_BACK));  // undo
    EXPECT_EQ(Caption(0), Caption('0', 1, 5, paths[0]));
    EXPECT_EQ(Caption(5), Caption('5', 0, 0, ""));
    ASSERT_TRUE(Press(VK_BACK, true));  // redo
    EXPECT_EQ(Caption(5), Caption('5', 1, 1, paths[0]));
    ASSERT_TRUE(Press('5', true));  // pull it back
    EXPECT_EQ(Caption(0), Caption('0', 1, 5, paths[0]));
    ASSERT_TRUE(Press(VK_NUMPAD0 + 5));  // the keypad's digits are list keys too
    EXPECT_EQ(Caption(5), Caption('5', 1, 1, paths[0]));
    ASSERT_TRUE(Press('0'));  // the current list's own key does nothing
    EXPECT_EQ(Caption(0), Caption('0', 1, 4, paths[1]));

    ASSERT_TRUE(Press(VK_DELETE));
    EXPECT_EQ(Caption(0), Caption('0', 1, 3, paths[2]));
    ASSERT_TRUE(Press(VK_END));
    EXPECT_EQ(Caption(0), Caption('0', 3, 3, paths[4]));
    ASSERT_TRUE(Press(VK_UP));
    EXPECT_EQ(Caption(0), Caption('0', 2, 3, paths[3]));
    ASSERT_TRUE(Press(VK_DOWN));
    ASSERT_TRUE(Press(VK_DOWN));  // stops at the last entry
    EXPECT_EQ(Caption(0), Caption('0', 3, 3, paths[4]));
    ASSERT_TRUE(Command(57643));  // the menu's undo moves the last move's target back
    EXPECT_EQ(WaitCaption(5, Caption('5', 0, 0, "")), Caption('5', 0, 0, ""));
    EXPECT_TRUE(ts::NoMessageBoxWithin(process_.Id(), 200));

    // Closing asks while the lists hold entries; No keeps everything.
    PostMessageW(frame_, WM_CLOSE, 0, 0);
    Answer(kConfirmExit, IDNO);
    EXPECT_TRUE(ts::WaitForInputProcessed(frame_));
    EXPECT_TRUE(process_.Running());
    Exit();
}

TEST_F(SortingTest, TheFrameTitleFollowsTheMaximisedListsCaption)
{
    // Two short paths and one too long for the title to hold whole.
    paths = {AddImage("a.bmp"), AddImage("b.bmp"), AddImage("x\\" + std::string(150, 'd') + "\\c.bmp")};
    Start("\"" + paths[0] + "\" \"" + paths[1] + "\" \"" + paths[2] + "\"");
    ASSERT_TRUE(IsZoomed(List(0)));
    const std::wstring first = ts::WindowText(frame_);
    const std::wstring base = first.substr(0, first.rfind(L" - ["));
    const auto framed = [&] { return base + L" - [" + fw::WidenAnsi(Caption(0)) + L"]"; };
    EXPECT_EQ(first, framed());
    for (WORD key : {VK_DOWN, VK_DOWN, VK_UP, VK_UP}) {
        ASSERT_TRUE(Press(key));
        const std::wstring title = ts::WindowText(frame_);
        if (Caption(0) == Caption('0', 3, 3, paths[2])) {  // shortened by the system, never stale
            EXPECT_EQ(0u, title.rfind(base + L" - [0:   3/  3 ", 0)) << title;
            EXPECT_LT(title.size(), framed().size());
        } else {
            EXPECT_EQ(title, framed());
        }
    }
    EXPECT_EQ(Caption(0), Caption('0', 1, 3, paths[0]));
}

TEST_F(SortingTest, AdvancesByItselfUntilAnotherKeyIsPressed)
{
    StartOnFive();
    ASSERT_TRUE(Command(32789));
    EXPECT_EQ(WaitCaption(0, Caption('0', 2, 5, paths[1])), Caption('0', 2, 5, paths[1]));
    ASSERT_TRUE(Press(VK_UP));  // any key but the Down arrow stops it
    EXPECT_EQ(Caption(0), Caption('0', 1, 5, paths[0]));
    EXPECT_FALSE(ts::WaitForText(List(0), fw::WidenAnsi(Caption('0', 2, 5, paths[1])), 4000));
}

TEST_F(SortingTest, SwitchesListsAndRefusesMinimisedOnes)
{
    StartOnFive();
    ASSERT_TRUE(Press(VK_LEFT));
    EXPECT_TRUE(ts::WaitUntil([&] { return ActiveList() == 35; }));
    ASSERT_TRUE(Press(VK_TAB));
    EXPECT_TRUE(ts::WaitUntil([&] { return ActiveList() == 0; }));
    ASSERT_TRUE(Press('7', false, true));
    EXPECT_TRUE(ts::WaitUntil([&] { return ActiveList() == 7; }));
    ASSERT_TRUE(Press('0', false, true));
    EXPECT_TRUE(ts::WaitUntil([&] { return ActiveList() == 0; }));

    SendMessageW(client_, WM_MDIRESTORE, reinterpret_cast<WPARAM>(List(0)), 0);
    PostMessageW(List(7), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(ts::WaitUntil([&] { return IsIconic(List(7)) != FALSE; }));
    ASSERT_TRUE(Press('0', false, true));
    ASSERT_TRUE(Press('7'));
    EXPECT_EQ(Caption(0), Caption('0', 1, 5, paths[0]));
    EXPECT_EQ(Caption(7), Caption('7', 0, 0, ""));

    // A list window cannot be closed, not even with the MDI close key.
    ASSERT_TRUE(Press(VK_F4, false, true));
    EXPECT_TRUE(IsWindow(List(0)));
    EXPECT_EQ(ts::ChildWindows(client_, L"CClsLstWnd").size(), 36u);
}

TEST_F(SortingTest, MovesAndSizesTheCurrentWindowWithShiftAndCtrl)
{
    Start();
    const RECT before = ListRect(0);
    ts::KeyDown(VK_SHIFT);
    ASSERT_TRUE(ts::Activate(frame_));
    ts::KeyDown(VK_RIGHT);
    ts::KeyUp(VK_RIGHT);
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    char geometry[96];
    std::snprintf(geometry, sizeof geometry, "(%ld,%ld)-(%ld,%ld)%ldx%ld", before.left + 10, before.top,
                  before.right + 10, before.bottom, before.right - before.left, before.bottom - before.top);
    EXPECT_EQ(StatusText(), geometry);  // held Shift keeps the geometry in the status bar
    ts::KeyUp(VK_SHIFT);
    ASSERT_TRUE(Press(VK_DOWN, false, true));
    const RECT after = ListRect(0);
    EXPECT_EQ(after.left, before.left + 10);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 10);
}

TEST_F(SortingTest, ShowsTheImageOnceItIsLoadedAndWhiteUntilThen)
{
    const std::string red = AddImage("red.bmp");
    {
        // A picture drawn in red, 16 x 16 as every image of these tests.
        std::string bytes;
        HANDLE file =
            CreateFileA(red.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        bytes.resize(GetFileSize(file, nullptr));
        DWORD read = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        for (size_t i = 54; i + 2 < bytes.size(); i += 3) {
            bytes[i] = 0;
            bytes[i + 1] = 0;
            bytes[i + 2] = static_cast<char>(0xFF);
        }
        AddImage("red.bmp", bytes);
    }
    const std::string broken = AddImage("broken.jpg", "not a picture at all");
    Start("\"" + red + "\" \"" + broken + "\"");
    ASSERT_EQ(Caption(0), Caption('0', 1, 2, broken));  // "broken" sorts first
    ts::Dib shot = ts::CaptureClientFromScreen(List(0));
    int white = 0;
    for (int y = 0; y < shot.height; y += 4)
        for (int x = 0; x < shot.width; x += 4)
            white += shot.At(x, y) == 0xFFFFFF;
    EXPECT_GT(white * 16, shot.width * shot.height * 9 / 10)
        << "a picture that cannot load leaves the window white";

    ASSERT_TRUE(Press(VK_DOWN));
    ASSERT_EQ(Caption(0), Caption('0', 2, 2, red));
    EXPECT_TRUE(ts::WaitUntil(
        [&] {
            shot = ts::CaptureClientFromScreen(List(0));
            return shot.width > 0 && shot.At(shot.width / 2, shot.height / 2) == 0xFF0000;
        },
        10000));
    ts::SaveArtefact(shot, "sorter_red");
}

TEST_F(SorterTest, SaysSoAndEndsWhenTheThumbnailControlIsMissing)
{
    ASSERT_EQ(ts::TheLibrary().unregisterServer(), S_OK);
    process_ = ts::Process::Start(program_, L"", fw::WidenAnsi(root_));
    ASSERT_TRUE(process_);
    Answer(kNotInstalled, IDOK);
    EXPECT_TRUE(process_.WaitExit(15000));
    ASSERT_EQ(ts::TheLibrary().registerServer(), S_OK);
}

}  // namespace
}  // namespace sorter_test
