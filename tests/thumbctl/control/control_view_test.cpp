// The control window under a real window manager (Wine on a virtual display):
// pixels of what WM_PAINT put on screen and of drawings into memory, mouse
// selections sent as messages, events and dropped files.
#include "thumbctl/control/control_view.h"

#include <olectl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/win/gdi.h"
#include "framework/win/handles.h"
#include "tests/thumbctl/control/rect_printer.h"
#include "tests/support/drop_files.h"
#include "tests/support/pixels.h"
#include "thumbctl/server/interface.h"

namespace thumbctl {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kAny = 0xFFFFFFFF;  // an expected colour that is not checked

using testing_support::CaptureClient;
using testing_support::Dib;

// Writes a capture as a .bmp beside the test program, for a reviewer to look at.
void SaveViewArtefact(const Dib& dib, const char* name)
{
    EXPECT_TRUE(testing_support::SaveArtefact(dib, (std::string("control_view_") + name).c_str())) << name;
}

// The picture occupies exactly `where`: every pixel there has the picture's colour
// at that place, every other pixel is white.
::testing::AssertionResult ShowsPicture(const Dib& screen, const Rect& where,
                                        const std::function<uint32_t(int, int)>& expected)
{
    int wrong = 0;
    std::string first;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const uint32_t want = where.Contains(x, y) ? expected(x, y) : kWhite;
            if (want != kAny && screen.At(x, y) != want && wrong++ == 0)
                first = "first at " + std::to_string(x) + "," + std::to_string(y) + ": " +
                        std::to_string(screen.At(x, y)) + " instead of " + std::to_string(want);
        }
    }
    if (wrong == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ, " << first;
}

uint32_t Solid(int, int)
{
    return kRed;
}

class FakeSource : public PictureSource {
public:
    struct Picture {
        std::unique_ptr<Dib> dib;
        bool ready = true;
    };
    std::map<std::wstring, Picture> pictures;
    std::vector<std::wstring> requests;
    HWND lastWindow = nullptr;

    Dib& Add(const std::wstring& path, int w, int h, const std::function<uint32_t(int, int)>& color,
             bool ready = true)
    {
        Picture& p = pictures[path];
        p.dib = std::make_unique<Dib>(w, h);
        p.dib->Fill(color);
        p.ready = ready;
        return *p.dib;
    }

    HRESULT LoadBitmap(HWND window, const std::wstring& path, HBITMAP* bitmap, BITMAP* info) override
    {
        requests.push_back(path);
        lastWindow = window;
        auto it = pictures.find(path);
        if (it == pictures.end() || !it->second.ready)
            return E_FAIL;
        *bitmap = it->second.dib->Handle();
        GetObjectW(*bitmap, sizeof *info, info);
        return S_OK;
    }
};

class RecordingEvents : public ControlEvents {
public:
    std::vector<std::wstring> fired;
    void OnRClick() override { fired.push_back(L"RClick"); }
    void OnRClickUp() override { fired.push_back(L"RClickUp"); }
    void OnRDbClick() override { fired.push_back(L"RDbClick"); }
    void OnDropFiles(const std::wstring& files) override { fired.push_back(L"OnDropFiles " + files); }
};

class Host : public fw::Window {};

class ControlViewTest : public ::testing::Test {
protected:
    static const fw::WindowClass& ControlClass()
    {
        static const fw::WindowClass cls = ControlView::RegisterWindowClass(GetModuleHandleW(nullptr));
        return cls;
    }
    static const fw::WindowClass& HostClass()
    {
        static const fw::WindowClass cls(GetModuleHandleW(nullptr), L"ControlViewTestHost", 0,
                                         LoadCursor(nullptr, IDC_ARROW), nullptr);
        return cls;
    }

    void SetUp() override
    {
        ASSERT_TRUE(ControlClass());
        ASSERT_TRUE(HostClass());
        ASSERT_TRUE(host_.Create(HostClass(), nullptr, L"control test", WS_POPUP | WS_VISIBLE, 0,
                                 RECT{0, 0, 300, 200}));
        ASSERT_TRUE(view_.Create(ControlClass(), host_.Handle(), RECT{0, 0, 300, 200}, 1000));
        view_.SetPictureSource(&source_);
        view_.SetEvents(&events_);
        UpdateWindow(host_.Handle());
    }

