#include "tests/app/sorter_fixture.h"

#include <cstdio>

#include "framework/core/text.h"
#include "tests/support/server_library.h"

namespace sorter_test {
namespace {

std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ts::FolderOf(std::wstring(path, n));
}

// A 16 x 16 24-bit BMP of one colour.
std::string SolidBmp(COLORREF color)
{
    constexpr int kSide = 16;
    constexpr int kRow = kSide * 3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + kRow * kSide;
    info.biSize = sizeof info;
    info.biWidth = kSide;
    info.biHeight = kSide;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int i = 0; i < kSide * kSide; ++i) {
        bytes.push_back(static_cast<char>(GetBValue(color)));
        bytes.push_back(static_cast<char>(GetGValue(color)));
        bytes.push_back(static_cast<char>(GetRValue(color)));
    }
    return bytes;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

void SorterTest::SetUpTestSuite()
{
    ASSERT_EQ(ts::TheLibrary().registerServer(), S_OK);
}

void SorterTest::SetUp()
{
    static int runs = 0;
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "lumsor-%lu-%d", GetCurrentProcessId(), ++runs);
    root_ = std::string(temp) + name;
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    program_ = fw::WidenAnsi(root_) + L"\\Lumsor20.exe";
    ASSERT_TRUE(CopyFileW((ThisFolder() + L"\\Lumsor20.exe").c_str(), program_.c_str(), FALSE));
}

void SorterTest::TearDown()
{
    process_.Terminate();
    RemoveTree(root_);
}

std::string SorterTest::AddImage(const std::string& relative, const std::string& bytes)
{
    const std::string path = Path(relative);
    for (size_t at = path.find('\\', root_.size() + 1); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    const std::string content = bytes.empty() ? SolidBmp(RGB(0, 0, 255)) : bytes;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

void SorterTest::Start(const std::string& arguments)
{
    process_ = ts::Process::Start(program_, fw::WidenAnsi(arguments), fw::WidenAnsi(root_));
    ASSERT_TRUE(process_);
    Attach();
}

void SorterTest::Attach()
{
    frame_ = ts::WaitForWindow(process_.Id(), L"CClsMainFrame", nullptr, 20000);
    ASSERT_NE(frame_, nullptr);
    const auto clients = ts::ChildWindows(frame_, L"MDIClient");
    const auto bars = ts::ChildWindows(frame_, L"msctls_statusbar32");
    ASSERT_EQ(clients.size(), 1u);
    ASSERT_EQ(bars.size(), 1u);
    client_ = clients[0];
    status_ = bars[0];
    lists_.fill(nullptr);
    ASSERT_TRUE(ts::WaitUntil(
        [&] {
            const auto windows = ts::ChildWindows(client_, L"CClsLstWnd");
            for (HWND window : windows) {
                const std::wstring caption = ts::WindowText(window);
                const wchar_t key = caption.empty() ? L'\0' : caption[0];
                const int n = key >= L'0' && key <= L'9'   ? key - L'0'
                              : key >= L'A' && key <= L'Z' ? key - L'A' + 10
                                                           : -1;
                if (n >= 0)
                    lists_[static_cast<size_t>(n)] = window;
            }
            return windows.size() == 36 && std::find(lists_.begin(), lists_.end(), nullptr) == lists_.end();
        },
        20000));
    // Loading the command line happens before the loop runs: wait until it is idle.
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_, 20000));
}

void SorterTest::Exit()
{
    PostMessageW(frame_, WM_CLOSE, 0, 0);
    ts::MessageBoxInfo box;
    if (ts::WaitForMessageBox(process_.Id(), box, 1000)) {
        EXPECT_EQ(ts::Narrow(box.text), ts::Narrow(kConfirmExit));
        EXPECT_TRUE(ts::AnswerMessageBox(box, IDYES));
    }
    EXPECT_TRUE(process_.WaitExit(15000));
}

std::string SorterTest::Caption(int number) const
{
    return fw::NarrowAnsi(ts::WindowText(List(number)));
}

std::string SorterTest::WaitCaption(int number, const std::string& expected) const
{
    std::wstring last;
    if (ts::WaitForText(List(number), fw::WidenAnsi(expected), ts::kDriverTimeoutMs, &last))
        return expected;
    return fw::NarrowAnsi(last);
}

std::string SorterTest::StatusText() const
{
    return fw::NarrowAnsi(ts::StatusBarText(status_, 0));
}

int SorterTest::ActiveList() const
{
    DWORD_PTR active = 0;
    SendMessageTimeoutW(client_, WM_MDIGETACTIVE, 0, 0, SMTO_ABORTIFHUNG, ts::kDriverTimeoutMs, &active);
    const auto at = std::find(lists_.begin(), lists_.end(), reinterpret_cast<HWND>(active));
    return at == lists_.end() ? -1 : static_cast<int>(at - lists_.begin());
}

RECT SorterTest::ListRect(int number) const
{
    RECT r{};
    GetWindowRect(List(number), &r);
    MapWindowPoints(nullptr, client_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void SorterTest::Answer(const std::wstring& text, int button)
{
    ts::MessageBoxInfo box;
    ASSERT_TRUE(ts::WaitForMessageBox(process_.Id(), box)) << ts::Narrow(text);
    EXPECT_EQ(ts::Narrow(box.text), ts::Narrow(text));
    ASSERT_TRUE(ts::AnswerMessageBox(box, button));
}

void SorterTest::AnswerFileDialog(const std::string& path)
{
    // The file dialog is the one with the file name box (other dialogs may be open).
    constexpr int kNameCombo = 0x47C;
    HWND dialog = nullptr;
    HWND edit = nullptr;
    ASSERT_TRUE(ts::WaitUntil(
        [&] {
            for (HWND candidate : ts::TopWindows(process_.Id(), L"#32770")) {
                HWND combo = GetDlgItem(candidate, kNameCombo);
                const auto edits = combo ? ts::ChildWindows(combo, L"Edit") : std::vector<HWND>{};
                if (!edits.empty()) {
                    dialog = candidate;
                    edit = edits[0];
                    return true;
                }
            }
            return false;
        },
        15000));
    const std::wstring name = fw::WidenAnsi(path);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG,
                        ts::kDriverTimeoutMs, &ignored);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(ts::WaitUntil([&] { return !IsWindow(dialog); }, 15000));
}

int SorterTest::ProfileInt(const char* section, const char* key, int fallback) const
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, Path("Lumsor20.ini").c_str()));
}

void SorterTest::WriteProfile(const char* section, const char* key, const std::string& value) const
{
    WritePrivateProfileStringA(section, key, value.c_str(), Path("Lumsor20.ini").c_str());
}

std::string SorterTest::Caption(char key, int position, int count, const std::string& path)
{
    char head[32];
    std::snprintf(head, sizeof head, "%c: %3d/%3d ", key, position, count);
    return head + path;
}

}  // namespace sorter_test
