#include "thumbctl/control/placement.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/thumbctl/control/rect_printer.h"

namespace thumbctl {
namespace {

// Every pixel of the bounds is covered exactly once by the picture or a band.
void ExpectTiling(const Placement& p, int W, int H)
{
    std::vector<int> hits(static_cast<size_t>(W) * H, 0);
    for (size_t i = 0; i <= p.bandCount; ++i) {
        const Rect& r = i == p.bandCount ? p.destination : p.bands[i];
        ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= W && r.bottom <= H) << testing::PrintToString(r);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ++hits[static_cast<size_t>(y) * W + x];
    }
    for (size_t i = 0; i < hits.size(); ++i)
        ASSERT_EQ(hits[i], 1) << "pixel " << i % W << "," << i / W;
}

TEST(PlacePicture, PlacesPicturesAsTheViewRequires)
{
    const struct {
        const char* name;
        int W, H, pictureWidth, pictureHeight;
        Rect zoom;
        bool fit;
        Rect destination, source;
    } cases[] = {
        {"natural size centred", 300, 200, 100, 80, {}, false, {100, 60, 200, 140}, {0, 0, 100, 80}},
        {"odd sizes a pixel smaller", 300, 200, 101, 81, {}, false, {100, 60, 200, 140}, {0, 0, 101, 81}},
        {"odd window", 301, 201, 100, 80, {}, false, {100, 60, 200, 140}, {0, 0, 100, 80}},
        {"window size", 300, 200, 300, 200, {}, false, {0, 0, 300, 200}, {0, 0, 300, 200}},
        {"wide reduced", 200, 200, 400, 100, {}, false, {0, 75, 200, 125}, {0, 0, 400, 100}},
        {"tall reduced", 200, 200, 100, 400, {}, false, {75, 0, 125, 200}, {0, 0, 100, 400}},
        {"equal ratios: height", 300, 200, 600, 400, {}, false, {0, 0, 300, 200}, {0, 0, 600, 400}},
        {"too wide", 300, 200, 1000, 100, {}, false, {0, 85, 300, 115}, {0, 0, 1000, 100}},
        {"fit enlarges", 300, 200, 50, 40, {}, true, {25, 0, 275, 200}, {0, 0, 50, 40}},
        {"fit, wide", 300, 200, 90, 20, {}, true, {0, 67, 300, 133}, {0, 0, 90, 20}},
        {"zoom fills", 300, 200, 100, 80, {60, 20, 90, 40}, false, {0, 0, 300, 200}, {60, 20, 90, 40}},
        {"zoom, other shape", 300, 200, 100, 80, {0, 0, 20, 40}, false, {100, 0, 200, 200}, {0, 0, 20, 40}},
        {"one-pixel window", 1, 1, 10000, 1, {}, true, {0, 0, 1, 1}, {0, 0, 10000, 1}},
        {"truncated halves stay in", 200, 200, 201, 200, {}, true, {0, 0, 200, 200}, {0, 0, 201, 200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = PlacePicture(c.W, c.H, c.pictureWidth, c.pictureHeight, c.zoom, c.fit);
        ASSERT_TRUE(p.drawn);
        EXPECT_EQ(p.destination, c.destination);
        EXPECT_EQ(p.source, c.source);
        ExpectTiling(p, c.W, c.H);
    }
}

TEST(PlacePicture, FitModeFixesTheZoomToTheWholePicture)
{
    const Placement p = PlacePicture(300, 200, 50, 40, {}, true);
    EXPECT_EQ(p.zoom, (Rect{0, 0, 50, 40}));
    // The whole picture as zoom rectangle keeps the enlarged drawing without fit mode.
    EXPECT_EQ(PlacePicture(300, 200, 50, 40, p.zoom, false).destination, p.destination);
}

TEST(PlacePicture, NothingIsDrawnIntoEmptyBoundsOrFromAnEmptyPicture)
{
    const int cases[][4] = {
        {0, 200, 100, 80}, {300, 0, 100, 80}, {-5, 10, 100, 80}, {300, 200, 0, 80}, {300, 200, 100, 0}};
    for (const auto& c : cases) {
        const Placement p = PlacePicture(c[0], c[1], c[2], c[3], {}, false);
        EXPECT_FALSE(p.drawn);
        EXPECT_TRUE(p.destination.Empty());
    }
}

TEST(FinishSelection, TurnsSelectionsIntoViewChanges)
{
    using enum SelectionResult;
    const Rect natural{100, 60, 200, 140}, picture{0, 0, 100, 80}, reduced{0, 75, 200, 125};
    const Rect wide{0, 0, 400, 100}, full{0, 0, 300, 200}, zoomed{60, 20, 90, 40};
    const struct {
        const char* name;
        Rect selection;
        int W, H;
        Rect destination, source;
        SelectionResult result;
        Rect zoom;
    } cases[] = {
        {"under 5 x 5", {150, 100, 154, 104}, 300, 200, natural, picture, kIgnored, {}},
        {"narrow but tall", {150, 70, 154, 130}, 300, 200, natural, picture, kZoom, {7, 10, 97, 70}},
        {"no corner on it", {10, 10, 60, 50}, 300, 200, {125, 80, 175, 120}, {0, 0, 50, 40}, kFit, {}},
        {"right, bottom outside", {200, 140, 250, 180}, 300, 200, natural, picture, kFit, {}},
        {"corner on first pixel", {95, 55, 100, 60}, 300, 200, natural, picture, kZoom, {0, 0, 4, 2}},
        {"window-shaped", {160, 80, 190, 100}, 300, 200, natural, picture, kZoom, {60, 20, 90, 40}},
        {"dragged up and left", {190, 100, 160, 80}, 300, 200, natural, picture, kZoom, {60, 20, 90, 40}},
        {"tall, widened, shifted", {110, 70, 120, 130}, 300, 200, natural, picture, kZoom, {0, 10, 90, 70}},
        {"shifted and clipped", {150, 100, 290, 195}, 300, 200, natural, picture, kZoom, {0, 0, 100, 80}},
        {"around the picture", {50, 20, 250, 180}, 300, 200, natural, picture, kFit, {}},
        {"reduced picture", {20, 80, 60, 120}, 200, 200, reduced, wide, kZoom, {40, 10, 120, 90}},
        {"zooms further", {150, 100, 210, 140}, 300, 200, full, zoomed, kZoom, {75, 30, 81, 34}},
        {"no window height", {160, 80, 190, 100}, 300, 0, natural, picture, kIgnored, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SelectionOutcome out = FinishSelection(c.selection, c.W, c.H, c.destination, c.source);
        EXPECT_EQ(out.result, c.result);
        if (c.result == kZoom) {
            EXPECT_EQ(out.zoom, c.zoom);
        }
    }
}

}  // namespace
}  // namespace thumbctl
