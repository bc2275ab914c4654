#include <gtest/gtest.h>

#include <tuple>

#include "app/tile.h"

namespace {

using app::WindowRect;

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
        for (const auto& [index, list, rect] : c.expected) {
            EXPECT_EQ(list, plan.placed[index].first) << index;
            EXPECT_EQ(rect, plan.placed[index].second) << index;
        }
    }
}

}  // namespace
