#include "app/list_window.h"

#include <utility>

#include "framework/win/gdi.h"
#include "framework/core/text.h"
#include "resources/lumsor/resource.h"

namespace {

constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_NOCLOSE;
constexpr DWORD kWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                               WS_VSCROLL | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

const fw::WindowClass& ListWindowClass()
{
    static const fw::WindowClass cls(GetModuleHandleW(nullptr), L"CClsLstWnd", kClassStyle, nullptr, nullptr,
                                     LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LISTWINDOW)));
    return cls;
}

}  // namespace

CClsLstWnd::~CClsLstWnd()
{
    model_.SetView(nullptr);
}

bool CClsLstWnd::Create(HWND client, IUnknown* cache, const RECT& rect)
{
    // An empty list shows no scroll bar (range 0 to 0): the window comes without one.
    if (!CreateChild(ListWindowClass(), client, fw::WidenAnsi(model_.Caption(-1)).c_str(),
                     kWindowStyle & ~WS_VSCROLL, rect))
        return false;
    cache_ = cache;
    model_.SetView(this);
    return true;
}

bool CClsLstWnd::AttachControl()
{
    if (control_.Handle())
        return true;
    if (attachFailed_ || !Handle())
        return false;
    RECT area{};
    GetClientRect(Handle(), &area);
    if (FAILED(control_.Create(Handle(), area, IDC_THUMBNAIL, WS_VISIBLE))) {
        attachFailed_ = true;
        InvalidateRect(Handle(), nullptr, TRUE);
        return false;
    }
    if (SUCCEEDED(fw::com::Make<CClsDropTarget>(dropTarget_, static_cast<DropSite&>(*this))))
        dropRegistered_ = SUCCEEDED(RegisterDragDrop(Handle(), dropTarget_.Get()));
    fw::com::Make<CClsDropSource>(dropSource_, static_cast<DropSite&>(*this));
    control_.ConnectEvents([this](DISPID id, const DISPPARAMS&) { OnControlEvent(id); });
    if (cache_)
        control_.IPictureCache(cache_);
    control_.displayFile(shown_);
    return true;
}

const fw::MessageMap& CClsLstWnd::Messages() const
{
    static const fw::MessageMap map = fw::MessageMapFor<CClsLstWnd>()
                                          .On<WM_PAINT>(&CClsLstWnd::OnPaint)
                                          .On<WM_ERASEBKGND>(&CClsLstWnd::OnEraseBackground)
                                          .On<WM_SIZE>(&CClsLstWnd::OnSize)
                                          .On<WM_VSCROLL>(&CClsLstWnd::OnVScroll)
                                          .OnMessage(WM_NCLBUTTONDOWN, &CClsLstWnd::OnNcLButtonDown)
                                          .OnMessage(WM_NCRBUTTONDOWN, &CClsLstWnd::OnNcRButtonDown)
                                          .On<WM_SETFOCUS>(&CClsLstWnd::OnSetFocus)
                                          .OnMessage(WM_SYSCOMMAND, &CClsLstWnd::OnSysCommand)
                                          .On<WM_TIMER>(&CClsLstWnd::OnTimer)
                                          .On<WM_DROPFILES>(&CClsLstWnd::OnDropFiles)
                                          .On<WM_DESTROY>(&CClsLstWnd::OnDestroy);
    return map;
}

bool CClsLstWnd::RouteCommand(UINT id)
{
    return Commands().Execute(*this, id);
}

fw::CommandState CClsLstWnd::CommandStateOf(UINT id) const
{
    return Commands().State(*this, id);
}

void CClsLstWnd::OnDestroy()
{
    if (dropRegistered_)
        RevokeDragDrop(Handle());
    dropRegistered_ = false;
    PassOn();
}

void CClsLstWnd::OnPaint(HDC)
{
    bool inView = false;
    {
        fw::PaintScope paint(Handle());
        inView = !IsRectEmpty(&paint.Info().rcPaint);
        static const char kNotInstalled[] = "VelmoraThumbCtl Is Not Installed!";
        if (attachFailed_)
            TextOutA(paint.Dc(), 0, 0, kNotInstalled, static_cast<int>(sizeof kNotInstalled - 1));
    }
    // In view for the first time (a paint with an empty area comes also to windows out
    // of view or covered): the control comes now and paints over the area.
    if (inView)
        AttachControl();
}

bool CClsLstWnd::OnEraseBackground(HDC dc)
{
    RECT area{};
    GetClientRect(Handle(), &area);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return true;
}

void CClsLstWnd::OnSize(UINT, int width, int height)
{
    PassOn();
    if (control_.Handle())
        MoveWindow(control_.Handle(), 0, 0, width, height, TRUE);
}

void CClsLstWnd::OnVScroll(UINT code, int thumb, HWND scrollBar)
{
    PassOn();
    if (scrollBar)
        return;  // not the window's own scroll bar
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        // The 16-bit position of the message cannot hold large lists.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(Handle(), SB_VERT, &info))
            thumb = info.nTrackPos;
    }
    model_.Scroll(static_cast<lists::ScrollCode>(code), thumb);
    if (code == SB_THUMBTRACK) {
        wchar_t title[512] = L"";
        GetWindowTextW(Handle(), title, 512);
        host_.SetStatusText(title);
    }
}

LRESULT CClsLstWnd::OnNcLButtonDown(UINT message, WPARAM wp, LPARAM lp)
{
    BringWindowToTop(Handle());
    SetForegroundWindow(Handle());
    SetFocus(Handle());
    return DefaultProcedure(message, wp, lp);
}

