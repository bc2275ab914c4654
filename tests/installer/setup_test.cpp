// The installer end to end, in a Wine prefix of its own: the package's setup.exe walked
// page by page, what it leaves on the system, the sorter started through its shortcut,
// the uninstaller run from the uninstall entry; and a copy of the package with faults.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "framework/core/text.h"
#include "tests/support/driver.h"
#include "tests/support/registry.h"
#include "tests/support/server_library.h"

namespace {

namespace ts = testing_support;

constexpr DWORD kRunTimeoutMs = 60000;  // a whole copy or uninstall run
constexpr wchar_t kTitle[] = L"Lumsor 2.0 セットアップ";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumsor20";
constexpr wchar_t kControlKey[] = L"CLSID\\{CDE3FF5B-8BC2-4222-838E-EC953211A994}";
const std::wstring kDir = L"C:\\Program Files\\ルムソル 画像";

class SetupTest : public ::testing::Test {
protected:
    // A file or folder beside this test program.
    static std::wstring Beside(const std::wstring& name)
    {
        return ts::FolderOf(ts::LibraryPath()) + L"\\" + name;
    }
    static bool Exists(const std::wstring& p)
    {
        return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void Start(const std::wstring& package, const wchar_t* args = L"")
    {
        process_ = ts::Process::Start(package + L"\\setup.exe", args, package);
        ASSERT_TRUE(process_) << "setup.exe did not start";
        processId_ = process_.Id();
    }
    HWND WaitPage(const wchar_t* caption) const { return ts::WaitForWindow(processId_, L"#32770", caption); }
    ts::MessageBoxInfo WaitBox() const
    {
        ts::MessageBoxInfo box;
        EXPECT_TRUE(ts::WaitForMessageBox(processId_, box, kRunTimeoutMs)) << "no message box";
        return box;
    }
    // The lines of the run page's list; `end`: after its button reads that (the run ended).
    static std::vector<std::wstring> Lines(HWND page, const wchar_t* end = nullptr)
    {
        EXPECT_TRUE(!end || ts::WaitForText(GetDlgItem(page, IDCANCEL), end, kRunTimeoutMs));
        std::vector<std::wstring> lines;
        const HWND list = GetDlgItem(page, 1023);
        for (WPARAM i = 0; i < static_cast<WPARAM>(SendMessageW(list, LB_GETCOUNT, 0, 0)) && i < 1000; ++i) {
            std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(line.c_str());
        }
        return lines;
    }
    // Terms (accepted), install type (custom, every component), destination
    // (`installFolder`, after what the page offers): the copying page.
    HWND WalkToCopying(const std::wstring& installFolder)
    {
        const HWND terms = WaitPage(L"使用許諾条件");
        EXPECT_NE(ts::WindowText(GetDlgItem(terms, 1000)).find(L"Lumsor 2.0 使用許諾条件"),
                  std::wstring::npos);
        EXPECT_TRUE(ts::WaitForInputProcessed(terms));
        const LRESULT selection = SendMessageW(GetDlgItem(terms, 1000), EM_GETSEL, 0, 0);
        EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "the terms are selected";
        ts::PostCommand(terms, IDOK);
        const HWND type = WaitPage(L"インストール内容の選択");
        SendMessageW(GetDlgItem(type, 1017), BM_CLICK, 0, 0);
        EXPECT_TRUE(ts::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(type, 1019)) != FALSE; }));
        SendMessageW(GetDlgItem(type, 1019), LB_SETSEL, TRUE, -1);
        ts::PostCommand(type, IDOK);
        const HWND folder = WaitPage(L"インストール先の選択");
        EXPECT_EQ(ts::WindowText(GetDlgItem(folder, 1002)), L"C:\\Program Files\\Lumsor");
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(folder, 1002), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(installFolder.c_str()), SMTO_ABORTIFHUNG,
                            ts::kDriverTimeoutMs, &ignored);
        ts::PostCommand(folder, IDOK);
        return WaitPage(L"ファイルのコピー中");
    }

    ts::Process process_;
    DWORD processId_ = 0;
};

