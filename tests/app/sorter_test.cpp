// The sorter end to end, one test per feature: Lumsor20.exe started under Wine from a
// folder of the test's own (so the profile beside it is the test's), driven by real
// keys, mouse and commands, read through its captions, message boxes, files and the
// clipboard. The variations live in the portable tables of app_tests.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "framework/com/com_ptr.h"
#include "framework/core/text.h"
#include "framework/win/gdi.h"
#include "tests/support/driver.h"
#include "tests/support/server_library.h"
#include "tests/support/wic_encode.h"

namespace {

namespace ts = testing_support;
namespace fs = std::filesystem;

constexpr char kKeys[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

class SorterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ts::TheLibrary().registerServer(), S_OK); }
    void SetUp() override
    {
        static int runs = 0;
        const std::string name =
            "lumsor-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
        root_ = (fs::temp_directory_path() / name).string();
        fs::remove_all(root_, ignored_);
        ASSERT_TRUE(fs::create_directories(root_));
        program_ = fw::WidenAnsi(root_) + L"\\Lumsor20.exe";
        ASSERT_TRUE(fs::copy_file(ts::FolderOf(ts::LibraryPath()) + L"\\Lumsor20.exe", program_));
    }
    void TearDown() override
    {
        process_.Terminate();
        fs::remove_all(root_, ignored_);
    }

    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
    std::string AddImage(const std::string& relative)  // the sorter goes by the name alone
    {
        const std::string path = Path(relative);
        fs::create_directories(fs::path(path).parent_path(), ignored_);
        std::ofstream(path, std::ios::binary) << "image";
        return path;
    }
    // Images `names` in "pics", the sorter started on that folder: list 0 holds them.
    void StartOn(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            paths.push_back(AddImage(std::string("pics\\") + name));
        Start("\"" + Path("pics") + "\"");
        ASSERT_TRUE(Shows(0, 1, static_cast<int>(names.size()), paths[0])) << Caption(0);
    }
    // Starts the program; its frame and 36 list windows (by their caption's key) once idle.
    void Start(const std::string& arguments = std::string())
    {
        process_ = ts::Process::Start(program_, fw::WidenAnsi(arguments), fw::WidenAnsi(root_));
        ASSERT_TRUE(process_);
        frame_ = ts::WaitForWindow(process_.Id(), L"CClsMainFrame", nullptr, 20000);
        ASSERT_NE(frame_, nullptr);
        client_ = ts::ChildWindows(frame_, L"MDIClient").at(0);
        lists_.fill(nullptr);
        ASSERT_TRUE(ts::WaitUntil(
            [&] {
                for (HWND window : ts::ChildWindows(client_, L"CClsLstWnd"))
                    if (const char* key =
                            std::strchr(kKeys, fw::NarrowAnsi(ts::WindowText(window) + L" ")[0]))
                        lists_[static_cast<size_t>(key - kKeys)] = window;
                return std::count(lists_.begin(), lists_.end(), nullptr) == 0;
            },
            20000));
        ASSERT_TRUE(ts::WaitForInputProcessed(frame_, 20000));
    }

    HWND List(int number) const { return lists_.at(static_cast<size_t>(number)); }
    std::string Caption(int number) const { return fw::NarrowAnsi(ts::WindowText(List(number))); }
    // Whether list `number`'s caption is, or soon becomes, "position/count path".
    bool Shows(int number, int position, int count, const std::string& path = "") const
    {
        char head[32];
        std::snprintf(head, sizeof head, "%c: %3d/%3d ", kKeys[number], position, count);
        return ts::WaitForText(List(number), fw::WidenAnsi(head + path));
    }
    // Whether the screen shows, or soon shows, `colour` in the middle of list `number`.
    bool MiddleIs(int number, COLORREF colour) const
    {
        return ts::WaitUntil([&] {
            RECT r{};
            GetClientRect(List(number), &r);
            POINT middle{r.right / 2, r.bottom / 2};
            ClientToScreen(List(number), &middle);
            return GetPixel(fw::WindowDc(nullptr).Dc(), middle.x, middle.y) == colour;
        });
    }
    bool Press(WORD vk, bool shift = false, bool ctrl = false)
    {
        return ts::PressKey(frame_, vk, shift, ctrl);
    }
    bool Command(UINT id) { return ts::PostCommand(frame_, id); }
    void Answer(const std::wstring& text, int button)
    {
        ts::MessageBoxInfo box;
        ASSERT_TRUE(ts::WaitForMessageBox(process_.Id(), box)) << ts::Narrow(text);
        EXPECT_EQ(ts::Narrow(box.text), ts::Narrow(text));
        ASSERT_TRUE(ts::AnswerMessageBox(box, button));
    }
    static void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    // Types `path` into the file dialog that comes up (the one with a file name box).
    void AnswerFileDialog(const std::string& path)
    {
        constexpr int kNameCombo = 0x47C;
        HWND dialog = nullptr;
        ASSERT_TRUE(ts::WaitUntil(
            [&] {
                for (HWND candidate : ts::TopWindows(process_.Id(), L"#32770"))
                    dialog = GetDlgItem(candidate, kNameCombo) ? candidate : dialog;
                return dialog != nullptr;
            },
            15000));
        SetDlgItemTextW(dialog, kNameCombo, fw::WidenAnsi(path).c_str());
        Click(dialog, IDOK);
        ASSERT_TRUE(ts::WaitUntil([&] { return !IsWindow(dialog); }, 15000));
    }

    std::string root_;  // ANSI
    std::wstring program_;
    std::error_code ignored_;
    ts::Process process_;
    HWND frame_ = nullptr, client_ = nullptr;
    std::array<HWND, 36> lists_{};
    std::vector<std::string> paths;
};

