// Every setting of the sorter's profile (the INI file beside the program, or in the
// user's roaming application data when the program's folder refuses writes): sections,
// keys and defaults in one table, with typed accessors over fw::Profile.
#pragma once

#include <functional>
#include <string>

#include "framework/core/codepage.h"
#include "framework/core/filesystem.h"
#include "framework/core/profile.h"
#include "lists/list_model.h"

namespace app {

// One integer setting with a fixed key.
struct IntSetting {
    const char* section;
    const char* key;
    int defaultValue;
};

namespace settings {
// `shell`/`USEWIDECHAR`: its default depends on the platform (see WideDropNames).
inline constexpr IntSetting kUseWideChar{"shell", "USEWIDECHAR", 1};
inline constexpr IntSetting kConfirmClearList{"CONFIRM", "CLEARLIST", 0};
inline constexpr IntSetting kConfirmDropFolder{"CONFIRM", "DROPFOLDER", 1};
inline constexpr IntSetting kLoadSubfolders{"LOADFOLDER", "SUBDIR", 0};
inline constexpr IntSetting kLoadUseCurrent{"LOADFOLDER", "USECURRENT", 0};
inline constexpr IntSetting kCacheSize{"CACHE", "CACHESIZE", 48};  // 8 to 94
inline constexpr IntSetting kCacheOut{"CACHE", "CACHEOUT", 8};     // 2 to 64, below CACHESIZE
inline constexpr IntSetting kLayoutNoSave{"LAYOUT", "NOSAVE", 0};
inline constexpr IntSetting kLayoutNoMove{"LAYOUT", "NOMOVE", 0};
inline constexpr IntSetting kLayoutCount{"LAYOUT", "COUNT", 0};
inline constexpr IntSetting kWindowWidth{"WINDOWSTYLE", "WIDTH", 180};
inline constexpr IntSetting kWindowHeight{"WINDOWSTYLE", "HEIGHT", 150};

// Every fixed-key integer setting, for iteration.
inline constexpr IntSetting kFixed[] = {
    kUseWideChar, kConfirmClearList, kConfirmDropFolder, kLoadSubfolders, kLoadUseCurrent, kCacheSize,
    kCacheOut,    kLayoutNoSave,     kLayoutNoMove,      kLayoutCount,    kWindowWidth,    kWindowHeight};

inline constexpr const char* kLayoutSection = "LAYOUT";
inline constexpr const char* kLayoutLastIdKey = "LASTID";  // default: the COUNT value
inline constexpr const char* kWorkingLayoutSection = "ALLIGN_DEFAULT";

// Fields of a rectangle key, and the show key of the working layout.
inline constexpr const char* kTop = "top";
inline constexpr const char* kLeft = "left";
inline constexpr const char* kBottom = "bottom";
inline constexpr const char* kRight = "right";
inline constexpr const char* kShow = "show";
}  // namespace settings

// A rectangle as the layout keys hold it.
struct ProfileRect {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    bool operator==(const ProfileRect&) const = default;
};

// The main window's rectangle when the profile has none: 0, 0, 480, 640.
inline constexpr ProfileRect kDefaultMainRect{0, 0, 480, 640};

// "NAME%02d", "ID%02d" (a position of 100 or more gives three digits).
std::string LayoutNameKey(int position);
std::string LayoutIdKey(int position);
// "ALLIGN_%02d" for a named layout's id.
std::string LayoutSection(int layoutId);
// "W%02d" + field, for example W07left.
std::string ListWindowKey(int listNumber, const char* field);

// Typed reads and writes of the table above. Reads never write; failed writes are
// returned, and the program ignores them.
class ProfileSettings {
public:
    explicit ProfileSettings(fw::Profile& profile) : profile_(profile) {}

    int Get(const IntSetting& setting) const;
    bool Set(const IntSetting& setting, int value) const;
    bool GetFlag(const IntSetting& setting) const { return Get(setting) != 0; }

    // `LAYOUT`/`LASTID`, defaulting to the number of named layouts.
    int LayoutLastId() const;
    // `LAYOUT`/`NAMEnn` (default: the key's own name) and `LAYOUT`/`IDnn` (default nn).
    std::string LayoutName(int position) const;
    int LayoutId(int position) const;

    // A rectangle under `section`, keys prefixed by `prefix` ("" for the main window,
    // "W07" for a list window), with the given default.
    ProfileRect GetRect(const char* section, const std::string& prefix, const ProfileRect& fallback) const;
    bool SetRect(const char* section, const std::string& prefix, const ProfileRect& rect) const;
    // `ALLIGN_DEFAULT`/`Wnnshow`: 6 minimised, 1 normal (default).
    int ListWindowShow(int listNumber) const;

    fw::Profile& Profile() const { return profile_; }

private:
    fw::Profile& profile_;
};

// A list window's start settings: its load condition's sub-folder box from
// LOADFOLDER/SUBDIR, its last folder the current directory when LOADFOLDER/USECURRENT
// is set (else empty).
lists::ListOptions ListStartOptions(const ProfileSettings& settings, const std::string& currentDirectory);

// The start value of the process's "wide drop names": 1 on the Windows NT platform,
// else 0, then replaced by `shell`/`USEWIDECHAR` when the key is present.
int WideDropNames(bool ntPlatform, fw::Profile& profile);

// Where the program's profile and help file live: the program path with the extension
// of its file name replaced (C:\a.b\prog -> C:\a.b\prog.ini and C:\a.b\prog.chm).
struct ProgramFiles {
    std::string profile;
    std::string help;
};
ProgramFiles ProgramFilesFor(const std::string& programPath,
                             const fw::CodePage& codePage = fw::SystemCodePage());

// What choosing the profile's place asks of the system.
struct ProfilePlaceHost {
    fw::FileSystem& files;
    // The user's roaming application data folder; empty when the system names none.
    std::wstring roamingFolder;
    // The short (8.3) form of an existing path; empty when it has none.
    std::function<std::wstring(const std::wstring&)> shortPath;
};

// The folder under the roaming application data that holds the profile.
inline constexpr char kRoamingProfileFolder[] = "Lumsor20";

// The profile beside the program (`besideProgram`) when that file can be written: its
// folder takes a new file and the file itself is not read-only. Else the file of the
// same name in kRoamingProfileFolder of the roaming application data, first made as a
// writable copy of the one beside the program when that exists, so a read-only default
// still applies. A roaming folder the code page cannot name is taken by its short form.
// When no other place can be had the profile stays beside the program.
std::string ChooseProfilePath(const std::string& besideProgram, const ProfilePlaceHost& host,
                              const fw::CodePage& codePage = fw::SystemCodePage());

}  // namespace app