// The whole life of an installation: install by every page (the folder typed with
// forward slashes and a doubled one), check what it made, use it, uninstall it from its
// entry, check that only the user's file is left.
TEST_F(SetupTest, InstallUseAndUninstallTheSorter)
{
    ASSERT_FALSE(ts::KeyExists(HKEY_CLASSES_ROOT, kControlKey)) << "the prefix is not fresh";
    Start(Beside(L"package"));
    ASSERT_TRUE(ts::WaitForWindow(processId_, L"ORKVANE", kTitle));
    const HWND copying = WalkToCopying(L"C:/Program Files//ルムソル 画像/");
    ASSERT_TRUE(copying);
    EXPECT_EQ(Lines(copying, L"完了").at(3),
              L"WRITE(REGIST) VelmoraThumbCtl.dll/" + kDir + L"\\VelmoraThumbCtl.dll");
    ts::PostCommand(copying, IDCANCEL);
    const HWND finish = WaitPage(L"インストールの完了");
    EXPECT_EQ(
        ts::WindowText(GetDlgItem(finish, 1010)),
        L"Lumsor 2.0 のインストールが完了しました。\nスタートメニューまたはデスクトップから起動できます。");
    ts::PostCommand(finish, IDOK);
    ASSERT_TRUE(process_.WaitExit(kRunTimeoutMs));
    const wchar_t* const installed[] = {
        L"Lumsor20.exe", L"VelmoraThumbCtl.dll", L"VelmoraThumbCtl.ini", L"VelmoraWic.spi",
        L"libheif.dll",  L"libde265.dll",        L"libraw.dll",          L"ThirdPartyLicenses.txt",
        L"README.txt",   L"license.txt",         L"setup.exe",           L"setup.ini"};
    for (const wchar_t* name : installed)
        EXPECT_TRUE(Exists(kDir + L"\\" + name)) << fw::Utf8FromWide(name);
    EXPECT_EQ(ts::ReadString(HKEY_CLASSES_ROOT, std::wstring(kControlKey) + L"\\InprocServer32"),
              kDir + L"\\VelmoraThumbCtl.dll");
    EXPECT_EQ(ts::ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
              kDir + L"\\setup.exe /UNINSTALL");
    wchar_t desktop[MAX_PATH] = L"", programs[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    const std::wstring desktopLink = desktop + std::wstring(L"\\Lumsor.lnk"),
                       group = programs + std::wstring(L"\\Lumsor");
    EXPECT_TRUE(Exists(desktopLink));

    // The sorter through its shortcut: its frame comes up, the control loads.
    ShellExecuteW(nullptr, L"open", (group + L"\\Lumsor.lnk").c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    HWND frame = nullptr;
    ASSERT_TRUE(
        ts::WaitUntil([&] { return (frame = FindWindowW(L"CClsMainFrame", nullptr)) != nullptr; }, 20000));
    DWORD sorterId = 0;
    GetWindowThreadProcessId(frame, &sorterId);
    EXPECT_TRUE(ts::NoMessageBoxWithin(sorterId, 500)) << "the sorter complained at start";
    const fw::UniqueHandle sorter(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, sorterId));
    PostMessageW(frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(sorter.get(), 20000) != WAIT_OBJECT_0)
        TerminateProcess(sorter.get(), 1);

    // A file of the user's in the install folder; the uninstall entry's command, whose
    // launcher starts a temporary copy and ends.
    const std::wstring userFile = kDir + L"\\メモ.txt";
    ASSERT_TRUE(fw::UniqueHandle(CreateFileW(userFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr)));
    ts::Process launcher = ts::Process::Start(kDir + L"\\setup.exe", L"/UNINSTALL", kDir);
    ASSERT_TRUE(launcher && launcher.WaitExit(kRunTimeoutMs));
    HWND copyMain = nullptr;
    ASSERT_TRUE(
        ts::WaitUntil([&] { return (copyMain = FindWindowW(L"ORKVANE", kTitle)) != nullptr; }, 20000));
    GetWindowThreadProcessId(copyMain, &processId_);
    process_ = ts::Process();
    const fw::UniqueHandle copy(OpenProcess(SYNCHRONIZE, FALSE, processId_));
    const ts::MessageBoxInfo confirm = WaitBox();
    EXPECT_EQ(confirm.text + L"|" + confirm.caption,
              L"すべてのコンポーネントをアンインストールしますか？|アンインストールの確認");
    ASSERT_TRUE(ts::AnswerMessageBox(confirm, IDYES));
    const HWND page = WaitPage(L"ファイルのコピー中");
    EXPECT_EQ(Lines(page, L"終了").back(), L"---消去に失敗");  // the install folder: the user's file is in it
    ts::PostCommand(page, IDCANCEL);
    EXPECT_EQ(WaitForSingleObject(copy.get(), kRunTimeoutMs), WAIT_OBJECT_0);
    for (const wchar_t* name : installed)
        EXPECT_FALSE(Exists(kDir + L"\\" + name)) << fw::Utf8FromWide(name);
    EXPECT_TRUE(Exists(userFile));
    EXPECT_FALSE(Exists(desktopLink) || Exists(group));
    EXPECT_FALSE(ts::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) ||
                 ts::KeyExists(HKEY_CLASSES_ROOT, kControlKey));
}

