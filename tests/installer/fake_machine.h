// The install and uninstall runs over fakes: a machine with files and folders in memory,
// files in use (never deleted nor overwritten, only moved), libraries and programs with
// prepared results and a trace of every change; a page; and a fixture with the system's
// folders, a registry and scripted prompts.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "installer/ini_text.h"
#include "installer/install_run.h"
#include "tests/support/memory_registry.h"
#include "tests/support/scripted_prompts.h"

namespace installer_test {

using Lines = std::vector<std::string>;
using Path = const std::string&;

class FakeMachine final : public installer::SetupMachine {
public:
    struct File {
        std::optional<installer::FileVersion> version;
        bool inUse = false;
    };
    std::map<std::string, File> files;  // by path, as the runs spell it
    std::set<std::string> folders;
    std::map<std::string, installer::ServerOutcome> servers;  // by path; default NotLoaded
    std::map<std::string, installer::RunOutcome> programs;    // by path; default not started
    std::optional<std::string> wininit;                       // WININIT.INI, when it exists
    Lines wininitProfile;                                     // "key=value" of the profile write
    Lines trace;

    // Adds a file and its folders; a path without a drive is a source in the current folder.
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
                   [&] {
                       files[to] = {files[from].version, false};
                   });
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
    bool WriteWininit(Path text) override
    {
        wininit = text;
        return true;
    }
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
        return Did(folders.count(Parent(link.linkFile)), 3,
                   "link " + link.linkFile + " > " + link.target + args, [&] { AddFile(link.linkFile); })
                   ? 0
                   : static_cast<long>(0x80004005u);
    }
    // The logs, written through the profile functions: files whose folder must exist.
    std::unique_ptr<fw::Profile> OpenLog(Path path) override { return std::make_unique<Log>(*this, path); }
    std::map<std::string, installer::IniText> logs;  // their text, by path

private:
    struct Log final : fw::Profile {
        using Name = const char*;
        Log(FakeMachine& machine, Path path) : machine(machine), path(path) {}
        installer::IniText& Text() { return machine.logs[path]; }
        int GetInt(Name s, Name k, int d) override { return Text().GetInt(s, k, d); }
        std::string GetString(Name s, Name k, Path d) override { return Text().GetString(s, k, d); }
        bool WriteInt(Name s, Name k, int v) override { return WriteString(s, k, std::to_string(v)); }
        bool WriteString(Name s, Name k, Path v) override
        {
            if (!machine.folders.count(Parent(path)))
                return false;
            machine.files.emplace(path, File{});
            return Text().WriteString(s, k, v);
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
        trace.push_back(change);
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
        lines.push_back((select ? "> " : "") + testing_support::Utf8(line));
    }
    void SetRange(int h) override { high = h; }
    void SetPosition(int p) override { position = p; }
    void Pump() override { ++pumps; }
    bool Alive() override { return stopAtPump < 0 || pumps < stopAtPump; }
    intptr_t Owner() override { return 107; }
};

// The install folder of Install(), and the log in it.
inline const char kInstallFolder[] = "C:\\P\\App";
inline const char kLog[] = "C:\\P\\App\\setup.ini";

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
    // Installs by the script, no page changing a choice.
    installer::InstallResult Install(const std::string& text)
    {
        installer::IniText ini("[TARGET]\nBASENAME=P\nDIRNAME=App\n" + text);
        const installer::SetupScript script =
            installer::ReadSetupScript(ini, 1, installer::JapaneseDefaults());
        const auto choices = installer::InstallChoices::Defaults(script, folders.windows);
        return installer::InstallRun(script, choices, folders, machine, view, registry).Run();
    }
    installer::IniText& Log() { return machine.logs[kLog]; }
    std::string Shown(size_t i) const { return testing_support::Utf8(prompts.At(i).text); }
};

}  // namespace installer_test
