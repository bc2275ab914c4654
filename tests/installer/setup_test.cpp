#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/core/text.h"
#include "tests/installer/setup_fixture.h"

namespace setup_test {
namespace {

constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\ルムソル 画像";
const std::wstring kDir = kInstallFolder;

class ComScope {
public:
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

// In a COM scope of its own: the library is unloaded again at its end, or this
// process would keep the installed file in use.
bool ControlCreatable()
{
    const ComScope com;
    CLSID id{};
    CLSIDFromString(kControlClassId, &id);
    IUnknown* object = nullptr;
    if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object))))
        return false;
    object->Release();
    return true;
}

std::wstring ClassKey()
{
    return std::wstring(L"CLSID\\") + kControlClassId;
}

// The log the walk below leaves: every file and folder in the order made, then the
// marker, the counts and the look.
std::vector<std::wstring> ExpectedLog(const std::wstring& desktopLink, const std::wstring& groupFolder,
                                      const std::wstring& groupLink)
{
    std::vector<std::wstring> lines{L"[UNINSTALLDESC]", L"FOLDER01=" + kDir};
    int n = 0;
    auto component = [&](const wchar_t* name) {
        ++n;
        const std::wstring k = (n < 10 ? L"0" : L"") + std::to_wstring(n);
        for (const std::wstring& line : {L"ACTION" + k + L"=DELETE", L"FILE" + k + L"=" + kDir + L"\\" + name,
                                         L"SHARECOMMENT" + k + L"=", L"SHARE" + k + L"=0",
                                         L"UNREGIST" + k + L"=0", L"UNREGISTPARAM" + k + L"="})
            lines.push_back(line);
    };
    component(L"Lumsor20.exe");
    component(L"VelmoraThumbCtl.dll");
    lines[lines.size() - 2] = L"UNREGIST02=1";
    component(L"VelmoraThumbCtl.ini");
    component(L"VelmoraWic.spi");
    component(L"README.txt");
    component(L"license.txt");
    for (const std::wstring& line :
         {L"FILE07=" + desktopLink, L"FOLDER02=" + groupFolder, L"FILE08=" + groupLink,
          L"FILE09=" + kDir + L"\\setup.ini", L"FILE10=" + kDir + L"\\setup.exe",
          std::wstring(L"UNINSTALL_SETUP=1"), std::wstring(L"FILE=10"), std::wstring(L"DIRECTORY=2")})
        lines.push_back(line);
    for (const wchar_t* line :
         {L"[WINDOW]", L"TITLE=Lumsor 2.0 セットアップ", L"APPLIC=Lumsor20", L"CLASS=ORKVANE",
          L"BKCOLOR=800000", L"[TITLE]", L"FONT=ＭＳ 明朝", L"COLOR=ffff80", L"WIDTH=20", L"HEIGHT=48",
          L"[SIGN]", L"TITLE=FREEWARE Installer", L"WIDTH=10", L"HEIGHT=24"})
        lines.push_back(line);
    return lines;
}

