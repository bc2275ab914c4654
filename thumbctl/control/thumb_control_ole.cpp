// In-place activation as a window of its own: IOleObject, IOleInPlaceObject (the
// windowless form answered but never used), IOleInPlaceActiveObject and IOleControl.
#include <olectl.h>

#include "framework/com/hresult.h"
#include "framework/com/module.h"
#include "framework/win/gdi.h"
#include "thumbctl/control/thumb_control.h"

namespace thumbctl {
namespace {

constexpr int kHimetricPerInch = 2540;

// The control window class of the module, registered with the first window and kept
// for the module's lifetime.
const fw::WindowClass& ControlWindowClass()
{
    static const fw::WindowClass cls = ControlView::RegisterWindowClass(fw::com::Module::Instance());
    return cls;
}

}  // namespace

// ---- The window's activation handlers ----

const fw::MessageMap& ControlWindow::Messages() const
{
    static const fw::MessageMap map = fw::MessageMapFor<ControlWindow>()
                                          .On<WM_SETFOCUS>(&ControlWindow::OnSetFocus)
                                          .On<WM_KILLFOCUS>(&ControlWindow::OnKillFocus)
                                          .OnMessage(WM_MOUSEACTIVATE, &ControlWindow::OnMouseActivate)
                                          .Chain(ControlView::Messages());
    return map;
}

void ControlWindow::OnSetFocus(HWND)
{
    activation_.OnWindowFocus(true);
}

void ControlWindow::OnKillFocus(HWND)
{
    activation_.OnWindowFocus(false);
}

LRESULT ControlWindow::OnMouseActivate(UINT message, WPARAM wp, LPARAM lp)
{
    activation_.OnWindowActivated();
    return DefaultProcedure(message, wp, lp);
}

void ThumbControl::OnWindowActivated()
{
    if (inPlaceActive_ && !uiActive_)
        InPlaceActivate(OLEIVERB_UIACTIVATE);
}

void ThumbControl::OnWindowFocus(bool gained)
{
    if (gained && inPlaceActive_ && !uiActive_)
        InPlaceActivate(OLEIVERB_UIACTIVATE);
    fw::com::ComPtr<IOleControlSite> site;
    if (clientSite_ && SUCCEEDED(clientSite_.As(site)) && site)
        site->OnFocus(gained);
}

// ---- Activation ----

HRESULT ThumbControl::CreateControlWindow(IOleInPlaceSite* site)
{
    HWND parent = nullptr;
    FW_RETURN_IF_FAILED(site->GetWindow(&parent));
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    frame_.Reset();
    document_.Reset();
    FW_RETURN_IF_FAILED(site->GetWindowContext(frame_.Put(), document_.Put(), &position, &clip, &frameInfo));
    position_ = position;
    if (!ControlWindowClass() || !window_.Create(ControlWindowClass(), parent, position)) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    return S_OK;
}

HRESULT ThumbControl::InPlaceActivate(LONG verb)
{
    if (!clientSite_)
        return S_OK;
    if (!inPlaceActive_) {
        fw::com::ComPtr<IOleInPlaceSite> site;
        if (FAILED(clientSite_.As(site)) || !site)
            return E_FAIL;
        const HRESULT can = site->CanInPlaceActivate();
        if (can != S_OK)
            return FAILED(can) ? can : E_FAIL;
        FW_RETURN_IF_FAILED(site->OnInPlaceActivate());
        inPlaceActive_ = true;
        inPlaceSite_ = std::move(site);
    }
    if (!window_.Handle()) {
        const HRESULT hr = CreateControlWindow(inPlaceSite_.Get());
        if (FAILED(hr)) {
            inPlaceActive_ = false;
            inPlaceSite_->OnInPlaceDeactivate();
            inPlaceSite_.Reset();
            return hr;
        }
    }
    ShowWindow(window_.Handle(), SW_SHOW);
    if (verb == OLEIVERB_UIACTIVATE)
        return UIActivate();
    return S_OK;
}

HRESULT ThumbControl::UIActivate()
{
    if (uiActive_)
        return S_OK;
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (GetFocus() != window_.Handle())
        SetFocus(window_.Handle());
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (frame_)
        frame_->SetActiveObject(active, nullptr);
    if (document_)
        document_->SetActiveObject(active, nullptr);
    if (frame_)
        frame_->SetBorderSpace(nullptr);
    if (document_)
        document_->SetBorderSpace(nullptr);
    return S_OK;
}

STDMETHODIMP ThumbControl::UIDeactivate()
{
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (frame_)
        frame_->SetActiveObject(nullptr, nullptr);
    if (document_)
        document_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP ThumbControl::InPlaceDeactivate()
{
    if (!inPlaceActive_)
        return S_OK;
    UIDeactivate();
    inPlaceActive_ = false;
    window_.Destroy();
    frame_.Reset();
    document_.Reset();
    fw::com::ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    if (site)
        site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP ThumbControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position)
        return E_POINTER;
    position_ = *position;
    if (window_.Handle())
        SetWindowPos(window_.Handle(), nullptr, position->left, position->top,
                     position->right - position->left, position->bottom - position->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP ThumbControl::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = window_.Handle();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP ThumbControl::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::ReactivateAndUndo()
{
    return E_NOTIMPL;
}

// Never windowless: the window receives its own messages.
STDMETHODIMP ThumbControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result)
{
    if (result)
        *result = 0;
    return S_FALSE;
}

STDMETHODIMP ThumbControl::GetDropTarget(IDropTarget** target)
{
    if (target)
        *target = nullptr;
    return E_NOTIMPL;
}

// ---- IOleInPlaceActiveObject ----

STDMETHODIMP ThumbControl::TranslateAccelerator(LPMSG)
{
    return S_FALSE;
}

STDMETHODIMP ThumbControl::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::EnableModeless(BOOL)
{
    return S_OK;
}

// ---- IOleControl ----

STDMETHODIMP ThumbControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info)
        return E_POINTER;
    // No mnemonics.
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP ThumbControl::OnMnemonic(MSG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++frozenEvents_;
    else if (frozenEvents_ > 0)
        --frozenEvents_;
    return S_OK;
}

// ---- IOleObject ----

STDMETHODIMP ThumbControl::SetClientSite(IOleClientSite* site)
{
    clientSite_ = fw::com::ComPtr<IOleClientSite>(site);
    return S_OK;
}

STDMETHODIMP ThumbControl::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    *site = clientSite_.Get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP ThumbControl::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::Close(DWORD saveOption)
{
    InPlaceDeactivate();
    if ((saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE) && dirty_) {
        if (clientSite_)
            clientSite_->SaveObject();
        if (oleAdvise_)
            oleAdvise_->SendOnSave();
    }
    if (oleAdvise_)
        oleAdvise_->SendOnClose();
    inPlaceSite_.Reset();
    viewSink_.Reset();
    return S_OK;
}

STDMETHODIMP ThumbControl::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::GetClipboardData(DWORD, IDataObject** data)
{
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND, LPCRECT)
{
    return fw::com::Guarded([&]() -> HRESULT {
        if (!clientSite_ && activeSite)
            clientSite_ = fw::com::ComPtr<IOleClientSite>(activeSite);
        switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_INPLACEACTIVATE:
            case OLEIVERB_SHOW: {
                FW_RETURN_IF_FAILED(InPlaceActivate(verb));
                if (clientSite_)
                    clientSite_->ShowObject();
                return S_OK;
            }
            case OLEIVERB_UIACTIVATE:
                return InPlaceActivate(verb);
            case OLEIVERB_HIDE:
                UIDeactivate();
                if (window_.Handle())
                    ShowWindow(window_.Handle(), SW_HIDE);
                return S_OK;
            case OLEIVERB_OPEN:
            case OLEIVERB_PROPERTIES:
                return OLEOBJ_S_INVALIDVERB;
            default:
                return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

STDMETHODIMP ThumbControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (!verbs)
        return E_POINTER;
    return OleRegEnumVerbs(CLSID_VelmoraThumbCtl, verbs);
}

STDMETHODIMP ThumbControl::Update()
{
    return S_OK;
}

STDMETHODIMP ThumbControl::IsUpToDate()
{
    return S_OK;
}

STDMETHODIMP ThumbControl::GetUserClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_VelmoraThumbCtl;
    return S_OK;
}

STDMETHODIMP ThumbControl::GetUserType(DWORD form, LPOLESTR* userType)
{
    if (!userType)
        return E_POINTER;
    return OleRegGetUserType(CLSID_VelmoraThumbCtl, form, userType);
}

STDMETHODIMP ThumbControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    const bool changed = size->cx != extent_.cx || size->cy != extent_.cy;
    extent_ = *size;
    if (!changed)
        return S_OK;
    SetDirty(true);
    // Recompose on resize.
    SendDataChange();
    FireViewChange();
    if (inPlaceActive_ && inPlaceSite_) {
        // Ask the container for a window of the new size, in pixels of the screen.
        fw::WindowDc screen(nullptr);
        RECT wanted = position_;
        wanted.right =
            wanted.left + MulDiv(extent_.cx, GetDeviceCaps(screen.Dc(), LOGPIXELSX), kHimetricPerInch);
        wanted.bottom =
            wanted.top + MulDiv(extent_.cy, GetDeviceCaps(screen.Dc(), LOGPIXELSY), kHimetricPerInch);
        inPlaceSite_->OnPosRectChange(&wanted);
    }
    return S_OK;
}

STDMETHODIMP ThumbControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP ThumbControl::Advise(IAdviseSink* sink, DWORD* connection)
{
    if (!connection)
        return E_POINTER;
    *connection = 0;
    if (!oleAdvise_)
        FW_RETURN_IF_FAILED(CreateOleAdviseHolder(oleAdvise_.Put()));
    return oleAdvise_->Advise(sink, connection);
}

STDMETHODIMP ThumbControl::Unadvise(DWORD connection)
{
    if (!oleAdvise_)
        return OLE_E_NOCONNECTION;
    return oleAdvise_->Unadvise(connection);
}

STDMETHODIMP ThumbControl::EnumAdvise(IEnumSTATDATA** advise)
{
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    if (!oleAdvise_)
        return E_FAIL;
    return oleAdvise_->EnumAdvise(advise);
}

STDMETHODIMP ThumbControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status)
        return E_POINTER;
    // As registered: MiscStatus\1 for the content aspect, the key's default "0" for
    // every other aspect.
    *status = aspect == DVASPECT_CONTENT ? kControlMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP ThumbControl::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

}  // namespace thumbctl
