// F8 through the running program: a sorted list moved into a folder.
#include "tests/app/sorter_fixture.h"
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

class MoveCommandTest : public SorterTest {
protected:
    // Two images in "pics", loaded; F8 opens the move dialog with `action` chosen.
    HWND Open(int action, const std::string& folder, std::vector<std::string> names = {"a.bmp", "b.bmp"})
    {
        for (const std::string& name : names)
            paths.push_back(AddImage("pics\\" + name));
        Start("\"" + Path("pics") + "\"");
        EXPECT_TRUE(Press(VK_F8));
        HWND dialog = ts::WaitForWindow(process_.Id(), L"#32770", L"フォルダへ移動");
        EXPECT_NE(dialog, nullptr);
        if (!folder.empty())
            SendMessageW(GetDlgItem(dialog, 1001), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(std::wstring(folder.begin(), folder.end()).c_str()));
        PostMessageW(GetDlgItem(dialog, action), BM_CLICK, 0, 0);
        EXPECT_TRUE(ts::WaitForInputProcessed(dialog));
        return dialog;
    }
    void Ok(HWND dialog) { PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); }
    static bool Exists(const std::string& path)
    {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::vector<std::string> paths;
};

TEST_F(MoveCommandTest, CopiesAndReloadsTheCopies)
{
    AddImage("copies\\old.txt", "kept");
    HWND dialog = Open(1004, Path("copies"));
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, 1044), BM_SETCHECK, BST_CHECKED, 0);
    Ok(dialog);
    HWND preview = ts::WaitForWindow(process_.Id(), L"#32770", L"フォルダを指定してコピー・移動");
    ASSERT_NE(preview, nullptr);
    PostMessageW(GetDlgItem(preview, IDOK), BM_CLICK, 0, 0);  // copy
    EXPECT_EQ(WaitCaption(0, Caption('0', 1, 4, Path("copies\\a.bmp"))),
              Caption('0', 1, 4, Path("copies\\a.bmp")));
    for (const std::string& p : paths)
        EXPECT_TRUE(Exists(p)) << p;
    EXPECT_TRUE(Exists(Path("copies\\b.bmp")));
}

TEST_F(MoveCommandTest, WritesTheListAsText)
{
    HWND dialog = Open(1005, "");
    ASSERT_NE(dialog, nullptr);
    Ok(dialog);
    AnswerFileDialog(Path("list.txt"));
    ASSERT_TRUE(ts::WaitUntil([&] { return Exists(Path("list.txt")); }));
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    HANDLE file = CreateFileA(Path("list.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char text[512] = "";
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(text, read), paths[0] + "\r\n" + paths[1] + "\r\n");
    EXPECT_EQ(Caption(0), Caption('0', 1, 2, paths[0]));
}

TEST_F(MoveCommandTest, DeletesToTheRecycleBin)
{
    // Names of this run only, so that the trash cannot hold them from an earlier one.
    const std::string unique = root_.substr(root_.rfind('\\') + 1);
    HWND dialog = Open(1006, "", {unique + "-a.bmp", unique + "-b.bmp"});
    ASSERT_NE(dialog, nullptr);
    Ok(dialog);
    // Whatever asks to confirm is answered Yes.
    ASSERT_TRUE(ts::WaitUntil(
        [&] {
            for (HWND box : ts::TopWindows(process_.Id(), L"#32770"))
                if (HWND yes = GetDlgItem(box, IDYES); yes && box != dialog)
                    PostMessageW(yes, BM_CLICK, 0, 0);
            return !Exists(paths[0]) && !Exists(paths[1]);
        },
        15000));
    EXPECT_EQ(WaitCaption(0, Caption('0', 0, 0, "")), Caption('0', 0, 0, ""));
    // Wine keeps what it recycles in the desktop's trash below the user's home folder,
    // which it names in WINEHOMEDIR ("\\??\\Z:\\..."); a name it already holds gets a suffix.
    char home[MAX_PATH] = "";
    ASSERT_TRUE(GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH));
    std::string trash = home;
    if (trash.rfind("\\??\\", 0) == 0)
        trash.erase(0, 4);
    trash += "\\.local\\share\\Trash\\";
    int found = 0;
    WIN32_FIND_DATAA entry{};
    HANDLE find = FindFirstFileA((trash + "files\\" + unique + "-*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ++found;
            DeleteFileA((trash + "files\\" + entry.cFileName).c_str());
            DeleteFileA((trash + "info\\" + entry.cFileName + ".trashinfo").c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    EXPECT_GE(found, 2) << trash;
}

}  // namespace
}  // namespace sorter_test
