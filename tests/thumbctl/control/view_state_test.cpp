#include "thumbctl/control/view_state.h"

#include <gtest/gtest.h>

#include "tests/thumbctl/control/rect_printer.h"

namespace thumbctl {
namespace {

// A picture drawn at natural size into a 300 x 200 window.
ViewState DrawnView(int pictureWidth = 100, int pictureHeight = 80)
{
    ViewState view;
    view.Place(300, 200, pictureWidth, pictureHeight, true);
    return view;
}

TEST(ViewState, SelectionStartsOnlyOverARecordedDrawingAndIdleMouseDoesNothing)
{
    ViewState view;
    EXPECT_FALSE(view.BeginSelection(150, 100));
    view.Place(300, 200, 100, 80, false);  // a drawing elsewhere does not count
    EXPECT_FALSE(view.BeginSelection(150, 100));
    EXPECT_FALSE(view.Selecting());
    EXPECT_FALSE(view.MoveSelection(10, 10));
    EXPECT_FALSE(view.EndSelection(10, 10, 300, 200));
    EXPECT_FALSE(view.CancelSelection());

    view = DrawnView();
    EXPECT_TRUE(view.BeginSelection(150, 100));
    EXPECT_TRUE(view.Selecting());
    EXPECT_EQ(view.Drag(), (Rect{150, 100, 150, 100}));
}

TEST(ViewState, RubberBandMovesOnlyWhenBothCoordinatesChange)
{
    ViewState view = DrawnView();
    ASSERT_TRUE(view.BeginSelection(150, 100));
    const struct {
        int x, y;
        bool moves;
        Rect erase, draw;
    } steps[] = {
        {170, 100, false, {}, {}},
        {150, 120, false, {}, {}},
        {170, 120, true, {150, 100, 150, 100}, {150, 100, 170, 120}},
        {130, 90, true, {150, 100, 170, 120}, {130, 90, 150, 100}},  // drawn normalized
        {130, 95, false, {}, {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.x << "," << s.y);
        const auto move = view.MoveSelection(s.x, s.y);
        ASSERT_EQ(move.has_value(), s.moves);
        if (move) {
            EXPECT_EQ(move->erase, s.erase);
            EXPECT_EQ(move->draw, s.draw);
        }
    }
    EXPECT_EQ(view.Drag(), (Rect{150, 100, 130, 90}));
}

TEST(ViewState, ZoomSelectionShowsThePartSelectedAndZoomsFurther)
{
    ViewState view = DrawnView();
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
    EXPECT_FALSE(reset.Selecting());
    EXPECT_FALSE(reset.FitMode());
    EXPECT_TRUE(reset.Zoom().Empty());
    EXPECT_TRUE(reset.Destination().Empty());
    EXPECT_TRUE(reset.Source().Empty());
    EXPECT_EQ(reset.Place(300, 200, 50, 40, true).destination, (Rect{125, 80, 175, 120}));

    ASSERT_TRUE(view.EndSelection(160, 90, 300, 200));
    EXPECT_FALSE(view.FitMode()) << "a zoom from fit mode leaves it";
}

TEST(ViewState, SmallSelectionAndLostCaptureChangeNothing)
{
    ViewState view = DrawnView();
    ASSERT_TRUE(view.BeginSelection(150, 100));
    const auto out = view.EndSelection(153, 96, 300, 200);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->result, SelectionResult::kIgnored);
    ASSERT_TRUE(view.BeginSelection(120, 70));
    view.MoveSelection(180, 120);
    EXPECT_TRUE(view.CancelSelection());
    EXPECT_FALSE(view.Selecting());
    EXPECT_FALSE(view.EndSelection(180, 120, 300, 200));
    EXPECT_TRUE(view.Zoom().Empty());
    EXPECT_FALSE(view.FitMode());
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
