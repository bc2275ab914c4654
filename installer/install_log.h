// The install log: an INI file in the install folder that the copied installer later
// reads as its own script. Its UNINSTALLDESC section lists, numbered from 01, every
// file the installation made (FILE%02d, with ACTION, SHARE, SHARECOMMENT, UNREGIST and
// UNREGISTPARAM for component files) and every folder it used (FOLDER%02d), then, at
// the end of a run, the marker UNINSTALL_SETUP=1 with the counts FILE and DIRECTORY.
// The look keys of WINDOW, TITLE and SIGN go beside it.
//
// The writer writes each entry as soon as its file exists, so a run that stops half
// way leaves a log naming everything it made, only without the marker and the counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/profile.h"
#include "installer/setup_script.h"

namespace installer {

// More entries than this are never read from a log (a run writes at most
// 32 x kMaxFileEntries + 2 x kMaxShortcuts + 2).
constexpr int kMaxLogEntries = 40000;

class LogWriter {
public:
    explicit LogWriter(fw::Profile& log) : log_(log) {}

    // A component file: ACTION ("DELETE" for the copy action, "NONE" otherwise), FILE,
    // SHARECOMMENT, SHARE, UNREGIST, UNREGISTPARAM under the next number.
    void AddComponentFile(const FileEntry& entry, const std::string& target);
    // A shortcut, the log itself or the uninstaller: FILE only.
    void AddFile(const std::string& path);
    // A folder is written once; the comparison ignores case. True when it was new.
    bool AddFolder(const std::string& folder);
    // The marker, the counts and the look.
    void Finish(const Look& look);

    int FileCount() const { return files_; }
    int FolderCount() const { return static_cast<int>(folders_.size()); }

private:
    fw::Profile& log_;
    int files_ = 0;
    std::vector<std::string> folders_;  // upper-cased
};

struct LoggedFile {
    int number = 0;
    std::string path;
    bool hasAction = false;  // false for shortcuts, the log and the uninstaller
    bool remove = true;      // ACTION is not "none" (a missing ACTION means delete)
    int shareGroup = 0;
    std::string shareComment;
    Registration unregistration = Registration::None;  // as logged, also when outside the table
    std::string unregistrationParameters;
};

struct LoggedFolder {
    int number = 0;
    std::string path;
};

// What a log names. A log cut short (the run stopped, or the file was truncated) is
// read as far as it goes: without the FILE or DIRECTORY count, entries are read from
// 01 up to the first missing one; with a count, the numbers within it that name no
// path are listed as missing.
struct InstallLog {
    bool marker = false;         // UNINSTALL_SETUP non-zero
    bool countsPresent = false;  // both FILE and DIRECTORY were written
    std::vector<LoggedFile> files;
    std::vector<LoggedFolder> folders;
    std::vector<int> missingFiles;
    std::vector<int> missingFolders;

    bool Complete() const
    {
        return marker && countsPresent && missingFiles.empty() && missingFolders.empty();
    }
};

InstallLog ReadInstallLog(fw::Profile& log);

// A path as the log writes it and the uninstaller compares it: "/" is read as "\" and
// a run of separators as one, except the two that start a "\\server" root. A folder
// typed with forward slashes or a doubled separator thus names the same entries.
std::string PathAsLogged(std::string_view path);

// The look as the log writes it: BKCOLOR and COLOR as six lower-case hex digits of
// the colour's low 24 bits, the sizes in decimal.
std::string ColourText(uint32_t colour);

}  // namespace installer