// The whole life of an installation: install by every page, check what it made,
// use it, uninstall it from its entry, check that only the user's file is left.
TEST_F(SetupTest, InstallUseAndUninstallTheSorter)
{
    ASSERT_FALSE(ControlCreatable()) << "the prefix is not fresh";

    StartSetup(PackageFolder());
    const HWND main = ts::WaitForWindow(processId_, kMainClass, kTitle);
    ASSERT_TRUE(main);
    const HWND copying = WalkToCopying({kDir, true});
    ASSERT_TRUE(copying);
    WaitRunEnd(copying, L"完了");
    const std::vector<std::wstring> lines = ListLines(GetDlgItem(copying, 1023));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"Lumsor 本体をインストールしています。");
    EXPECT_EQ(lines[1], L"WRITE Lumsor20.exe/" + kDir + L"\\Lumsor20.exe");
    EXPECT_EQ(lines[3], L"WRITE(REGIST) VelmoraThumbCtl.dll/" + kDir + L"\\VelmoraThumbCtl.dll");
    EXPECT_EQ(lines.back(), L"インストールの完了");
    ts::PostCommand(copying, IDCANCEL);

    const HWND finish = WaitPage(L"インストールの完了");
    ASSERT_TRUE(finish);
    EXPECT_EQ(
        ts::WindowText(GetDlgItem(finish, 1010)),
        L"Lumsor 2.0 のインストールが完了しました。\nスタートメニューまたはデスクトップから起動できます。");
    EXPECT_EQ(ts::WindowText(GetDlgItem(finish, 1011)), L"説明書を読む");
    EXPECT_EQ(SendMessageW(GetDlgItem(finish, 1011), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(finish, 1012)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(finish, 1026)));
    ts::PostCommand(finish, IDOK);
    ASSERT_TRUE(WaitExit());

    // Files, registration, shortcuts, uninstall entry, log.
    for (const wchar_t* name : {L"Lumsor20.exe", L"VelmoraThumbCtl.dll", L"VelmoraThumbCtl.ini",
                                L"VelmoraWic.spi", L"README.txt", L"license.txt", L"setup.exe", L"setup.ini"})
        EXPECT_TRUE(FileExists(kDir + L"\\" + name)) << fw::Utf8FromWide(name);
    EXPECT_EQ(ReadBytes(kDir + L"\\VelmoraThumbCtl.dll"),
              ReadBytes(PackageFolder() + L"\\VelmoraThumbCtl.dll"));
    EXPECT_TRUE(ControlCreatable());
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32", nullptr),
              kDir + L"\\VelmoraThumbCtl.dll");
    const std::wstring desktopLink = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Lumsor.lnk";
    const std::wstring groupFolder = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Lumsor";
    const std::wstring groupLink = groupFolder + L"\\Lumsor.lnk";
    EXPECT_EQ(LinkTarget(desktopLink), kDir + L"\\Lumsor20.exe");
    EXPECT_EQ(LinkTarget(groupLink), kDir + L"\\Lumsor20.exe");
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), kTitle);
    const std::wstring uninstall = RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString");
    EXPECT_EQ(uninstall, kDir + L"\\setup.exe /UNINSTALL");
    EXPECT_EQ(IniLines(kDir + L"\\setup.ini"), ExpectedLog(desktopLink, groupFolder, groupLink));

    // The sorter through its shortcut: its frame comes up with the control registered.
    ShellExecuteW(nullptr, L"open", groupLink.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    HWND frame = nullptr;
    EXPECT_TRUE(
        ts::WaitUntil([&] { return (frame = FindWindowW(L"CClsMainFrame", nullptr)) != nullptr; }, 20000));
    if (frame) {
        DWORD sorterId = 0;
        GetWindowThreadProcessId(frame, &sorterId);
        EXPECT_TRUE(ts::NoMessageBoxWithin(sorterId, 500)) << "the sorter complained at start";
        fw::UniqueHandle sorter(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, sorterId));
        PostMessageW(frame, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(sorter.get(), 20000) != WAIT_OBJECT_0)
            TerminateProcess(sorter.get(), 1);
    }

    // A file of the user's in the install folder stays, with its folder.
    const std::wstring userFile = kDir + L"\\メモ.txt";
    {
        const fw::UniqueHandle file(CreateFileW(userFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
    }

    // The uninstall entry's command: the launcher starts a temporary copy and ends.
    const size_t split = uninstall.rfind(L" /UNINSTALL");
    ASSERT_NE(split, std::wstring::npos);
    ts::Process launcher = ts::Process::Start(uninstall.substr(0, split), L"/UNINSTALL", kDir);
    ASSERT_TRUE(launcher);
    DWORD launcherExit = 1;
    ASSERT_TRUE(launcher.WaitExit(kRunTimeoutMs, &launcherExit));
    HWND copyMain = nullptr;
    ASSERT_TRUE(
        ts::WaitUntil([&] { return (copyMain = FindWindowW(kMainClass, kTitle)) != nullptr; }, 20000));
    GetWindowThreadProcessId(copyMain, &processId_);
    process_ = ts::Process();
    fw::UniqueHandle copy(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId_));
    const ts::MessageBoxInfo confirm = WaitBox(ts::kDriverTimeoutMs);
    EXPECT_EQ(confirm.text, L"すべてのコンポーネントをアンインストールしますか？");
    EXPECT_EQ(confirm.caption, L"アンインストールの確認");
    ASSERT_TRUE(ts::AnswerMessageBox(confirm, IDYES));
    const HWND page = WaitPage(L"ファイルのコピー中");
    ASSERT_TRUE(page);
    WaitRunEnd(page, L"終了");
    const std::vector<std::wstring> removed = ListLines(GetDlgItem(page, 1023));
    EXPECT_EQ(removed.front(), kDir + L"\\setup.exe");
    EXPECT_NE(std::find(removed.begin(), removed.end(), L"---登録解除(DLL)"), removed.end());
    EXPECT_EQ(removed.back(), L"---消去に失敗");  // the install folder: the user's file is in it
    ts::PostCommand(page, IDCANCEL);
    EXPECT_EQ(WaitForSingleObject(copy.get(), kRunTimeoutMs), WAIT_OBJECT_0);

    for (const wchar_t* name : {L"Lumsor20.exe", L"VelmoraThumbCtl.dll", L"VelmoraThumbCtl.ini",
                                L"VelmoraWic.spi", L"README.txt", L"license.txt", L"setup.exe", L"setup.ini"})
        EXPECT_FALSE(FileExists(kDir + L"\\" + name)) << fw::Utf8FromWide(name);
    EXPECT_TRUE(FileExists(userFile));
    EXPECT_FALSE(FileExists(desktopLink));
    EXPECT_FALSE(FileExists(groupLink));
    EXPECT_FALSE(FileExists(groupFolder));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_FALSE(ControlCreatable());
}

