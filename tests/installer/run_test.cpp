// The install and uninstall runs over fakes: what they copy, register, link, log and
// remove, and how each failure ends or continues a run. The fake machine keeps files and
// folders in memory (a file in use is never deleted nor overwritten, only moved),
// libraries and programs with prepared results and a trace of every change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "installer/ini_text.h"
#include "installer/install_run.h"
#include "installer/uninstall_run.h"
#include "tests/support/memory_registry.h"
#include "tests/support/scripted_prompts.h"

namespace {

using Lines = std::vector<std::string>;
using Path = const std::string&;

// The install folder of Install(), and the log in it; traces, lines and boxes spell it "$".
const char kInstallFolder[] = "C:\\P\\App";
const char kLog[] = "C:\\P\\App\\setup.ini";

std::string Short(std::string text)
{
    for (size_t at; (at = text.find(kInstallFolder)) != std::string::npos;)
        text.replace(at, std::strlen(kInstallFolder), "$");
    return text;
}

class FakeMachine final : public installer::SetupMachine {
public:
    struct File {
        std::optional<installer::FileVersion> version;
        bool inUse = false;
    };
    std::map<std::string, File> files;  // by path; one without a drive is a source
    std::set<std::string> folders;
    std::map<std::string, installer::ServerOutcome> servers;  // by path; default NotLoaded
    std::map<std::string, installer::RunOutcome> programs;    // by path; default not started
    std::optional<std::string> wininit;                       // WININIT.INI, when it exists
    Lines wininitProfile;                                     // "key=value" of the profile write
    Lines trace;
    std::map<std::string, installer::IniText> logs;  // by path

    File& AddFile(Path path, std::optional<installer::FileVersion> version = {})
    {
        AddFolder(Parent(path));
        return files[path] = {version, false};
    }
    void AddFolder(Path path)
    {
        if (!path.empty() && folders.insert(path).second)
            AddFolder(Parent(path));
    }
    bool Has(Path p) const { return files.count(p) != 0; }
    std::set<std::string> Paths() const  // every file and folder
    {
        std::set<std::string> all(folders);
        for (const auto& file : files)
            all.insert(file.first);
        return all;
    }
    bool InUse(Path p) const { return Has(p) && files.at(p).inUse; }

