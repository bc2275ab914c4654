#include "framework/com/control_host.h"

#include <olectl.h>

#include <atomic>

#include "framework/com/hresult.h"
#include "framework/com/module.h"
#include "framework/com/object.h"

namespace fw::com {
namespace {

const fw::WindowClass& HostWindowClass()
{
    static const fw::WindowClass cls(Module::Instance(), L"FwControlHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                     nullptr);
    return cls;
}

RECT ClientRect(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

}  // namespace

// ---- The client site: in-place site and frame of one host window, and the
// ambient properties through IDispatch ----

class ControlHost::Site final
    : public Implements<IOleClientSite, Chain<IOleInPlaceSite, IOleWindow>,
                        Chain<IOleInPlaceFrame, IOleInPlaceUIWindow>, IOleControlSite, IDispatch> {
public:
    explicit Site(HWND window) : window_(window) {}

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        if (container)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !document || !position || !clip || !info)
            return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *position = ClientRect(window_);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(window_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override
    {
        // The host decides the size: the control always fills its window.
        ComPtr<IOleInPlaceObject> object;
        if (control_ && SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject, object.PutVoid())) &&
            object) {
            const RECT r = ClientRect(window_);
            object->SetObjectRects(&r, &r);
        }
        return S_OK;
    }

    // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, no borders, no status line.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** control) override
    {
        if (control)
            *control = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties (run mode, no UI of its own, the user's locale).
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        if (!(flags & DISPATCH_PROPERTYGET) || !result)
            return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        switch (id) {
            case DISPID_AMBIENT_USERMODE:
                V_VT(result) = VT_BOOL;
                V_BOOL(result) = VARIANT_TRUE;
                return S_OK;
            case DISPID_AMBIENT_UIDEAD:
            case DISPID_AMBIENT_SHOWHATCHING:
            case DISPID_AMBIENT_SHOWGRABHANDLES:
                V_VT(result) = VT_BOOL;
                V_BOOL(result) = VARIANT_FALSE;
                return S_OK;
            case DISPID_AMBIENT_LOCALEID:
                V_VT(result) = VT_I4;
                V_I4(result) = static_cast<LONG>(GetUserDefaultLCID());
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    void SetControl(IUnknown* control) { control_ = ComPtr<IUnknown>(control); }

private:
    HWND window_;
    ComPtr<IUnknown> control_;
};

// ---- The event sink: answers the events interface and forwards every call ----

class ControlHost::EventSink final : public IDispatch {
public:
    EventSink(REFIID events, ControlEventHandler* handler) : events_(events), handler_(handler) {}
    virtual ~EventSink() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != events_)
            return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        static const DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (handler_)
            handler_->OnControlEvent(id, params ? *params : none);
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
    IID events_;
    ControlEventHandler* handler_;
};

// ---- ControlHost ----

ControlHost::ControlHost() = default;

ControlHost::~ControlHost()
{
    DestroyControl();
    Destroy();
}

const fw::MessageMap& ControlHost::Messages() const
{
    static const fw::MessageMap map = fw::MessageMapFor<ControlHost>()
                                          .On<WM_SIZE>(&ControlHost::OnSize)
                                          .On<WM_DESTROY>(&ControlHost::OnDestroy)
                                          .On<WM_SETFOCUS>(&ControlHost::OnSetFocus);
    return map;
}

HRESULT ControlHost::Create(HWND parent, const RECT& rect, UINT id, REFCLSID clsid,
                            ControlHostOptions options)
{
    return Guarded([&]() -> HRESULT {
        if (Handle() || !HostWindowClass())
            return E_UNEXPECTED;
        if (!fw::Window::Create(HostWindowClass(), parent, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                rect, id))
            return HRESULT_FROM_WIN32(GetLastError());

        ComPtr<IUnknown> control;
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.PutVoid());
        if (FAILED(hr))
            return hr;
        ComPtr<IOleClientSite> site;
        FW_RETURN_IF_FAILED(CreateInstance<Site>(nullptr, IID_IOleClientSite, site.PutVoid(), Handle()));
        static_cast<Site*>(site.Get())->SetControl(control.Get());
        control_ = control;
        site_ = site;
        control.As(dispatch_);

        ComPtr<IOleObject> object;
        control.As(object);
        DWORD status = 0;
        if (object)
            object->GetMiscStatus(DVASPECT_CONTENT, &status);
        if (object && (status & OLEMISC_SETCLIENTSITEFIRST))
            object->SetClientSite(site.Get());

        ComPtr<IPersistStreamInit> persist;
        if (SUCCEEDED(control.As(persist)) && persist) {
            if (options.initialData.empty()) {
                FW_RETURN_IF_FAILED(persist->InitNew());
            } else {
                ComPtr<IStream> stream;
                FW_RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
                ULONG written = 0;
                FW_RETURN_IF_FAILED(stream->Write(options.initialData.data(),
                                                  static_cast<ULONG>(options.initialData.size()), &written));
                FW_RETURN_IF_FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr));
                FW_RETURN_IF_FAILED(persist->Load(stream.Get()));
            }
        }
        if (object && !(status & OLEMISC_SETCLIENTSITEFIRST))
            object->SetClientSite(site.Get());

        if (options.events != IID_NULL && options.handler) {
            ComPtr<IConnectionPointContainer> container;
            if (SUCCEEDED(control.As(container)) && container &&
                SUCCEEDED(container->FindConnectionPoint(options.events, eventPoint_.Put()))) {
                ComPtr<IDispatch> sink =
                    ComPtr<IDispatch>::Attach(new EventSink(options.events, options.handler));
                if (FAILED(eventPoint_->Advise(sink.Get(), &eventCookie_)))
                    eventPoint_.Reset();
            }
        }

        if (object) {
            const RECT client = ClientRect(Handle());
            hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, Handle(), &client);
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    });
}

void ControlHost::DestroyControl()
{
    if (eventPoint_) {
        eventPoint_->Unadvise(eventCookie_);
        eventPoint_.Reset();
        eventCookie_ = 0;
    }
    if (control_) {
        ComPtr<IOleObject> object;
        if (SUCCEEDED(control_.As(object)) && object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
    }
    if (site_)
        static_cast<Site*>(site_.Get())->SetControl(nullptr);
    dispatch_.Reset();
    control_.Reset();
    site_.Reset();
}

HWND ControlHost::ControlWindow() const
{
    ComPtr<IOleWindow> window;
    if (!control_ || FAILED(control_.As(window)) || !window)
        return nullptr;
    HWND hwnd = nullptr;
    return SUCCEEDED(window->GetWindow(&hwnd)) ? hwnd : nullptr;
}

void ControlHost::OnSize(UINT, int width, int height)
{
    ComPtr<IOleInPlaceObject> object;
    if (!control_ || FAILED(control_.As(object)) || !object)
        return;
    const RECT r{0, 0, width, height};
    object->SetObjectRects(&r, &r);
}

void ControlHost::OnDestroy()
{
    DestroyControl();
}

void ControlHost::OnSetFocus(HWND)
{
    if (const HWND control = ControlWindow())
        SetFocus(control);
}

HRESULT InvokeDispatch(IDispatch* dispatch, DISPID id, WORD flags, std::span<VARIANT> args, VARIANT* result)
{
    if (!dispatch)
        return E_POINTER;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

}  // namespace fw::com
