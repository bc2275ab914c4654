// The frame's window-free logic: the command line, the profile's keys and the settings
// form, the working and named layouts, tiling.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "app/command_line.h"
#include "app/layout_store.h"
#include "app/profile_settings.h"
#include "app/settings_form.h"
#include "app/tile.h"
#include "tests/support/memory_profile.h"
#include "tests/support/scripted_prompts.h"

namespace {

using app::ProfileRect;
using app::WindowRect;
using testing_support::Utf8;

using Tokens = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndQuotesIntoAtMost64Paths)
{
    const std::string longest(259, 'x');
    std::string many;  // empty tokens in between do not count
    Tokens first64;
    for (int i = 0; i < 70; ++i) {
        many += "\"\" f" + std::to_string(i) + " ";
        if (i < 64)
            first64.push_back("f" + std::to_string(i));
    }
    const std::pair<std::string, Tokens> cases[] = {
        {"", {}},
        {" \t ", {}},
        {"a.jpg  \tb.jpg", {"a.jpg", "b.jpg"}},
        {"\"C:\\My Pictures\" x", {"C:\\My Pictures", "x"}},
        {"\"\" a \"\"", {"a"}},
        {"a \"C:\\open folder", {"a", "C:\\open folder"}},
        {"\"q\"r s", {"q", "r", "s"}},  // the closing quote ends the token
        {"x\"y z", {"x\"y", "z"}},
        {longest + " " + longest + "y z", {longest, "z"}},  // too long: skipped, never cut
        {many, first64},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(expected, app::SplitCommandLine(text)) << text.substr(0, 40);
}

TEST(ProfileSettings, KeysAndTheValuesTheyDefaultTo)
{
    EXPECT_EQ("ALLIGN_05 ALLIGN_100 ID123",
              app::LayoutSection(5) + " " + app::LayoutSection(100) + " " + app::LayoutIdKey(123));

    testing_support::MemoryProfile profile;
    const app::ProfileSettings s(profile);
    EXPECT_EQ(std::make_pair(1, 0),
              std::make_pair(app::WideDropNames(true, profile), app::WideDropNames(false, profile)));
    lists::ListOptions options = app::ListStartOptions(s, "C:\\work");
    EXPECT_TRUE(!options.subfolders && options.lastFolder.empty());
    EXPECT_EQ(0u, profile.Size());  // reading writes nothing

    profile.WriteInt("LAYOUT", "COUNT", 4);
    EXPECT_EQ(4, s.LayoutLastId());  // defaults to the number of layouts
    profile.WriteInt("shell", "USEWIDECHAR", 1);
    profile.WriteInt("LOADFOLDER", "SUBDIR", 1);
    profile.WriteInt("LOADFOLDER", "USECURRENT", 1);
    EXPECT_EQ(1, app::WideDropNames(false, profile));
    options = app::ListStartOptions(s, "C:\\work");
    EXPECT_TRUE(options.subfolders && options.lastFolder == "C:\\work");
}

TEST(ProfileSettings, ProgramFilesReplaceTheExtensionOfTheFileNameOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a.b\\prog", "C:\\a.b\\prog"},
        {"C:\\dir\\prog.x.exe", "C:\\dir\\prog.x"},
        {"C:\\\x95\x5C.d\\\x83\x5C.exe", "C:\\\x95\x5C.d\\\x83\x5C"},  // 0x5C trail bytes
        {"C:\\\x95\x5C.d\\\x83\x5C", "C:\\\x95\x5C.d\\\x83\x5C"},
        {"prog.exe", "prog"},
    };
    for (auto [program, base] : cases) {
        EXPECT_EQ(std::string(base) + ".ini", app::ProgramFilesFor(program).profile) << program;
        EXPECT_EQ(std::string(base) + ".chm", app::ProgramFilesFor(program).help) << program;
    }
}