    bool FileExists(Path p) override { return Has(p) || folders.count(p); }
    bool FolderExists(Path p) override { return folders.count(p) != 0; }
    bool CreateFolder(Path p) override
    {
        return Did(folders.count(Parent(p)) && !Has(p), 3, "mkdir " + p, [&] { folders.insert(p); });
    }
    bool RemoveFolder(Path p) override
    {
        const bool empty =
            std::none_of(files.begin(), files.end(), [&](auto& f) { return Parent(f.first) == p; }) &&
            std::none_of(folders.begin(), folders.end(), [&](Path f) { return Parent(f) == p && f != p; });
        return Did(folders.count(p) && empty, 145, "rmdir " + p, [&] { folders.erase(p); });
    }
    bool DeleteFile(Path p) override
    {
        return Did(Has(p) && !InUse(p), Has(p) ? 5 : 2, "delete " + p, [&] { files.erase(p); });
    }
    bool CopyFile(Path from, Path to) override
    {
        const uint32_t error = !Has(from) ? 2 : InUse(to) ? 5 : 3;
        return Did(Has(from) && folders.count(Parent(to)) && !InUse(to), error, "copy " + from + " > " + to,
                   [&] { (files[to] = files[from]).inUse = false; });
    }
    bool MoveReplacing(Path from, Path to) override
    {
        return Did(Has(from) && !InUse(to), Has(from) ? 5 : 2, "move " + from + " > " + to, [&] {
            files[to] = files[from];
            files.erase(from);
        });
    }
    bool DeleteAtRestart(Path p) override
    {
        return Did(true, 0, "delete at restart " + p, [] {});
    }
    uint32_t LastError() override { return lastError_; }
    std::string ErrorText(uint32_t code) override { return "error " + std::to_string(code); }
    std::optional<installer::FileVersion> Version(Path p) override
    {
        return Has(p) ? files[p].version : std::nullopt;
    }
    std::string ShortPath(Path p) override { return "~" + p; }
    bool ReadWininit(std::string& text) override
    {
        text = wininit.value_or("");
        return wininit.has_value();
    }
    bool WriteWininit(Path text) override { return (wininit = text).has_value(); }
    void WriteWininitProfile(Path key, Path value) override { wininitProfile.push_back(key + "=" + value); }
    installer::ServerOutcome CallServer(Path p, bool unregister) override
    {
        const bool loads = servers.count(p) && Has(p);
        return Did(loads, 0, (unregister ? "unregister " : "register ") + p, [] {})
                   ? servers[p]
                   : installer::ServerOutcome{};
    }
    installer::RunOutcome RunAndWait(Path verb, Path file, Path parameters) override
    {
        Did(true, 0, "run " + verb + " " + file + (parameters.empty() ? "" : " " + parameters), [] {});
        return programs.count(file) ? programs[file] : installer::RunOutcome{};
    }
    long CreateShortcut(const installer::ShortcutSpec& link) override
    {
        const std::string args = link.arguments.empty() ? "" : " " + link.arguments;
        const bool ok =
            Did(folders.count(Parent(link.linkFile)), 3, "link " + link.linkFile + " > " + link.target + args,
                [&] { AddFile(link.linkFile); });
        return ok ? 0 : static_cast<long>(0x80004005u);
    }
    // The logs, through the profile functions: files whose folder must exist.
    std::unique_ptr<fw::Profile> OpenLog(Path path) override { return std::make_unique<Log>(*this, path); }

private:
    struct Log final : fw::Profile {
        using Name = const char*;
        Log(FakeMachine& machine, Path path) : machine(machine), path(path) {}
        int GetInt(Name s, Name k, int d) override { return machine.logs[path].GetInt(s, k, d); }
        std::string GetString(Name s, Name k, Path d) override
        {
            return machine.logs[path].GetString(s, k, d);
        }
        bool WriteInt(Name s, Name k, int v) override { return WriteString(s, k, std::to_string(v)); }
        bool WriteString(Name s, Name k, Path v) override
        {
            if (!machine.folders.count(Parent(path)))
                return false;
            machine.files.emplace(path, File{});
            return machine.logs[path].WriteString(s, k, v);
        }
        FakeMachine& machine;
        const std::string path;
    };

    static std::string Parent(Path path)
    {
        const size_t slash = path.rfind('\\');
        return slash == std::string::npos ? "" : path.substr(0, slash == 2 ? 3 : slash);
    }
    // When `possible`, makes the change and traces it; else fails with `error`.
    template <typename Make>
    bool Did(bool possible, uint32_t error, Path change, Make make)
    {
        if (!possible) {
            lastError_ = error;
            return false;
        }
        make();
        trace.push_back(Short(change));
        return true;
    }

    uint32_t lastError_ = 0;
};

// The copying page: its lines ("> " marks a selected one), its progress, and "中止"
// pressed while messages are processed for the `stopAtPump`-th time.
class FakeView final : public installer::RunView {
public:
    Lines lines;  // UTF-8
    int high = -1, position = -1, pumps = 0, stopAtPump = -1;

    void AddLine(const std::wstring& line, bool select) override
    {
        lines.push_back((select ? "> " : "") + Short(testing_support::Utf8(line)));
    }
    void SetRange(int h) override { high = h; }
    void SetPosition(int p) override { position = p; }
    void Pump() override { ++pumps; }
    bool Alive() override { return stopAtPump < 0 || pumps < stopAtPump; }
    intptr_t Owner() override { return 107; }
};

struct RunFixture {
    FakeMachine machine;
    FakeView view;
    testing_support::MemoryRegistry registry;
    testing_support::ScriptedPrompts prompts;
    installer::SystemFolders folders;

