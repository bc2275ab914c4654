// What the install and uninstall runs need from the system and from their page: the
// seams the Win32 program implements and the tests fake. Paths are byte strings in
// the system code page; what the user reads is wide text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/core/profile.h"
#include "installer/replace_rule.h"

namespace installer {

// Message box flags and answers the runs use beyond those of the prompt seam, with
// their Win32 values.
enum : unsigned { kMbAbortRetryIgnore = 0x2, kMbRetryCancel = 0x5, kMbIconStop = 0x10 };
enum : int { kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5 };

struct RunOutcome {
    bool started = false;
    uint32_t exitCode = 0;
};

// A library's self-registration entry point, called once.
enum class ServerCall { NotLoaded, NoEntryPoint, Called };
struct ServerOutcome {
    ServerCall call = ServerCall::NotLoaded;
    long result = 0;  // the entry point's HRESULT when called
};

struct ShortcutSpec {
    std::string target;
    std::string arguments;
    std::string linkFile;
    std::string description;
    std::string workingFolder;
    bool operator==(const ShortcutSpec&) const = default;
};

class SetupMachine {
public:
    virtual ~SetupMachine() = default;

    virtual bool FileExists(const std::string& path) = 0;  // a file or a folder
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool CreateFolder(const std::string& path) = 0;  // one level
    virtual bool RemoveFolder(const std::string& path) = 0;  // an empty folder only
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool CopyFile(const std::string& source, const std::string& target) = 0;  // replacing
    virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
    virtual bool DeleteAtRestart(const std::string& path) = 0;  // the move-at-restart facility
    // The error code of the last failed call, and the system's text for it.
    virtual uint32_t LastError() = 0;
    virtual std::string ErrorText(uint32_t code) = 0;
    virtual std::optional<FileVersion> Version(const std::string& path) = 0;
    virtual std::string ShortPath(const std::string& path) = 0;

    // WININIT.INI in the Windows directory: whole reads and writes, and the profile
    // write used when the file cannot take the record.
    virtual bool ReadWininit(std::string& text) = 0;
    virtual bool WriteWininit(const std::string& text) = 0;
    virtual void WriteWininitProfile(const std::string& key, const std::string& value) = 0;

    // DllRegisterServer (or DllUnregisterServer); a registered library stays loaded.
    virtual ServerOutcome CallServer(const std::string& path, bool unregister) = 0;
    // Run and wait: the shell starts `file` with `verb` and `parameters`; messages are
    // processed while waiting; the exit code is 0 when it cannot be read.
    virtual RunOutcome RunAndWait(const std::string& verb, const std::string& file,
                                  const std::string& parameters) = 0;
    // A shell link; 0 on success, else the failing step's HRESULT.
    virtual long CreateShortcut(const ShortcutSpec& link) = 0;
    // The install log at `path`, written through the private-profile functions.
    virtual std::unique_ptr<fw::Profile> OpenLog(const std::string& path) = 0;
};

// The copying (or uninstall) page: its list 1023, its progress bar 1020 and whether it
// still exists.
class RunView {
public:
    virtual ~RunView() = default;
    // Appends a line; `select` also makes it the selected line.
    virtual void AddLine(const std::wstring& line, bool select) = 0;
    virtual void SetRange(int high) = 0;  // low is 0
    virtual void SetPosition(int position) = 0;
    // Processes pending messages (the user may press "中止" meanwhile).
    virtual void Pump() = 0;
    virtual bool Alive() = 0;
    // The owner of the error boxes.
    virtual intptr_t Owner() = 0;
};

// The registry key of the uninstall entry below HKEY_LOCAL_MACHINE.
std::string UninstallKey(const std::string& applic);

// Replaces the WININIT.INI record (key, value) as the install run and the uninstaller
// do it: rewritten after the [rename] line when there is one, else by the profile
// write.
void RecordWininit(SetupMachine& machine, const std::string& key, const std::string& value);

}  // namespace installer
