#include <gtest/gtest.h>

#include "app/settings_form.h"
#include "framework/core/field_text.h"
#include "framework/core/prompts.h"
#include "tests/support/memory_profile.h"
#include "tests/support/scripted_prompts.h"

namespace {

using testing_support::Utf8;

TEST(SettingsForm, CacheFieldsAreCheckedInExchangeOrder)
{
    const char* const notInteger = "整数を入力してください。";
    const char* const sizeRange = "8 から 94 までの整数を入力してください。";
    const char* const outRange = "2 から 64 までの整数を入力してください。";
    const char* const outBelowSize = "保持枠再利用単位は画像保持数よりも少なくなければなりません";
    const struct {
        const wchar_t *size, *out;
        const char* message;  // null: accepted
        int focus;
    } cases[] = {
        {L"94", L"64", nullptr, 0},
        {L" 8 ", L"\t2", nullptr, 0},
        {L"+48", L"8", nullptr, 0},
        {L"95", L"2", sizeRange, app::kCacheSizeEdit},
        {L"7", L"x", sizeRange, app::kCacheSizeEdit},
        {L"-8", L"2", sizeRange, app::kCacheSizeEdit},
        {L"99999999999", L"2", sizeRange, app::kCacheSizeEdit},
        {L"", L"2", notInteger, app::kCacheSizeEdit},
        {L"4 8", L"2", notInteger, app::kCacheSizeEdit},
        {L"48", L"1", outRange, app::kCacheOutEdit},
        {L"48", L"65", outRange, app::kCacheOutEdit},
        {L"48", L"2.5", notInteger, app::kCacheOutEdit},
        {L"10", L"10", outBelowSize, app::kCacheOutEdit},
        {L"10", L"64", outBelowSize, app::kCacheOutEdit},
    };
    for (const auto& c : cases) {
        app::SettingsFields fields;
        fields.cacheSize = c.size;
        fields.cacheOut = c.out;
        fields.confirmFolder = fields.noLayoutSaving = true;
        const app::SettingsCheck check = app::ValidateSettings(fields);
        const std::string which = Utf8(c.size) + "/" + Utf8(c.out);
        EXPECT_EQ(c.message == nullptr, check.ok) << which;
        EXPECT_EQ(c.focus, check.focusControl) << which;
        if (!c.message)
            continue;
        EXPECT_EQ(c.message, Utf8(check.message)) << which;
        const unsigned icon = c.message == outBelowSize ? 0u : unsigned{fw::kMbIconExclamation};
        EXPECT_EQ(icon, check.flags) << which;
    }
    app::SettingsFields fields;
    fields.cacheSize = L"48";
    fields.cacheOut = L"8";
    fields.confirmClear = fields.keepPosition = true;
    const app::SettingsValues expected{1, 0, 48, 8, 0, 0, 1, 0};
    EXPECT_EQ(expected, app::ValidateSettings(fields).values);
}

// Records the order of integer writes.
class RecordingProfile final : public fw::Profile {
public:
    int GetInt(const char* section, const char* key, int defaultValue) override
    {
        return values.GetInt(section, key, defaultValue);
    }
    std::string GetString(const char* section, const char* key, const std::string& defaultValue) override
    {
        return values.GetString(section, key, defaultValue);
    }
    bool WriteInt(const char* section, const char* key, int value) override
    {
        writes.push_back(std::string(section) + "/" + key + "=" + std::to_string(value));
        return values.WriteInt(section, key, value);
    }
    bool WriteString(const char* section, const char* key, const std::string& value) override
    {
        return values.WriteString(section, key, value);
    }
    testing_support::MemoryProfile values;
    std::vector<std::string> writes;
};

TEST(SettingsForm, OkWritesCacheKeysOnlyWhenChangedThenTheSixOthers)
{
    RecordingProfile profile;
    const app::ProfileSettings settings(profile);
    const app::SettingsValues read = app::ReadSettings(settings);
    EXPECT_EQ((app::SettingsValues{0, 1, 48, 8, 0, 0, 0, 0}), read);

    const std::vector<std::string> six = {"CONFIRM/CLEARLIST=1", "CONFIRM/DROPFOLDER=0",
                                          "LOADFOLDER/SUBDIR=1", "LOADFOLDER/USECURRENT=0",
                                          "LAYOUT/NOSAVE=1",     "LAYOUT/NOMOVE=0"};
    app::SettingsValues accepted{1, 0, 48, 8, 1, 0, 0, 1};
    const struct {
        int cacheSize, cacheOut;
        std::vector<std::string> cacheWrites;
    } cases[] = {
        {48, 8, {}},
        {48, 9, {"CACHE/CACHESIZE=48", "CACHE/CACHEOUT=9"}},
        {64, 8, {"CACHE/CACHESIZE=64", "CACHE/CACHEOUT=8"}},
    };
    for (const auto& c : cases) {
        accepted.cacheSize = c.cacheSize;
        accepted.cacheOut = c.cacheOut;
        const app::SettingsPlan plan = app::PlanSettingsWrites(read, accepted);
        profile.writes.clear();
        app::WriteSettings(settings, plan.cacheWrites);
        EXPECT_EQ(c.cacheWrites, profile.writes);
        profile.writes.clear();
        app::WriteSettings(settings, plan.writes);
        EXPECT_EQ(six, profile.writes);
    }
}

}  // namespace
