#include "thumbctl/control/control_view.h"

#include <cstdint>
#include <cwchar>
#include <string>

#include "framework/core/text.h"
#include "framework/win/gdi.h"
#include "framework/win/handles.h"
#include "thumbctl/control/timing_log.h"
#include "thumbctl/server/interface.h"

namespace thumbctl {
namespace {

RECT ToRect(const Rect& r, const RECT& origin)
{
    return {origin.left + r.left, origin.top + r.top, origin.left + r.right, origin.top + r.bottom};
}

void DrawBand(HWND hwnd, const Rect& band)
{
    fw::WindowDc dc(hwnd);
    const RECT r{band.left, band.top, band.right, band.bottom};
    DrawFocusRect(dc.Dc(), &r);
}

}  // namespace

fw::WindowClass ControlView::RegisterWindowClass(HINSTANCE module)
{
    static const int kClassTag = 0;
    wchar_t name[16];
    swprintf(name, 16, L"ATL:%8.8X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(&kClassTag)));
    return fw::WindowClass(module, name, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                           reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
}

const fw::MessageMap& ControlView::Messages() const
{
    constexpr UINT kReflectedFirst = 0x2000 + WM_DRAWITEM;
    constexpr UINT kReflectedLast = 0x2000 + WM_PARENTNOTIFY;
    static const fw::MessageMap map =
        fw::MessageMapFor<ControlView>()
            .On<WM_PAINT>(&ControlView::OnPaint)
            .On<WM_PRINTCLIENT>(&ControlView::OnPrintClient)
            .On<WM_ERASEBKGND>(&ControlView::OnEraseBackground)
            .On<WM_SIZE>(&ControlView::OnSize)
            .On<WM_MOUSEMOVE>(&ControlView::OnMouseMove)
            .On<WM_LBUTTONDOWN>(&ControlView::OnLButtonDown)
            .On<WM_LBUTTONUP>(&ControlView::OnLButtonUp)
            .On<WM_LBUTTONDBLCLK>(&ControlView::OnLButtonDblClk)
            .On<WM_RBUTTONDOWN>(&ControlView::OnRButtonDown)
            .On<WM_RBUTTONUP>(&ControlView::OnRButtonUp)
            .On<WM_RBUTTONDBLCLK>(&ControlView::OnRButtonDblClk)
            .On<WM_CAPTURECHANGED>(&ControlView::OnCaptureChanged)
            .On<WM_DROPFILES>(&ControlView::OnDropFiles)
            .OnMessage(kPictureReadyMessage, &ControlView::OnPictureReady)
            .OnRange(kReflectedFirst, kReflectedLast, &ControlView::OnReflected);
    return map;
}

bool ControlView::Create(const fw::WindowClass& cls, HWND parent, const RECT& rect, UINT id, DWORD style)
{
    return fw::Window::Create(cls, parent, L"", style, 0, rect, id);
}

void ControlView::ShowFile(std::wstring path)
{
    fileName_ = std::move(path);
    pictureOnScreen_ = false;
    const bool wasSelecting = view_.Selecting();
    view_.Reset();
    if (wasSelecting && Handle() && GetCapture() == Handle())
        ReleaseCapture();
    Repaint();
}

void ControlView::SetFileName(std::wstring path)
{
    fileName_ = std::move(path);
    pictureOnScreen_ = false;
    Repaint();
}

void ControlView::SetAcceptDropFiles(bool accept)
{
    if (!Handle())
        return;
    LONG style = GetWindowLongA(Handle(), GWL_EXSTYLE);
    style = accept ? (style | WS_EX_ACCEPTFILES) : (style & ~WS_EX_ACCEPTFILES);
    SetWindowLongA(Handle(), GWL_EXSTYLE, style);
}

void ControlView::Draw(HDC dc, const RECT& bounds)
{
    fw::SavedDcState saved(dc);
    DrawContent(dc, bounds, false);
}

void ControlView::Repaint()
{
    if (!Handle())
        return;
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());
}

void ControlView::DrawContent(HDC dc, const RECT& bounds, bool record)
{
    fw::UniqueGdiObject white(CreateSolidBrush(RGB(255, 255, 255)));
    const auto brush = static_cast<HBRUSH>(white.get());
    HBITMAP bitmap = nullptr;
    BITMAP info{};
    if (record)
        pictureOnScreen_ = false;
    if (!source_ || fileName_.empty()) {
        FillRect(dc, &bounds, brush);
        return;
    }
    const long long asked = TimingNow();
    if (FAILED(source_->LoadBitmap(Handle(), fileName_, &bitmap, &info)) || !bitmap) {
        FillRect(dc, &bounds, brush);
        TextOutA(dc, bounds.left, bounds.top, "*", 1);
        TimingLog("paint", "miss lookup_us=%lld", TimingNow() - asked);
        return;
    }
    const long long found = TimingNow();

    const Placement p = view_.Place(bounds.right - bounds.left, bounds.bottom - bounds.top, info.bmWidth,
                                    info.bmHeight, record);
    fw::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (!memory)  // a metafile has no compatible memory context; the screen's will do
        memory.reset(CreateCompatibleDC(nullptr));
    if (!p.drawn || !memory) {
        FillRect(dc, &bounds, brush);
        return;
    }
    fw::SelectObjectScope selected(memory.get(), bitmap);
    SetStretchBltMode(dc, COLORONCOLOR);
    for (size_t i = 0; i < p.bandCount; ++i) {
        const RECT band = ToRect(p.bands[i], bounds);
        FillRect(dc, &band, brush);
    }
    const RECT d = ToRect(p.destination, bounds);
    StretchBlt(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, memory.get(), p.source.left,
               p.source.top, p.source.Width(), p.source.Height(), SRCCOPY);
    if (record)
        pictureOnScreen_ = true;
    if (TimingLogOn())
        TimingLog("paint", "hit lookup_us=%lld blit_us=%lld source=%dx%d drawn=%ldx%ld", found - asked,
                  TimingNow() - found, p.source.Width(), p.source.Height(), d.right - d.left,
                  d.bottom - d.top);
}

void ControlView::OnPaint(HDC given)
{
    RECT client{};
    GetClientRect(Handle(), &client);
    auto draw = [&](HDC dc) {
        fw::SavedDcState saved(dc);
        SetMapMode(dc, MM_TEXT);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        DrawContent(dc, client, true);
    };
    if (given) {
        draw(given);
        return;
    }
    fw::PaintScope paint(Handle());
    draw(paint.Dc());
}

void ControlView::OnPrintClient(HDC dc, UINT)
{
    RECT client{};
    GetClientRect(Handle(), &client);
    Draw(dc, client);
}

bool ControlView::OnEraseBackground(HDC)
{
    return false;  // painting covers the whole window; erasing would only flash
}

void ControlView::OnSize(UINT, int, int)
{
    Repaint();
}

void ControlView::OnLButtonDown(const fw::MouseArgs& mouse)
{
    if (!view_.BeginSelection(mouse.x, mouse.y))
        return;
    DrawBand(Handle(), view_.Drag().Normalized());
    SetCapture(Handle());
}

void ControlView::OnMouseMove(const fw::MouseArgs& mouse)
{
    const auto move = view_.MoveSelection(SelectionCoordinate(mouse.x), SelectionCoordinate(mouse.y));
    if (!move)
        return;
    DrawBand(Handle(), move->erase);
    DrawBand(Handle(), move->draw);
}

void ControlView::OnLButtonUp(const fw::MouseArgs& mouse)
{
    if (!view_.Selecting())
        return;
    RECT client{};
    GetClientRect(Handle(), &client);
    // The selection ends before the capture goes, so WM_CAPTURECHANGED finds none.
    view_.EndSelection(SelectionCoordinate(mouse.x), SelectionCoordinate(mouse.y), client.right,
                       client.bottom);
    ReleaseCapture();
    Repaint();
}

void ControlView::OnLButtonDblClk(const fw::MouseArgs&)
{
    view_.Reset();
    Repaint();
}

void ControlView::OnRButtonDown(const fw::MouseArgs&)
{
    if (events_)
        events_->OnRClick();
}

void ControlView::OnRButtonUp(const fw::MouseArgs&)
{
    if (events_)
        events_->OnRClickUp();
}

void ControlView::OnRButtonDblClk(const fw::MouseArgs&)
{
    if (events_)
        events_->OnRDbClick();
}

void ControlView::OnCaptureChanged(HWND)
{
    if (view_.CancelSelection())
        Repaint();
}

void ControlView::OnDropFiles(HDROP drop)
{
    std::string text;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH];
        const UINT length = DragQueryFileA(drop, i, name, MAX_PATH);
        text.append(name, length < MAX_PATH ? length : MAX_PATH - 1);
        text += ';';
    }
    DragFinish(drop);
    if (events_)
        events_->OnDropFiles(fw::WidenAnsi(text));
}

LRESULT ControlView::OnPictureReady(UINT, WPARAM, LPARAM)
{
    TimingLog("ready", pictureOnScreen_ ? L"(shown already)" : fileName_);
    // The message also comes for pictures loaded ahead: the one on screen stays.
    if (!pictureOnScreen_)
        Repaint();
    return 0;
}

LRESULT ControlView::OnReflected(UINT message, WPARAM wp, LPARAM lp)
{
    if (const auto plain = UnreflectedMessage(message))
        return DefWindowProcA(Handle(), *plain, wp, lp);
    return DefaultProcedure(message, wp, lp);
}

}  // namespace thumbctl
