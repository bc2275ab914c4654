#include "thumbctl/control/placement.h"

#include <gtest/gtest.h>

#include "tests/thumbctl/control/rect_printer.h"

#include <vector>

namespace thumbctl {
namespace {

// Every pixel of the bounds is covered exactly once by the picture or a band.
void ExpectTiling(const Placement& p, int W, int H)
{
    std::vector<int> hits(static_cast<size_t>(W) * H, 0);
    auto paint = [&](const Rect& r) {
        ASSERT_GE(r.left, 0);
        ASSERT_GE(r.top, 0);
        ASSERT_LE(r.right, W);
        ASSERT_LE(r.bottom, H);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ++hits[static_cast<size_t>(y) * W + x];
    };
    paint(p.destination);
    for (size_t i = 0; i < p.bandCount; ++i)
        paint(p.bands[i]);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(hits[static_cast<size_t>(y) * W + x], 1) << "pixel " << x << "," << y;
}

struct PlaceCase {
    const char* name;
    int W, H, pictureWidth, pictureHeight;
    Rect zoom;
    bool fit;
    Rect destination;
    Rect source;
};

TEST(PlacePicture, PlacesPicturesAsTheViewRequires)
{
    const PlaceCase cases[] = {
        {"natural size centred", 300, 200, 100, 80, {}, false, {100, 60, 200, 140}, {0, 0, 100, 80}},
        {"odd dimensions one pixel smaller",
         300,
         200,
         101,
         81,
         {},
         false,
         {100, 60, 200, 140},
         {0, 0, 101, 81}},
        {"odd window leaves the picture where it was",
         301,
         201,
         100,
         80,
         {},
         false,
         {100, 60, 200, 140},
         {0, 0, 100, 80}},
        {"exactly the window size", 300, 200, 300, 200, {}, false, {0, 0, 300, 200}, {0, 0, 300, 200}},
        {"wide picture reduced with bands above and below",
         200,
         200,
         400,
         100,
         {},
         false,
         {0, 75, 200, 125},
         {0, 0, 400, 100}},
        {"tall picture reduced with bands left and right",
         200,
         200,
         100,
         400,
         {},
         false,
         {75, 0, 125, 200},
         {0, 0, 100, 400}},
        {"equal ratios take the height branch",
         300,
         200,
         600,
         400,
         {},
         false,
         {0, 0, 300, 200},
         {0, 0, 600, 400}},
        {"too wide for the window", 300, 200, 1000, 100, {}, false, {0, 85, 300, 115}, {0, 0, 1000, 100}},
        {"fit mode enlarges a small picture", 300, 200, 50, 40, {}, true, {25, 0, 275, 200}, {0, 0, 50, 40}},
        {"fit mode with a wide picture", 300, 200, 90, 20, {}, true, {0, 67, 300, 133}, {0, 0, 90, 20}},
        {"zoom rectangle fills the window",
         300,
         200,
         100,
         80,
         {60, 20, 90, 40},
         false,
         {0, 0, 300, 200},
         {60, 20, 90, 40}},
        {"zoom rectangle of another shape",
         300,
         200,
         100,
         80,
         {0, 0, 20, 40},
         false,
         {100, 0, 200, 200},
         {0, 0, 20, 40}},
        {"one-pixel window holds the height branch inside",
         1,
         1,
         10000,
         1,
         {},
         true,
         {0, 0, 1, 1},
         {0, 0, 10000, 1}},
        {"truncated halves cannot push the picture out",
         200,
         200,
         201,
         200,
         {},
         true,
         {0, 0, 200, 200},
         {0, 0, 201, 200}},
    };
    for (const PlaceCase& c : cases) {
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
    const Placement again = PlacePicture(300, 200, 50, 40, p.zoom, false);
    EXPECT_EQ(again.destination, p.destination);
}

TEST(PlacePicture, NothingIsDrawnIntoEmptyBoundsOrFromAnEmptyPicture)
{
    const struct {
        int W, H, pictureWidth, pictureHeight;
    } cases[] = {
        {0, 200, 100, 80}, {300, 0, 100, 80}, {-5, 10, 100, 80}, {300, 200, 0, 80}, {300, 200, 100, 0}};
    for (const auto& c : cases) {
        const Placement p = PlacePicture(c.W, c.H, c.pictureWidth, c.pictureHeight, {}, false);
        EXPECT_FALSE(p.drawn);
        EXPECT_TRUE(p.destination.Empty());
    }
}

struct SelectionCase {
    const char* name;
    Rect selection;
    int W, H;
    Rect destination, source;
    SelectionResult result;
    Rect zoom;
};

TEST(FinishSelection, TurnsSelectionsIntoViewChanges)
{
    const Rect natural{100, 60, 200, 140}, picture{0, 0, 100, 80};
    const SelectionCase cases[] = {
        {"under 5 x 5 is ignored",
         {150, 100, 154, 104},
         300,
         200,
         natural,
         picture,
         SelectionResult::kIgnored,
         {}},
        {"narrow but tall is a selection",
         {150, 70, 154, 130},
         300,
         200,
         natural,
         picture,
         SelectionResult::kZoom,
         {7, 10, 97, 70}},
        {"no corner on the picture means fit",
         {10, 10, 60, 50},
         300,
         200,
         {125, 80, 175, 120},
         {0, 0, 50, 40},
         SelectionResult::kFit,
         {}},
        {"the picture's right and bottom edges are outside",
         {200, 140, 250, 180},
         300,
         200,
         natural,
         picture,
         SelectionResult::kFit,
         {}},
        {"a corner on the first pixel counts",
         {95, 55, 100, 60},
         300,
         200,
         natural,
         picture,
         SelectionResult::kZoom,
         {0, 0, 4, 2}},
        {"window-shaped selection maps one to one",
         {160, 80, 190, 100},
         300,
         200,
         natural,
         picture,
         SelectionResult::kZoom,
         {60, 20, 90, 40}},
        {"dragged up and left gives the same",
         {190, 100, 160, 80},
         300,
         200,
         natural,
         picture,
         SelectionResult::kZoom,
         {60, 20, 90, 40}},
        {"tall selection widened and shifted right",
         {110, 70, 120, 130},
         300,
         200,
         natural,
         picture,
         SelectionResult::kZoom,
         {0, 10, 90, 70}},
        {"large selection shifted and clipped to the picture",
         {150, 100, 290, 195},
         300,
         200,
         natural,
         picture,
         SelectionResult::kZoom,
         {0, 0, 100, 80}},
        {"selection around the whole picture means fit",
         {50, 20, 250, 180},
         300,
         200,
         natural,
         picture,
         SelectionResult::kFit,
         {}},
        {"reduced picture maps to more bitmap pixels",
         {20, 80, 60, 120},
         200,
         200,
         {0, 75, 200, 125},
         {0, 0, 400, 100},
         SelectionResult::kZoom,
         {40, 10, 120, 90}},
        {"second selection zooms into the part shown",
         {150, 100, 210, 140},
         300,
         200,
         {0, 0, 300, 200},
         {60, 20, 90, 40},
         SelectionResult::kZoom,
         {75, 30, 81, 34}},
        {"a window without height zooms nowhere",
         {160, 80, 190, 100},
         300,
         0,
         natural,
         picture,
         SelectionResult::kIgnored,
         {}},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SelectionOutcome out = FinishSelection(c.selection, c.W, c.H, c.destination, c.source);
        EXPECT_EQ(out.result, c.result);
        if (c.result == SelectionResult::kZoom) {
            EXPECT_EQ(out.zoom, c.zoom);
        }
    }
}

}  // namespace
}  // namespace thumbctl
