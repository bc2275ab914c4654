// The installer's system seam on Win32: files, versions, WININIT.INI, self-registration
// entry points, programs run through the shell, shell links and the install log.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win/handles.h"
#include "installer/setup_machine.h"

namespace installer {

class Win32Machine final : public SetupMachine {
public:
    // `owner` is disabled while a started program runs; `pump` processes pending
    // messages meanwhile.
    Win32Machine(HWND owner, std::function<void()> pump) : owner_(owner), pump_(std::move(pump)) {}

    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    bool CopyFile(const std::string& source, const std::string& target) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    bool DeleteAtRestart(const std::string& path) override;
    uint32_t LastError() override { return lastError_; }
    std::string ErrorText(uint32_t code) override;
    std::optional<FileVersion> Version(const std::string& path) override;
    std::string ShortPath(const std::string& path) override;
    bool ReadWininit(std::string& text) override;
    bool WriteWininit(const std::string& text) override;
    void WriteWininitProfile(const std::string& key, const std::string& value) override;
    ServerOutcome CallServer(const std::string& path, bool unregister) override;
    RunOutcome RunAndWait(const std::string& verb, const std::string& file,
                          const std::string& parameters) override;
    long CreateShortcut(const ShortcutSpec& link) override;
    std::unique_ptr<fw::Profile> OpenLog(const std::string& path) override;

private:
    bool Track(BOOL ok);
    std::string WininitPath() const;

    HWND owner_;
    std::function<void()> pump_;
    uint32_t lastError_ = 0;
    std::vector<fw::UniqueModule> registered_;  // libraries stay loaded once registered
};

}  // namespace installer
