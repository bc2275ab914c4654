// The settings dialog (dialog 138, command 32783) without its window: the members it
// starts from, the checks of OK and what OK writes to the profile.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/profile_settings.h"

namespace app {

// The controls of the settings dialog that take the focus after a failed check.
constexpr int kCacheSizeEdit = 1013;
constexpr int kCacheOutEdit = 1014;

// The ranges OK enforces.
constexpr int kCacheSizeMin = 8;
constexpr int kCacheSizeMax = 94;
constexpr int kCacheOutMin = 2;
constexpr int kCacheOutMax = 64;

// The dialog's eight members, in exchange order; check boxes are 0 or 1.
struct SettingsValues {
    int confirmClear = 0;
    int confirmFolder = 0;
    int cacheSize = 0;
    int cacheOut = 0;
    int subfolders = 0;
    int currentFolder = 0;
    int keepPosition = 0;
    int noLayoutSaving = 0;
    bool operator==(const SettingsValues&) const = default;
};

// What the controls hold when OK is pressed.
struct SettingsFields {
    bool confirmClear = false;
    bool confirmFolder = false;
    std::wstring cacheSize;
    std::wstring cacheOut;
    bool subfolders = false;
    bool currentFolder = false;
    bool keepPosition = false;
    bool noLayoutSaving = false;
};

// The outcome of OK: either the dialog closes with `values`, or `message` is shown
// with `flags` and the dialog stays open, the focus on `focusControl` (0: unchanged).
struct SettingsCheck {
    bool ok = false;
    SettingsValues values;
    std::wstring message;
    unsigned flags = 0;
    int focusControl = 0;
};

// The checks of OK in exchange order: cache size an integer ("整数を入力してください。")
// within 8 to 94 ("%1 から %2 までの整数を入力してください。" filled in), then cache out
// the same within 2 to 64 (both with the exclamation icon and the focus on the edit);
// then cache out must be below cache size ("保持枠再利用単位は画像保持数よりも少なく
// なければなりません", no icon, the focus on the cache out edit).
SettingsCheck ValidateSettings(const SettingsFields& fields);

// The members as the dialog starts with them.
SettingsValues ReadSettings(const ProfileSettings& settings);

// One profile write of OK.
struct SettingsWrite {
    IntSetting setting;
    int value;
};

// What OK writes: the two cache keys only when either value differs from what was
// read (the caller then applies the cache sizes and refreshes every list), then the
// six other keys every time, in their fixed order.
struct SettingsPlan {
    std::vector<SettingsWrite> cacheWrites;
    std::vector<SettingsWrite> writes;
};
SettingsPlan PlanSettingsWrites(const SettingsValues& read, const SettingsValues& accepted);

// Performs the writes of a list in order; failed writes are not reported.
void WriteSettings(const ProfileSettings& settings, const std::vector<SettingsWrite>& writes);

}  // namespace app
