#include <gtest/gtest.h>

#include "app/settings_form.h"
#include "tests/support/memory_profile.h"
#include "tests/support/scripted_prompts.h"

namespace {

using testing_support::Utf8;

TEST(SettingsForm, CacheFieldsAreCheckedInExchangeOrder)
{
    const wchar_t* const notInteger = L"整数を入力してください。";
    const wchar_t* const sizeRange = L"8 から 94 までの整数を入力してください。";
    const wchar_t* const outRange = L"2 から 64 までの整数を入力してください。";
    const wchar_t* const outBelowSize = L"保持枠再利用単位は画像保持数よりも少なくなければなりません";
    const struct {
        const wchar_t *size, *out;
        const wchar_t* message;  // null: accepted
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
        SCOPED_TRACE(Utf8(c.size) + "/" + Utf8(c.out));
        const app::SettingsCheck check =
            app::ValidateSettings(app::SettingsFields{false, false, c.size, c.out});
        EXPECT_EQ(c.message == nullptr, check.ok);
        EXPECT_EQ(c.focus, check.focusControl);
        EXPECT_EQ(c.message ? c.message : L"", check.message);
        const bool exclamation = c.message && c.message != outBelowSize;
        EXPECT_EQ(exclamation ? unsigned{fw::kMbIconExclamation} : 0u, check.flags);
    }
    for (const int on : {0, 1}) {
        const int off = 1 - on;
        const app::SettingsFields fields{on == 1, off == 1, L"48",   L"8",
                                         on == 1, off == 1, on == 1, off == 1};
        EXPECT_EQ((app::SettingsValues{on, off, 48, 8, on, off, on, off}),
                  app::ValidateSettings(fields).values);
    }
}

TEST(SettingsForm, OkWritesTheCacheKeysOnlyWhenChangedAndTheOthersEveryTime)
{
    testing_support::MemoryProfile profile;
    const app::ProfileSettings settings(profile);
    const app::SettingsValues read = app::ReadSettings(settings);
    EXPECT_EQ((app::SettingsValues{0, 1, 48, 8, 0, 0, 0, 0}), read);
    const std::pair<int, int> cases[] = {{48, 8}, {48, 9}, {64, 8}};  // cache size and out
    for (auto [size, out] : cases) {
        const app::SettingsValues accepted{1, 0, size, out, 1, 0, 0, 1};
        const app::SettingsPlan plan = app::PlanSettingsWrites(read, accepted);
        EXPECT_EQ(size == 48 && out == 8 ? 0u : 2u, plan.cacheWrites.size()) << size << "/" << out;
        EXPECT_EQ(6u, plan.writes.size());
        app::WriteSettings(settings, plan.cacheWrites);
        app::WriteSettings(settings, plan.writes);
        EXPECT_EQ(accepted, app::ReadSettings(settings));
    }
}

}  // namespace