// While the lists hold entries, closing asks; No keeps the program running.
TEST_F(SorterTest, SortsWithAListKeyUndoesWithBackspaceOrTheMenuAndAsksBeforeExiting)
{
    StartOn({"a.bmp", "b.bmp"});
    for (UINT menuUndo : {0, 57643}) {
        ASSERT_TRUE(Press('5'));
        EXPECT_TRUE(Shows(0, 1, 1, paths[1])) << Caption(0);
        EXPECT_TRUE(Shows(5, 1, 1, paths[0])) << Caption(5);
        ASSERT_TRUE(menuUndo ? Command(menuUndo) : Press(VK_BACK));
        EXPECT_TRUE(Shows(0, 1, 2, paths[0])) << Caption(0);
        EXPECT_TRUE(Shows(5, 0, 0)) << Caption(5);
    }
    for (int answer : {IDNO, IDYES}) {
        PostMessageW(frame_, WM_CLOSE, 0, 0);
        Answer(L"終了してもよろしいですか？", answer);
    }
    EXPECT_TRUE(process_.WaitExit(15000));
}

// From a folder that refuses writes (a read-only mount, where the machine allows one) the
// profile is kept in the user's roaming data instead.
TEST_F(SorterTest, KeepsTheWorkingLayoutAcrossARestart)
{
    std::vector<std::wstring> programs{program_};
    const char* readOnly = std::getenv("SUITE_READONLY_PROGRAM_DIR");
    if (readOnly && GetFileAttributesA(readOnly) != INVALID_FILE_ATTRIBUTES)
        programs.push_back(fw::WidenAnsi(readOnly) + L"\\Lumsor20.exe");
    wchar_t roaming[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
    const std::filesystem::path roamingProfile =
        std::filesystem::path(roaming) / L"Lumsor20" / L"Lumsor20.ini";
    std::filesystem::remove_all(roamingProfile.parent_path(), ignored_);
    for (const std::wstring& program : programs) {
        SCOPED_TRACE(ts::Narrow(program));
        program_ = program;
        Start();
        RECT grid{}, before{}, after{};
        GetWindowRect(List(0), &grid);
        // Restoring the working layout (none saved yet: the grid) moves list 0 back.
        ASSERT_TRUE(Press(VK_RIGHT, true));
        ASSERT_TRUE(Command(32787));
        ASSERT_TRUE(
            ts::WaitUntil([&] { return GetWindowRect(List(0), &after) && EqualRect(&after, &grid); }));
        ASSERT_TRUE(Press(VK_RIGHT, true));
        PostMessageW(List(3), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_TRUE(ts::WaitUntil([&] { return IsIconic(List(3)) != FALSE; }));
        GetWindowRect(List(0), &before);
        ASSERT_EQ(before.left, grid.left + 10);
        PostMessageW(frame_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(process_.WaitExit(15000));

        Start();
        GetWindowRect(List(0), &after);
        EXPECT_TRUE(EqualRect(&before, &after)) << after.left << "," << after.top;
        EXPECT_TRUE(IsIconic(List(3)));
        PostMessageW(frame_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(process_.WaitExit(15000));
        EXPECT_EQ(std::filesystem::exists(roamingProfile), program != programs.front());
    }
}

// A save that cannot replace the catalog (another program holds it) keeps it as it was.
TEST_F(SorterTest, SavesOpensAndNeverLosesACatalog)
{
    StartOn({"a.bmp", "b.bmp", "c.bmp"});
    ASSERT_TRUE(Press('5'));
    ASSERT_TRUE(Command(57604));  // Save As
    const std::string catalog = Path("lists.txt");
    AnswerFileDialog(catalog);
    ASSERT_TRUE(ts::WaitForInputProcessed(frame_));
    const auto read = [&] { return (std::ostringstream() << std::ifstream(catalog).rdbuf()).str(); };
    const std::string saved = read();
    ASSERT_TRUE(Press('7'));
    HANDLE held = CreateFileA(catalog.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(Command(57603));  // Save
    Answer(L"ファイルが作成できません", IDOK);
    CloseHandle(held);
    EXPECT_EQ(read(), saved);
    EXPECT_FALSE(fs::exists(catalog + ".tmp"));

    ASSERT_TRUE(Command(57600));  // New
    Answer(L"現在のデータを破棄しますか？", IDYES);
    EXPECT_TRUE(Shows(5, 0, 0)) << Caption(5);
    ASSERT_TRUE(Command(57601));  // Open
    AnswerFileDialog(catalog);
    Answer(L"3個のファイルをロードしました。\r\n全項目数3、対象外項目数0", IDOK);
    EXPECT_TRUE(Shows(0, 1, 2, paths[1])) << Caption(0);
    EXPECT_TRUE(Shows(5, 1, 1, paths[0])) << Caption(5);
    EXPECT_TRUE(Shows(7, 0, 0)) << Caption(7);
}

// Killed without the exit question, the next start offers the lists back: the journal
// cut inside its last change gives every list as it was before that change; a second
// copy started meanwhile leaves the journal alone; no, confirmed, starts empty; a
// normal exit leaves no journal.
TEST_F(SorterTest, OffersTheListsOfAKilledRunBack)
{
    StartOn({"a.bmp", "b.bmp", "c.bmp"});
    ASSERT_TRUE(Press('5'));
    ASSERT_TRUE(Press(VK_DELETE));
    ASSERT_TRUE(Shows(0, 1, 1, paths[2])) << Caption(0);
    process_.Terminate();
    const auto journals = [&] {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(root_))
            if (entry.path().extension() == ".journal")
                found.push_back(entry.path());
        return found;
    };
    ASSERT_EQ(journals().size(), 1u);
    fs::resize_file(journals()[0], fs::file_size(journals()[0]) - 1);
    const std::wstring offer =
        L"前回の Lumsor20 "
        L"は正常に終了しませんでした。\r\n記録されていたリストの内容（3個のファイル）を復元しますか？";

    Start();
    Answer(offer, IDYES);
    for (int n = 0; n < 36; ++n)
        EXPECT_TRUE(n == 0   ? Shows(0, 1, 2, paths[1])
                    : n == 5 ? Shows(5, 1, 1, paths[0])
                             : Shows(n, 0, 0))
            << Caption(n);
    ts::Process second = ts::Process::Start(program_, L"", fw::WidenAnsi(root_));
    HWND secondFrame = ts::WaitForWindow(second.Id(), L"CClsMainFrame", nullptr, 20000);
    ASSERT_NE(secondFrame, nullptr);
    HWND status = ts::ChildWindows(secondFrame, L"msctls_statusbar32").at(0);
    EXPECT_TRUE(ts::WaitForText(status, [](const std::wstring& text) {
        return text.find(L"［作業の記録なし：同じ場所の Lumsor20 が記録中］") != std::wstring::npos;
    }));
    EXPECT_TRUE(ts::NoMessageBoxWithin(second.Id(), 500));
    second.Terminate();
    process_.Terminate();

    Start();
    Answer(offer, IDNO);
    Answer(L"記録を破棄すると、前回のリストの内容は元に戻せません。\r\n破棄してよろしいですか？", IDYES);
    EXPECT_TRUE(Shows(0, 0, 0)) << Caption(0);
    EXPECT_TRUE(Shows(5, 0, 0)) << Caption(5);
    PostMessageW(frame_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(process_.WaitExit(15000));
    EXPECT_TRUE(journals().empty());
}

// The pointer at a window's centre, as the mouse would put it.
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

TEST_F(SorterTest, DragsToAnotherListAndCopiesCutsAndPastesThroughTheClipboard)
{
    StartOn({"a.bmp", "b.bmp", "c.bmp"});
    SendMessageW(client_, WM_MDIRESTORE, reinterpret_cast<WPARAM>(List(0)), 0);
    ASSERT_TRUE(ts::Activate(frame_));
    PointAt(List(0), MOUSEEVENTF_RIGHTDOWN);
    ts::WaitForInputProcessed(frame_);
    for (int step = 0; step < 10; ++step) {
        PointAt(step < 5 ? List(0) : List(1), 0);
        Sleep(50);  // the drag loop looks at the pointer as it moves
    }
    PointAt(List(1), MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(Shows(1, 1, 1, paths[0])) << Caption(1);
    EXPECT_TRUE(Shows(0, 1, 2, paths[1])) << Caption(0);

    // A list copied or cut to the clipboard and pasted into another moves there.
    const std::tuple<int, UINT, int> transfers[] = {{0, 57634, 3}, {3, 57635, 7}};  // copy, cut
    for (const auto& [from, command, to] : transfers) {
        ASSERT_TRUE(Press(static_cast<WORD>('0' + from), false, true));
        ASSERT_TRUE(Command(command));
        ASSERT_TRUE(Press(static_cast<WORD>('0' + to), false, true));
        ASSERT_TRUE(Command(57637));  // paste
        EXPECT_TRUE(Shows(to, 1, 2, paths[1])) << Caption(to);
        EXPECT_TRUE(Shows(from, 0, 0)) << Caption(from);
    }
}

TEST_F(SorterTest, MovesAListIntoAFolderAndTheListFollows)
{
    StartOn({"a.bmp", "b.bmp"});
    AddImage("sorted\\old.txt");  // into a folder that exists
    ASSERT_TRUE(Press(VK_F8));
    HWND dialog = ts::WaitForWindow(process_.Id(), L"#32770", L"フォルダへ移動");
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, 1001, fw::WidenAnsi(Path("sorted")).c_str());
    Click(dialog, 1003);  // move
    ASSERT_TRUE(ts::WaitForInputProcessed(dialog));
    Click(dialog, IDOK);
    // The plan comes first; its move button runs it.
    HWND preview = ts::WaitForWindow(process_.Id(), L"#32770", L"フォルダを指定してコピー・移動");
    ASSERT_NE(preview, nullptr);
    Click(preview, 3);
    EXPECT_TRUE(Shows(0, 0, 0)) << Caption(0);
    for (const char* name : {"a.bmp", "b.bmp"}) {
        EXPECT_FALSE(fs::exists(Path(std::string("pics\\") + name))) << name;
        EXPECT_TRUE(fs::exists(Path(std::string("sorted\\") + name))) << name;
    }
}

// Lists behind the maximised list 0 at start, shown later by tiling: one sent a
// picture while out of view shows it, and each answers keys and shows what it is sent.
TEST_F(SorterTest, AListShownLateShowsItsPictureAndAnswers)
{
    const fw::com::CoInitScope com(COINIT_APARTMENTTHREADED);
    for (const auto& [name, rgb] : {std::pair{"a.bmp", 0xFF0000u}, std::pair{"b.bmp", 0x0000FFu}})
        std::ofstream(paths.emplace_back(AddImage(std::string("pics\\") + name)), std::ios::binary)
            << ts::EncodeWithWic(GUID_ContainerFormatBmp, 64, 48, [rgb](UINT, UINT) { return rgb; });
    Start("\"" + Path("pics") + "\"");
    ASSERT_TRUE(Shows(0, 1, 2, paths[0])) << Caption(0);
    ASSERT_TRUE(Press('5') && Shows(5, 1, 1, paths[0])) << Caption(5);
    ASSERT_TRUE(Press(VK_F9));
    EXPECT_TRUE(MiddleIs(5, RGB(255, 0, 0)) && MiddleIs(0, RGB(0, 0, 255)));
    ASSERT_TRUE(Press('5', false, true) && Press('6'));
    EXPECT_TRUE(Shows(6, 1, 1, paths[0])) << Caption(6);
    EXPECT_TRUE(MiddleIs(6, RGB(255, 0, 0)) && MiddleIs(5, RGB(255, 255, 255)));
}

TEST_F(SorterTest, SaysSoAndEndsWhenTheThumbnailControlIsMissing)
{
    ASSERT_EQ(ts::TheLibrary().unregisterServer(), S_OK);
    process_ = ts::Process::Start(program_, L"", fw::WidenAnsi(root_));
    ASSERT_TRUE(process_);
    Answer(L"サムネイル・コントロールがインストールされていない可能性があります。", IDOK);
    EXPECT_TRUE(process_.WaitExit(15000));
    ASSERT_EQ(ts::TheLibrary().registerServer(), S_OK);
}

}  // namespace
