#include "thumbctl/control/view_state.h"

#include <gtest/gtest.h>

#include "tests/thumbctl/control/rect_printer.h"

namespace thumbctl {
namespace {

// A 100 x 80 picture drawn at natural size into a 300 x 200 window.
ViewState DrawnView(int pictureWidth = 100, int pictureHeight = 80)
{
    ViewState view;
    view.Place(300, 200, pictureWidth, pictureHeight, true);
    return view;
}

TEST(ViewState, SelectionStartsOnlyAfterAPictureWasDrawn)
{
    ViewState view;
    EXPECT_FALSE(view.BeginSelection(150, 100));
    EXPECT_FALSE(view.Selecting());
    view.Place(300, 200, 100, 80, false);  // a drawing elsewhere does not count
    EXPECT_FALSE(view.BeginSelection(150, 100));

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
        {170, 100, false, {}, {}},  // only x changed
        {150, 120, false, {}, {}},  // only y changed
        {170, 120, true, {150, 100, 150, 100}, {150, 100, 170, 120}},
        {130, 90, true, {150, 100, 170, 120}, {130, 90, 150, 100}},  // drawn normalized
        {130, 95, false, {}, {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(::testing::Message() << s.x << "," << s.y);
        const auto move = view.MoveSelection(s.x, s.y);
        ASSERT_EQ(move.has_value(), s.moves);
        if (move) {
            EXPECT_EQ(move->erase, s.erase);
            EXPECT_EQ(move->draw, s.draw);
        }
    }
    EXPECT_EQ(view.Drag(), (Rect{150, 100, 130, 90}));
}

TEST(ViewState, MovesAndButtonUpWithoutSelectionDoNothing)
{
    ViewState view = DrawnView();
    EXPECT_FALSE(view.MoveSelection(10, 10));
    EXPECT_FALSE(view.EndSelection(10, 10, 300, 200));
    EXPECT_FALSE(view.CancelSelection());
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

    Placement p = view.Place(300, 200, 100, 80, true);
    EXPECT_EQ(p.destination, (Rect{0, 0, 300, 200}));
    EXPECT_EQ(view.Source(), (Rect{60, 20, 90, 40}));

    ASSERT_TRUE(view.BeginSelection(150, 100));
    ASSERT_TRUE(view.EndSelection(210, 140, 300, 200));
    EXPECT_EQ(view.Zoom(), (Rect{75, 30, 81, 34}));
}

TEST(ViewState, SelectionOutsideThePictureSwitchesToFitMode)
{
    ViewState view = DrawnView(50, 40);
    ASSERT_EQ(view.Destination(), (Rect{125, 80, 175, 120}));
    ASSERT_TRUE(view.BeginSelection(10, 10));
    ASSERT_TRUE(view.EndSelection(60, 50, 300, 200));
    EXPECT_TRUE(view.FitMode());

    view.Place(300, 200, 50, 40, true);
    EXPECT_EQ(view.Destination(), (Rect{25, 0, 275, 200}));
    EXPECT_EQ(view.Zoom(), (Rect{0, 0, 50, 40}));

    // A zoom from fit mode leaves it.
    ASSERT_TRUE(view.BeginSelection(100, 50));
    ASSERT_TRUE(view.EndSelection(160, 90, 300, 200));
    EXPECT_FALSE(view.FitMode());
}

TEST(ViewState, SmallSelectionAndLostCaptureChangeNothing)
{
    ViewState view = DrawnView();
    ASSERT_TRUE(view.BeginSelection(150, 100));
    const auto out = view.EndSelection(153, 96, 300, 200);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->result, SelectionResult::kIgnored);
    EXPECT_TRUE(view.Zoom().Empty());
    EXPECT_FALSE(view.FitMode());

    ASSERT_TRUE(view.BeginSelection(120, 70));
    view.MoveSelection(180, 120);
    EXPECT_TRUE(view.CancelSelection());
    EXPECT_FALSE(view.Selecting());
    EXPECT_TRUE(view.Zoom().Empty());
    EXPECT_FALSE(view.EndSelection(180, 120, 300, 200));
}

TEST(ViewState, ResetReturnsToTheWholePicture)
{
    ViewState view = DrawnView(50, 40);
    ASSERT_TRUE(view.BeginSelection(10, 10));
    ASSERT_TRUE(view.EndSelection(60, 50, 300, 200));
    view.Place(300, 200, 50, 40, true);
    ASSERT_TRUE(view.BeginSelection(100, 50));

    view.Reset();
    EXPECT_FALSE(view.Selecting());
    EXPECT_FALSE(view.FitMode());
    EXPECT_TRUE(view.Zoom().Empty());
    EXPECT_TRUE(view.Destination().Empty());
    EXPECT_TRUE(view.Source().Empty());
    EXPECT_EQ(view.Place(300, 200, 50, 40, true).destination, (Rect{125, 80, 175, 120}));
}

TEST(SelectionCoordinate, NegativeWordsBecomeZero)
{
    const struct {
        unsigned short word;
        int value;
    } cases[] = {{0, 0}, {10, 10}, {0x7FFF, 32767}, {0x8000, 0}, {0xFFFF, 0}, {0xFFF0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SelectionCoordinate(c.word), c.value) << c.word;
}

TEST(UnreflectedMessage, TakesOffTheReflectionOffsetOfNotificationsOnly)
{
    const struct {
        unsigned message;
        std::optional<unsigned> plain;
    } cases[] = {
        {0x2111, 0x0111u},       // WM_COMMAND
        {0x204E, 0x004Eu},       // WM_NOTIFY
        {0x2210, 0x0210u},       // WM_PARENTNOTIFY
        {0x202B, 0x002Bu},       // WM_DRAWITEM
        {0x2115, 0x0115u},       // WM_VSCROLL
        {0x2132, 0x0132u},       // WM_CTLCOLORMSGBOX
        {0x2138, 0x0138u},       // WM_CTLCOLORSTATIC
        {0x200F, std::nullopt},  // WM_PAINT is not reflected
        {0x2139, std::nullopt}, {0x0111, std::nullopt}, {0x8010, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnreflectedMessage(c.message), c.plain) << std::hex << c.message;
}

}  // namespace
}  // namespace thumbctl