    HWND View() const { return view_.Handle(); }
    void Send(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMessageW(View(), message, keys, MAKELPARAM(x, y));
    }
    void Drag(int x0, int y0, int x1, int y1)
    {
        Send(WM_LBUTTONDOWN, x0, y0, MK_LBUTTON);
        Send(WM_MOUSEMOVE, x1, y1, MK_LBUTTON);
        Send(WM_LBUTTONUP, x1, y1);
    }

    Host host_;
    ControlView view_;
    FakeSource source_;
    RecordingEvents events_;
};

TEST_F(ControlViewTest, WindowClassIsTheControlsOwn)
{
    wchar_t name[32] = {};
    GetClassNameW(View(), name, 32);
    EXPECT_EQ(std::wstring(name).substr(0, 4), L"ATL:");
    EXPECT_EQ(wcslen(name), 12u);
    EXPECT_EQ(GetClassLongW(View(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS),
              static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
}

TEST_F(ControlViewTest, PaintsWorkedExamplesOnScreen)
{
    const struct {
        const wchar_t* path;
        int windowWidth, windowHeight, pictureWidth, pictureHeight;
        Rect where;
    } cases[] = {
        {L"C:\\pics\\natural.bmp", 300, 200, 100, 80, {100, 60, 200, 140}},
        {L"C:\\pics\\odd.bmp", 300, 200, 101, 81, {100, 60, 200, 140}},
        {L"C:\\pics\\wide.bmp", 200, 200, 400, 100, {0, 75, 200, 125}},
        {L"C:\\pics\\tall.bmp", 200, 200, 100, 400, {75, 0, 125, 200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pictureWidth << "x" << c.pictureHeight);
        source_.Add(c.path, c.pictureWidth, c.pictureHeight, Solid);
        // WM_SIZE repaints at once: no further call is needed before reading the screen.
        SetWindowPos(View(), nullptr, 0, 0, c.windowWidth, c.windowHeight, SWP_NOMOVE | SWP_NOZORDER);
        view_.ShowFile(c.path);
        EXPECT_TRUE(ShowsPicture(CaptureClient(View()), c.where, Solid));
        EXPECT_EQ(view_.View().Destination(), c.where);
        EXPECT_EQ(source_.lastWindow, View());
    }
}

TEST_F(ControlViewTest, ResizingRepaintsAtOnce)
{
    source_.Add(L"wide", 400, 100, Solid);
    view_.ShowFile(L"wide");
    ASSERT_TRUE(ShowsPicture(CaptureClient(View()), {0, 63, 300, 138}, Solid));
    const size_t asked = source_.requests.size();
    SetWindowPos(View(), nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(source_.requests.size(), asked);
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {0, 75, 200, 125}, Solid));
}

TEST_F(ControlViewTest, WhiteWithoutSourceOrFileName)
{
    source_.Add(L"a", 100, 80, Solid);
    view_.ShowFile(L"");
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {}, Solid));
    EXPECT_TRUE(source_.requests.empty()) << "no file name: the source is not asked";

    view_.SetPictureSource(nullptr);
    view_.ShowFile(L"a");
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {}, Solid));
}

// Stands in for the picture cache's loader: sends the picture-ready message from
// another thread while this one keeps its messages flowing, as the real cache does.
struct LoaderJob {
    FakeSource::Picture* picture;
    HWND window;
};

DWORD WINAPI RunLoader(void* param)
{
    auto* job = static_cast<LoaderJob*>(param);
    job->picture->ready = true;
    SendMessageA(job->window, kPictureReadyMessage, 0, 0);
    return 0;
}

