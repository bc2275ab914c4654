#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "app/layout_store.h"
#include "framework/core/memory_profile.h"

namespace {

using app::ProfileRect;
using app::WindowRect;

class LayoutStoreTest : public ::testing::Test {
protected:
    int Int(const char* section, const std::string& key)
    {
        return profile.GetInt(section, key.c_str(), -999);
    }

    fw::MemoryProfile profile;
    app::ProfileSettings settings{profile};
};

TEST(DefaultGrid, FillsFourByThreeCellsAndShiftsEachGroupOf12)
{
    const std::pair<int, WindowRect> cases[] = {{0, {0, 0, 180, 150}},
                                                {5, {180, 150, 360, 300}},
                                                {11, {540, 300, 720, 450}},
                                                {12, {15, 15, 195, 165}},
                                                {35, {570, 330, 750, 480}}};
    for (const auto& [list, rect] : cases)
        EXPECT_EQ(rect, app::DefaultGridRect(list, 180, 150)) << list;
}

TEST_F(LayoutStoreTest, MissingEdgesDefaultFromTheEdgesRead)
{
    profile.WriteInt("ALLIGN_DEFAULT", "W05top", 400);
    profile.WriteInt("ALLIGN_DEFAULT", "W05right", 900);
    EXPECT_EQ((ProfileRect{400, 180, 550, 900}), app::ReadListRect(settings, "ALLIGN_DEFAULT", 5, 180, 150));
}

TEST_F(LayoutStoreTest, WorkingLayoutRoundTripsWithMinimisedWindowsAtTheirIcons)
{
    std::array<app::ListPlacement, lists::kListCount> placements;
    for (int i = 0; i < lists::kListCount; ++i)
        placements[static_cast<size_t>(i)].normal = WindowRect{i, 2 * i, i + 100, 2 * i + 80};
    placements[1] = {app::kShowMinimized, {10, 20, 110, 100}, 0, 400};
    placements[2] = {app::kShowMinNoActive, {10, 20, 110, 100}, 160, 400};
    placements[3] = {3 /* SW_SHOWMAXIMIZED */, {10, 20, 110, 100}, 0, 0};
    app::SaveWorkingLayout(settings, placements, WindowRect{5, 6, 705, 506});

    app::WorkingLayout layout = app::ReadWorkingLayout(settings);
    const struct {
        int list;
        int show;
        ProfileRect rect;
    } expected[] = {{0, 1, {0, 0, 80, 100}},
                    {1, 6, {400, 0, 480, 100}},
                    {2, 1, {400, 160, 480, 260}},
                    {3, 1, {20, 10, 100, 110}},
                    {35, 1, {70, 35, 150, 135}}};
    for (const auto& e : expected) {
        EXPECT_EQ(e.show, layout.show[static_cast<size_t>(e.list)]) << e.list;
        EXPECT_EQ(e.rect, layout.lists[static_cast<size_t>(e.list)]) << e.list;
    }
    EXPECT_EQ((ProfileRect{6, 5, 506, 705}), layout.main);
}

TEST_F(LayoutStoreTest, EmptyProfileGivesTheDefaultGrid)
{
    profile.WriteInt("WINDOWSTYLE", "WIDTH", 0);  // hand-edited: the default cell stays
    app::WorkingLayout layout = app::ReadWorkingLayout(settings);
    EXPECT_EQ((ProfileRect{330, 570, 480, 750}), layout.lists[35]);
    EXPECT_EQ(app::kDefaultMainRect, layout.main);
    EXPECT_EQ(1, layout.show[0]);
}

TEST(SanitizeLayout, KeepsEveryWindowReachable)
{
    const WindowRect area{0, 0, 800, 600};
    const struct {
        ProfileRect stored;
        ProfileRect expected;
    } cases[] = {
        {{10, 20, 160, 200}, {10, 20, 160, 200}},        // sound: unchanged
        {{160, 200, 10, 20}, {10, 20, 160, 200}},        // inverted
        {{10, 20, 10, 20}, {10, 20, 42, 52}},            // empty: minimum size
        {{-500, 5000, -400, 5100}, {0, 768, 100, 868}},  // far off: edge kept inside
        {{700, -300, 800, -100}, {568, -168, 668, 32}},  // below and left
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, -16352, 16384, 32}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, app::SanitizeRect(c.stored, area)) << c.stored.top << "," << c.stored.left;
    const std::pair<int, int> shows[] = {{6, 6}, {1, 1}, {2, 1}, {0, 1}, {-6, 1}};
    for (auto [stored, applied] : shows)
        EXPECT_EQ(applied, app::SanitizeShow(stored));
}

