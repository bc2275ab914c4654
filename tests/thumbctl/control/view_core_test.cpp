// Where the control puts a picture, how a selection becomes a view change, and the view
// state the window keeps between drawings and mouse messages.
#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

#include "thumbctl/control/placement.h"
#include "thumbctl/control/view_state.h"

namespace thumbctl {

void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

TEST(PlacePicture, PlacesPicturesAsTheViewRequires)
{
    // Window, picture, zoom rectangle, fit mode; where it goes (empty: not drawn) and the part shown.
    const std::tuple<const char*, int, int, int, int, Rect, bool, Rect, Rect> cases[] = {
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
        {"whole picture as zoom", 300, 200, 50, 40, {0, 0, 50, 40}, false, {25, 0, 275, 200}, {0, 0, 50, 40}},
        {"zoom, other shape", 300, 200, 100, 80, {0, 0, 20, 40}, false, {100, 0, 200, 200}, {0, 0, 20, 40}},
        {"one-pixel window", 1, 1, 10000, 1, {}, true, {0, 0, 1, 1}, {0, 0, 10000, 1}},
        {"truncated halves stay in", 200, 200, 201, 200, {}, true, {0, 0, 200, 200}, {0, 0, 201, 200}},
        {"no width", 0, 200, 100, 80, {}, false, {}, {}},
        {"no height", 300, 0, 100, 80, {}, false, {}, {}},
        {"negative width", -5, 10, 100, 80, {}, false, {}, {}},
        {"empty picture", 300, 200, 0, 80, {}, false, {}, {}},
        {"picture without height", 300, 200, 100, 0, {}, false, {}, {}},
    };
    for (const auto& [name, W, H, pictureWidth, pictureHeight, zoom, fit, destination, source] : cases) {
        SCOPED_TRACE(name);
        const Placement p = PlacePicture(W, H, pictureWidth, pictureHeight, zoom, fit);
        EXPECT_EQ(p.drawn, !destination.Empty());
        EXPECT_EQ(p.destination, destination);
        EXPECT_EQ(p.drawn ? p.source : source, source);
    }
}

TEST(FinishSelection, TurnsSelectionsIntoViewChanges)
{
    using enum SelectionResult;
    const Rect natural{100, 60, 200, 140}, picture{0, 0, 100, 80}, reduced{0, 75, 200, 125};
    const Rect wide{0, 0, 400, 100}, full{0, 0, 300, 200}, zoomed{60, 20, 90, 40};
    // The selection, the window, where the picture is and its part shown; the outcome.
    const std::tuple<const char*, Rect, int, int, Rect, Rect, SelectionResult, Rect> cases[] = {
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
    for (const auto& [name, selection, W, H, destination, source, result, zoom] : cases) {
        const SelectionOutcome out = FinishSelection(selection, W, H, destination, source);
        EXPECT_EQ(out.result, result) << name;
        EXPECT_EQ(result == kZoom ? out.zoom : zoom, zoom) << name;
    }
}

// A picture drawn at natural size into a 300 x 200 window.
ViewState DrawnView(int pictureWidth = 100, int pictureHeight = 80)
{
    ViewState view;
    view.Place(300, 200, pictureWidth, pictureHeight, true);
    return view;
}

TEST(ViewState, SelectionStartsOnlyOverARecordedDrawingAndItsBandMovesWhenBothCoordinatesChange)
{
    ViewState view;
    EXPECT_FALSE(view.BeginSelection(150, 100));
    view.Place(300, 200, 100, 80, false);  // a drawing elsewhere does not count
    EXPECT_FALSE(view.BeginSelection(150, 100));
    EXPECT_FALSE(view.Selecting());
    EXPECT_FALSE(view.MoveSelection(10, 10) || view.EndSelection(10, 10, 300, 200) || view.CancelSelection());

    view = DrawnView();
    ASSERT_TRUE(view.BeginSelection(150, 100));
    EXPECT_TRUE(view.Selecting());
    EXPECT_EQ(view.Drag(), (Rect{150, 100, 150, 100}));
    // The band moves only when both coordinates change: to x, y it moves, erasing and drawing.
    const std::tuple<int, int, bool, Rect, Rect> steps[] = {
        {170, 100, false, {}, {}},
        {150, 120, false, {}, {}},
        {170, 120, true, {150, 100, 150, 100}, {150, 100, 170, 120}},
        {130, 90, true, {150, 100, 170, 120}, {130, 90, 150, 100}},  // drawn normalized
        {130, 95, false, {}, {}},
    };
    for (const auto& [x, y, moves, erase, draw] : steps) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        const auto move = view.MoveSelection(x, y);
        ASSERT_EQ(move.has_value(), moves);
        EXPECT_EQ(move ? std::pair(move->erase, move->draw) : std::pair(erase, draw), std::pair(erase, draw));
    }
    EXPECT_EQ(view.Drag(), (Rect{150, 100, 130, 90}));
}

TEST(ViewState, ZoomSelectionShowsThePartSelectedAndSmallOrCancelledOnesChangeNothing)
{
    ViewState view = DrawnView();
    ASSERT_TRUE(view.BeginSelection(150, 100));
    const auto small = view.EndSelection(153, 96, 300, 200);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->result, SelectionResult::kIgnored);
    ASSERT_TRUE(view.BeginSelection(120, 70));
    view.MoveSelection(180, 120);
    EXPECT_TRUE(view.CancelSelection());
    EXPECT_FALSE(view.Selecting() || view.EndSelection(180, 120, 300, 200));
    EXPECT_FALSE(!view.Zoom().Empty() || view.FitMode());

