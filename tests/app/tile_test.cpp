#include <gtest/gtest.h>

#include "app/tile.h"

namespace {

using app::PlanTile;
using app::TileInput;
using app::WindowRect;

TileInput Input(int clientWidth, int clientHeight, int width, int height)
{
    TileInput input;
    input.clientWidth = clientWidth;
    input.clientHeight = clientHeight;
    input.width = width;
    input.height = height;
    input.captionHeight = 20;
    return input;
}

TEST(Tile, FillsRowsAtTheCurrentWindowsSize)
{
    app::TilePlacement plan = PlanTile(Input(650, 10000, 200, 150));
    ASSERT_EQ(36u, plan.placed.size());
    EXPECT_EQ(2, plan.firstWrap);  // three in a row: the fourth would end at 800
    const std::pair<int, WindowRect> expected[] = {{0, {0, 0, 200, 150}},
                                                   {2, {400, 0, 600, 150}},
                                                   {3, {0, 150, 200, 300}},
                                                   {35, {400, 1650, 600, 1800}}};
    for (const auto& [list, rect] : expected)
        EXPECT_EQ(rect, plan.placed[static_cast<size_t>(list)].second) << list;
}

TEST(Tile, RestartsAtTheTopShiftedByTheCaptionHeight)
{
    // Two per row; a third row would be more than half hidden below 350.
    app::TilePlacement plan = PlanTile(Input(450, 350, 200, 150));
    const std::pair<int, WindowRect> expected[] = {
        {3, {200, 150, 400, 300}}, {4, {20, 20, 220, 170}}, {8, {40, 40, 240, 190}}};
    for (const auto& [list, rect] : expected)
        EXPECT_EQ(rect, plan.placed[static_cast<size_t>(list)].second) << list;
}

TEST(Tile, SkipsMinimisedWindows)
{
    TileInput input = Input(650, 10000, 200, 150);
    input.minimized[0] = input.minimized[4] = true;
    app::TilePlacement plan = PlanTile(input);
    ASSERT_EQ(34u, plan.placed.size());
    EXPECT_EQ(1, plan.placed[0].first);
    EXPECT_EQ(5, plan.placed[3].first);
    EXPECT_EQ((WindowRect{0, 150, 200, 300}), plan.placed[3].second);
    EXPECT_EQ(3, plan.firstWrap);
}

TEST(Tile, DegenerateSizesStillPlaceEveryWindowOnce)
{
    const TileInput cases[] = {Input(650, 480, 0, 0), Input(650, 480, -5, -5), Input(0, 0, 200, 150),
                               Input(650, 480, 2000000000, 2000000000)};
    for (const TileInput& input : cases) {
        app::TilePlacement plan = PlanTile(input);
        ASSERT_EQ(36u, plan.placed.size());
        for (const auto& [list, rect] : plan.placed) {
            EXPECT_GE(rect.right - rect.left, 1) << input.width;
            EXPECT_LE(rect.right - rect.left, app::kMaxExtent);
        }
    }
}

}  // namespace
