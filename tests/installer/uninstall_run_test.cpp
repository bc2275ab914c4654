// Uninstalling from the log: what is removed, asked, refused and reported.
#include <gtest/gtest.h>

#include "installer/uninstall_run.h"
#include "tests/installer/run_fixture.h"

namespace {

using installer::ServerCall;
using installer::UninstallFailure;
using Kind = installer::UninstallFailure::Kind;
using installer_test::RunFixture;

installer::UninstallContext Context()
{
    installer::UninstallContext context;
    context.runningProgram = "C:\\Temp\\_ip1.exe";
    context.runningScript = "C:\\Temp\\_ip1.ini";
    context.applic = "ToolKey";
    context.extraFolders = {"C:\\User\\Desktop", "C:\\All\\Desktop", installer_test::kInstallFolder};
    return context;
}

installer::UninstallResult Uninstall(RunFixture& f, const std::string& logText,
                                     const installer::UninstallContext& context = Context())
{
    if (!f.machine.HasFile(context.runningScript))
        f.machine.AddFile(context.runningScript, logText);
    installer::IniText text(logText);
    const installer::UninstallPlan plan = installer::PlanUninstall(installer::ReadInstallLog(text), context);
    return installer::UninstallRun(context, f.machine, f.view, f.registry).Run(plan);
}

TEST(UninstallRun, RemovesWhatTheInstallMadeAndKeepsFoldersWithOtherFiles)
{
    RunFixture f;
    for (const char* source : {"tool.exe", "core.dll", "setup.exe"})
        f.machine.AddFile(source);
    f.machine.servers["C:\\Apps\\Tool\\core.dll"] = {ServerCall::Called, 0};
    ASSERT_TRUE(f.Install("[COMPONENT01]\ndefault=1\ncount=2\nfile01=tool.exe\nfile02=core.dll\nREGIST02=1\n"
                          "[TARGET]\nDESKTOP=1\nSTARTMENU=1\n[DESKTOP]\nFILE01=tool.exe\n"
                          "[STARTMENU]\nFILE01=tool.exe\nDIRECTORY01=Sub\n"
                          "[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n[WINDOW]\nAPPLIC=ToolKey\n")
                    .success);
    const std::string log = f.machine.Content("C:\\Apps\\Tool\\setup.ini");
    f.machine.AddFile("C:\\All\\Programs\\FREEWARE\\Sub\\user notes.txt");
    f.machine.trace.clear();
    f.view = {};

    const installer::UninstallResult result = Uninstall(f, log);
    EXPECT_TRUE(result.success);
    EXPECT_EQ(f.machine.trace,
              (std::vector<std::string>{
                  "delete C:\\Apps\\Tool\\setup.exe", "delete C:\\Apps\\Tool\\setup.ini",
                  "delete C:\\All\\Programs\\FREEWARE\\Sub\\link.lnk", "delete C:\\All\\Desktop\\link.lnk",
                  "unregister C:\\Apps\\Tool\\core.dll", "delete C:\\Apps\\Tool\\core.dll",
                  "delete C:\\Apps\\Tool\\tool.exe", "rmdir C:\\Apps\\Tool", "delete C:\\Temp\\_ip1.ini",
                  "delete at restart C:\\Temp\\_ip1.exe"}));
    EXPECT_EQ(result.failures,
              (std::vector<UninstallFailure>{{Kind::Folder, "C:\\All\\Programs\\FREEWARE\\Sub", 2}}));
    EXPECT_TRUE(f.machine.HasFolder("C:\\All\\Programs\\FREEWARE\\Sub"));
    EXPECT_FALSE(f.registry.KeyExists(fw::reg::Root::LocalMachine, installer::UninstallKey("ToolKey")));
    EXPECT_EQ(f.view.high, 7);  // six files and two folders
    EXPECT_EQ(f.view.lines.at(5), "> ---登録解除(DLL)");
    EXPECT_EQ(f.view.lines.at(7), "> フォルダの削除");
    EXPECT_EQ(f.view.lines.at(9), "> ---消去に失敗");
}

TEST(UninstallRun, ShareGroupsAreAskedOnceAndHighGroupsAreKept)
{
    RunFixture f;
    for (const char* path : {"C:\\Apps\\Tool\\a.dll", "C:\\Apps\\Tool\\b.dll", "C:\\Apps\\Tool\\c.dll",
                             "C:\\Apps\\Tool\\d.dll", "C:\\Apps\\Tool\\e.dll", "C:\\User\\Desktop\\x.lnk"})
        f.machine.AddFile(path);
    f.machine.servers["C:\\Apps\\Tool\\c.dll"] = {ServerCall::Called, 0};
    f.machine.servers["C:\\Apps\\Tool\\d.dll"] = {ServerCall::Called, 0};
    f.machine.servers["C:\\Apps\\Tool\\e.dll"] = {ServerCall::NoEntryPoint, 0};
    f.machine.programs["C:\\Apps\\Tool\\b.dll"] = {true, 3};
    f.prompts.Answer(fw::kIdOk).Answer(fw::kIdNo);
    const installer::UninstallResult result =
        Uninstall(f,
                  "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=6\nDIRECTORY=0\n"
                  "FILE01=C:\\Apps\\Tool\\a.dll\nACTION01=DELETE\nSHARE01=1\n"
                  "FILE02=C:\\Apps\\Tool\\b.dll\nACTION02=DELETE\nSHARE02=1\nSHARECOMMENT02=Shared "
                  "runtime\nUNREGIST02=2\n"
                  "FILE03=C:\\Apps\\Tool\\c.dll\nACTION03=DELETE\nSHARE03=99\nUNREGIST03=1\n"
                  "FILE04=C:\\Apps\\Tool\\d.dll\nACTION04=NONE\nSHARE04=5\nUNREGIST04=1\n"
                  "FILE05=C:\\Apps\\Tool\\e.dll\nACTION05=DELETE\nUNREGIST05=1\n"
                  "FILE06=C:\\User\\Desktop\\x.lnk\n");
    EXPECT_TRUE(result.success);
    // One question for group 1, about the file logged later; the answer No keeps both.
    ASSERT_EQ(f.prompts.Count(), 2u);
    EXPECT_EQ(f.Shown(0), "C:\\Apps\\Tool\\e.dllのレジストリへの登録解除に失敗しました");
    EXPECT_EQ(f.prompts.At(0).flags, 0x10u);
    EXPECT_EQ(f.Shown(1),
              "Shared "
              "runtimeは、\r\n他のファイルが使用する可能性があるファイルです。\r\n削除する場合はYESを選択して"
              "ください。");
    EXPECT_EQ(f.prompts.At(1).caption, L"共有ファイルの削除をしますか？");
    EXPECT_EQ(f.prompts.At(1).flags, 0x124u);
    EXPECT_EQ(f.machine.trace, (std::vector<std::string>{
                                   "delete C:\\User\\Desktop\\x.lnk", "unregister C:\\Apps\\Tool\\e.dll",
                                   "delete C:\\Apps\\Tool\\e.dll", "unregister C:\\Apps\\Tool\\d.dll",
                                   "delete C:\\Temp\\_ip1.ini", "delete at restart C:\\Temp\\_ip1.exe"}));
    EXPECT_EQ(result.failures,
              (std::vector<UninstallFailure>{{Kind::Unregister, "C:\\Apps\\Tool\\e.dll", 5}}));
}

TEST(UninstallRun, EntriesOutsideTheInstalledFoldersAreRefused)
{
    const struct {
        const char* path;
        bool refused;
    } cases[] = {
        {"C:\\Apps\\Tool\\a.dll", false},
        {"c:\\apps\\tool\\A.DLL", false},
        {"C:\\Apps\\Tool\\sub\\a.dll", false},
        {"C:\\User\\Desktop\\l.lnk", false},
        {"C:\\Apps\\a.dll", true},
        {"C:\\WINDOWS\\win.ini", true},
        {"a.dll", true},
        {"C:\\Apps\\Tool\\..\\x", true},
        {"C:\\Apps\\Tool\\.\\a", true},
        {"C:\\Apps\\Tool\\", true},
        {"\\\\srv\\share\\a", true},
        {"C:a.dll", true},
    };
    std::string log = "[UNINSTALLDESC]\nFOLDER01=C:\\Apps\\Tool\\sub\\\nFOLDER02=C:\\Apps\\Tool\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        log += "FILE" + std::to_string(10 + i) + "=" + cases[i].path + "\n";
    installer::IniText text(log);
    installer::InstallLog read = installer::ReadInstallLog(text);
    read.files.clear();
    for (const auto& c : cases) {
        read.files.emplace_back();
        read.files.back().path = c.path;
    }
    const installer::UninstallPlan plan = installer::PlanUninstall(read, Context());
    ASSERT_EQ(plan.entries.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(plan.entries[std::size(cases) - 1 - i].refused, cases[i].refused) << cases[i].path;

    RunFixture f;
    f.machine.AddFile("C:\\WINDOWS\\win.ini");
    const installer::UninstallResult result = Uninstall(
        f, "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=1\nDIRECTORY=0\nFILE01=C:\\WINDOWS\\win.ini\n");
    EXPECT_TRUE(f.machine.HasFile("C:\\WINDOWS\\win.ini"));
    EXPECT_EQ(result.failures, (std::vector<UninstallFailure>{{Kind::Refused, "C:\\WINDOWS\\win.ini", 1}}));
}

TEST(UninstallRun, ATruncatedLogRemovesWhatItNamesAndReportsTheRest)
{
    RunFixture f;
    f.machine.AddFile("C:\\Apps\\Tool\\a.dll");
    f.machine.AddFile("C:\\Apps\\Tool\\c.dll");
    const installer::UninstallResult result =
        Uninstall(f,
                  "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=3\nDIRECTORY=2\nFOLDER01=C:\\Apps\\Tool\n"
                  "FILE01=C:\\Apps\\Tool\\a.dll\nFILE03=C:\\Apps\\Tool\\c.dll\nFILE02");
    EXPECT_FALSE(f.machine.HasFile("C:\\Apps\\Tool\\a.dll") || f.machine.HasFile("C:\\Apps\\Tool\\c.dll"));
    EXPECT_FALSE(f.machine.HasFolder("C:\\Apps\\Tool"));
    EXPECT_EQ(result.failures,
              (std::vector<UninstallFailure>{{Kind::MissingFile, "", 2}, {Kind::MissingFolder, "", 2}}));
}

TEST(UninstallRun, ClosingThePageStopsTheLoopsButStillCleansUp)
{
    RunFixture f;
    f.folders.ntFamily = false;
    f.machine.AddFile("C:\\Apps\\Tool\\a.dll");
    f.machine.AddFile("C:\\Apps\\Tool\\b.dll");
    f.machine.wininit = "[rename]\r\n";
    f.registry.CreateKey(fw::reg::Root::LocalMachine, installer::UninstallKey("ToolKey"));
    f.view.closeAtPump = 1;
    installer::UninstallContext context = Context();
    context.ntFamily = false;
    const installer::UninstallResult result =
        Uninstall(f,
                  "[UNINSTALLDESC]\nFILE01=C:\\Apps\\Tool\\a.dll\nFILE02=C:\\Apps\\Tool\\b.dll\nFOLDER01=C:"
                  "\\Apps\\Tool\n",
                  context);
    EXPECT_FALSE(result.success);
    EXPECT_TRUE(f.machine.HasFile("C:\\Apps\\Tool\\a.dll"));
    EXPECT_FALSE(f.machine.HasFile("C:\\Apps\\Tool\\b.dll"));
    EXPECT_EQ(*f.machine.wininit, "[rename]\r\nNUL=~C:\\Temp\\_ip1.exe\r\n");
    EXPECT_FALSE(f.registry.KeyExists(fw::reg::Root::LocalMachine, installer::UninstallKey("ToolKey")));
}

}  // namespace
