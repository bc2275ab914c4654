// The setup script: every section and key the installer reads, with its kind and
// default, read through the profile seam (the script file on Windows, IniText in
// tests). Text values are limited like the private-profile reads into their buffers.
//
// Numbers that are out of range are decided here, once:
// - components are the sections COMPONENT01 to COMPONENT32; higher numbers are never
//   read;
// - a component's `count` below 0 reads as 0, above kMaxFileEntries as kMaxFileEntries;
//   file keys numbered past the count are never read;
// - shortcut entries are read from 01 up to the first empty FILE%02d, at most
//   kMaxShortcuts of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/profile.h"

namespace installer {

constexpr int kComponentCount = 32;
constexpr int kMaxFileEntries = 999;
constexpr int kMaxShortcuts = 999;
constexpr size_t kTextLimit = 259;
constexpr size_t kLicenseTextLimit = 4095;
constexpr size_t kFinishTextLimit = 4094;

// The window's look; copied into the install log so that the uninstaller looks alike.
struct Look {
    int show = 1;
    std::string title = "SETUP";
    std::string applic = "SETUP";
    std::string windowClass = "ORKVANE";
    uint32_t backColor = 0x800000;
    std::string font;  // "ＭＳ 明朝" in the code page
    uint32_t titleColor = 0xffff80;
    int titleWidth = 32;
    int titleHeight = 64;
    std::string sign = "FREEWARE Installer";
    int signWidth = 16;
    int signHeight = 32;
};

struct Sequence {
    bool license = false;
    bool selectType = false;
    bool chooseFolder = false;
    bool finish = false;
};

struct LicensePage {
    std::string title, ok, cancel, file;
};

struct SelectTypePage {
    bool custom = false;  // MODE: preselect custom instead of recommended
    std::string help;
};

struct TargetOptions {
    std::string dirName = "FREEWARE";
    std::string groupName = "FREEWARE";
    std::string baseName = "Program Files";
    bool desktop = false;
    bool startMenu = false;
    bool privateLinks = false;
};

enum class FileAction { Copy, None, Verb };

// The script's numeric keys below are read into these enums as they are: a value
// outside the table is kept (and copied unchanged into the install log) and treated as
// the comments say.

// REGIST / UNREGIST: how a file is registered after copying, and unregistered before
// the uninstaller deletes it. Any other value: not at all.
enum class Registration : int {
    None = 0,
    Server = 1,   // call DllRegisterServer (DllUnregisterServer)
    Program = 2,  // run the file with its parameters and check its exit code
};

// VERSIONCHECK: whether the copy action replaces a file that already exists. Any other
// value: always.
enum class ExistingFileRule : int {
    Replace = 0,
    ReplaceUnlessNewer = 1,  // only when the existing file's version is not newer
    Keep = 2,                // never
};

// DELETEONREBOOT: what happens when the existing file is in use and cannot be deleted.
// Any other non-zero value: as Replace.
enum class InUseRule : int {
    Fail = 0,             // the copy fails (the user is asked to retry, ignore or abort)
    Replace = 1,          // replaced now on the NT family, at the next restart elsewhere
    ReplaceOnNtOnly = 2,  // replaced on the NT family; elsewhere the old file stays
};

// SHARE: the uninstaller removes the files of one share group (1 and above) only when
// the user agrees, asked once for the group; 0 and below: not shared.
constexpr int kNeverRemovedShareGroup = 99;  // this group and above: never removed nor unregistered

// One file entry of a component, numbered from 1.
struct FileEntry {
    int number = 0;
    std::string file;
    std::string rename;
    std::string action = "copy";
    std::string exeParam;
    ExistingFileRule existingFile = ExistingFileRule::Replace;
    InUseRule fileInUse = InUseRule::Fail;
    Registration registration = Registration::None;
    std::string registrationParameters;                // Program only
    Registration unregistration = Registration::None;  // REGIST when the script does not say
    std::string unregistrationParameters;              // Program only
    // The exit codes accepted from a verb action or a registering program, both included.
    uint32_t acceptedExitMin = 1;
    uint32_t acceptedExitMax = 0x7fffffff;
    int shareGroup = 0;
    std::string shareComment;