void DeliverFromAnotherThread(FakeSource::Picture& picture, HWND window)
{
    LoaderJob job{&picture, window};
    fw::UniqueHandle thread(CreateThread(nullptr, 0, RunLoader, &job, 0, nullptr));
    ASSERT_TRUE(thread);
    const HANDLE h = thread.get();
    const DWORD deadline = GetTickCount() + 10000;
    while (WaitForSingleObject(h, 0) == WAIT_TIMEOUT && GetTickCount() < deadline) {
        MsgWaitForMultipleObjects(1, &h, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    ASSERT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << "the loader never got its message through";
}

TEST_F(ControlViewTest, ShowsAStarUntilThePictureIsReadyThenThePicture)
{
    source_.Add(L"C:\\slow.jpg", 100, 80, Solid, false);
    view_.ShowFile(L"C:\\slow.jpg");

    const Dib pending = CaptureClient(View());
    int marked = 0, outsideCorner = 0;
    for (int y = 0; y < pending.height; ++y)
        for (int x = 0; x < pending.width; ++x)
            if (pending.At(x, y) != kWhite)
                ++(x < 24 && y < 24 ? marked : outsideCorner);
    EXPECT_GT(marked, 0) << "\"*\" in the top-left corner";
    EXPECT_EQ(outsideCorner, 0);
    EXPECT_TRUE(view_.View().Destination().Empty());

    DeliverFromAnotherThread(source_.pictures[L"C:\\slow.jpg"], View());
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140}, Solid));
}

TEST_F(ControlViewTest, PictureReadyForAFileLoadedAheadDoesNotPaintTheShownOneAgain)
{
    source_.Add(L"C:\\shown.jpg", 100, 80, Solid);
    source_.Add(L"C:\\ahead.jpg", 100, 80, Solid, false);
    view_.ShowFile(L"C:\\shown.jpg");
    ASSERT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140}, Solid));
    const size_t asked = source_.requests.size();
    DeliverFromAnotherThread(source_.pictures[L"C:\\ahead.jpg"], View());
    EXPECT_EQ(source_.requests.size(), asked) << "the picture on screen is not asked for and drawn again";
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140}, Solid));
}

// A picture whose left half is red and right half blue.
uint32_t Halves(int x, int)
{
    return x < 50 ? kRed : kBlue;
}

TEST_F(ControlViewTest, ZoomsIntoASelectionAndResetsOnDoubleClick)
{
    source_.Add(L"halves", 100, 80, Halves);
    view_.ShowFile(L"halves");
    ASSERT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140},
                             [](int x, int y) { return Halves(x - 100, y); }));

    Send(WM_LBUTTONDOWN, 160, 80, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), View());
    Send(WM_MOUSEMOVE, 190, 100, MK_LBUTTON);
    Send(WM_LBUTTONUP, 190, 100);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(view_.View().Zoom(), (Rect{60, 20, 90, 40}));
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {0, 0, 300, 200}, [](int, int) { return kBlue; }));

    // A selection across the two halves of the picture, inside the zoomed view of
    // the left edge: zooms further into the part shown.
    view_.ShowFile(L"halves");
    Drag(130, 70, 170, 110);  // around the border between red and blue
    EXPECT_EQ(view_.View().Zoom(), (Rect{30, 17, 70, 43}));
    // 40 x 26 bitmap pixels stretched to 300 x 195; the colour border may land a pixel
    // either way of x = 150.
    const Dib zoomed = CaptureClient(View());
    EXPECT_TRUE(ShowsPicture(zoomed, {0, 3, 300, 198}, [](int x, int) {
        return x < 148 ? kRed : x > 152 ? kBlue : kAny;
    }));
    SaveViewArtefact(zoomed, "zoomed");

    Send(WM_LBUTTONDBLCLK, 150, 100, MK_LBUTTON);
    Send(WM_LBUTTONUP, 150, 100);
    EXPECT_TRUE(view_.View().Zoom().Empty());
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140},
                             [](int x, int y) { return Halves(x - 100, y); }));
}