// Without its script the program installs the (empty) defaults at once and says so.
TEST_F(SetupTest, WithoutTheScriptNothingIsInstalledAndTheEndIsAnnounced)
{
    const std::wstring package = CopyPackage(L"no-script");
    ASSERT_TRUE(DeleteFileW((package + L"\\setup.ini").c_str()));
    StartSetup(package);
    ASSERT_TRUE(ts::WaitForWindow(processId_, kMainClass, L"SETUP"));
    const HWND copying = WaitPage(L"ファイルのコピー中");
    ASSERT_TRUE(copying);
    WaitRunEnd(copying, L"完了");
    EXPECT_EQ(ListLines(GetDlgItem(copying, 1023)), std::vector<std::wstring>{L"インストールの完了"});
    ts::PostCommand(copying, IDCANCEL);
    const ts::MessageBoxInfo done = WaitBox();
    EXPECT_EQ(done.text, L"インストールの完了");
    EXPECT_EQ(done.caption, L"SETUP");
    ASSERT_TRUE(ts::AnswerMessageBox(done, IDOK));
    EXPECT_TRUE(WaitExit());
    EXPECT_FALSE(FileExists(L"C:\\Program Files\\FREEWARE"));
}

// A payload file missing from the package: the copy error with the system's text;
// Abort ends the program, and the folder made so far is in the log.
TEST_F(SetupTest, AMissingPayloadFileIsReportedAndAbortStopsWithTheLogSoFar)
{
    const std::wstring package = CopyPackageWithoutLinks(L"no-payload");
    ASSERT_TRUE(DeleteFileW((package + L"\\Lumsor20.exe").c_str()));
    const std::wstring target = package + L"\\インストール 先";
    StartSetup(package);
    ASSERT_TRUE(WalkToCopying({target, true, false}));
    const ts::MessageBoxInfo box = WaitBox();
    EXPECT_EQ(box.text, L"ファイルのコピーに失敗しました\r\nLumsor20.exe > " + target +
                            L"\\Lumsor20.exe\r\n" + SystemMessage(ERROR_FILE_NOT_FOUND) + L"(code:2)");
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDABORT));
    EXPECT_TRUE(WaitExit());
    EXPECT_FALSE(FileExists(target + L"\\Lumsor20.exe"));
    EXPECT_EQ(IniLines(target + L"\\setup.ini"),
              (std::vector<std::wstring>{L"[UNINSTALLDESC]", L"FOLDER01=" + target}));
}

// A library whose DllRegisterServer fails: the message, then the run goes on and the
// file is listed without "(REGIST)".
TEST_F(SetupTest, AFailedRegistrationIsReportedAndTheRunGoesOn)
{
    const std::wstring package = CopyPackageWithoutLinks(L"bad-server");
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring failing = self;
    failing = failing.substr(0, failing.find_last_of(L'\\')) + L"\\failing_server.dll";
    ASSERT_TRUE(CopyFileW(failing.c_str(), (package + L"\\VelmoraThumbCtl.dll").c_str(), FALSE));
    const std::wstring target = package + L"\\inst";
    StartSetup(package);
    const HWND copying = WalkToCopying({target, true, false});
    ASSERT_TRUE(copying);
    const ts::MessageBoxInfo box = WaitBox();
    EXPECT_EQ(box.text, target + L"\\VelmoraThumbCtl.dllのレジストリへの登録に失敗しました");
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDOK));
    WaitRunEnd(copying, L"完了");
    const std::vector<std::wstring> lines = ListLines(GetDlgItem(copying, 1023));
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        L"WRITE VelmoraThumbCtl.dll/" + target + L"\\VelmoraThumbCtl.dll"),
              lines.end());
    EXPECT_EQ(lines.back(), L"インストールの完了");
    ts::PostCommand(copying, IDCANCEL);
    const HWND finish = WaitPage(L"インストールの完了");
    ASSERT_TRUE(finish);
    ts::PostCommand(finish, IDOK);
    EXPECT_TRUE(WaitExit());
    EXPECT_TRUE(FileExists(target + L"\\setup.exe"));
}

// Declining the terms ends the program before anything is made.
TEST_F(SetupTest, DecliningTheTermsEndsWithNothingInstalled)
{
    StartSetup(PackageFolder());
    const HWND terms = WaitPage(L"使用許諾条件");
    ASSERT_TRUE(terms);
    EXPECT_EQ(ts::WindowText(GetDlgItem(terms, IDCANCEL)), L"同意しない");
    ts::PostCommand(terms, IDCANCEL);
    EXPECT_TRUE(WaitExit());
    EXPECT_FALSE(FileExists(L"C:\\Program Files\\Lumsor"));
}

// "/UNINSTALL" beside a script that is no install log: the message, nothing started.
TEST_F(SetupTest, TheUninstallParameterWithoutALogOnlySaysSo)
{
    process_ = ts::Process::Start(PackageFolder() + L"\\setup.exe", L"/UNINSTALL", PackageFolder());
    ASSERT_TRUE(process_);
    processId_ = process_.Id();
    const ts::MessageBoxInfo box = WaitBox(ts::kDriverTimeoutMs);
    EXPECT_EQ(box.text,
              L"アンインストールが指示されましたが、\nアンインストール情報が設定ファイルにありません。");
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(WaitExit());
    EXPECT_FALSE(FindWindowW(kMainClass, nullptr));
}

}  // namespace
}  // namespace setup_test
