// The install run against a fake machine: what it copies, registers, links and logs,
// and how each failure ends or continues the run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "installer/install_log.h"
#include "tests/installer/run_fixture.h"

namespace {

using installer::InstallResult;
using installer::RunOutcome;
using installer::ServerCall;
using installer_test::RunFixture;

const std::string kFull =
    "[COMPONENT01]\nname=Main\ndefault=1\ncount=3\n"
    "file01=tool.exe\n"
    "file02=core.dll\nREGIST02=1\nSHARE02=2\nSHARECOMMENT02=Core library\n"
    "file03=\n"
    "[COMPONENT02]\nname=Data\ndefault=1\ndirectory=data\ncount=1\nfile01=src\\d.txt\nrename01=data.txt\n"
    "[COMPONENT03]\nname=Off\ncount=1\nfile01=never.txt\n"
    "[TARGET]\nDESKTOP=1\nSTARTMENU=1\n"
    "[DESKTOP]\nFILE01=tool.exe\nDESCRIPTION01=Tool\n"
    "[STARTMENU]\nFILE01=tool.exe\nDESCRIPTION01=Tool\nPARAM01=/"
    "x\nFILE02=data\\data.txt\nDESCRIPTION02=Data\n"
    "[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n"
    "[WINDOW]\nTITLE=Tool Setup\nAPPLIC=ToolKey\n";

void AddSources(installer_test::FakeMachine& machine)
{
    for (const char* source : {"tool.exe", "core.dll", "src\\d.txt", "never.txt", "setup.exe"})
        machine.AddFile(source, source);
    machine.servers["C:\\Apps\\Tool\\core.dll"] = {ServerCall::Called, 0};
}

TEST(InstallRun, AFullRunCopiesRegistersLinksAndLogsEverything)
{
    RunFixture f;
    AddSources(f.machine);
    const InstallResult result = f.Install(kFull);
    EXPECT_TRUE(result.success);
    EXPECT_FALSE(result.restartNeeded);
    EXPECT_EQ(
        f.machine.trace,
        (std::vector<std::string>{
            "mkdir C:\\Apps", "mkdir C:\\Apps\\Tool", "copy tool.exe > C:\\Apps\\Tool\\tool.exe",
            "copy core.dll > C:\\Apps\\Tool\\core.dll", "register C:\\Apps\\Tool\\core.dll",
            "mkdir C:\\Apps\\Tool\\data", "copy src\\d.txt > C:\\Apps\\Tool\\data\\data.txt",
            "link C:\\All\\Desktop\\Tool.lnk > C:\\Apps\\Tool\\tool.exe", "mkdir C:\\All\\Programs\\FREEWARE",
            "link C:\\All\\Programs\\FREEWARE\\Tool.lnk > C:\\Apps\\Tool\\tool.exe /x",
            "link C:\\All\\Programs\\FREEWARE\\Data.lnk > C:\\Apps\\Tool\\data\\data.txt",
            "copy setup.exe > C:\\Apps\\Tool\\setup.exe"}));
    EXPECT_EQ(f.view.lines,
              (std::vector<std::string>{
                  "Mainをインストールしています。", "> WRITE tool.exe/C:\\Apps\\Tool\\tool.exe",
                  "> WRITE(REGIST) core.dll/C:\\Apps\\Tool\\core.dll", "Dataをインストールしています。",
                  "> WRITE src\\d.txt/C:\\Apps\\Tool\\data\\data.txt",
                  "> デスクトップにショートカットを登録しています。", "C:\\Apps\\Tool\\tool.exe",
                  "> スタートメニューにショートカットを登録しています。", "C:\\Apps\\Tool\\tool.exe",
                  "C:\\Apps\\Tool\\data\\data.txt", "> アンインストーラの作成", "> アンインストーラの登録",
                  "> インストールの完了"}));
    EXPECT_EQ(f.view.high, 3);  // four entries of the selected components
    EXPECT_EQ(f.view.position, 3);

    installer::IniText logText(f.machine.Content("C:\\Apps\\Tool\\setup.ini"));
    const installer::InstallLog log = installer::ReadInstallLog(logText);
    EXPECT_TRUE(log.Complete());
    std::vector<std::string> files, folders;
    for (const auto& file : log.files)
        files.push_back(file.path);
    for (const auto& folder : log.folders)
        folders.push_back(folder.path);
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\Apps\\Tool\\tool.exe", "C:\\Apps\\Tool\\core.dll",
                                               "C:\\Apps\\Tool\\data\\data.txt", "C:\\All\\Desktop\\Tool.lnk",
                                               "C:\\All\\Programs\\FREEWARE\\Tool.lnk",
                                               "C:\\All\\Programs\\FREEWARE\\Data.lnk",
                                               "C:\\Apps\\Tool\\setup.ini", "C:\\Apps\\Tool\\setup.exe"}));
    EXPECT_EQ(folders, (std::vector<std::string>{"C:\\Apps\\Tool", "C:\\Apps\\Tool\\data",
                                                 "C:\\All\\Programs\\FREEWARE"}));
    EXPECT_EQ(log.files[1].shareGroup, 2);
    EXPECT_EQ(log.files[1].unregistration, installer::Registration::Server);
    EXPECT_EQ(logText.GetString("WINDOW", "APPLIC", ""), "ToolKey");
    EXPECT_THAT(f.registry.Dump(),
                ::testing::IsSupersetOf(std::vector<std::string>{
                    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ToolKey",
                    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ToolKey "
                    "[DisplayName]=s:Tool Setup",
                    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ToolKey "
                    "[UninstallString]=s:C:\\Apps\\Tool\\setup.exe /UNINSTALL"}));
}