TEST_F(ControlViewTest, SelectionOutsideThePictureFitsItToTheWindow)
{
    source_.Add(L"small", 50, 40, Solid);
    view_.ShowFile(L"small");
    ASSERT_TRUE(ShowsPicture(CaptureClient(View()), {125, 80, 175, 120}, Solid));
    Drag(10, 10, 60, 50);
    EXPECT_TRUE(view_.View().FitMode());
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {25, 0, 275, 200}, Solid));
}

TEST_F(ControlViewTest, RubberBandIsDrawnOnlyAlongItsBorder)
{
    source_.Add(L"p", 100, 80, Solid);
    view_.ShowFile(L"p");
    const Dib clean = CaptureClient(View());
    Send(WM_LBUTTONDOWN, 120, 70, MK_LBUTTON);
    Send(WM_MOUSEMOVE, 180, 120, MK_LBUTTON);
    const Dib banded = CaptureClient(View());
    const Rect band{120, 70, 180, 120};
    const Rect inner{121, 71, 179, 119};
    int onBorder = 0, elsewhere = 0;
    for (int y = 0; y < clean.height; ++y)
        for (int x = 0; x < clean.width; ++x)
            if (clean.At(x, y) != banded.At(x, y))
                ++(band.Contains(x, y) && !inner.Contains(x, y) ? onBorder : elsewhere);
    EXPECT_GT(onBorder, 50);
    EXPECT_EQ(elsewhere, 0);

    // Only x changes: the band stays where it was.
    Send(WM_MOUSEMOVE, 190, 120, MK_LBUTTON);
    const Dib same = CaptureClient(View());
    EXPECT_EQ(std::memcmp(same.bits, banded.bits, static_cast<size_t>(same.width) * same.height * 4), 0);

    Send(WM_LBUTTONUP, 120, 70);  // back at the anchor: under 5 x 5, nothing but a repaint
    EXPECT_TRUE(view_.View().Zoom().Empty());
    EXPECT_FALSE(view_.View().FitMode());
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140}, Solid));
}

TEST_F(ControlViewTest, LosingTheCaptureEndsTheSelectionWithoutZooming)
{
    source_.Add(L"p", 100, 80, Solid);
    view_.ShowFile(L"p");
    Send(WM_LBUTTONDOWN, 120, 70, MK_LBUTTON);
    Send(WM_MOUSEMOVE, 180, 120, MK_LBUTTON);
    ASSERT_TRUE(view_.View().Selecting());
    SetCapture(host_.Handle());
    EXPECT_FALSE(view_.View().Selecting());
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140}, Solid)) << "band gone";
    ReleaseCapture();
    Send(WM_LBUTTONUP, 180, 120);
    EXPECT_TRUE(view_.View().Zoom().Empty());
}

TEST_F(ControlViewTest, NewFileResetsTheViewAndFileNameKeepsIt)
{
    source_.Add(L"a", 100, 80, Solid);
    source_.Add(L"b", 100, 80, Halves);
    view_.ShowFile(L"a");
    Drag(160, 80, 190, 100);
    ASSERT_EQ(view_.View().Zoom(), (Rect{60, 20, 90, 40}));

    view_.SetFileName(L"b");
    EXPECT_EQ(view_.View().Zoom(), (Rect{60, 20, 90, 40}));
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {0, 0, 300, 200}, [](int, int) { return kBlue; }));

    // A new file in the middle of a selection ends it and gives the mouse back.
    Send(WM_LBUTTONDOWN, 120, 70, MK_LBUTTON);
    ASSERT_EQ(GetCapture(), View());
    view_.ShowFile(L"b");
    EXPECT_FALSE(view_.View().Selecting());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(view_.View().Zoom().Empty());
    EXPECT_TRUE(ShowsPicture(CaptureClient(View()), {100, 60, 200, 140},
                             [](int x, int y) { return Halves(x - 100, y); }));
}