TEST(SettingsForm, CacheFieldsAreCheckedInExchangeOrder)
{
    const wchar_t* const notInteger = L"整数を入力してください。";
    const wchar_t* const sizeRange = L"8 から 94 までの整数を入力してください。";
    const wchar_t* const outRange = L"2 から 64 までの整数を入力してください。";
    const wchar_t* const outBelowSize = L"保持枠再利用単位は画像保持数よりも少なくなければなりません";
    constexpr int kSize = app::kCacheSizeEdit, kOut = app::kCacheOutEdit;
    // The cache size and out fields; the message (null: accepted) and the control focused.
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, int> cases[] = {
        {L"94", L"64", nullptr, 0},
        {L" 8 ", L"\t2", nullptr, 0},
        {L"+48", L"8", nullptr, 0},
        {L"95", L"2", sizeRange, kSize},
        {L"7", L"x", sizeRange, kSize},
        {L"-8", L"2", sizeRange, kSize},
        {L"99999999999", L"2", sizeRange, kSize},
        {L"", L"2", notInteger, kSize},
        {L"4 8", L"2", notInteger, kSize},
        {L"48", L"1", outRange, kOut},
        {L"48", L"65", outRange, kOut},
        {L"48", L"2.5", notInteger, kOut},
        {L"10", L"10", outBelowSize, kOut},
        {L"10", L"64", outBelowSize, kOut},
    };
    for (const auto& [size, out, message, focus] : cases) {
        SCOPED_TRACE(Utf8(size) + "/" + Utf8(out));
        const app::SettingsCheck check = app::ValidateSettings(app::SettingsFields{false, false, size, out});
        const bool exclamation = message && message != outBelowSize;
        EXPECT_EQ(std::make_tuple(message == nullptr, focus, std::wstring(message ? message : L""),
                                  exclamation ? unsigned{fw::kMbIconExclamation} : 0u),
                  std::make_tuple(check.ok, check.focusControl, check.message, check.flags));
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

class LayoutStoreTest : public ::testing::Test {
protected:
    int Int(const char* section, const char* key) { return profile.GetInt(section, key, -999); }

    testing_support::MemoryProfile profile;
    app::ProfileSettings settings{profile};
};

TEST_F(LayoutStoreTest, MissingKeysGiveTheGridWithEdgesFromTheValuesRead)
{
    profile.WriteInt("WINDOWSTYLE", "WIDTH", 0);  // hand-edited: the default cell stays
    profile.WriteInt("ALLIGN_DEFAULT", "W05top", 400);
    profile.WriteInt("ALLIGN_DEFAULT", "W05right", 900);
    profile.WriteInt("ALLIGN_DEFAULT", "W06top", INT_MAX);  // no room for a default bottom
    const app::WorkingLayout layout = app::ReadWorkingLayout(settings);
    const std::pair<int, ProfileRect> cases[] = {
        {0, {0, 0, 150, 180}},      {5, {400, 180, 550, 900}}, {6, {INT_MAX, 360, INT_MAX, 540}},
        {11, {300, 540, 450, 720}}, {12, {15, 15, 165, 195}},  {35, {330, 570, 480, 750}}};
    for (const auto& [list, rect] : cases)
        EXPECT_EQ(rect, layout.lists[static_cast<size_t>(list)]) << list;
    EXPECT_EQ(app::kDefaultMainRect, layout.main);
    EXPECT_EQ(1, layout.show[0]);
}

TEST_F(LayoutStoreTest, SavedLayoutKeepsMinimisedWindowsAtTheirIconsAndCopiesWithoutShowKeys)
{
    std::array<app::ListPlacement, lists::kListCount> placements;
    const WindowRect normal{10, 20, 110, 100};
    placements.fill({app::kShowNormal, normal, 0, 0});
    placements[1] = {app::kShowMinimized, normal, 0, 400};
    placements[2] = {app::kShowMinNoActive, normal, 160, 400};
    placements[3] = {3 /* SW_SHOWMAXIMIZED */, normal, 0, 0};
    app::SaveWorkingLayout(settings, placements, WindowRect{5, 6, 705, 506});
    app::CopyLayout(settings, "ALLIGN_DEFAULT", "ALLIGN_03");

    const app::WorkingLayout layout = app::ReadWorkingLayout(settings);
    const std::tuple<size_t, int, ProfileRect> expected[] = {
        {1, 6, {400, 0, 480, 100}}, {2, 1, {400, 160, 480, 260}}, {3, 1, {20, 10, 100, 110}}};
    for (const auto& [list, show, rect] : expected)
        EXPECT_EQ(std::make_pair(show, rect), std::make_pair(layout.show[list], layout.lists[list])) << list;
    EXPECT_EQ((ProfileRect{6, 5, 506, 705}), layout.main);
    EXPECT_EQ(260, Int("ALLIGN_03", "W02right"));
    EXPECT_EQ(506, Int("ALLIGN_03", "bottom"));
    EXPECT_FALSE(profile.Has("ALLIGN_03", "W01show"));
}

TEST(SanitizeLayout, KeepsEveryWindowReachable)
{
    const std::pair<ProfileRect, ProfileRect> cases[] = {
        {{10, 20, 160, 200}, {10, 20, 160, 200}},        // sound: unchanged
        {{160, 200, 10, 20}, {10, 20, 160, 200}},        // inverted
        {{10, 20, 10, 20}, {10, 20, 42, 52}},            // empty: minimum size
        {{-500, 5000, -400, 5100}, {0, 768, 100, 868}},  // far off: an edge comes back
        {{700, -300, 800, -100}, {568, -168, 668, 32}},
        {{-20, -50, 130, 150}, {-20, -50, 130, 150}},  // title bar partly in reach: stays
        {{-32, 20, 118, 200}, {0, 20, 150, 200}},      // title bar wholly above: back
        {{10, -200, 160, 0}, {10, -168, 160, 32}},     // wholly left of the area: back
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, -16352, 16384, 32}},
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(expected, app::SanitizeRect(stored, WindowRect{0, 0, 800, 600})) << stored.top;
    const std::pair<int, int> shows[] = {{6, 6}, {1, 1}, {2, 1}, {0, 1}};
    for (auto [stored, applied] : shows)
        EXPECT_EQ(applied, app::SanitizeShow(stored));
}

TEST_F(LayoutStoreTest, NamedLayoutsKeepListOrderAndNeverReuseAnId)
{
    const app::NamedLayout b{"b", app::NewLayoutId(settings)};
    const app::NamedLayout a{"a", app::NewLayoutId(settings)};
    app::WriteLayoutList(settings, {a, b});  // the dialog's list box sorts by name
    EXPECT_EQ((std::vector<app::NamedLayout>{{"a", 2}, {"b", 1}}), app::ReadLayoutList(settings));
    EXPECT_EQ(2, Int("LAYOUT", "COUNT"));
    app::WriteLayoutList(settings, {b});  // deleting a
    EXPECT_EQ((std::vector<app::NamedLayout>{b}), app::ReadLayoutList(settings));
    EXPECT_EQ(3, app::NewLayoutId(settings));

    profile.WriteInt("LAYOUT", "COUNT", 101);  // hand-edited: defaults, three-digit keys
    profile.WriteString("LAYOUT", "NAME100", "last");
    const std::vector<app::NamedLayout> list = app::ReadLayoutList(settings);
    ASSERT_EQ(101u, list.size());
    EXPECT_EQ((app::NamedLayout{"NAME05", 5}), list[5]);
    EXPECT_EQ((app::NamedLayout{"last", 100}), list[100]);
    profile.WriteInt("LAYOUT", "COUNT", -3);
    EXPECT_TRUE(app::ReadLayoutList(settings).empty());
    profile.WriteInt("LAYOUT", "LASTID", INT_MAX);
    EXPECT_EQ(INT_MAX, app::NewLayoutId(settings));
    EXPECT_EQ(INT_MAX, Int("LAYOUT", "LASTID"));
}

TEST(Tile, FillsRowsSkippingMinimisedWindowsAndRestartsShiftedByTheCaption)
{
    const struct {
        int clientWidth, clientHeight, size;  // windows of size x 3/4 size
        std::vector<size_t> minimized;
        int firstWrap;
        std::vector<std::tuple<size_t, int, WindowRect>> expected;  // placement index, list, rectangle
    } cases[] = {
        // Three in a row: the fourth would end at 800.
        {650, 10000, 200, {}, 2, {{2, 2, {400, 0, 600, 150}}, {3, 3, {0, 150, 200, 300}}}},
        {650, 10000, 200, {0, 4}, 3, {{3, 5, {0, 150, 200, 300}}}},
        // A third row would be more than half hidden below 350.
        {450, 350, 200, {}, 1, {{4, 4, {20, 20, 220, 170}}, {8, 8, {40, 40, 240, 190}}}},
        // Sizes are held within 1 to kMaxExtent.
        {650, 480, -5, {}, -1, {{35, 35, {35, 0, 36, 1}}}},
        {650, 480, 2000000000, {}, 0, {{35, 35, {700, 700, 700 + app::kMaxExtent, 700 + app::kMaxExtent}}}},
    };
    for (const auto& c : cases) {
        const int height = c.size > 0 && c.size < 1000 ? c.size * 3 / 4 : c.size;
        app::TileInput input{c.clientWidth, c.clientHeight, c.size, height, 20, {}};
        for (size_t list : c.minimized)
            input.minimized[list] = true;
        const app::TilePlacement plan = app::PlanTile(input);
        ASSERT_EQ(36 - c.minimized.size(), plan.placed.size()) << c.size;
        EXPECT_EQ(c.firstWrap, plan.firstWrap) << c.size;
        for (const auto& [index, list, rect] : c.expected)
            EXPECT_EQ(std::make_pair(list, rect), plan.placed[index]) << index;
    }
}

}  // namespace
