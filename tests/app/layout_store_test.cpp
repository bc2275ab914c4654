#include <gtest/gtest.h>

#include <climits>

#include "app/layout_store.h"
#include "tests/support/memory_profile.h"

namespace {

using app::ProfileRect;
using app::WindowRect;

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
    const struct {
        int list, show;
        ProfileRect rect;
    } expected[] = {{1, 6, {400, 0, 480, 100}}, {2, 1, {400, 160, 480, 260}}, {3, 1, {20, 10, 100, 110}}};
    for (const auto& e : expected) {
        EXPECT_EQ(e.show, layout.show[static_cast<size_t>(e.list)]) << e.list;
        EXPECT_EQ(e.rect, layout.lists[static_cast<size_t>(e.list)]) << e.list;
    }
    EXPECT_EQ((ProfileRect{6, 5, 506, 705}), layout.main);
    EXPECT_EQ(260, Int("ALLIGN_03", "W02right"));
    EXPECT_EQ(506, Int("ALLIGN_03", "bottom"));
    EXPECT_FALSE(profile.Has("ALLIGN_03", "W01show"));
}

TEST(SanitizeLayout, KeepsEveryWindowReachable)
{
    const struct {
        ProfileRect stored, expected;
    } cases[] = {
        {{10, 20, 160, 200}, {10, 20, 160, 200}},        // sound: unchanged
        {{160, 200, 10, 20}, {10, 20, 160, 200}},        // inverted
        {{10, 20, 10, 20}, {10, 20, 42, 52}},            // empty: minimum size
        {{-500, 5000, -400, 5100}, {0, 768, 100, 868}},  // far off: an edge comes back
        {{700, -300, 800, -100}, {568, -168, 668, 32}},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, -16352, 16384, 32}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, app::SanitizeRect(c.stored, WindowRect{0, 0, 800, 600})) << c.stored.top;
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

}  // namespace
