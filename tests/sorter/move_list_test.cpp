// F8 through the running program: a sorted list moved into a folder.
#include "tests/sorter/sorter_fixture.h"
#include <commctrl.h>

namespace sorter_test {
namespace {

TEST_F(SorterTest, MovesAListIntoAFolderAndTheListFollows)
{
    std::vector<std::string> paths;
    for (const char* name : {"a.bmp", "b.bmp"})
        paths.push_back(AddImage(std::string("pics\\") + name));
    AddImage("sorted\\old.txt", "kept");
    Start("\"" + Path("pics") + "\"");
    ASSERT_TRUE(Press(VK_F8));
    HWND dialog = ts::WaitForWindow(process_.Id(), L"#32770", L"フォルダへ移動");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, 1001), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>((std::wstring(root_.begin(), root_.end()) + L"\\sorted").c_str()));
    PostMessageW(GetDlgItem(dialog, 1003), BM_CLICK, 0, 0);
    ASSERT_TRUE(ts::WaitForInputProcessed(dialog));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    // The preview shows the plan; its move button runs it.
    HWND preview = ts::WaitForWindow(process_.Id(), L"#32770", L"フォルダを指定してコピー・移動");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(SendMessageW(GetDlgItem(preview, 1042), LVM_GETITEMCOUNT, 0, 0), 2);
    PostMessageW(GetDlgItem(preview, 3), BM_CLICK, 0, 0);
    EXPECT_EQ(WaitCaption(0, Caption('0', 0, 0, "")), Caption('0', 0, 0, ""));
    for (const char* name : {"a.bmp", "b.bmp"}) {
        EXPECT_EQ(GetFileAttributesA(Path(std::string("pics\\") + name).c_str()), INVALID_FILE_ATTRIBUTES)
            << name;
        EXPECT_NE(GetFileAttributesA(Path(std::string("sorted\\") + name).c_str()), INVALID_FILE_ATTRIBUTES)
            << name;
    }
    EXPECT_NE(GetFileAttributesA(Path("sorted\\old.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace sorter_test
