// The control's window under a real window manager (Wine on a virtual display): pixels
// of what it paints, and mouse selections sent as messages. (Placement and selection
// arithmetic: the native tables.)
#include <gtest/gtest.h>

#include "tests/thumbctl/control/control_fakes.h"
#include "thumbctl/server/interface.h"

namespace {

using namespace ctlcom_testing;
using thumbctl::Rect;
using Colours = std::function<uint32_t(int, int)>;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
const Colours kSolid = [](int, int) { return kRed; };
const Colours kHalves = [](int x, int) { return x < 50 ? kRed : kBlue; };  // of a 100 x 80 picture

// The picture inside `where` (its left edge at where.left), white around it.
Colours Picture(const Rect& where, const Colours& inside = kSolid)
{
    return [=](int x, int y) { return where.Contains(x, y) ? inside(x - where.left, y) : kWhite; };
}

class ControlWindowTest : public ControlTest {
protected:
    void SetUp() override
    {
        window_ = Activate();
        cache = &Made<FakeCache>(cache_);
        ASSERT_EQ(control_->put_IPictureCache(cache_.Get()), S_OK);
    }
    // A picture the cache hands out once it is ready.
    void Add(const std::wstring& path, int w, int h, const Colours& colours, bool ready = true)
    {
        pictures_.try_emplace(path, w, h).first->second.Fill(colours);
        if (ready)
            cache->pictures[path] = pictures_.at(path).Handle();
    }
    void Show(const wchar_t* path) { ASSERT_EQ(control_->displayFile(Bstr(path).Get()), S_OK); }
    void Send(UINT message, int x, int y, WPARAM keys = MK_LBUTTON)
    {
        SendMessageW(window_, message, keys, MAKELPARAM(x, y));
    }
    testing::AssertionResult Shows(const Rect& where, const Colours& inside = kSolid)
    {
        return Matches(CaptureClient(window_), Picture(where, inside));
    }

    HWND window_ = nullptr;
    FakeCache* cache = nullptr;
    std::map<std::wstring, Dib> pictures_;
};

TEST_F(ControlWindowTest, PaintsThePictureWhenReadyShowingAStarUntilThenAndRepaintsOnResize)
{
    Show(L"");
    EXPECT_TRUE(Shows({}));
    EXPECT_TRUE(cache->loads.empty()) << "no file name: the cache is not asked";

    Add(L"slow", 400, 100, kSolid, false);
    Show(L"slow");
    const Dib pending = CaptureClient(window_);
    EXPECT_FALSE(Matches(pending, Picture({}))) << "a \"*\" in the top-left corner";
    EXPECT_TRUE(Matches(pending, [](int x, int y) { return x < 24 && y < 24 ? kAny : kWhite; }));
    cache->pictures[L"slow"] = pictures_.at(L"slow").Handle();  // as the cache's loader does
    SendMessageW(window_, thumbctl::kPictureReadyMessage, 0, 0);
    EXPECT_TRUE(Shows({0, 63, 300, 138}));
    const size_t asked = cache->loads.size();
    SendMessageW(window_, thumbctl::kPictureReadyMessage, 0, 0);  // for a file loaded ahead
    EXPECT_EQ(cache->loads.size(), asked) << "the picture on screen is not asked for and drawn again";

    const RECT smaller{0, 0, 200, 200};
    ASSERT_EQ(As<IOleInPlaceObject>()->SetObjectRects(&smaller, &smaller), S_OK);
    EXPECT_TRUE(Shows({0, 75, 200, 125}));
}

TEST_F(ControlWindowTest, MouseZoomsIntoASelectionFitsBesideItAndDoubleClickResets)
{
    Add(L"halves", 100, 80, kHalves);
    Show(L"halves");
    Send(WM_LBUTTONDOWN, 160, 80);
    EXPECT_EQ(GetCapture(), window_);
    Send(WM_LBUTTONUP, 190, 100, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows({0, 0, 300, 200}, [](int, int) { return kBlue; })) << "bitmap 60,20-90,40";
    ASSERT_EQ(control_->put_FileName(Bstr(L"halves").Get()), S_OK);
    EXPECT_TRUE(Shows({0, 0, 300, 200}, [](int, int) { return kBlue; })) << "a new name keeps the view";

    Send(WM_LBUTTONDBLCLK, 150, 100);
    EXPECT_TRUE(Shows({100, 60, 200, 140}, kHalves));
    Send(WM_LBUTTONDOWN, 10, 10);
    Send(WM_LBUTTONUP, 60, 50, 0);  // beside the picture: fitted to the window
    EXPECT_TRUE(Shows({25, 0, 275, 200}, [](int x, int) { return x < 123 ? kRed : x > 127 ? kBlue : kAny; }));
    EXPECT_TRUE(testing_support::SaveArtefact(CaptureClient(window_), "control_view_fitted"));

    Send(WM_LBUTTONDOWN, 120, 70);  // a new file in the middle of a selection ends it
    Show(L"halves");
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows({100, 60, 200, 140}, kHalves));
}

TEST_F(ControlWindowTest, RubberBandIsDrawnOnlyAlongItsBorderAndLosingTheCaptureRemovesIt)
{
    Add(L"p", 100, 80, kSolid);
    Show(L"p");
    const Rect band{120, 70, 180, 120}, inner{121, 71, 179, 119}, picture{100, 60, 200, 140};
    for (const bool loseCapture : {false, true}) {
        Send(WM_LBUTTONDOWN, 120, 70);
        Send(WM_MOUSEMOVE, 180, 120);
        const Dib banded = CaptureClient(window_);
        EXPECT_FALSE(Matches(banded, Picture(picture)));
        EXPECT_TRUE(Matches(banded, [&](int x, int y) {
            return band.Contains(x, y) && !inner.Contains(x, y) ? kAny : Picture(picture)(x, y);
        }));
        if (loseCapture) {
            SetCapture(host_);
            ReleaseCapture();
        }
        // Back at the anchor: under 5 x 5, only a repaint; after a lost capture, nothing.
        Send(WM_LBUTTONUP, loseCapture ? 180 : 120, loseCapture ? 120 : 70, 0);
        EXPECT_TRUE(Shows(picture)) << "band gone, not zoomed";
    }
}

}  // namespace