    RunFixture()
    {
        folders.windows = "C:\\WINDOWS";
        machine.AddFolder(folders.desktopAll = "C:\\All\\Desk");
        machine.AddFolder(folders.programsAll = "C:\\All\\Menu");
    }
    // Installs by the script, no page changing a choice but the folder typed.
    installer::InstallResult Install(const std::string& text, const char* typedFolder = nullptr)
    {
        installer::IniText ini("[TARGET]\nBASENAME=P\nDIRNAME=App\n" + text);
        const installer::SetupScript script =
            installer::ReadSetupScript(ini, 1, installer::JapaneseDefaults());
        auto choices = installer::InstallChoices::Defaults(script, folders.windows);
        choices.installFolder = typedFolder ? typedFolder : choices.installFolder;
        return installer::InstallRun(script, choices, folders, machine, view, registry).Run();
    }
    installer::IniText& Log() { return machine.logs[kLog]; }
    bool HasUninstallEntry()
    {
        return registry.KeyExists(fw::reg::Root::LocalMachine, installer::UninstallKey("K"));
    }
    std::string Shown(size_t i) const { return Short(testing_support::Utf8(prompts.At(i).text)); }
};

using installer::ServerCall;
using Kind = installer::UninstallFailure::Kind;
using Failures = std::vector<installer::UninstallFailure>;

installer::UninstallResult Uninstall(RunFixture& f, const std::string& logText, bool nt = true,
                                     std::vector<std::string> extra = {"C:\\All\\Desk", kInstallFolder})
{
    const installer::UninstallContext context{nt, "C:\\T\\_ip1.exe", "C:\\T\\_ip1.ini", "K", extra};
    f.machine.AddFile(context.runningScript);
    installer::IniText text(logText);
    const installer::UninstallPlan plan = installer::PlanUninstall(installer::ReadInstallLog(text), context);
    return installer::UninstallRun(context, f.machine, f.view, f.registry).Run(plan);
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
                  "DESCRIPTION02=C\nDIRECTORY02=S\n[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n"
                  "[WINDOW]\nTITLE=Tool\nAPPLIC=K\n")
            .success);
    EXPECT_EQ(f.machine.trace,
              (Lines{"mkdir C:\\P", "mkdir $", "copy a.exe > $\\a.exe", "copy b.dll > $\\b.dll",
                     "register $\\b.dll", "mkdir $\\d", "copy s\\c.txt > $\\d\\c.dat",
                     "link C:\\All\\Desk\\A.lnk > $\\a.exe", "mkdir C:\\All\\Menu\\G",
                     "link C:\\All\\Menu\\G\\A.lnk > $\\a.exe /x", "mkdir C:\\All\\Menu\\G\\S",
                     "link C:\\All\\Menu\\G\\S\\C.lnk > $\\d\\c.dat", "copy setup.exe > $\\setup.exe"}));
    EXPECT_EQ(
        f.view.lines,
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
    EXPECT_EQ(f.machine.trace,
              (Lines{"delete $\\setup.exe", "delete $\\setup.ini", "delete C:\\All\\Menu\\G\\S\\C.lnk",
                     "delete C:\\All\\Menu\\G\\A.lnk", "delete C:\\All\\Desk\\A.lnk", "delete $\\d\\c.dat",
                     "unregister $\\b.dll", "delete $\\b.dll", "delete $\\a.exe", "rmdir C:\\All\\Menu\\G\\S",
                     "rmdir C:\\All\\Menu\\G", "rmdir $\\d", "delete C:\\T\\_ip1.ini",
                     "delete at restart C:\\T\\_ip1.exe"}));
    EXPECT_EQ(result.failures, (Failures{{Kind::Folder, "C:\\P\\App", 2}, {Kind::Folder, "C:\\P", 1}}));
    EXPECT_FALSE(f.HasUninstallEntry());
    EXPECT_EQ(f.view.high, 12);  // eight files and five folders
    EXPECT_EQ(f.view.lines.at(7) + f.view.lines.at(9) + f.view.lines.back(),
              "> ---登録解除(DLL)> フォルダの削除> ---消去に失敗");

    RunFixture off;  // the log off: no uninstaller nor entry, but an old log goes
    off.machine.AddFile("setup.exe");
    off.machine.AddFile(kLog);
    EXPECT_TRUE(off.Install("[UNINSTALL]\nUNINSTALLER=1\nREGIST=1\n").success);
    EXPECT_EQ(off.machine.trace, Lines{"delete $\\setup.ini"});
    EXPECT_EQ(std::make_pair(off.view.lines, off.view.high),
              std::make_pair(Lines{"> インストールの完了"}, 0));
    EXPECT_TRUE(off.registry.Dump().empty());
}

