#include "app/settings_form.h"

#include <cstdint>

#include "framework/core/field_text.h"
#include "framework/core/prompts.h"

namespace app {

namespace {

const wchar_t kNotInteger[] = L"整数を入力してください。";
const wchar_t kCacheOutNotBelowSize[] = L"保持枠再利用単位は画像保持数よりも少なくなければなりません";

std::wstring RangeMessage(int minimum, int maximum)
{
    return std::to_wstring(minimum) + L" から " + std::to_wstring(maximum) +
           L" までの整数を入力してください。";
}

// One edit of the cache group: false with the message and focus set when it fails.
bool CheckNumber(const std::wstring& text, int minimum, int maximum, int control, int& value,
                 SettingsCheck& check)
{
    if (!fw::ParseIntegerText(text, value))
        check.message = kNotInteger;
    else if (value < minimum || value > maximum)
        check.message = RangeMessage(minimum, maximum);
    else
        return true;
    check.flags = fw::kMbOk | fw::kMbIconExclamation;
    check.focusControl = control;
    return false;
}

}  // namespace

SettingsCheck ValidateSettings(const SettingsFields& fields)
{
    SettingsCheck check;
    SettingsValues& v = check.values;
    v.confirmClear = fields.confirmClear ? 1 : 0;
    v.confirmFolder = fields.confirmFolder ? 1 : 0;
    if (!CheckNumber(fields.cacheSize, kCacheSizeMin, kCacheSizeMax, kCacheSizeEdit, v.cacheSize, check) ||
        !CheckNumber(fields.cacheOut, kCacheOutMin, kCacheOutMax, kCacheOutEdit, v.cacheOut, check))
        return check;
    v.subfolders = fields.subfolders ? 1 : 0;
    v.currentFolder = fields.currentFolder ? 1 : 0;
    v.keepPosition = fields.keepPosition ? 1 : 0;
    v.noLayoutSaving = fields.noLayoutSaving ? 1 : 0;
    if (v.cacheOut >= v.cacheSize) {
        check.message = kCacheOutNotBelowSize;
        check.flags = fw::kMbOk;
        check.focusControl = kCacheOutEdit;
        return check;
    }
    check.ok = true;
    return check;
}

SettingsValues ReadSettings(const ProfileSettings& settings)
{
    SettingsValues v;
    v.confirmClear = settings.Get(settings::kConfirmClearList);
    v.confirmFolder = settings.Get(settings::kConfirmDropFolder);
    v.subfolders = settings.Get(settings::kLoadSubfolders);
    v.currentFolder = settings.Get(settings::kLoadUseCurrent);
    v.keepPosition = settings.Get(settings::kLayoutNoMove);
    v.noLayoutSaving = settings.Get(settings::kLayoutNoSave);
    v.cacheSize = settings.Get(settings::kCacheSize);
    v.cacheOut = settings.Get(settings::kCacheOut);
    return v;
}

SettingsPlan PlanSettingsWrites(const SettingsValues& read, const SettingsValues& accepted)
{
    SettingsPlan plan;
    if (accepted.cacheSize != read.cacheSize || accepted.cacheOut != read.cacheOut)
        plan.cacheWrites = {{settings::kCacheSize, accepted.cacheSize},
                            {settings::kCacheOut, accepted.cacheOut}};
    plan.writes = {
        {settings::kConfirmClearList, accepted.confirmClear},
        {settings::kConfirmDropFolder, accepted.confirmFolder},
        {settings::kLoadSubfolders, accepted.subfolders},
        {settings::kLoadUseCurrent, accepted.currentFolder},
        {settings::kLayoutNoSave, accepted.noLayoutSaving},
        {settings::kLayoutNoMove, accepted.keepPosition},
    };
    return plan;
}

void WriteSettings(const ProfileSettings& settings, const std::vector<SettingsWrite>& writes)
{
    for (const SettingsWrite& write : writes)
        settings.Set(write.setting, write.value);
}

}  // namespace app