    ASSERT_TRUE(view.BeginSelection(160, 80));
    const auto out = view.EndSelection(190, 100, 300, 200);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->result, SelectionResult::kZoom);
    EXPECT_FALSE(view.Selecting());
    EXPECT_EQ(view.Zoom(), (Rect{60, 20, 90, 40}));
    EXPECT_EQ(view.Place(300, 200, 100, 80, true).destination, (Rect{0, 0, 300, 200}));
    EXPECT_EQ(view.Source(), (Rect{60, 20, 90, 40}));
    ASSERT_TRUE(view.BeginSelection(150, 100));
    ASSERT_TRUE(view.EndSelection(210, 140, 300, 200));
    EXPECT_EQ(view.Zoom(), (Rect{75, 30, 81, 34}));
}

TEST(ViewState, SelectionOutsideThePictureFitsItAndResetReturnsToTheWholePicture)
{
    ViewState view = DrawnView(50, 40);
    ASSERT_TRUE(view.BeginSelection(10, 10));
    ASSERT_TRUE(view.EndSelection(60, 50, 300, 200));
    EXPECT_TRUE(view.FitMode());
    view.Place(300, 200, 50, 40, true);
    EXPECT_EQ(view.Destination(), (Rect{25, 0, 275, 200}));
    EXPECT_EQ(view.Zoom(), (Rect{0, 0, 50, 40}));
    ASSERT_TRUE(view.BeginSelection(100, 50));

    ViewState reset = view;
    reset.Reset();
    EXPECT_FALSE(reset.Selecting() || reset.FitMode());
    EXPECT_TRUE(reset.Zoom().Empty() && reset.Destination().Empty() && reset.Source().Empty());
    EXPECT_EQ(reset.Place(300, 200, 50, 40, true).destination, (Rect{125, 80, 175, 120}));

    ASSERT_TRUE(view.EndSelection(160, 90, 300, 200));
    EXPECT_FALSE(view.FitMode()) << "a zoom from fit mode leaves it";
}

TEST(ViewState, MouseWordsAndReflectedMessages)
{
    const std::pair<unsigned short, int> words[] = {{0, 0},      {10, 10},    {0x7FFF, 32767},
                                                    {0x8000, 0}, {0xFFFF, 0}, {0xFFF0, 0}};
    for (const auto& [word, value] : words)
        EXPECT_EQ(SelectionCoordinate(word), value) << word;
    // WM_COMMAND, WM_NOTIFY, WM_PARENTNOTIFY, WM_DRAWITEM, WM_VSCROLL, WM_CTLCOLORMSGBOX..STATIC.
    for (unsigned plain : {0x0111u, 0x004Eu, 0x0210u, 0x002Bu, 0x0115u, 0x0132u, 0x0138u})
        EXPECT_EQ(UnreflectedMessage(0x2000 + plain), plain) << std::hex << plain;
    // WM_PAINT reflected, past the last reflected one, not reflected, far off.
    for (unsigned other : {0x200Fu, 0x2139u, 0x0111u, 0x8010u})
        EXPECT_EQ(UnreflectedMessage(other), std::nullopt) << std::hex << other;
}

}  // namespace
}  // namespace thumbctl