// Whatever the script's options, the uninstall leaves only the user's file and the folders
// holding it ($: the install folder). The uninstaller knows the install folder from the entry only.
TEST(UninstallRun, RemovesEverythingTheInstallMadeWhateverTheOptions)
{
    // The component's keys, an uninstall entry, the folder typed, the user's file; what is left.
    const std::tuple<const char*, bool, const char*, const char*, const char*> cases[] = {
        {"", true, "C:\\P\\App", "", ""},
        {"directory=doc\\x", false, "C:\\P\\App", "", ""},
        {"directory=doc/x", true, "C:/P//App/", "$\\a.txt", "C:\\P $ $\\a.txt"},
        {"special=3", false, "C:/P/App", "$\\d\\a.txt", "C:\\P $ $\\d $\\d\\a.txt"},
    };
    for (const auto& [keys, entry, typedFolder, userFile, left] : cases) {
        SCOPED_TRACE(std::string(keys) + "|" + typedFolder);
        RunFixture f;
        for (const char* path : {"a.exe", "setup.exe", "C:\\WINDOWS\\win.ini", "C:\\T\\_ip1.ini"})
            f.machine.AddFile(path);
        const std::set<std::string> before = f.machine.Paths();
        const std::string script = std::string("[COMPONENT01]\ndefault=1\ncount=1\nfile01=a.exe\n") + keys +
                                   "\n[TARGET]\nSTARTMENU=1\n[STARTMENU]\nFILE01=a.exe\nDIRECTORY01=S\\T\n"
                                   "[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=" +
                                   (entry ? "1" : "0");
        ASSERT_TRUE(f.Install(script, typedFolder).success);
        if (*userFile)
            f.machine.AddFile(std::string(userFile).replace(0, 1, kInstallFolder));
        std::vector<std::string> extra{f.folders.desktopAll};
        for (const std::string& line : f.registry.Dump())  // the entry's command names the folder
            if (const size_t at = line.find("[UninstallString]=s:"); at != std::string::npos)
                extra.push_back(installer::InstallFolderOfCommand(line.substr(at + 20), "/UNINSTALL"));
        Uninstall(f, f.Log().Text(), true, extra);
        std::string remaining;
        for (const std::string& path : f.machine.Paths())
            remaining += before.count(path) ? "" : (remaining.empty() ? "" : " ") + Short(path);
        EXPECT_EQ(remaining, left);
    }
}

constexpr long long kNone = -1;  // no entry point, or not started
constexpr char kWrite[] = "> WRITE a.dll/$\\a.dll", kVerb[] = "open:r.txt";