TEST(InstallRun, AnEmptyScriptInstallsNothingAndCompletes)
{
    RunFixture f;
    EXPECT_TRUE(f.Install("").success);
    EXPECT_TRUE(f.machine.trace.empty());
    EXPECT_EQ(f.view.lines, std::vector<std::string>{"> インストールの完了"});
    EXPECT_EQ(f.view.high, 0);
    EXPECT_EQ(f.prompts.Count(), 0u);
}

struct RegistrationCase {
    const char* name;
    const char* keys;
    installer::ServerOutcome server;
    RunOutcome program;
    bool success;
    const char* box;  // null: none
    const char* status;
};

const RegistrationCase kRegistrations[] = {
    {"library registers",
     "REGIST01=1\n",
     {ServerCall::Called, 0},
     {},
     true,
     nullptr,
     "> WRITE(REGIST) a.dll/C:\\Apps\\Tool\\a.dll"},
    {"library fails: box, run goes on",
     "REGIST01=1\n",
     {ServerCall::Called, 1},
     {},
     true,
     "C:\\Apps\\Tool\\a.dllのレジストリへの登録に失敗しました",
     "> WRITE a.dll/C:\\Apps\\Tool\\a.dll"},
    {"no entry point: passed over",
     "REGIST01=1\n",
     {ServerCall::NoEntryPoint, 0},
     {},
     true,
     nullptr,
     "> WRITE a.dll/C:\\Apps\\Tool\\a.dll"},
    {"program exits 0 under the default RETMIN",
     "REGIST01=2\nREGISTPARAM01=/r\n",
     {},
     {true, 0},
     false,
     "指定されたコマンドは異常終了しました。\r\nSELF-EXEC:C:\\Apps\\Tool\\a.dll /r\r\nreturn code=0",
     "> WRITE a.dll/C:\\Apps\\Tool\\a.dll"},
    {"program exits 0 with RETMIN 0",
     "REGIST01=2\nRETMIN01=0\n",
     {},
     {true, 0},
     true,
     nullptr,
     "> WRITE(REGIST) a.dll/C:\\Apps\\Tool\\a.dll"},
    {"RETMIN 10 is sixteen",
     "REGIST01=2\nRETMIN01=10\n",
     {},
     {true, 15},
     false,
     "指定されたコマンドは異常終了しました。\r\nSELF-EXEC:C:\\Apps\\Tool\\a.dll \r\nreturn code=f",
     "> WRITE a.dll/C:\\Apps\\Tool\\a.dll"},
    {"exit code above RETMAX, unsigned",
     "REGIST01=2\nRETMAX01=7fffffff\n",
     {},
     {true, 0x80000000u},
     false,
     "指定されたコマンドは異常終了しました。\r\nSELF-EXEC:C:\\Apps\\Tool\\a.dll \r\nreturn code=80000000",
     "> WRITE a.dll/C:\\Apps\\Tool\\a.dll"},
    {"program cannot start",
     "REGIST01=2\nREGISTPARAM01=/r\n",
     {},
     {false, 0},
     false,
     "指定されたコマンドは起動できませんでした。\r\nC:\\Apps\\Tool\\a.dll /r",
     "> WRITE a.dll/C:\\Apps\\Tool\\a.dll"},
    {"action none registers a present file",
     "action01=none\nREGIST01=1\n",
     {ServerCall::Called, 0},
     {},
     true,
     nullptr,
     "> NONE(REGIST) a.dll/C:\\Apps\\Tool\\a.dll"},
};