TEST_F(ControlViewTest, DrawsIntoAGivenDeviceContextWithTheSameCode)
{
    source_.Add(L"halves", 100, 80, Halves);
    view_.ShowFile(L"halves");
    Dib target(400, 300);
    target.Fill([](int, int) { return 0x00FF00u; });
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    {
        fw::SelectObjectScope selected(dc.get(), target.Handle());
        view_.Draw(dc.get(), RECT{50, 30, 350, 230});
    }
    GdiFlush();
    // Outside the bounds untouched, inside the same picture as on screen, shifted.
    int wrong = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            uint32_t want = 0x00FF00;
            if (x >= 50 && x < 350 && y >= 30 && y < 230)
                want = (x >= 150 && x < 250 && y >= 90 && y < 170) ? Halves(x - 150, y) : kWhite;
            wrong += target.At(x, y) != want;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(view_.View().Destination(), (Rect{100, 60, 200, 140})) << "drawing elsewhere keeps the view";

    // WM_PAINT bringing its own device context and WM_PRINTCLIENT draw the client area.
    for (UINT message : {static_cast<UINT>(WM_PAINT), static_cast<UINT>(WM_PRINTCLIENT)}) {
        Dib client(300, 200);
        client.Fill([](int, int) { return 0x00FF00u; });
        fw::SelectObjectScope selected(dc.get(), client.Handle());
        SendMessageW(View(), message, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        GdiFlush();
        EXPECT_TRUE(ShowsPicture(client, {100, 60, 200, 140}, [](int x, int y) {
            return Halves(x - 100, y);
        })) << message;
    }
}

TEST_F(ControlViewTest, DrawsIntoAMetafile)
{
    source_.Add(L"halves", 100, 80, Halves);
    view_.ShowFile(L"halves");
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    view_.Draw(recorder, RECT{0, 0, 300, 200});
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    ASSERT_NE(metafile, nullptr);

    Dib played(300, 200);
    played.Fill([](int, int) { return 0x00FF00u; });
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    {
        fw::SelectObjectScope selected(dc.get(), played.Handle());
        const RECT frame{0, 0, 300, 200};
        PlayEnhMetaFile(dc.get(), metafile, &frame);
    }
    DeleteEnhMetaFile(metafile);
    GdiFlush();
    // Playback maps the recorded frame onto the target with some rounding: the
    // picture may grow by a pixel or two, but lies where it was drawn.
    Rect box{300, 200, 0, 0};
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            if (played.At(x, y) != kWhite) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
    EXPECT_NEAR(box.left, 100, 2);
    EXPECT_NEAR(box.top, 60, 2);
    EXPECT_NEAR(box.right, 200, 2);
    EXPECT_NEAR(box.bottom, 140, 2);
    EXPECT_EQ(played.At(120, 100), kRed);
    EXPECT_EQ(played.At(180, 100), kBlue);
    EXPECT_EQ(played.At(50, 100), kWhite) << "the bands are recorded too";
}

TEST_F(ControlViewTest, EraseBackgroundLeavesTheContextAlone)
{
    Dib target(300, 200);
    target.Fill([](int, int) { return 0x123456u; });
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    fw::SelectObjectScope selected(dc.get(), target.Handle());
    EXPECT_EQ(SendMessageW(View(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 0);
    GdiFlush();
    EXPECT_EQ(target.At(0, 0), 0x123456u);
    EXPECT_EQ(target.At(299, 199), 0x123456u);
}

TEST_F(ControlViewTest, RightButtonMessagesFireEvents)
{
    Send(WM_RBUTTONDOWN, 10, 10, MK_RBUTTON);
    Send(WM_RBUTTONUP, 10, 10);
    Send(WM_RBUTTONDBLCLK, 10, 10, MK_RBUTTON);
    Send(WM_RBUTTONUP, 10, 10);
    EXPECT_EQ(events_.fired, (std::vector<std::wstring>{L"RClick", L"RClickUp", L"RDbClick", L"RClickUp"}));
}

using testing_support::MakeDrop;

TEST_F(ControlViewTest, DroppedFilesAreReportedEachFollowedBySemicolon)
{
    view_.SetAcceptDropFiles(true);
    EXPECT_NE(GetWindowLongW(View(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    const struct {
        std::vector<std::string> names;
        std::wstring text;
    } cases[] = {
        {{"C:\\a.jpg", "C:\\b.jpg"}, L"C:\\a.jpg;C:\\b.jpg;"},
        {{"C:\\x\\1.bmp", "C:\\x\\2.bmp", "D:\\3.png"}, L"C:\\x\\1.bmp;C:\\x\\2.bmp;D:\\3.png;"},
        {{"C:\\\x95\x5C\\\x8E\xCA\x90\x5E.jpg"}, L"C:\\\u8868\\\u5199\u771F.jpg;"},  // C:\表\写真.jpg
    };
    for (const auto& c : cases) {
        events_.fired.clear();
        SendMessageW(View(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.names)), 0);
        EXPECT_EQ(events_.fired, (std::vector<std::wstring>{L"OnDropFiles " + c.text}));
    }
    view_.SetAcceptDropFiles(false);
    EXPECT_EQ(GetWindowLongW(View(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
}

TEST_F(ControlViewTest, ReflectedNotificationsGetDefaultProcessingOfThePlainMessage)
{
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const LRESULT plain = DefWindowProcA(View(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                         reinterpret_cast<LPARAM>(View()));
    ASSERT_NE(plain, 0);
    EXPECT_EQ(SendMessageW(View(), 0x2000 + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                           reinterpret_cast<LPARAM>(View())),
              plain);
    EXPECT_EQ(SendMessageW(View(), 0x2000 + WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                           reinterpret_cast<LPARAM>(View())),
              DefWindowProcA(View(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                             reinterpret_cast<LPARAM>(View())));
}

// A picture decoded by the system's OLE picture loader, as the picture cache
// delivers them (a device-dependent bitmap), from a .bmp image built in memory.
class OlePictureSource : public PictureSource {
public:
    explicit OlePictureSource(const Dib& image)
    {
        const std::string file = testing_support::BmpFile(image);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, file.size());
        if (!memory)
            return;
        std::memcpy(GlobalLock(memory), file.data(), file.size());
        GlobalUnlock(memory);
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)))
            return;
        OleLoadPicture(stream, static_cast<LONG>(file.size()), FALSE, IID_IPicture,
                       reinterpret_cast<void**>(&picture_));
        stream->Release();
    }
    ~OlePictureSource() override
    {
        if (picture_)
            picture_->Release();
    }
    OlePictureSource(const OlePictureSource&) = delete;
    OlePictureSource& operator=(const OlePictureSource&) = delete;

    HRESULT LoadBitmap(HWND, const std::wstring&, HBITMAP* bitmap, BITMAP* info) override
    {
        OLE_HANDLE handle = 0;
        if (!picture_ || FAILED(picture_->get_Handle(&handle)))
            return E_FAIL;
        *bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
        return GetObjectW(*bitmap, sizeof *info, info) ? S_OK : E_FAIL;
    }

private:
    IPicture* picture_ = nullptr;
};

TEST_F(ControlViewTest, ScreenshotOfADecodedPicture)
{
    // A colour gradient with a frame, decoded by the OLE picture loader.
    Dib image(240, 150);
    image.Fill([](int x, int y) {
        if (x < 3 || y < 3 || x >= 237 || y >= 147)
            return 0x202020u;
        return static_cast<uint32_t>((x * 255 / 240) << 16 | (y * 255 / 150) << 8 | 0x80);
    });
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        OlePictureSource decoded(image);
        view_.SetPictureSource(&decoded);
        view_.ShowFile(L"C:\\photo.bmp");
        const Dib shot = CaptureClient(View());
        EXPECT_TRUE(
            ShowsPicture(shot, {30, 25, 270, 175}, [&](int x, int y) { return image.At(x - 30, y - 25); }));
        SaveViewArtefact(shot, "decoded");
        Drag(150, 100, 230, 160);
        EXPECT_FALSE(view_.View().Zoom().Empty());
        SaveViewArtefact(CaptureClient(View()), "decoded_zoomed");
        view_.SetPictureSource(nullptr);
    }
    CoUninitialize();
}

}  // namespace
}  // namespace thumbctl