    // "copy" and "none" compare without case; an empty action is "none".
    FileAction Kind() const;
    // The installed file's name: the rename, or the source text when that is empty.
    const std::string& InstalledName() const { return rename.empty() ? file : rename; }
    bool AcceptsExitCode(uint32_t code) const { return code >= acceptedExitMin && code <= acceptedExitMax; }
};

// SPECIAL: the folder a component's directory lies in. Any other value: the install
// folder.
enum class BaseFolder : int { InstallFolder = 0, Documents = 1, WindowsRoot = 2, Windows = 3, System = 4 };

// OS: on which platforms the install type page preselects a component. Any other
// value: as Any.
enum class PreselectPlatform : int { Any = 0, NtOnly = 1, OutsideNt = 2 };

struct Component {
    int number = 0;
    std::string name;
    std::string directory;
    bool isDefault = false;
    BaseFolder baseFolder = BaseFolder::InstallFolder;
    PreselectPlatform preselectOn = PreselectPlatform::Any;
    std::vector<FileEntry> files;  // entries 01 to count, empty sources included

    // Whether the install type page preselects it on this platform.
    bool Preselected(bool ntFamily) const;
};

struct Shortcut {
    int number = 0;
    std::string file;
    std::string description = "link";
    std::string param;
    std::string directory;  // start menu only
    bool startup = false;   // start menu only
};

struct UninstallOptions {
    bool log = false;
    bool uninstaller = false;
    bool uninstallEntry = false;  // register the uninstall entry (the folder page may change it)
    std::string logFile = "setup.ini";
    std::string exeFile = "setup.exe";
    std::string exeParam = "/UNINSTALL";
};

// OPTION1 / OPTION2: how the finish page offers to open a file. Any other value: as
// Unchecked.
enum class FinishOffer : int {
    Hidden = 0,     // no check box
    Checked = 1,    // the check box, ticked
    Unchecked = 2,  // the check box, not ticked
};

// One of the finish page's two offers to open a file at the end.
struct FinishOption {
    FinishOffer offer = FinishOffer::Hidden;
    std::string text;  // the check box's text
    std::string file = "README.TXT";
    std::string parameters;  // the first option has no parameter key: always empty
};

struct FinishOptions {
    std::string message;  // escapes already decoded
    FinishOption first;   // OPTION1, OPT1MES, OPT1FILE
    FinishOption second;  // OPTION2, OPT2MES, OPT2FILE, OPT2PARAM
};

struct SetupScript {
    Look look;
    Sequence sequence;
    LicensePage license;
    SelectTypePage selectType;
    TargetOptions target;
    std::vector<Component> components;  // always kComponentCount records
    std::vector<Shortcut> desktop;
    std::vector<Shortcut> startMenu;
    UninstallOptions uninstall;
    FinishOptions finish;
    bool uninstallSetup = false;  // UNINSTALLDESC/UNINSTALL_SETUP non-zero: the script is an install log
};

// Reads the whole script. `startShow` is the show state the program was started with.
// The texts with defaults in the code page (title font, page captions, button texts,
// finish texts) come from `defaults`, which the program fills from its string table.
struct ScriptDefaults {
    std::string titleFont;                         // string 7
    std::string signTitle = "FREEWARE Installer";  // string 6
    std::string licenseTitle;                      // string 8
    std::string licenseOk;                         // string 9
    std::string licenseCancel;                     // string 10
    std::string licenseFile = "license.txt";       // string 11
    std::string finishMessage;                     // "インストールが完了しました"
    std::string firstOptionText;                   // "追加情報を読む"
};
SetupScript ReadSetupScript(fw::Profile& script, int startShow, const ScriptDefaults& defaults);

// The defaults in code page 932, for the program and the tests.
ScriptDefaults JapaneseDefaults();

// A hex value as the script writes it: blanks, an optional sign, an optional "0x",
// hex digits up to the first other character; no digits give 0, more than 32 bits
// give 0xFFFFFFFF; a minus sign negates modulo 2^32 (the C runtime's strtoul).
uint32_t ParseHex(const std::string& text);

// The finish message's escapes: "\n", "\r", "\t" in either letter case; a backslash
// before any other character (or at the end) is dropped. Double-byte characters are
// kept whole.
std::string DecodeMessage(const std::string& text);

// The default install folder: the Windows directory's drive part up to its first "\",
// then "\" BASENAME "\" DIRNAME.
std::string DefaultInstallFolder(const std::string& windowsDirectory, const TargetOptions& target);

}  // namespace installer
