#include "app/drop_objects.h"

#include "framework/com/data_object.h"

namespace {

constexpr DWORD kFilesEffect = DROPEFFECT_COPY | DROPEFFECT_LINK;

bool OffersFiles(IDataObject* data)
{
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data && data->QueryGetData(&format) == S_OK;
}

}  // namespace

STDMETHODIMP CClsDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    offersFiles_ = OffersFiles(data);
    if (effect)
        *effect = offersFiles_ ? kFilesEffect : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CClsDropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    if (effect)
        *effect = offersFiles_ ? kFilesEffect : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CClsDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    return fw::com::Guarded([&] {
        DWORD result = DROPEFFECT_NONE;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data && data->GetData(&format, &medium) == S_OK) {
            HGLOBAL copy = medium.tymed == TYMED_HGLOBAL && medium.hGlobal
                               ? fw::com::CopyGlobal(medium.hGlobal)
                               : nullptr;
            ReleaseStgMedium(&medium);
            if (copy) {
                site_.LoadDrop(copy);
                result = DROPEFFECT_LINK;
            }
        }
        offersFiles_ = false;
        if (effect)
            *effect = result;
        site_.ActivateAfterDrop();
        return S_OK;
    });
}

STDMETHODIMP CClsDropSource::QueryContinueDrag(BOOL escape, DWORD keys)
{
    site_.SetDropLocation(0);
    if (!(keys & MK_RBUTTON)) {
        POINT at{};
        GetCursorPos(&at);
        for (HWND w = WindowFromPoint(at); w; w = GetParent(w)) {
            if (w == site_.SiteWindow()) {
                site_.SetDropLocation(2);
                return DRAGDROP_S_CANCEL;
            }
            if (w == site_.FrameWindow()) {
                site_.SetDropLocation(1);
                break;
            }
        }
    }
    if (escape || (keys & MK_LBUTTON))
        return DRAGDROP_S_CANCEL;
    if (!(keys & MK_RBUTTON))
        return DRAGDROP_S_DROP;
    return S_OK;
}

bool DragBegins(HWND window, POINT start)
{
    RECT square{start.x, start.y, start.x, start.y};
    InflateRect(&square, GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG));
    const DWORD delay = GetProfileIntA("windows", "DragDelay", DD_DEFDRAGDELAY);
    const DWORD began = GetTickCount();
    SetCapture(window);
    bool drag = false;
    for (;;) {
        if (GetTickCount() - began >= delay) {
            drag = (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0;
            break;
        }
        MSG msg{};
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, delay - (GetTickCount() - began), QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_MOUSEMOVE) {
            POINT at{};
            GetCursorPos(&at);
            if (!PtInRect(&square, at)) {
                drag = true;
                break;
            }
        } else if (msg.message == WM_RBUTTONUP || msg.message == WM_LBUTTONDOWN ||
                   msg.message == WM_MBUTTONDOWN || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) ||
                   msg.message == WM_QUIT) {
            if (msg.message == WM_QUIT)
                PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (GetCapture() != window)
            break;
    }
    if (GetCapture() == window)
        ReleaseCapture();
    return drag;
}
