// The control window under a real window manager (Wine on a virtual display): pixels of
// what WM_PAINT put on screen and of drawings into other contexts, and mouse selections
// sent as messages. (Placement and selection arithmetic: the native tables.)
#include "thumbctl/control/control_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "framework/win/gdi.h"
#include "framework/win/handles.h"
#include "tests/support/pixels.h"
#include "tests/thumbctl/control/rect_printer.h"
#include "thumbctl/server/interface.h"

namespace thumbctl {
namespace {

using testing_support::CaptureClient;
using testing_support::Dib;
using Colours = std::function<uint32_t(int, int)>;
constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kAny = 0xFFFFFFFF;
const Colours kSolid = [](int, int) { return kRed; };
const Colours kHalves = [](int x, int) { return x < 50 ? kRed : kBlue; };  // of a 100 x 80 picture

// The picture inside `where` (its left edge at where.left), white around it.
Colours Picture(const Rect& where, const Colours& inside = kSolid)
{
    return [=](int x, int y) { return where.Contains(x, y) ? inside(x - where.left, y) : kWhite; };
}

// Every pixel has the expected colour (kAny: not checked).
testing::AssertionResult Matches(const Dib& dib, const Colours& expected)
{
    int wrong = 0;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            wrong += expected(x, y) != kAny && dib.At(x, y) != expected(x, y);
    return wrong == 0 ? testing::AssertionSuccess()
                      : testing::AssertionFailure() << wrong << " pixels differ";
}

// Pictures by path; a picture not ready fails the request, as the cache does.
class FakeSource : public PictureSource {
public:
    HRESULT LoadBitmap(HWND window, const std::wstring& path, HBITMAP* bitmap, BITMAP* info) override
    {
        ++requests;
        lastWindow = window;
        auto it = pictures.find(path);
        if (it == pictures.end() || !ready[path])
            return E_FAIL;
        *bitmap = it->second.Handle();
        GetObjectW(*bitmap, sizeof *info, info);
        return S_OK;
    }
    void Add(const std::wstring& path, int w, int h, const Colours& colours, bool isReady = true)
    {
        pictures.try_emplace(path, w, h).first->second.Fill(colours);
        ready[path] = isReady;
    }
    std::map<std::wstring, Dib> pictures;
    std::map<std::wstring, bool> ready;
    int requests = 0;
    HWND lastWindow = nullptr;
};

class ControlViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        static const fw::WindowClass control = ControlView::RegisterWindowClass(GetModuleHandleW(nullptr));
        static const fw::WindowClass host(GetModuleHandleW(nullptr), L"ControlViewTestHost", 0, nullptr,
                                          nullptr);
        ASSERT_TRUE(host_.Create(host, nullptr, L"", WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 300, 200}));
        ASSERT_TRUE(view_.Create(control, host_.Handle(), RECT{0, 0, 300, 200}, 1000));
        view_.SetPictureSource(&source_);
    }
    void Send(UINT message, int x, int y, WPARAM keys = MK_LBUTTON)
    {
        SendMessageW(view_.Handle(), message, keys, MAKELPARAM(x, y));
    }
    void Drag(int x0, int y0, int x1, int y1)
    {
        Send(WM_LBUTTONDOWN, x0, y0);
        Send(WM_MOUSEMOVE, x1, y1);
        Send(WM_LBUTTONUP, x1, y1, 0);
    }
    testing::AssertionResult Shows(const Rect& where, const Colours& inside = kSolid)
    {
        return Matches(CaptureClient(view_.Handle()), Picture(where, inside));
    }
    // What the cache's loader does when a picture is in: marks it ready and sends the message.
    void Deliver(const std::wstring& path)
    {
        source_.ready[path] = true;
        SendMessageW(view_.Handle(), kPictureReadyMessage, 0, 0);
    }

    fw::Window host_;
    ControlView view_;
    FakeSource source_;
};

