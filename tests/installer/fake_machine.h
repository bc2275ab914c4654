// A machine and a page for the install and uninstall runs: files and folders in
// memory (Windows path rules), locked and read-only files, libraries and programs
// with prepared results, and a trace of every change in order.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "installer/setup_machine.h"

namespace installer_test {

using installer::FileVersion;

class FakeMachine final : public installer::SetupMachine {
public:
    struct File {
        std::string path;
        std::string content;
        std::optional<FileVersion> version;
        bool locked = false;    // in use: cannot be deleted or overwritten, can be moved
        bool readOnly = false;  // cannot be deleted or overwritten, can be moved
    };

    // Adds a file; its folders are added too. Paths without a drive are sources in
    // the current directory.
    File& AddFile(const std::string& path, const std::string& content = "x",
                  std::optional<FileVersion> version = std::nullopt);
    void AddFolder(const std::string& path);
    bool HasFile(const std::string& path) const;
    bool HasFolder(const std::string& path) const;
    const File* Find(const std::string& path) const;
    std::string Content(const std::string& path) const;
    std::vector<std::string> FilePaths() const;  // sorted by key, as given

    std::map<std::string, installer::ServerOutcome> servers;  // by path; default NotLoaded
    std::map<std::string, installer::RunOutcome> programs;    // by path; default not started
    std::set<std::string> failingLinks;                       // link files that cannot be saved
    std::optional<std::string> wininit;                       // WININIT.INI, when it exists
    std::vector<std::string> wininitProfile;                  // "key=value" written by the profile write
    std::vector<std::string> trace;

    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    bool CopyFile(const std::string& source, const std::string& target) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    bool DeleteAtRestart(const std::string& path) override;
    uint32_t LastError() override { return lastError_; }
    std::string ErrorText(uint32_t code) override { return "error " + std::to_string(code); }
    std::optional<FileVersion> Version(const std::string& path) override;
    std::string ShortPath(const std::string& path) override { return "~" + path; }
    bool ReadWininit(std::string& text) override;
    bool WriteWininit(const std::string& text) override;
    void WriteWininitProfile(const std::string& key, const std::string& value) override;
    installer::ServerOutcome CallServer(const std::string& path, bool unregister) override;
    installer::RunOutcome RunAndWait(const std::string& verb, const std::string& file,
                                     const std::string& parameters) override;
    long CreateShortcut(const installer::ShortcutSpec& link) override;
    std::unique_ptr<fw::Profile> OpenLog(const std::string& path) override;

private:
    class LogProfile;
    static std::string Key(const std::string& path);
    bool Fail(uint32_t code);

    std::map<std::string, File> files_;
    std::map<std::string, std::string> folders_;  // key -> path as given
    uint32_t lastError_ = 0;
};

// The page: lines ("> " marks a selected one), progress, and a "中止" that the
// user presses while messages are processed for the `closeAtPump`-th time.
class FakeView final : public installer::RunView {
public:
    std::vector<std::string> lines;  // UTF-8
    int high = -1;
    int position = -1;
    int pumps = 0;
    int closeAtPump = -1;
    bool alive = true;

    void AddLine(const std::wstring& line, bool select) override;
    void SetRange(int h) override { high = h; }
    void SetPosition(int p) override { position = p; }
    void Pump() override
    {
        if (++pumps == closeAtPump)
            alive = false;
    }
    bool Alive() override { return alive; }
    intptr_t Owner() override { return 107; }
};

}  // namespace installer_test