// The only entry of a component: a.dll 1.0 over $\a.dll 1.1, with these keys, or with
// trait v the verb "open" on r.txt; other traits of the machine: u the target in use,
// m the source missing, w outside the NT family, s "中止" pressed while it is copied.
// Answers to the boxes: O ok, R retry, C cancel, A abort, I ignore.
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
    {"library fails: the run goes on", "REGIST01=1", "", 1, "O", true, false, kWrite,
     "$\\a.dllのレジストリへの登録に失敗しました", nullptr},
    {"library without the entry point", "REGIST01=1", "", kNone, "", true, false, kWrite, nullptr, nullptr},
    {"program's exit code accepted", "REGIST01=2\nRETMIN01=0", "", 0, "", true, false,
     "> WRITE(REGIST) a.dll/$\\a.dll", nullptr, nullptr},
    {"program's exit code refused", "REGIST01=2\nREGISTPARAM01=/r", "", 0, "O", false, false, kWrite,
     "指定されたコマンドは異常終了しました。\r\nSELF-EXEC:$\\a.dll /r\r\nreturn code=0", nullptr},
    {"program not started", "REGIST01=2\nREGISTPARAM01=/r", "", kNone, "O", false, false, kWrite,
     "指定されたコマンドは起動できませんでした。\r\n$\\a.dll /r", nullptr},
    {"action none registers the file there", "action01=none\nREGIST01=1", "", 0, "", true, false,
     "> NONE(REGIST) a.dll/$\\a.dll", nullptr, nullptr},
    {"older source skipped", "VERSIONCHECK01=1", "", 0, "", true, false, "> SKIP a.dll/$\\a.dll", nullptr,
     ""},
    {"中止 pressed: the run ends after the entry", "", "s", 0, "", false, false, kWrite, nullptr,
     "delete $\\a.dll; copy a.dll > $\\a.dll; "},
    {"verb run", "", "v", 1, "", true, false, kVerb, nullptr, "run open r.txt; "},
    {"verb not started: retried", "EXEPARAM01=/p", "v", kNone, "R", true, false, kVerb,
     "指定されたコマンドは実行できませんでした。\r\nopen:r.txt /p", nullptr},
    {"verb not started: cancelled", "", "v", kNone, "C", false, false, kVerb, nullptr, nullptr},
    {"verb's exit code refused", "", "v", 0xC0000005, "O", false, false, kVerb,
     "指定されたコマンドは異常終了しました。\r\nopen:r.txt \r\nreturn code=c0000005", nullptr},
    {"in use, mode 0: the copy error, ignored", "", "u", 0, "I", true, false, kWrite,
     "ファイルのコピーに失敗しました\r\na.dll > $\\a.dll\r\nerror 5(code:5)", ""},
    {"in use, mode 0: retried, aborted", "", "uw", 0, "RA", false, false, "", nullptr, ""},
    {"in use on NT: moved aside and replaced at once", "DELETEONREBOOT01=1", "u", 0, "", true, false, kWrite,
     nullptr,
     "move $\\a.dll > $\\a.dll.DeleteOnReboot; copy a.dll > $\\a.dll; delete at restart "
     "$\\a.dll.DeleteOnReboot; "},
    {"in use on NT, the copy fails: put back, aborted", "DELETEONREBOOT01=2", "um", 0, "A", false, false, "",
     nullptr, "move $\\a.dll > $\\a.dll.DeleteOnReboot; move $\\a.dll.DeleteOnReboot > $\\a.dll; "},
    {"in use outside NT, mode 1: copied beside, renamed at restart", "DELETEONREBOOT01=1", "uw", 0, "", true,
     true, kWrite, nullptr, "copy a.dll > $\\a.dll.replace; "},
    {"in use outside NT, mode 2: the old file stays", "DELETEONREBOOT01=2", "uw", 0, "", true, false, kWrite,
     nullptr, ""},
};