TEST_F(ControlViewTest, PaintsThePictureWhereItIsPlacedAndRepaintsAtOnceOnResize)
{
    source_.Add(L"wide", 400, 100, kSolid);
    view_.ShowFile(L"wide");
    EXPECT_TRUE(Shows({0, 63, 300, 138}));
    EXPECT_EQ(source_.lastWindow, view_.Handle());
    SetWindowPos(view_.Handle(), nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(Shows({0, 75, 200, 125}));
    EXPECT_EQ(view_.View().Destination(), (Rect{0, 75, 200, 125}));
}

TEST_F(ControlViewTest, ShowsAStarUntilThePictureIsReadyAndIgnoresPicturesLoadedAhead)
{
    source_.Add(L"p", 100, 80, kSolid);
    view_.ShowFile(L"");
    EXPECT_TRUE(Shows({}));
    EXPECT_EQ(source_.requests, 0) << "no file name: the source is not asked";
    view_.SetPictureSource(nullptr);
    view_.ShowFile(L"p");
    EXPECT_TRUE(Shows({}));

    view_.SetPictureSource(&source_);
    source_.Add(L"slow", 100, 80, kSolid, false);
    view_.ShowFile(L"slow");
    const Dib pending = CaptureClient(view_.Handle());
    EXPECT_FALSE(Matches(pending, Picture({}))) << "a \"*\" in the top-left corner";
    EXPECT_TRUE(Matches(pending, [](int x, int y) { return x < 24 && y < 24 ? kAny : kWhite; }));
    EXPECT_TRUE(view_.View().Destination().Empty());
    Deliver(L"slow");
    EXPECT_TRUE(Shows({100, 60, 200, 140}));

    source_.Add(L"ahead", 100, 80, kSolid, false);
    const int asked = source_.requests;
    Deliver(L"ahead");
    EXPECT_EQ(source_.requests, asked) << "the picture on screen is not asked for and drawn again";
}

TEST_F(ControlViewTest, MouseZoomsIntoASelectionFitsBesideItAndDoubleClickResets)
{
    source_.Add(L"halves", 100, 80, kHalves);
    view_.ShowFile(L"halves");
    Send(WM_LBUTTONDOWN, 160, 80);
    EXPECT_EQ(GetCapture(), view_.Handle());
    Send(WM_LBUTTONUP, 190, 100, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows({0, 0, 300, 200}, [](int, int) { return kBlue; })) << "bitmap 60,20-90,40";
    view_.SetFileName(L"halves");
    EXPECT_TRUE(Shows({0, 0, 300, 200}, [](int, int) { return kBlue; })) << "a new name keeps the view";

    // Across the colour border: 40 x 26 bitmap pixels stretched to 300 x 195, the border
    // landing a pixel either way of x = 150.
    view_.ShowFile(L"halves");
    Drag(130, 70, 170, 110);
    EXPECT_EQ(view_.View().Zoom(), (Rect{30, 17, 70, 43}));
    const Dib zoomed = CaptureClient(view_.Handle());
    EXPECT_TRUE(Matches(zoomed, Picture({0, 3, 300, 198}, [](int x, int) {
                            return x < 148 ? kRed : x > 152 ? kBlue : kAny;
                        })));
    EXPECT_TRUE(testing_support::SaveArtefact(zoomed, "control_view_zoomed"));
    Send(WM_LBUTTONDBLCLK, 150, 100);
    Send(WM_LBUTTONUP, 150, 100, 0);
    EXPECT_TRUE(Shows({100, 60, 200, 140}, kHalves));
    Drag(10, 10, 60, 50);  // beside the picture: fitted to the window
    EXPECT_TRUE(Shows({25, 0, 275, 200}, [](int x, int) { return x < 123 ? kRed : x > 127 ? kBlue : kAny; }));

    // A new file in the middle of a selection ends it and gives the mouse back.
    Send(WM_LBUTTONDOWN, 120, 70);
    view_.ShowFile(L"halves");
    EXPECT_FALSE(view_.View().Selecting());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows({100, 60, 200, 140}, kHalves));
}

TEST_F(ControlViewTest, RubberBandIsDrawnOnlyAlongItsBorderAndLosingTheCaptureRemovesIt)
{
    source_.Add(L"p", 100, 80, kSolid);
    view_.ShowFile(L"p");
    Send(WM_LBUTTONDOWN, 120, 70);
    Send(WM_MOUSEMOVE, 180, 120);
    const Dib banded = CaptureClient(view_.Handle());
    const Rect band{120, 70, 180, 120}, inner{121, 71, 179, 119}, picture{100, 60, 200, 140};
    EXPECT_FALSE(Matches(banded, Picture(picture)));
    EXPECT_TRUE(Matches(banded, [&](int x, int y) {
        return band.Contains(x, y) && !inner.Contains(x, y) ? kAny : Picture(picture)(x, y);
    }));
    Send(WM_MOUSEMOVE, 190, 120);  // only x changes: the band stays
    const Dib same = CaptureClient(view_.Handle());
    EXPECT_EQ(std::memcmp(same.bits, banded.bits, static_cast<size_t>(same.width) * same.height * 4), 0);
    Send(WM_LBUTTONUP, 120, 70, 0);  // back at the anchor: under 5 x 5, only a repaint
    EXPECT_TRUE(Shows(picture));

    Send(WM_LBUTTONDOWN, 120, 70);
    Send(WM_MOUSEMOVE, 180, 120);
    SetCapture(host_.Handle());
    EXPECT_TRUE(Shows(picture)) << "band gone";
    ReleaseCapture();
    Send(WM_LBUTTONUP, 180, 120, 0);
    EXPECT_TRUE(Shows(picture)) << "not zoomed";
}

// (Drawing into a container's bounds and into metafiles: IViewObject in thumb_control_test.cpp.)
TEST_F(ControlViewTest, PaintAndPrintIntoAGivenContextDrawTheClientAreaAndErasingDoesNothing)
{
    source_.Add(L"halves", 100, 80, kHalves);
    view_.ShowFile(L"halves");
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    for (UINT message : {UINT{WM_PAINT}, UINT{WM_PRINTCLIENT}, UINT{WM_ERASEBKGND}}) {
        Dib client(300, 200, kGreen);
        {
            fw::SelectObjectScope selected(dc.get(), client.Handle());
            EXPECT_EQ(SendMessageW(view_.Handle(), message, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT),
                      0);
            GdiFlush();
        }
        const Colours green = [](int, int) { return kGreen; };
        EXPECT_TRUE(Matches(client, message == WM_ERASEBKGND ? green : Picture({100, 60, 200, 140}, kHalves)))
            << message;
    }
    EXPECT_EQ(view_.View().Destination(), (Rect{100, 60, 200, 140}));
}

TEST_F(ControlViewTest, ReflectedNotificationsGetDefaultProcessingOfThePlainMessage)
{
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const auto wp = reinterpret_cast<WPARAM>(dc.get());
    const auto lp = reinterpret_cast<LPARAM>(view_.Handle());
    for (UINT plain : {UINT{WM_CTLCOLORSTATIC}, UINT{WM_CTLCOLOREDIT}}) {
        const LRESULT expected = DefWindowProcA(view_.Handle(), plain, wp, lp);
        EXPECT_NE(expected, 0);
        EXPECT_EQ(SendMessageW(view_.Handle(), 0x2000 + plain, wp, lp), expected);
    }
}

}  // namespace
}  // namespace thumbctl