LRESULT CClsLstWnd::OnNcRButtonDown(UINT, WPARAM, LPARAM)
{
    ShowContextMenu();
    return 0;
}

void CClsLstWnd::OnSetFocus(HWND)
{
    PassOn();
    host_.SetCurrentList(model_.ListNumber());
}

LRESULT CClsLstWnd::OnSysCommand(UINT message, WPARAM wp, LPARAM lp)
{
    if ((wp & 0xFFF0) == SC_CLOSE)
        return 0;  // a list window cannot be closed
    if ((wp & 0xFFF0) == SC_MINIMIZE && iconPosition_ && !IsIconic(Handle())) {
        WINDOWPLACEMENT placement = fw::Placement(Handle());
        placement.flags = WPF_SETMINPOSITION;
        placement.ptMinPosition = *std::exchange(iconPosition_, std::nullopt);
        placement.showCmd = IsZoomed(Handle()) ? SW_SHOWMAXIMIZED : SW_SHOWNOACTIVATE;
        SetWindowPlacement(Handle(), &placement);
    }
    return DefaultProcedure(message, wp, lp);
}

void CClsLstWnd::OnTimer(UINT_PTR id)
{
    if (id == kRecheckTimer)
        model_.OnRecheckTimer();
    PassOn();
}

void CClsLstWnd::ShowContextMenu()
{
    SetFocus(Handle());
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!menu)
        return;
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    POINT at{};
    GetCursorPos(&at);
    if (!PtInRect(&frame, at))
        at = POINT{frame.left + (frame.right - frame.left) / 2, frame.top + 16};
    TrackPopupMenu(GetSubMenu(menu, 1), TPM_RIGHTBUTTON, at.x, at.y, 0, host_.FrameWindow(), nullptr);
    DestroyMenu(menu);
}

void CClsLstWnd::SetScrollRange(int maximum, bool redraw)
{
    ::SetScrollRange(Handle(), SB_VERT, 0, maximum, redraw);
}

void CClsLstWnd::SetScrollPosition(int position, bool redraw)
{
    if (deferring_) {
        pendingPosition_ = position;
        return;
    }
    ::SetScrollPos(Handle(), SB_VERT, position, redraw);
}

void CClsLstWnd::DeferViewUpdates(bool defer)
{
    deferring_ = defer;
    if (defer)
        return;
    if (pendingPosition_)
        ::SetScrollPos(Handle(), SB_VERT, *std::exchange(pendingPosition_, std::nullopt), TRUE);
    if (pendingCaption_)
        SetCaption(*std::exchange(pendingCaption_, std::nullopt));
}

bool CClsLstWnd::IsActive() const
{
    return Handle() && host_.ActiveListWindow() == Handle();
}

void CClsLstWnd::PreloadFile(const std::string& path)
{
    if (pendingPreload_ && AttachControl())
        control_.loadFile(*pendingPreload_);
    pendingPreload_ = path;
}

// The model preloads before it displays, so that the shown file is the cache's newest
// request. The window asks in the order that shows it soonest: the shown file first
// (an idle loader starts on it at once, or it is painted before anything else is
// decoded), then the one ahead, then the shown one again to keep it the newest for a
// loader that is still busy.
void CClsLstWnd::DisplayFile(const std::string& path)
{
    shown_ = path;
    if (!control_.Handle()) {
        // Nothing to show yet: a window out of view waits with its control until it is
        // painted. Attached now, the control shows the file at once.
        if ((path.empty() && !pendingPreload_) || !AttachControl())
            return;
    } else {
        control_.displayFile(path);
    }
    if (pendingPreload_) {
        control_.loadFile(*std::exchange(pendingPreload_, std::nullopt));
        if (!path.empty())
            control_.loadFile(path);
    }
}

void CClsLstWnd::SetCaption(const std::string& caption)
{
    if (deferring_) {
        pendingCaption_ = caption;
        return;
    }
    // Setting a caption repaints the title bars (the frame's too while maximised),
    // which costs more than a flip: the same text is left alone.
    const std::wstring text = fw::WidenAnsi(caption);
    const std::wstring shown = fw::WindowText(Handle());
    if (shown == text)
        return;
    if (IsZoomed(Handle()) && SetMaximisedCaption(shown, text))
        return;
    SetWindowTextW(Handle(), text.c_str());
}

// While the window is maximised the frame's title reads "<frame title> - [<caption>]".
// MDI rebuilds that by recomputing the whole frame window, tens of milliseconds under
// Wine; setting the same text on the frame alone repaints only its title bar. Titles
// long enough for MDI to shorten are left to it.
bool CClsLstWnd::SetMaximisedCaption(const std::wstring& shown, const std::wstring& text)
{
    constexpr size_t kShortTitle = 128;
    const HWND frame = GetParent(GetParent(Handle()));
    const std::wstring title = fw::WindowText(frame);
    const std::wstring suffix = L" - [" + shown + L"]";
    if (!frame || title.size() < suffix.size() ||
        title.compare(title.size() - suffix.size(), suffix.size(), suffix))
        return false;
    const std::wstring framed = title.substr(0, title.size() - suffix.size()) + L" - [" + text + L"]";
    if (title.size() >= kShortTitle || framed.size() >= kShortTitle)
        return false;
    DefWindowProcW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    DefWindowProcW(frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(framed.c_str()));
    return true;
}

void CClsLstWnd::StartRecheckTimer(unsigned milliseconds)
{
    SetTimer(Handle(), kRecheckTimer, milliseconds, nullptr);
}

void CClsLstWnd::StopRecheckTimer()
{
    KillTimer(Handle(), kRecheckTimer);
}
