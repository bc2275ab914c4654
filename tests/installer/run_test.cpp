// The install and uninstall runs over the fakes: what they copy, register, link, log
// and remove, and how each failure ends or continues a run. In the expected traces,
// lines and boxes, "$" stands for the install folder C:\P\App.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "installer/uninstall_run.h"
#include "tests/installer/fake_machine.h"

namespace {

using installer::ServerCall;
using installer_test::kLog;
using installer_test::Lines;
using installer_test::RunFixture;
using Kind = installer::UninstallFailure::Kind;
using Failures = std::vector<installer::UninstallFailure>;

std::string Short(std::string text)
{
    for (size_t at; (at = text.find(installer_test::kInstallFolder)) != std::string::npos;)
        text.replace(at, std::strlen(installer_test::kInstallFolder), "$");
    return text;
}

Lines Short(Lines lines)
{
    for (std::string& line : lines)
        line = Short(line);
    return lines;
}

installer::UninstallResult Uninstall(RunFixture& f, const std::string& logText, bool nt = true)
{
    const installer::UninstallContext context{
        nt, "C:\\T\\_ip1.exe", "C:\\T\\_ip1.ini", "K", {"C:\\All\\Desk", installer_test::kInstallFolder}};
    f.machine.AddFile(context.runningScript);
    installer::IniText text(logText);
    const installer::UninstallPlan plan = installer::PlanUninstall(installer::ReadInstallLog(text), context);
    return installer::UninstallRun(context, f.machine, f.view, f.registry).Run(plan);
}

bool HasUninstallEntry(RunFixture& f)
{
    return f.registry.KeyExists(fw::reg::Root::LocalMachine, installer::UninstallKey("K"));
}

// Every kind of entry, link and log, and the uninstall from that log, which keeps the
// folder holding a file of the user's.
TEST(InstallRun, CopiesRegistersLinksAndLogsWhatTheUninstallRemoves)
{
    RunFixture f;
    for (const char* source : {"a.exe", "b.dll", "s\\c.txt", "setup.exe"})
        f.machine.AddFile(source);
    f.machine.servers["C:\\P\\App\\b.dll"] = {ServerCall::Called, 0};
    EXPECT_TRUE(
        f.Install("[COMPONENT01]\nname=A\ndefault=1\ncount=3\nfile01=a.exe\nfile02=b.dll\nREGIST02=1\n"
                  "file03=\n[COMPONENT02]\nname=C\ndefault=1\ndirectory=d\ncount=1\nfile01=s\\c.txt\n"
                  "rename01=c.dat\n[COMPONENT03]\nname=Off\ncount=1\nfile01=never.txt\n[TARGET]\n"
                  "DESKTOP=1\nSTARTMENU=1\nGROUPNAME=G\n[DESKTOP]\nFILE01=a.exe\nDESCRIPTION01=A\n"
                  "[STARTMENU]\nFILE01=a.exe\nDESCRIPTION01=A\nPARAM01=/x\nFILE02=d\\c.dat\n"
                  "DESCRIPTION02=C\nDIRECTORY02=S\n[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n[WINDOW]"
                  "\nTITLE=Tool\n"
                  "APPLIC=K\n")
            .success);
    EXPECT_EQ(Short(f.machine.trace),
              (Lines{"mkdir C:\\P", "mkdir $", "copy a.exe > $\\a.exe", "copy b.dll > $\\b.dll",
                     "register $\\b.dll", "mkdir $\\d", "copy s\\c.txt > $\\d\\c.dat",
                     "link C:\\All\\Desk\\A.lnk > $\\a.exe", "mkdir C:\\All\\Menu\\G",
                     "link C:\\All\\Menu\\G\\A.lnk > $\\a.exe /x", "mkdir C:\\All\\Menu\\G\\S",
                     "link C:\\All\\Menu\\G\\S\\C.lnk > $\\d\\c.dat", "copy setup.exe > $\\setup.exe"}));
    EXPECT_EQ(
        Short(f.view.lines),
        (Lines{"Aをインストールしています。", "> WRITE a.exe/$\\a.exe", "> WRITE(REGIST) b.dll/$\\b.dll",
               "Cをインストールしています。", "> WRITE s\\c.txt/$\\d\\c.dat",
               "> デスクトップにショートカットを登録しています。", "$\\a.exe",
               "> スタートメニューにショートカットを登録しています。", "$\\a.exe", "$\\d\\c.dat",
               "> アンインストーラの作成", "> アンインストーラの登録", "> インストールの完了"}));
    EXPECT_EQ(std::make_pair(f.view.high, f.view.position), std::make_pair(3, 3));  // four entries
    const std::string key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\K";
    EXPECT_THAT(f.registry.Dump(),
                ::testing::IsSupersetOf({key + " [DisplayName]=s:Tool",
                                         key + " [UninstallString]=s:C:\\P\\App\\setup.exe /UNINSTALL"}));

    f.machine.AddFile("C:\\P\\App\\notes.txt");  // the user's
    f.machine.trace.clear();
    f.view = {};
    const installer::UninstallResult result = Uninstall(f, f.Log().Text());
    EXPECT_TRUE(result.success);
    EXPECT_EQ(Short(f.machine.trace),
              (Lines{"delete $\\setup.exe", "delete $\\setup.ini", "delete C:\\All\\Menu\\G\\S\\C.lnk",
                     "delete C:\\All\\Menu\\G\\A.lnk", "delete C:\\All\\Desk\\A.lnk", "delete $\\d\\c.dat",
                     "unregister $\\b.dll", "delete $\\b.dll", "delete $\\a.exe", "rmdir C:\\All\\Menu\\G\\S",
                     "rmdir C:\\All\\Menu\\G", "rmdir $\\d", "delete C:\\T\\_ip1.ini",
                     "delete at restart C:\\T\\_ip1.exe"}));
    EXPECT_EQ(result.failures, (Failures{{Kind::Folder, "C:\\P\\App", 1}}));
    EXPECT_FALSE(HasUninstallEntry(f));
    EXPECT_EQ(f.view.high, 11);  // eight files and four folders
    EXPECT_EQ(f.view.lines.at(7) + f.view.lines.at(9) + f.view.lines.back(),
              "> ---登録解除(DLL)> フォルダの削除> ---消去に失敗");

    RunFixture off;  // the log off: no uninstaller nor entry, but an old log goes
    off.machine.AddFile("setup.exe");
    off.machine.AddFile(kLog);
    EXPECT_TRUE(off.Install("[UNINSTALL]\nUNINSTALLER=1\nREGIST=1\n").success);
    EXPECT_EQ(off.machine.trace, Lines{"delete C:\\P\\App\\setup.ini"});
    EXPECT_EQ(std::make_pair(off.view.lines, off.view.high),
              std::make_pair(Lines{"> インストールの完了"}, 0));
    EXPECT_TRUE(off.registry.Dump().empty());
}

constexpr long long kNone = -1;  // no entry point, or not started

// The only entry of a component, a.dll 1.0 over $\a.dll 1.1 (or the verb on r.txt), on
// a machine with these traits: u the target in use, m the source missing, w outside
// the NT family, s "中止" pressed while it is copied. Answers to the boxes: O ok,
// R retry, C cancel, A abort, I ignore.
struct EntryCase {
    const char* name;
    const char* keys;
    const char* traits;
    long long outcome;  // the library's result, or the program's or verb's exit code
    const char* answers;
    bool success, restart;
    const char* line;     // the page's line for the entry; empty: none
    const char* box;      // the first box's exact text; null: not checked here
    const char* changes;  // the machine's changes; null: not checked here
};

const EntryCase kEntries[] = {
    {"library fails: the run goes on", "file01=a.dll\nREGIST01=1\n", "", 1, "O", true, false,
     "> WRITE a.dll/$\\a.dll", "$\\a.dllのレジストリへの登録に失敗しました", nullptr},
    {"library without the entry point", "file01=a.dll\nREGIST01=1\n", "", kNone, "", true, false,
     "> WRITE a.dll/$\\a.dll", nullptr, nullptr},
    {"program's exit code accepted", "file01=a.dll\nREGIST01=2\nRETMIN01=0\n", "", 0, "", true, false,
     "> WRITE(REGIST) a.dll/$\\a.dll", nullptr, nullptr},
    {"program's exit code refused", "file01=a.dll\nREGIST01=2\nREGISTPARAM01=/r\n", "", 0, "O", false, false,
     "> WRITE a.dll/$\\a.dll",
     "指定されたコマンドは異常終了しました。\r\nSELF-EXEC:$\\a.dll /r\r\nreturn code=0", nullptr},
    {"program not started", "file01=a.dll\nREGIST01=2\nREGISTPARAM01=/r\n", "", kNone, "O", false, false,
     "> WRITE a.dll/$\\a.dll", "指定されたコマンドは起動できませんでした。\r\n$\\a.dll /r", nullptr},
    {"action none registers the file there", "file01=a.dll\naction01=none\nREGIST01=1\n", "", 0, "", true,
     false, "> NONE(REGIST) a.dll/$\\a.dll", nullptr, nullptr},
    {"older source skipped", "file01=a.dll\nVERSIONCHECK01=1\n", "", 0, "", true, false,
     "> SKIP a.dll/$\\a.dll", nullptr, ""},
    {"中止 pressed: the run ends after the entry", "file01=a.dll\n", "s", 0, "", false, false,
     "> WRITE a.dll/$\\a.dll", nullptr, "delete $\\a.dll; copy a.dll > $\\a.dll; "},
    {"verb run", "file01=r.txt\naction01=open\n", "", 1, "", true, false, "open:r.txt", nullptr,
     "run open r.txt; "},
    {"verb not started: retried", "file01=r.txt\naction01=open\nEXEPARAM01=/p\n", "", kNone, "R", true, false,
     "open:r.txt", "指定されたコマンドは実行できませんでした。\r\nopen:r.txt /p", nullptr},
    {"verb not started: cancelled", "file01=r.txt\naction01=open\n", "", kNone, "C", false, false,
     "open:r.txt", nullptr, nullptr},
    {"verb's exit code refused", "file01=r.txt\naction01=open\n", "", 0xC0000005, "O", false, false,
     "open:r.txt", "指定されたコマンドは異常終了しました。\r\nopen:r.txt \r\nreturn code=c0000005", nullptr},
    {"in use, mode 0: the copy error, ignored", "file01=a.dll\n", "u", 0, "I", true, false,
     "> WRITE a.dll/$\\a.dll", "ファイルのコピーに失敗しました\r\na.dll > $\\a.dll\r\nerror 5(code:5)", ""},
    {"in use, mode 0: retried, aborted", "file01=a.dll\n", "uw", 0, "RA", false, false, "", nullptr, ""},
    {"in use on NT: moved aside and replaced at once", "file01=a.dll\nDELETEONREBOOT01=1\n", "u", 0, "", true,
     false, "> WRITE a.dll/$\\a.dll", nullptr,
     "move $\\a.dll > $\\a.dll.DeleteOnReboot; copy a.dll > $\\a.dll; delete at restart "
     "$\\a.dll.DeleteOnReboot; "},
    {"in use on NT, the copy fails: put back, aborted", "file01=a.dll\nDELETEONREBOOT01=2\n", "um", 0, "A",
     false, false, "", nullptr,
     "move $\\a.dll > $\\a.dll.DeleteOnReboot; move $\\a.dll.DeleteOnReboot > $\\a.dll; "},
    {"in use outside NT, mode 1: copied beside, renamed at restart", "file01=a.dll\nDELETEONREBOOT01=1\n",
     "uw", 0, "", true, true, "> WRITE a.dll/$\\a.dll", nullptr, "copy a.dll > $\\a.dll.replace; "},
    {"in use outside NT, mode 2: the old file stays", "file01=a.dll\nDELETEONREBOOT01=2\n", "uw", 0, "", true,
     false, "> WRITE a.dll/$\\a.dll", nullptr, ""},
};

// Every file left in place is logged before the run goes on or stops; verbs are not.
// A restart is needed when the rename record is written.
TEST(InstallRun, EachEntryEndsByItsActionVersionCheckRegistrationAndTheMachine)
{
    const std::map<char, int> ids{{'O', fw::kIdOk},
                                  {'R', installer::kIdRetry},
                                  {'C', fw::kIdCancel},
                                  {'A', installer::kIdAbort},
                                  {'I', installer::kIdIgnore}};
    for (const EntryCase& c : kEntries) {
        SCOPED_TRACE(c.name);
        const std::string traits = c.traits;
        RunFixture f;
        f.folders.ntFamily = traits.find('w') == std::string::npos;
        f.view.stopAtPump = traits.find('s') == std::string::npos ? -1 : 1;
        if (traits.find('m') == std::string::npos)
            f.machine.AddFile("a.dll", installer::FileVersion{1, 0});
        f.machine.AddFile("C:\\P\\App\\a.dll", installer::FileVersion{1, 1}).inUse =
            traits.find('u') != std::string::npos;
        f.machine.wininit = "[rename]\r\n";
        const bool none = c.outcome == kNone;
        f.machine.servers["C:\\P\\App\\a.dll"] = {none ? ServerCall::NoEntryPoint : ServerCall::Called,
                                                  static_cast<long>(c.outcome)};
        f.machine.programs["C:\\P\\App\\a.dll"] =
            f.machine.programs["r.txt"] = {!none, static_cast<uint32_t>(c.outcome)};
        for (const char* answer = c.answers; *answer; ++answer)
            f.prompts.Answer(ids.at(*answer));
        const installer::InstallResult result =
            f.Install(std::string("[UNINSTALL]\nLOG=1\n[COMPONENT01]\ndefault=1\ncount=1\n") + c.keys);
        EXPECT_EQ(std::make_pair(result.success, result.restartNeeded), std::make_pair(c.success, c.restart));
        EXPECT_EQ(f.view.lines.size() > 1 ? Short(f.view.lines[1]) : "", c.line);
        ASSERT_EQ(f.prompts.Count(), std::strlen(c.answers));
        for (const auto& shown : f.prompts.All())
            EXPECT_TRUE(shown.caption.empty() && (shown.flags & 0x10));
        if (c.box) {
            EXPECT_EQ(Short(f.Shown(0)), c.box);
        }
        std::string changes;
        for (const std::string& change : f.machine.trace)
            changes += Short(change) + "; ";
        if (c.changes) {
            EXPECT_EQ(changes, c.changes);
        }
        EXPECT_EQ(Short(*f.machine.wininit),
                  c.restart ? "[rename]\r\n~$\\a.dll=~$\\a.dll.replace\r\n" : "[rename]\r\n");
        installer::IniText& log = f.Log();
        EXPECT_EQ(log.GetString("UNINSTALLDESC", "FILE01", "") == "C:\\P\\App\\a.dll", c.line[0] == '>');
        EXPECT_EQ(log.HasKey("UNINSTALLDESC", "UNINSTALL_SETUP"), c.success);
    }
}

// A startup link is asked for; a start menu folder that cannot be made ends the start
// menu links; without setup.exe there is no uninstaller nor entry.
TEST(InstallRun, ShortcutsAskForStartupAndFailuresAreReported)
{
    RunFixture f;
    f.machine.AddFolder(installer_test::kInstallFolder);
    f.folders.desktopUser = "Q:\\Desk";
    f.folders.programsUser = "Q:\\Menu";
    f.prompts.Answer(fw::kIdOk).Answer(fw::kIdNo).Answer(fw::kIdOk).Answer(fw::kIdOk);
    EXPECT_TRUE(f.Install("[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n[TARGET]\nDESKTOP=1\nSTARTMENU=1\n"
                          "PRIVATE=1\n[DESKTOP]\nFILE01=a.exe\nDESCRIPTION01=A\n[STARTMENU]\nFILE01=a.exe\n"
                          "STARTUP01=1\nFILE02=b.exe\nFILE03=c.exe\n")
                    .success);
    ASSERT_EQ(f.prompts.Count(), 4u);
    EXPECT_EQ(Short(f.Shown(0)),
              "デスクトップのショートカットの作成に失敗しました。\r\n$\\a.exe\r\nQ:\\Desk\\A.lnk\r\nA");
    EXPECT_EQ(f.Shown(1),
              "自動的にスタートできるように、スタートアップにショートカットを作成することができます。\n"
              "スタートアップに登録してもよろしいですか？");
    EXPECT_EQ(f.prompts.At(1).caption, L"スタートアップの確認");
    EXPECT_EQ(f.prompts.At(1).flags, 0x24u);
    EXPECT_EQ(Short(f.Shown(2)),
              "スタートメニューのフォルダ作成に失敗しました。\r\n$\\b.exe\r\nQ:\\Menu\\FREEWARE\r\nlink");
    EXPECT_EQ(f.Shown(3), "アンインストーラのコピーに失敗しました。\r\nerror 2(code:2)");
    EXPECT_TRUE(f.machine.trace.empty() && !HasUninstallEntry(f));
    EXPECT_EQ(f.Log().GetInt("UNINSTALLDESC", "FILE", -1), 1);  // the log itself
}

TEST(UninstallRun, ShareGroupsAreAskedOnceAndHighGroupsAreKept)
{
    RunFixture f;
    for (const char* name : {"a.dll", "b.dll", "c.dll", "d.dll", "e.dll", "f.exe"})
        f.machine.AddFile(std::string("C:\\P\\App\\") + name);
    f.machine.servers["C:\\P\\App\\c.dll"] = f.machine.servers["C:\\P\\App\\d.dll"] = {ServerCall::Called, 0};
    f.machine.servers["C:\\P\\App\\e.dll"] = {ServerCall::NoEntryPoint, 0};
    f.machine.programs["C:\\P\\App\\f.exe"] = {true, 3};
    f.prompts.Answer(fw::kIdYes).Answer(fw::kIdOk).Answer(fw::kIdNo);
    const installer::UninstallResult result = Uninstall(
        f,
        "[UNINSTALLDESC]\nFILE01=C:\\P\\App\\a.dll\nSHARE01=1\nFILE02=C:\\P\\App\\b.dll\nSHARE02=1\n"
        "SHARECOMMENT02=Shared runtime\nFILE03=C:\\P\\App\\c.dll\nSHARE03=99\nUNREGIST03=1\n"
        "FILE04=C:\\P\\App\\d.dll\nACTION04=NONE\nSHARE04=5\nUNREGIST04=1\n"
        "FILE05=C:\\P\\App\\e.dll\nUNREGIST05=1\nFILE06=C:\\P\\App\\f.exe\nSHARE06=2\nUNREGIST06=2\n");
    EXPECT_TRUE(result.success);
    // Group 2 is asked by path, group 1 once, by its comment, about the file logged later.
    ASSERT_EQ(f.prompts.Count(), 3u);
    EXPECT_EQ(Short(f.Shown(0)).find("$\\f.exeは、"), 0u);
    EXPECT_EQ(Short(f.Shown(1)), "$\\e.dllのレジストリへの登録解除に失敗しました");
    EXPECT_EQ(f.prompts.At(1).flags, 0x10u);
    EXPECT_EQ(f.Shown(2),
              "Shared runtimeは、\r\n他のファイルが使用する可能性があるファイルです。\r\n"
              "削除する場合はYESを選択してください。");
    EXPECT_EQ(f.prompts.At(2).caption, L"共有ファイルの削除をしますか？");
    EXPECT_EQ(f.prompts.At(2).flags, 0x124u);
    EXPECT_EQ(Short(f.machine.trace),
              (Lines{"run open $\\f.exe", "delete $\\f.exe", "unregister $\\e.dll", "delete $\\e.dll",
                     "unregister $\\d.dll", "delete C:\\T\\_ip1.ini", "delete at restart C:\\T\\_ip1.exe"}));
    EXPECT_EQ(f.view.lines.at(1), "> ---登録解除(EXE)3");
    EXPECT_EQ(result.failures, (Failures{{Kind::Unregister, "C:\\P\\App\\e.dll", 5}}));
}

TEST(UninstallRun, RefusesEntriesOutsideTheInstalledFoldersAndReportsMissingOnes)
{
    const auto refusals = [](std::vector<std::string> paths) {
        installer::InstallLog log;
        log.folders = {{1, "C:\\P\\App\\sub\\"}};
        for (const std::string& path : paths)
            log.files.emplace_back().path = path;
        std::string refused;
        for (const installer::UninstallEntry& entry :
             installer::PlanUninstall(log,
                                      {true, "", "", "", {"C:\\All\\Desk", installer_test::kInstallFolder}})
                 .entries)
            refused += entry.refused ? "R" : "-";
        return refused;
    };
    EXPECT_EQ(refusals({"C:\\P\\App\\a.dll", "c:\\p\\app\\A.DLL", "C:\\P\\App\\sub\\a.dll",
                        "C:\\All\\Desk\\l.lnk"}),
              "----");
    // Not in an allowed folder, no full path, a "." or ".." or empty part.
    EXPECT_EQ(refusals({"C:\\P\\a.dll", "a.dll", "C:a.dll", "\\\\srv\\share\\a", "C:\\P\\App\\..\\x",
                        "C:\\P\\App\\.\\a", "C:\\P\\App\\"}),
              "RRRRRRR");

    RunFixture f;  // a log cut short removes what it names
    f.machine.AddFile("C:\\P\\App\\a.dll");
    f.machine.AddFile("C:\\WINDOWS\\win.ini");
    const installer::UninstallResult result =
        Uninstall(f,
                  "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=3\nDIRECTORY=2\nFOLDER01=C:\\P\\App\n"
                  "FILE01=C:\\P\\App\\a.dll\nFILE03=C:\\WINDOWS\\win.ini\nFILE02");
    EXPECT_EQ(Short(f.machine.trace), (Lines{"delete $\\a.dll", "rmdir $", "delete C:\\T\\_ip1.ini",
                                             "delete at restart C:\\T\\_ip1.exe"}));
    EXPECT_EQ(result.failures, (Failures{{Kind::MissingFile, "", 2},
                                         {Kind::MissingFolder, "", 2},
                                         {Kind::Refused, "C:\\WINDOWS\\win.ini", 3}}));
}

TEST(UninstallRun, ClosingThePageStopsTheLoopsButStillCleansUp)
{
    RunFixture f;
    f.machine.AddFile("C:\\P\\App\\a.dll");
    f.machine.AddFile("C:\\P\\App\\b.dll");
    f.registry.CreateKey(fw::reg::Root::LocalMachine, installer::UninstallKey("K"));
    f.view.stopAtPump = 1;
    EXPECT_FALSE(
        Uninstall(
            f, "[UNINSTALLDESC]\nFILE01=C:\\P\\App\\a.dll\nFILE02=C:\\P\\App\\b.dll\nFOLDER01=C:\\P\\App\n",
            false)
            .success);
    EXPECT_EQ(f.machine.trace, (Lines{"delete C:\\P\\App\\b.dll", "delete C:\\T\\_ip1.ini"}));
    EXPECT_EQ(f.machine.wininitProfile, Lines{"NUL=~C:\\T\\_ip1.exe"});  // no WININIT.INI to rewrite
    EXPECT_FALSE(HasUninstallEntry(f));
}

}  // namespace