TEST(InstallRun, RegistrationOutcomesAndTheLogEntryOfEveryFileLeftInPlace)
{
    for (const RegistrationCase& c : kRegistrations) {
        SCOPED_TRACE(c.name);
        RunFixture f;
        f.machine.AddFile("a.dll");
        f.machine.AddFile("later.txt");
        if (std::string(c.keys).find("none") != std::string::npos)
            f.machine.AddFile("C:\\Apps\\Tool\\a.dll", "present");
        f.machine.servers["C:\\Apps\\Tool\\a.dll"] = c.server;
        f.machine.programs["C:\\Apps\\Tool\\a.dll"] = c.program;
        if (c.box)
            f.prompts.Answer(fw::kIdOk);
        const InstallResult result =
            f.Install(std::string("[UNINSTALL]\nLOG=1\n[COMPONENT01]\nname=C\ndefault=1\n"
                                  "count=2\nfile01=a.dll\nfile02=later.txt\n") +
                      c.keys);
        EXPECT_EQ(result.success, c.success);
        ASSERT_EQ(f.prompts.Count(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(f.Shown(0), c.box);
            EXPECT_EQ(f.prompts.At(0).flags, 0x10u);
            EXPECT_TRUE(f.prompts.At(0).caption.empty());
        }
        EXPECT_EQ(f.view.lines.at(1), c.status);
        installer::IniText log(f.machine.Content("C:\\Apps\\Tool\\setup.ini"));
        EXPECT_EQ(log.GetString("UNINSTALLDESC", "FILE01", ""), "C:\\Apps\\Tool\\a.dll");
        EXPECT_EQ(log.HasKey("UNINSTALLDESC", "UNINSTALL_SETUP"), c.success);
    }
}

struct LockedCase {
    const char* name;
    bool nt;
    int mode;
    bool readOnly;
    std::vector<int> answers;  // to the copy error box
    bool success;
    bool restart;
    std::vector<std::string> trace;
    const char* wininit;  // after the run; the file held "[rename]\r\n" before
};

const std::string kT = "C:\\Apps\\Tool\\a.dll";

const LockedCase kLocked[] = {
    {"mode 0: error box, ignored", true, 0, false, {installer::kIdIgnore}, true, false, {}, "[rename]\r\n"},
    {"mode 0: retry then abort",
     false,
     0,
     true,
     {installer::kIdRetry, installer::kIdAbort},
     false,
     false,
     {},
     "[rename]\r\n"},
    {"NT: moved aside and replaced at once",
     true,
     1,
     false,
     {},
     true,
     false,
     {"move " + kT + " > " + kT + ".DeleteOnReboot", "copy a.dll > " + kT,
      "delete at restart " + kT + ".DeleteOnReboot"},
     "[rename]\r\n"},
    {"NT, mode 2, read-only",
     true,
     2,
     true,
     {},
     true,
     false,
     {"move " + kT + " > " + kT + ".DeleteOnReboot", "copy a.dll > " + kT,
      "delete at restart " + kT + ".DeleteOnReboot"},
     "[rename]\r\n"},
    {"outside NT, mode 1: beside it and WININIT",
     false,
     1,
     false,
     {},
     true,
     true,
     {"copy a.dll > " + kT + ".replace"},
     "[rename]\r\n~C:\\Apps\\Tool\\a.dll=~C:\\Apps\\Tool\\a.dll.replace\r\n"},
    {"outside NT, mode 1, read-only",
     false,
     1,
     true,
     {},
     true,
     true,
     {"copy a.dll > " + kT + ".replace"},
     "[rename]\r\n~C:\\Apps\\Tool\\a.dll=~C:\\Apps\\Tool\\a.dll.replace\r\n"},
    {"outside NT, mode 2: the old file stays", false, 2, false, {}, true, false, {}, "[rename]\r\n"},
};

TEST(InstallRun, ALockedOrReadOnlyTargetInEachDeleteOnRebootMode)
{
    for (const LockedCase& c : kLocked) {
        SCOPED_TRACE(c.name);
        RunFixture f;
        f.folders.ntFamily = c.nt;
        f.machine.AddFile("a.dll", "new");
        installer_test::FakeMachine::File& old = f.machine.AddFile(kT, "old");
        (c.readOnly ? old.readOnly : old.locked) = true;
        f.machine.wininit = "[rename]\r\n";
        for (int answer : c.answers)
            f.prompts.Answer(answer);
        f.machine.trace.clear();
        const InstallResult result = f.Install(
            "[UNINSTALL]\nLOG=1\n[COMPONENT01]\ndefault=1\ncount=1\nfile01=a.dll\n"
            "DELETEONREBOOT01=" +
            std::to_string(c.mode) + "\n");
        EXPECT_EQ(result.success, c.success);
        EXPECT_EQ(result.restartNeeded, c.restart);
        EXPECT_EQ(f.machine.trace, c.trace);
        EXPECT_EQ(*f.machine.wininit, c.wininit);
        EXPECT_EQ(f.prompts.Count(), c.answers.size());
        if (!c.answers.empty()) {
            EXPECT_EQ(f.Shown(0), "ファイルのコピーに失敗しました\r\na.dll > " + kT + "\r\nerror 5(code:5)");
        }
        installer::IniText log(f.machine.Content("C:\\Apps\\Tool\\setup.ini"));
        // An aborted copy leaves the old file, which is not the installation's.
        EXPECT_EQ(log.HasKey("UNINSTALLDESC", "FILE01"), c.success);
        if (c.success) {
            EXPECT_EQ(f.view.lines.at(1), "> WRITE a.dll/" + kT);
        }
    }
}

TEST(InstallRun, ARecordGoesToTheProfileWhenWininitHasNoRenameSection)
{
    RunFixture f;
    f.folders.ntFamily = false;
    f.machine.AddFile("a.dll");
    f.machine.AddFile(kT).locked = true;
    f.machine.wininit = "[other]\r\n";
    EXPECT_TRUE(
        f.Install("[COMPONENT01]\ndefault=1\ncount=1\nfile01=a.dll\nDELETEONREBOOT01=1\n").restartNeeded);
    EXPECT_EQ(f.machine.wininitProfile, std::vector<std::string>{"~" + kT + "=~" + kT + ".replace"});
    EXPECT_EQ(*f.machine.wininit, "[other]\r\n");
}

TEST(InstallRun, StopPressedWhileCopyingEndsAfterTheCurrentEntryWithItLogged)
{
    RunFixture f;
    AddSources(f.machine);
    f.view.closeAtPump = 1;
    EXPECT_FALSE(f.Install(kFull).success);
    EXPECT_TRUE(f.machine.HasFile("C:\\Apps\\Tool\\tool.exe"));
    EXPECT_FALSE(f.machine.HasFile("C:\\Apps\\Tool\\core.dll"));
    installer::IniText logText(f.machine.Content("C:\\Apps\\Tool\\setup.ini"));
    const installer::InstallLog log = installer::ReadInstallLog(logText);
    EXPECT_FALSE(log.marker);
    ASSERT_EQ(log.files.size(), 1u);
    EXPECT_EQ(log.files[0].path, "C:\\Apps\\Tool\\tool.exe");
    EXPECT_TRUE(f.registry.Dump().empty());
    EXPECT_NE(f.view.lines.back(), "> インストールの完了");
}

TEST(InstallRun, VerbActionsAndVersionChecks)
{
    const struct {
        const char* name;
        const char* entry;
        RunOutcome program;
        std::vector<int> answers;
        bool success;
        std::vector<std::string> lines;  // after the heading
    } cases[] = {
        {"verb runs, not logged",
         "action01=open\nfile01=readme.txt\nEXEPARAM01=/p\n",
         {true, 1},
         {},
         true,
         {"open:readme.txt"}},
        {"verb cannot start: retry goes on",
         "action01=open\nfile01=readme.txt\n",
         {false, 0},
         {installer::kIdRetry},
         true,
         {"open:readme.txt"}},
        {"verb cannot start: cancel fails",
         "action01=open\nfile01=readme.txt\n",
         {false, 0},
         {fw::kIdCancel},
         false,
         {"open:readme.txt"}},
        {"verb exit code out of range",
         "action01=open\nfile01=readme.txt\n",
         {true, 0},
         {fw::kIdOk},
         false,
         {"open:readme.txt"}},
        {"older source skipped, still logged",
         "file01=a.dll\nVERSIONCHECK01=1\n",
         {},
         {},
         true,
         {"> SKIP a.dll/C:\\Apps\\Tool\\a.dll"}},
        {"never replace an existing file",
         "file01=b.dll\nVERSIONCHECK01=2\n",
         {},
         {},
         true,
         {"> SKIP b.dll/C:\\Apps\\Tool\\b.dll"}},
        {"newer source copied",
         "file01=b.dll\nVERSIONCHECK01=1\n",
         {},
         {},
         true,
         {"> WRITE b.dll/C:\\Apps\\Tool\\b.dll"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunFixture f;
        f.machine.AddFile("a.dll", "a", installer::FileVersion{1, 0});
        f.machine.AddFile("b.dll", "b", installer::FileVersion{2, 0});
        f.machine.AddFile("C:\\Apps\\Tool\\a.dll", "old a", installer::FileVersion{1, 1});
        f.machine.AddFile("C:\\Apps\\Tool\\b.dll", "old b", installer::FileVersion{1, 9});
        f.machine.programs["readme.txt"] = c.program;
        for (int answer : c.answers)
            f.prompts.Answer(answer);
        const InstallResult result =
            f.Install(std::string("[UNINSTALL]\nLOG=1\n[COMPONENT01]\ndefault=1\ncount=1\n") + c.entry);
        EXPECT_EQ(result.success, c.success);
        EXPECT_EQ(
            std::vector<std::string>(f.view.lines.begin() + 1, f.view.lines.begin() + 1 + c.lines.size()),
            c.lines);
        installer::IniText log(f.machine.Content("C:\\Apps\\Tool\\setup.ini"));
        const bool verb = std::string(c.entry).find("action01") != std::string::npos;
        EXPECT_EQ(log.GetString("UNINSTALLDESC", "ACTION01", ""), verb ? "" : "DELETE");
    }
}

TEST(InstallRun, ShortcutsStartupQuestionAndFailedFolders)
{
    RunFixture f;
    f.folders.programsUser = "Q:\\Programs";  // no such drive
    const InstallResult result = f.Install(
        "[UNINSTALL]\nLOG=1\n[COMPONENT01]\ndefault=1\n[TARGET]\nDESKTOP=1\nSTARTMENU=1\n"
        "[DESKTOP]\nFILE01=missing.exe\nDESCRIPTION01=Missing\n"
        "[STARTMENU]\nFILE01=a.exe\nSTARTUP01=1\nFILE02=b.exe\nFILE03=c.exe\n");
    // The install folder is made by nothing here, so the links wait for it.
    EXPECT_TRUE(result.success);
    EXPECT_EQ(f.prompts.Count(), 0u);

    RunFixture g;
    g.machine.AddFolder(installer_test::kInstallFolder);
    g.folders.programsAll = "Q:\\Programs";
    g.prompts.Answer(fw::kIdNo).Answer(fw::kIdOk);
    EXPECT_TRUE(g.Install("[UNINSTALL]\nLOG=1\n[TARGET]\nDESKTOP=1\nSTARTMENU=1\n"
                          "[DESKTOP]\nFILE01=missing.exe\nDESCRIPTION01=Missing\n"
                          "[STARTMENU]\nFILE01=a.exe\nSTARTUP01=1\nFILE02=b.exe\nFILE03=c.exe\n")
                    .success);
    ASSERT_EQ(g.prompts.Count(), 2u);
    EXPECT_EQ(g.prompts.At(0).caption, L"スタートアップの確認");
    EXPECT_EQ(g.prompts.At(0).flags, 0x24u);
    EXPECT_EQ(g.Shown(1),
              "スタートメニューのフォルダ作成に失敗しました。\r\nC:\\Apps\\Tool\\b.exe\r\n"
              "Q:\\Programs\\FREEWARE\r\nlink");
    // The desktop link is made for a missing target; the declined startup link and
    // everything after the failed folder are not.
    EXPECT_EQ(g.machine.trace,
              std::vector<std::string>{"link C:\\All\\Desktop\\Missing.lnk > C:\\Apps\\Tool\\missing.exe"});
}

TEST(InstallRun, UninstallerAndLogSwitches)
{
    RunFixture f;  // the uninstaller cannot be copied: no entry in the registry
    f.machine.AddFolder(installer_test::kInstallFolder);
    f.prompts.Answer(fw::kIdOk);
    EXPECT_TRUE(f.Install("[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n").success);
    EXPECT_EQ(f.Shown(0), "アンインストーラのコピーに失敗しました。\r\nerror 2(code:2)");
    EXPECT_TRUE(f.registry.Dump().empty());
    installer::IniText log(f.machine.Content("C:\\Apps\\Tool\\setup.ini"));
    EXPECT_EQ(log.GetInt("UNINSTALLDESC", "FILE", -1), 1);

    RunFixture g;  // log off: no uninstaller, no UNINSTALLDESC, but an old log still goes
    g.machine.AddFile("setup.exe");
    g.machine.AddFile("C:\\Apps\\Tool\\setup.ini", "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\n");
    EXPECT_TRUE(g.Install("[UNINSTALL]\nUNINSTALLER=1\nREGIST=1\n").success);
    EXPECT_FALSE(g.machine.HasFile("C:\\Apps\\Tool\\setup.ini"));
    EXPECT_FALSE(g.machine.HasFile("C:\\Apps\\Tool\\setup.exe"));
    EXPECT_TRUE(g.registry.Dump().empty());
}

}  // namespace

// On the NT family a target in use is moved aside before the copy; when that copy
// fails, the old file must not stay aside and scheduled for deletion.
TEST(InstallRun, AFailedCopyAfterTheMoveAsidePutsTheOldFileBack)
{
    struct Case {
        const char* name;
        std::vector<int> answers;
        bool success;
    };
    const Case cases[] = {
        {"aborted", {installer::kIdAbort}, false},
        {"ignored", {installer::kIdIgnore}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunFixture f;
        f.folders.ntFamily = true;
        f.machine.AddFolder("C:\\Apps\\Tool");
        f.machine.AddFile(kT, "old").locked = true;  // the source a.dll is missing
        for (int answer : c.answers)
            f.prompts.Answer(answer);
        f.machine.trace.clear();
        const InstallResult result = f.Install(
            "[UNINSTALL]\nLOG=1\n[COMPONENT01]\ndefault=1\ncount=1\nfile01=a.dll\nDELETEONREBOOT01=1\n");
        EXPECT_EQ(result.success, c.success);
        EXPECT_EQ(f.machine.Content(kT), "old");
        EXPECT_FALSE(f.machine.HasFile(kT + ".DeleteOnReboot"));
        for (const std::string& step : f.machine.trace)
            EXPECT_EQ(step.find("delete at restart"), std::string::npos) << step;
        EXPECT_EQ(f.Shown(0), "ファイルのコピーに失敗しました\r\na.dll > " + kT + "\r\nerror 2(code:2)");
    }
}
