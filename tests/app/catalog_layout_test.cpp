// Arranging, the layouts kept in the profile and the catalog commands, through the
// running program.
#include "tests/app/sorter_fixture.h"

#include <fstream>
#include <sstream>

#include "framework/core/text.h"

namespace sorter_test {
namespace {

constexpr wchar_t kDiscard[] = L"現在のデータを破棄しますか？";

TEST_F(SorterTest, TilesToTheCurrentWindowsSize)
{
    Start();
    // The worked example: windows of 200 x 150 in a client area 650 pixels wide.
    SetWindowPos(List(0), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(client_, &client);
    RECT frame{};
    GetWindowRect(frame_, &frame);
    SetWindowPos(frame_, nullptr, 0, 0, frame.right - frame.left + 650 - client.right, 600,
                 SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(ts::WaitUntil([&] {
        GetClientRect(client_, &client);
        return client.right == 650;
    }));
    ASSERT_TRUE(Press(VK_F9));
    const RECT expected[] = {{0, 0, 200, 150}, {200, 0, 400, 150}, {400, 0, 600, 150}, {0, 150, 200, 300}};
    for (int n = 0; n < 4; ++n) {
        const RECT r = ListRect(n);
        EXPECT_TRUE(EqualRect(&r, &expected[n]))
            << n << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
    }
}

TEST_F(SorterTest, KeepsTheWorkingLayoutAcrossRuns)
{
    Start();
    // A first start without a profile lays the windows out in the default grid.
    const RECT grid[] = {{180, 150, 360, 300}, {15, 15, 195, 165}};
    for (int i = 0; i < 2; ++i) {
        const RECT r = ListRect(i == 0 ? 5 : 12);
        EXPECT_TRUE(EqualRect(&r, &grid[i])) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
    }
    ASSERT_TRUE(Press(VK_RIGHT, true));
    PostMessageW(List(3), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(ts::WaitUntil([&] { return IsIconic(List(3)) != FALSE; }));
    Exit();
    EXPECT_EQ(ProfileInt("ALLIGN_DEFAULT", "W00left", -1), 10);
    EXPECT_EQ(ProfileInt("ALLIGN_DEFAULT", "W00right", -1), 190);
    EXPECT_EQ(ProfileInt("ALLIGN_DEFAULT", "W00show", -1), 1);
    EXPECT_EQ(ProfileInt("ALLIGN_DEFAULT", "W03show", -1), 6);
    EXPECT_NE(ProfileInt("ALLIGN_DEFAULT", "right", -1), -1);

    Start();
    EXPECT_EQ(ListRect(0).left, 10);
    EXPECT_TRUE(IsIconic(List(3)));
    Exit();

    // With NOSAVE the working layout is neither restored nor saved; hand-edited
    // garbage in it never hides a window.
    WriteProfile("LAYOUT", "NOSAVE", "1");
    WriteProfile("ALLIGN_DEFAULT", "W00left", "-99999");
    Start();
    const RECT first = ListRect(0);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.right - first.left, 180);
    Exit();
    EXPECT_EQ(ProfileInt("ALLIGN_DEFAULT", "W00left", 0), -99999);
    WriteProfile("LAYOUT", "NOSAVE", "0");
    WriteProfile("WINDOWSTYLE", "WIDTH", "0");
    WriteProfile("ALLIGN_DEFAULT", "W01top", "-5000");
    WriteProfile("CACHE", "CACHESIZE", "-3");
    Start();
    RECT client{};
    GetClientRect(client_, &client);
    for (int n : {0, 1}) {
        RECT r = ListRect(n), inside{};
        EXPECT_TRUE(IntersectRect(&inside, &r, &client))
            << n << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
        EXPECT_GE(r.top, 0) << n;
    }
}

TEST_F(SorterTest, CreatesANamedLayoutInTheLayoutDialog)
{
    Start();
    ASSERT_TRUE(Command(32784));
    HWND dialog = ts::WaitForWindow(process_.Id(), L"#32770", L"レイアウトの新規作成と保存");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1023, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1023)));
    HWND input = ts::WaitForWindow(process_.Id(), L"#32770", L"入力");
    ASSERT_NE(input, nullptr);
    SendMessageW(GetDlgItem(input, 1029), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"作業用"));
    PostMessageW(input, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(ts::WaitUntil([&] { return !IsWindow(input); }));
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, 1028), LB_GETCOUNT, 0, 0), 1);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ts::WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(ProfileInt("LAYOUT", "COUNT", -1), 1);
    EXPECT_EQ(ProfileInt("LAYOUT", "ID00", -1), 1);
    EXPECT_EQ(ProfileInt("LAYOUT", "LASTID", -1), 1);
    char name[32] = "";
    GetPrivateProfileStringA("LAYOUT", "NAME00", "", name, sizeof name, Path("Lumsor20.ini").c_str());
    EXPECT_EQ(fw::WidenAnsi(name), L"作業用");
    EXPECT_EQ(ProfileInt("ALLIGN_01", "W05left", -1), 180);
}

TEST_F(SorterTest, SavesStartsAnewAndOpensACatalog)
{
    std::vector<std::string> paths;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        paths.push_back(AddImage(std::string("pics\\") + name));
    Start("\"" + Path("pics") + "\"");
    ASSERT_TRUE(Press('5'));
    ASSERT_TRUE(Command(57604));  // Save As
    const std::string catalog = Path("lists.txt");
    AnswerFileDialog(catalog);
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    std::ostringstream expected;
    for (int n = 0; n < 36; ++n) {
        expected << "*" << n << "\r\n";
        if (n == 0)
            expected << paths[1] << "\r\n" << paths[2] << "\r\n";
        if (n == 5)
            expected << paths[0] << "\r\n";
    }
    std::ifstream file(catalog, std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, expected.str());

    ASSERT_TRUE(Command(57600));  // New
    Answer(kDiscard, IDYES);
    EXPECT_EQ(WaitCaption(0, Caption('0', 0, 0, "")), Caption('0', 0, 0, ""));
    EXPECT_EQ(Caption(5), Caption('5', 0, 0, ""));

    ASSERT_TRUE(Command(57601));  // Open
    AnswerFileDialog(catalog);
    Answer(L"3個のファイルをロードしました。\r\n全項目数3、対象外項目数0", IDOK);
    EXPECT_EQ(WaitCaption(0, Caption('0', 1, 2, paths[1])), Caption('0', 1, 2, paths[1]));
    EXPECT_EQ(Caption(5), Caption('5', 1, 1, paths[0]));
}

}  // namespace
}  // namespace sorter_test