// Every file left in place is logged before the run goes on or stops; verbs are not.
// A restart is needed when the rename record is written.
TEST(InstallRun, EachEntryEndsByItsActionVersionCheckRegistrationAndTheMachine)
{
    const std::map<char, int> ids{
        {'O', fw::kIdOk},           {'R', installer::kIdRetry},  {'C', fw::kIdCancel},
        {'A', installer::kIdAbort}, {'I', installer::kIdIgnore},
    };
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
        const installer::InstallResult result = f.Install(
            std::string("[UNINSTALL]\nLOG=1\n[COMPONENT01]\ndefault=1\ncount=1\n") +
            (traits.find('v') == std::string::npos ? "file01=a.dll\n" : "file01=r.txt\naction01=open\n") +
            c.keys + "\n");
        EXPECT_EQ(std::make_pair(result.success, result.restartNeeded), std::make_pair(c.success, c.restart));
        EXPECT_EQ(f.view.lines.size() > 1 ? f.view.lines[1] : "", c.line);
        ASSERT_EQ(f.prompts.Count(), std::strlen(c.answers));
        for (const auto& shown : f.prompts.All())
            EXPECT_TRUE(shown.caption.empty() && (shown.flags & 0x10));
        EXPECT_TRUE(!c.box || f.Shown(0) == c.box) << f.Shown(0);
        std::string changes;
        for (const std::string& change : f.machine.trace)
            changes += change + "; ";
        EXPECT_TRUE(!c.changes || changes == c.changes) << changes;
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
    f.machine.AddFolder(kInstallFolder);
    f.folders.desktopUser = "Q:\\Desk";
    f.folders.programsUser = "Q:\\Menu";
    f.prompts.Answer(fw::kIdOk).Answer(fw::kIdNo).Answer(fw::kIdOk).Answer(fw::kIdOk);
    EXPECT_TRUE(f.Install("[UNINSTALL]\nLOG=1\nUNINSTALLER=1\nREGIST=1\n[TARGET]\nDESKTOP=1\nSTARTMENU=1\n"
                          "PRIVATE=1\n[DESKTOP]\nFILE01=a.exe\nDESCRIPTION01=A\n[STARTMENU]\nFILE01=a.exe\n"
                          "STARTUP01=1\nFILE02=b.exe\nFILE03=c.exe\n")
                    .success);
    ASSERT_EQ(f.prompts.Count(), 4u);
    EXPECT_EQ(f.Shown(0),
              "デスクトップのショートカットの作成に失敗しました。\r\n$\\a.exe\r\nQ:\\Desk\\A.lnk\r\nA");
    EXPECT_EQ(f.Shown(1),
              "自動的にスタートできるように、スタートアップにショートカットを作成することができます。\n"
              "スタートアップに登録してもよろしいですか？");
    EXPECT_EQ(std::make_pair(f.prompts.At(1).caption, f.prompts.At(1).flags),
              std::make_pair(std::wstring(L"スタートアップの確認"), 0x24u));
    EXPECT_EQ(f.Shown(2),
              "スタートメニューのフォルダ作成に失敗しました。\r\n$\\b.exe\r\nQ:\\Menu\\FREEWARE\r\nlink");
    EXPECT_EQ(f.Shown(3), "アンインストーラのコピーに失敗しました。\r\nerror 2(code:2)");
    EXPECT_TRUE(f.machine.trace.empty() && !f.HasUninstallEntry());
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
    EXPECT_EQ(f.Shown(0).find("$\\f.exeは、"), 0u);
    EXPECT_EQ(f.Shown(1), "$\\e.dllのレジストリへの登録解除に失敗しました");
    EXPECT_EQ(f.prompts.At(1).flags, 0x10u);
    EXPECT_EQ(f.Shown(2),
              "Shared runtimeは、\r\n他のファイルが使用する可能性があるファイルです。\r\n"
              "削除する場合はYESを選択してください。");
    EXPECT_EQ(f.prompts.At(2).caption, L"共有ファイルの削除をしますか？");
    EXPECT_EQ(f.prompts.At(2).flags, 0x124u);
    EXPECT_EQ(f.machine.trace,
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
             installer::PlanUninstall(log, {true, "", "", "", {"C:\\All\\Desk", kInstallFolder}}).entries)
            refused += entry.refused ? "R" : "-";
        return refused;
    };
    EXPECT_EQ(refusals({"C:\\P\\App\\a.dll", "c:\\p\\app\\A.DLL", "C:\\P\\App\\sub\\a.dll",
                        "C:\\All\\Desk\\l.lnk", "C:/P//App/sub/a.dll"}),
              "-----");  // an older installer logged a folder typed with slashes as it was
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
    EXPECT_EQ(f.machine.trace, (Lines{"delete $\\a.dll", "rmdir $", "delete C:\\T\\_ip1.ini",
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
    EXPECT_EQ(f.machine.trace, (Lines{"delete $\\b.dll", "delete C:\\T\\_ip1.ini"}));
    EXPECT_EQ(f.machine.wininitProfile, Lines{"NUL=~C:\\T\\_ip1.exe"});  // no WININIT.INI to rewrite
    EXPECT_FALSE(f.HasUninstallEntry());
}

}  // namespace
