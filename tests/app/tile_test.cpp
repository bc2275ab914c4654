#include <gtest/gtest.h>

#include "app/tile.h"

namespace {

using app::WindowRect;

app::TileInput Input(int clientWidth, int clientHeight, int width, int height)
{
    app::TileInput input;
    input.clientWidth = clientWidth;
    input.clientHeight = clientHeight;
    input.width = width;
    input.height = height;
    input.captionHeight = 20;
    return input;
}

TEST(Tile, FillsRowsAndRestartsAtTheTopShiftedByTheCaptionHeight)
{
    const struct {
        app::TileInput input;
        int firstWrap;
        std::vector<std::pair<int, WindowRect>> expected;  // placement index, rectangle
    } cases[] = {
        // Three in a row: the fourth would end at 800.
        {Input(650, 10000, 200, 150), 2, {{2, {400, 0, 600, 150}}, {3, {0, 150, 200, 300}}}},
        // A third row would be more than half hidden below 350.
        {Input(450, 350, 200, 150),
         1,
         {{3, {200, 150, 400, 300}}, {4, {20, 20, 220, 170}}, {8, {40, 40, 240, 190}}}},
    };
    for (const auto& c : cases) {
        app::TilePlacement plan = app::PlanTile(c.input);
        ASSERT_EQ(36u, plan.placed.size());
        EXPECT_EQ(c.firstWrap, plan.firstWrap);
        for (const auto& [index, rect] : c.expected)
            EXPECT_EQ(rect, plan.placed[static_cast<size_t>(index)].second) << index;
    }
}

TEST(Tile, SkipsMinimisedWindows)
{
    app::TileInput input = Input(650, 10000, 200, 150);
    input.minimized[0] = input.minimized[4] = true;
    app::TilePlacement plan = app::PlanTile(input);
    ASSERT_EQ(34u, plan.placed.size());
    EXPECT_EQ(5, plan.placed[3].first);
    EXPECT_EQ((WindowRect{0, 150, 200, 300}), plan.placed[3].second);
    EXPECT_EQ(3, plan.firstWrap);
}

TEST(Tile, DegenerateSizesStillPlaceEveryWindowOnce)
{
    for (int size : {0, -5, 2000000000}) {
        app::TilePlacement plan = app::PlanTile(Input(650, 480, size, size));
        ASSERT_EQ(36u, plan.placed.size());
        const WindowRect& r = plan.placed.back().second;
        EXPECT_GE(r.right - r.left, 1) << size;
        EXPECT_LE(r.right - r.left, app::kMaxExtent) << size;
    }
}

}  // namespace