// A library whose DllRegisterServer fails (failing_server): the message, and the run
// goes on; then a file missing from the package: the copy error with the system's text,
// and Abort ("中止") stops the run half way, what it made so far logged.
TEST_F(SetupTest, AFailedRegistrationGoesOnAndAMissingFileStopsTheRunHalfWay)
{
    const std::wstring package = Beside(L"package-faults"), target = package + L"\\インストール 先";
    Start(package);
    const HWND copying = WalkToCopying(target);
    ASSERT_TRUE(copying);
    ts::MessageBoxInfo box = WaitBox();
    EXPECT_EQ(box.text, target + L"\\VelmoraThumbCtl.dllのレジストリへの登録に失敗しました");
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDOK));
    box = WaitBox();
    char system[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, sizeof(system), nullptr);
    EXPECT_EQ(box.text, L"ファイルのコピーに失敗しました\r\nVelmoraWic.spi > " + target +
                            L"\\VelmoraWic.spi\r\n" + fw::WidenAnsi(system) + L"(code:2)");
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDABORT));
    EXPECT_TRUE(process_.WaitExit(kRunTimeoutMs));
    const auto logged = [&](const wchar_t* key) {
        wchar_t value[MAX_PATH] = L"";
        GetPrivateProfileStringW(L"UNINSTALLDESC", key, L"", value, MAX_PATH,
                                 (target + L"\\setup.ini").c_str());
        return std::wstring(value) + L"|";
    };
    EXPECT_EQ(logged(L"FILE03") + logged(L"FILE04") + logged(L"UNINSTALL_SETUP"),
              target + L"\\VelmoraThumbCtl.ini|||");
}

// The programs as Windows meets them: the manifest it reads for the execution level,
// the supported systems and the common controls; imports from known DLLs only; and,
// started from a folder where files pose as system DLLs (taken before Wine's own, by the
// programs' overrides, as Windows' search order would), neither loads one of them.
TEST_F(SetupTest, TheProgramsAskTheirLevelAndLoadNothingPlantedBesideThem)
{
    const std::wstring package = Beside(L"package-planted");
    // A program's embedded manifest, and the DLLs it imports (lower case, each followed by a blank).
    const auto read = [](const std::wstring& program) {
        const HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        const char* text = found ? static_cast<const char*>(LockResource(LoadResource(image, found))) : "";
        std::pair<std::string, std::string> read(std::string(text, found ? SizeofResource(image, found) : 0),
                                                 "");
        const auto base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3});
        const auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table.VirtualAddress);
             table.VirtualAddress && d->Name; ++d)
            read.second += CharLowerA(std::string(reinterpret_cast<const char*>(base + d->Name)).data()) +
                           std::string(" ");
        FreeLibrary(image);
        return read;
    };
    const std::pair<const wchar_t*, const char*> programs[] = {{L"setup.exe", "highestAvailable"},
                                                               {L"Lumsor20.exe", "asInvoker"}};
    for (const auto& [name, level] : programs) {
        SCOPED_TRACE(fw::Utf8FromWide(name));
        const auto [text, imports] = read(package + L"\\" + name);
        EXPECT_NE(text.find(std::string("requestedExecutionLevel level=\"") + level + "\""),
                  std::string::npos);
        EXPECT_NE(text.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
        for (const char* system :
             {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
            EXPECT_NE(text.find(system), std::string::npos) << system;  // Windows 7, Windows 10 and 11
        EXPECT_EQ(imports, "kernel32.dll msvcrt.dll ");
    }

    const wchar_t* const programsKey = L"Software\\Wine\\AppDefaults\\";
    for (const auto& [name, level] : programs)
        for (const wchar_t* dll : {L"version", L"comctl32", L"uxtheme"})
            ts::WriteString(HKEY_CURRENT_USER, programsKey + std::wstring(name) + L"\\DllOverrides", dll,
                            L"native,builtin");
    Start(package);
    ts::Process sorter = ts::Process::Start(package + L"\\Lumsor20.exe", L"", package);
    EXPECT_TRUE(WaitPage(L"使用許諾条件"));
    // Its frame, or its message that the control is not installed: up and running.
    EXPECT_TRUE(ts::WaitUntil([&] { return !ts::TopWindows(sorter.Id(), nullptr).empty(); }, 20000));
    for (const wchar_t* planted : {L"version", L"comctl32", L"uxtheme"})
        EXPECT_FALSE(Exists(package + L"\\" + planted + L".dll.loaded")) << fw::Utf8FromWide(planted);
    for (const auto& [name, level] : programs)
        RegDeleteTreeW(HKEY_CURRENT_USER, (programsKey + std::wstring(name)).c_str());
}

// "/UNINSTALL" beside a script that is no install log: the message, nothing started.
TEST_F(SetupTest, TheUninstallParameterWithoutALogOnlySaysSo)
{
    Start(Beside(L"package"), L"/UNINSTALL");
    const ts::MessageBoxInfo box = WaitBox();
    EXPECT_EQ(box.text,
              L"アンインストールが指示されましたが、\nアンインストール情報が設定ファイルにありません。");
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(process_.WaitExit(kRunTimeoutMs));
}

}  // namespace