TEST_F(LayoutStoreTest, CopyLayoutCopiesRectanglesButNoShowKeys)
{
    profile.WriteInt("ALLIGN_DEFAULT", "W00show", 6);
    profile.WriteInt("ALLIGN_DEFAULT", "W00left", 77);
    app::CopyLayout(settings, "ALLIGN_DEFAULT", "ALLIGN_03");
    EXPECT_EQ(77, Int("ALLIGN_03", "W00left"));
    EXPECT_EQ(257, Int("ALLIGN_03", "W00right"));
    EXPECT_EQ(480, Int("ALLIGN_03", "W35bottom"));
    EXPECT_EQ(640, Int("ALLIGN_03", "right"));
    EXPECT_FALSE(profile.Has("ALLIGN_03", "W00show"));
}

TEST_F(LayoutStoreTest, NamedLayoutsKeepListOrderAndIdsOfCreation)
{
    std::vector<app::NamedLayout> list;
    for (const char* name : {"b", "a"}) {  // the dialog's list box sorts by name
        app::NamedLayout added{name, app::NewLayoutId(settings)};
        list.insert(std::lower_bound(list.begin(), list.end(), added,
                                     [](const auto& x, const auto& y) { return x.name < y.name; }),
                    added);
        app::WriteLayoutList(settings, list);
        app::CopyLayout(settings, "ALLIGN_DEFAULT", app::LayoutSection(added.id).c_str());
    }
    EXPECT_EQ((std::vector<app::NamedLayout>{{"a", 2}, {"b", 1}}), app::ReadLayoutList(settings));
    EXPECT_EQ(2, Int("LAYOUT", "COUNT"));
    EXPECT_EQ(2, Int("LAYOUT", "LASTID"));

    list.erase(list.begin());  // delete "a"
    app::WriteLayoutList(settings, list);
    EXPECT_EQ((std::vector<app::NamedLayout>{{"b", 1}}), app::ReadLayoutList(settings));
    EXPECT_TRUE(profile.Has("ALLIGN_02", "W00top"));
    EXPECT_EQ(3, app::NewLayoutId(settings));  // ids are never reused
}

TEST_F(LayoutStoreTest, LayoutListReadsDefaultsAndThreeDigitPositions)
{
    profile.WriteInt("LAYOUT", "COUNT", 101);
    profile.WriteString("LAYOUT", "NAME100", "last");
    profile.WriteInt("LAYOUT", "ID100", 7);
    std::vector<app::NamedLayout> list = app::ReadLayoutList(settings);
    ASSERT_EQ(101u, list.size());
    EXPECT_EQ((app::NamedLayout{"NAME05", 5}), list[5]);
    EXPECT_EQ((app::NamedLayout{"last", 7}), list[100]);
    EXPECT_EQ(102, app::NewLayoutId(settings));  // LASTID defaults to COUNT

    const std::pair<int, size_t> counts[] = {{-3, 0}, {INT_MAX, app::kMaxNamedLayouts}};
    for (auto [count, expected] : counts) {
        profile.WriteInt("LAYOUT", "COUNT", count);
        EXPECT_EQ(expected, app::ReadLayoutList(settings).size());
    }
    profile.WriteInt("LAYOUT", "LASTID", INT_MAX);
    EXPECT_EQ(INT_MAX, app::NewLayoutId(settings));
}

}  // namespace
