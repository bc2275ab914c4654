// The frame's window arrangement: tile to window size, icon arrangement and the
// working and named layouts, applied to the real windows.
#include <algorithm>
#include <array>

#include "app/layout_dialog.h"
#include "app/layout_store.h"
#include "app/main_frame.h"
#include "app/tile.h"
#include "framework/core/wait.h"
#include "resources/lumsor/resource.h"

namespace {

RECT ToRect(const app::ProfileRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

app::WindowRect ToWindowRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

void CClsMainFrame::TileToWindowSize()
{
    const int current = lists_.CurrentList();
    if (current < 0 || current >= lists::kListCount || IsListMinimized(current))
        return;
    for (const auto& window : windows_)
        if (IsZoomed(window->Handle()))
            SendMessageW(Client(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(window->Handle()), 0);

    app::TileInput input;
    RECT client{};
    GetClientRect(Client(), &client);
    RECT own{};
    GetWindowRect(windows_[static_cast<size_t>(current)]->Handle(), &own);
    input.clientWidth = client.right;
    input.clientHeight = client.bottom;
    input.width = own.right - own.left;
    input.height = own.bottom - own.top;
    input.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    for (int n = 0; n < lists::kListCount; ++n)
        input.minimized[static_cast<size_t>(n)] = IsListMinimized(n);
    const app::TilePlacement plan = app::PlanTile(input);

    if (HDWP defer = BeginDeferWindowPos(lists::kListCount)) {
        HWND previous = HWND_TOP;
        for (const auto& [n, r] : plan.placed) {
            HWND window = windows_[static_cast<size_t>(n)]->Handle();
            if (defer)
                defer = DeferWindowPos(defer, window, previous, r.left, r.top, r.right - r.left,
                                       r.bottom - r.top, SWP_NOACTIVATE);
            previous = window;
        }
        if (defer)
            EndDeferWindowPos(defer);
        if (plan.firstWrap > 0)
            for (int n = plan.firstWrap; n < lists::kListCount; ++n)
                SetWindowPos(windows_[static_cast<size_t>(n)]->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ArrangeIcons();
}

void CClsMainFrame::ArrangeIcons()
{
    SendMessageW(Client(), WM_MDIICONARRANGE, 0, 0);
    for (const auto& window : windows_)
        if (IsIconic(window->Handle()))
            SetWindowPos(window->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CClsMainFrame::SaveWorkingLayout()
{
    std::array<app::ListPlacement, lists::kListCount> placements{};
    for (int n = 0; n < lists::kListCount; ++n) {
        WINDOWPLACEMENT wp = fw::Placement(windows_[static_cast<size_t>(n)]->Handle());
        app::ListPlacement& p = placements[static_cast<size_t>(n)];
        p.showCmd = static_cast<int>(wp.showCmd);
        p.normal = ToWindowRect(wp.rcNormalPosition);
        p.minX = wp.ptMinPosition.x;
        p.minY = wp.ptMinPosition.y;
    }
    WINDOWPLACEMENT main = fw::Placement(Handle());
    app::SaveWorkingLayout(settings_, placements, ToWindowRect(main.rcNormalPosition));
}

void CClsMainFrame::RestoreWorkingLayout()
{
    fw::WaitScope wait(static_cast<app::CatalogHost&>(*this));
    ApplyWorkingPlacement(ReadWorkingPlacement());
}

CClsMainFrame::WorkingPlacement CClsMainFrame::ReadWorkingPlacement() const
{
    const app::WorkingLayout layout = app::ReadWorkingLayout(settings_);
    // Stored rectangles are kept reachable within the client area; while the frame is
    // being created that area has no size yet, and the work area stands in for it.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT client{};
    GetClientRect(Client(), &client);
    if (IsRectEmpty(&client))
        client = RECT{0, 0, work.right - work.left, work.bottom - work.top};
    const int maxSize = std::min(GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK));
    const int titleHeight = GetSystemMetrics(SM_CYSIZEFRAME) + GetSystemMetrics(SM_CYCAPTION);
    WorkingPlacement placement{};
    for (size_t n = 0; n < placement.lists.size(); ++n) {
        placement.lists[n] =
            ToRect(app::SanitizeRect(layout.lists[n], ToWindowRect(client), maxSize, titleHeight));
        placement.minimized[n] = app::SanitizeShow(layout.show[n]) == app::kMinimize;
    }
    placement.main = ToRect(app::SanitizeRect(layout.main, ToWindowRect(work), maxSize));
    return placement;
}

void CClsMainFrame::ApplyWorkingPlacement(const WorkingPlacement& placement)
{
    std::array<bool, lists::kListCount> moved{};
    for (size_t n = 0; n < windows_.size(); ++n) {
        CClsLstWnd& list = *windows_[n];
        const HWND window = list.Handle();
        const RECT& r = placement.lists[n];
        const POINT icon{r.left, r.top};
        WINDOWPLACEMENT wp = fw::Placement(window);
        if (!placement.minimized[n] && !IsIconic(window) && !IsZoomed(window)) {
            // A window that stays as it is only moves (in the pass below; windows made
            // where the layout puts them stay), and takes its icon position when it is
            // first minimised: a placement costs several times a move, as it looks up
            // the monitor of each point it sets.
            moved[n] = !EqualRect(&wp.rcNormalPosition, &r);
            list.SetIconPosition(icon);
            continue;
        }
        // One placement sets the normal rectangle and the show state of a window in
        // any state, without activating it.
        wp.rcNormalPosition = r;
        wp.ptMinPosition = icon;
        wp.flags = WPF_SETMINPOSITION;
        wp.showCmd = placement.minimized[n] ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE;
        SetWindowPlacement(window, &wp);
        list.SetIconPosition(std::nullopt);
    }
    // Stacked in list order, list 0 on top; moved as well where a placement did not.
    HDWP defer = BeginDeferWindowPos(lists::kListCount);
    HWND previous = HWND_TOP;
    for (size_t n = 0; n < windows_.size() && defer; ++n) {
        const HWND window = windows_[n]->Handle();
        const RECT& r = placement.lists[n];
        const UINT keep = moved[n] ? 0 : SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW;
        defer = DeferWindowPos(defer, window, previous, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               keep | SWP_NOACTIVATE);
        previous = window;
    }
    if (!defer || !EndDeferWindowPos(defer)) {
        for (size_t n = 0; n < windows_.size(); ++n) {
            const RECT& r = placement.lists[n];
            if (moved[n])
                SetWindowPos(windows_[n]->Handle(), nullptr, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ArrangeIcons();
    if (!IsZoomed(Handle())) {
        const RECT& r = placement.main;
        UINT flags = SWP_FRAMECHANGED;
        if (settings_.GetFlag(app::settings::kLayoutNoMove))
            flags |= SWP_NOMOVE;
        SetWindowPos(Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    }
    RedrawWindow(
        Handle(), nullptr, nullptr,
        RDW_INVALIDATE | RDW_ERASE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
}

void CClsMainFrame::CopyLayout(const char* source, const char* target)
{
    fw::WaitScope wait(static_cast<app::CatalogHost&>(*this));
    app::CopyLayout(settings_, source, target);
}

void CClsMainFrame::OnLayoutDialog()
{
    SaveWorkingLayout();
    CClsLayoutDlg dialog(settings_,
                         [this](const char* source, const char* target) { CopyLayout(source, target); });
    if (dialog.RunModal(GetModuleHandleW(nullptr), IDD_LAYOUT, Handle()) == IDOK)
        RestoreWorkingLayout();
}
