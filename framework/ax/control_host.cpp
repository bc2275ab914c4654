#include "framework/ax/control_host.h"

#include <olectl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/com/hresult.h"
#include "framework/com/module.h"
#include "framework/com/object.h"

namespace fw::ax {
namespace {

using com::Chain;
using com::ComPtr;
using com::Implements;

// The frame and document window handed out by GetWindowContext: the top-level window
// around the host, without menus, tool space or accelerators.
class Frame final : public Implements<Chain<IOleInPlaceFrame, IOleInPlaceUIWindow, IOleWindow>> {
public:
    explicit Frame(HWND window) : window_(window) {}

    STDMETHODIMP GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override
    {
        return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
    }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND window_;
};

}  // namespace

// The client site of one hosted control. It refers to its host window until the host
// detaches it; a control that calls later gets E_UNEXPECTED.
class Site final : public Implements<IOleClientSite, Chain<IOleInPlaceSiteEx, IOleInPlaceSite, IOleWindow>,
                                     IOleControlSite, IDispatch> {
public:
    explicit Site(HostWindow* host) : host_(host) {}
    void Detach() { host_ = nullptr; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return host_ ? S_OK : E_UNEXPECTED; }
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
        *window = host_ ? host_->Handle() : nullptr;
        return *window ? S_OK : E_UNEXPECTED;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return host_ && host_->Handle() ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !document || !position || !clip || !info)
            return E_POINTER;
        *frame = nullptr;
        *document = nullptr;
        if (!host_ || !host_->Handle())
            return E_UNEXPECTED;
        HWND top = GetAncestor(host_->Handle(), GA_ROOT);
        ComPtr<IOleInPlaceFrame> made;
        FW_RETURN_IF_FAILED(com::Make<Frame>(made, top ? top : host_->Handle()));
        GetClientRect(host_->Handle(), position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = top;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        FW_RETURN_IF_FAILED(
            made->QueryInterface(IID_IOleInPlaceUIWindow, reinterpret_cast<void**>(document)));
        *frame = made.Detach();
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override
    {
        // The host decides the place: the control always fills it.
        if (!host_)
            return E_UNEXPECTED;
        host_->FitControl();
        return S_OK;
    }

    // IOleInPlaceSiteEx
    STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override
    {
        if (noRedraw)
            *noRedraw = FALSE;
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    STDMETHODIMP RequestUIActivate() override { return S_OK; }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** extended) override
    {
        if (extended)
            *extended = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties.
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
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        if (!result)
            return E_POINTER;
        if (!host_)
            return E_UNEXPECTED;
        return com::Guarded([&] { return AmbientProperty(host_->CurrentAmbients(), id, result); });
    }

private:
    HostWindow* host_;
};

namespace {

// The class objects of the controls the hosts hold, asked for once and kept while any
// host holds a control of the class: a control after the first costs neither the
// registry lookups of CoCreateInstance nor the library's class object request. Hosts
// live on the thread that made them, so each thread has its table and needs no lock.
// The table holds plain pointers, released only when the last user goes, never by a
// destructor that could run after COM has gone.
struct ClassObject {
    CLSID clsid;
    IClassFactory* factory;
    int users;
};

std::vector<ClassObject>::iterator FindClassObject(std::vector<ClassObject>& objects, REFCLSID clsid)
{
    return std::find_if(objects.begin(), objects.end(),
                        [&](const ClassObject& o) { return IsEqualCLSID(o.clsid, clsid) != FALSE; });
}

thread_local std::vector<ClassObject> classObjects;

// Drops one user of the class's object; with none left, the object goes.
void DropClassObject(REFCLSID clsid)
{
    const auto it = FindClassObject(classObjects, clsid);
    if (it == classObjects.end())
        return;
    if (it->users > 0)
        --it->users;
    if (it->users == 0) {
        it->factory->Release();
        classObjects.erase(it);
    }
}

// A new object of the class, from its class object, as one more user of it.
HRESULT CreateFromClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    auto it = FindClassObject(classObjects, clsid);
    if (it == classObjects.end()) {
        IClassFactory* factory = nullptr;
        FW_RETURN_IF_FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                             reinterpret_cast<void**>(&factory)));
        it = classObjects.insert(classObjects.end(), ClassObject{clsid, factory, 0});
    }
    const HRESULT hr = it->factory->CreateInstance(nullptr, iid, object);
    if (SUCCEEDED(hr))
        ++it->users;
    else
        DropClassObject(clsid);  // goes unless other hosts use it
    return hr;
}

const WindowClass& HostClass()
{
    static const WindowClass cls(com::Module::Instance(), L"FwAxHost", 0,
                                 LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
                                 reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cls;
}

void SetBool(VARIANT* value, bool on)
{
    V_VT(value) = VT_BOOL;
    V_BOOL(value) = on ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetLong(VARIANT* value, LONG number)
{
    V_VT(value) = VT_I4;
    V_I4(value) = number;
}

}  // namespace

HRESULT AmbientProperty(const Ambients& ambients, DISPID id, VARIANT* value)
{
    if (!value)
        return E_POINTER;
    VariantInit(value);
    switch (id) {
        case DISPID_AMBIENT_USERMODE:
            SetBool(value, ambients.userMode);
            return S_OK;
        case DISPID_AMBIENT_LOCALEID:
            SetLong(value, static_cast<LONG>(ambients.locale ? ambients.locale : GetUserDefaultLCID()));
            return S_OK;
        case DISPID_AMBIENT_DISPLAYNAME: {
            BSTR name = SysAllocStringLen(ambients.displayName.data(),
                                          static_cast<UINT>(ambients.displayName.size()));
            if (!name)
                return E_OUTOFMEMORY;
            V_VT(value) = VT_BSTR;
            V_BSTR(value) = name;
            return S_OK;
        }
        case DISPID_AMBIENT_BACKCOLOR:
            SetLong(value, static_cast<LONG>(ambients.backColor));
            return S_OK;
        case DISPID_AMBIENT_FORECOLOR:
            SetLong(value, static_cast<LONG>(ambients.foreColor));
            return S_OK;
        case DISPID_AMBIENT_MESSAGEREFLECT:
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_DISPLAYASDEFAULT:
            SetBool(value, false);
            return S_OK;
        case DISPID_AMBIENT_AUTOCLIP:
            SetBool(value, true);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HostWindow::HostWindow() = default;

HostWindow::~HostWindow()
{
    // WM_DESTROY must reach this class's map, so the window ends here, not in the base.
    Destroy();
    DestroyControl();
}

const MessageMap& HostWindow::Messages() const
{
    static const MessageMap map =
        MessageMapFor<HostWindow>().On<WM_SIZE>(&HostWindow::OnSize).On<WM_DESTROY>(&HostWindow::OnDestroy);
    return map;
}

HRESULT HostWindow::CreateControl(HWND parent, const RECT& rect, UINT id, DWORD style, REFCLSID clsid,
                                  std::span<const BYTE> initialData)
{
    if (Handle() || object_)
        return E_UNEXPECTED;
    if (!HostClass())
        return HRESULT_FROM_WIN32(GetLastError());
    if (parent)
        style |= WS_CHILD | WS_CLIPCHILDREN;
    if (!Create(HostClass(), parent, L"", style, 0, rect, id))
        return E_FAIL;
    const HRESULT hr = com::Guarded([&] { return Embed(clsid, initialData); });
    if (FAILED(hr)) {
        DestroyControl();
        Destroy();
    }
    return hr;
}

HRESULT HostWindow::Embed(REFCLSID clsid, std::span<const BYTE> initialData)
{
    FW_RETURN_IF_FAILED(com::CreateInstance<Site>(nullptr, IID_IOleClientSite, site_.PutVoid(), this));
    siteObject_ = static_cast<Site*>(site_.Get());

    FW_RETURN_IF_FAILED(CreateFromClassObject(clsid, IID_IOleObject, object_.PutVoid()));
    clsid_ = clsid;
    classObjectHeld_ = true;
    DWORD misc = 0;
    if (FAILED(object_->GetMiscStatus(DVASPECT_CONTENT, &misc)))
        misc = 0;
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) {
        FW_RETURN_IF_FAILED(object_->SetClientSite(site_.Get()));
        siteSet_ = true;
    }
    FW_RETURN_IF_FAILED(LoadProperties(initialData));
    if (!siteFirst) {
        FW_RETURN_IF_FAILED(object_->SetClientSite(site_.Get()));
        siteSet_ = true;
    }
    object_.As(inPlace_);
    object_.As(dispatch_);

    RECT client{};
    GetClientRect(Handle(), &client);
    return object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, Handle(), &client);
}

HRESULT HostWindow::LoadProperties(std::span<const BYTE> initialData)
{
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(object_.As(persist)))
        return initialData.empty() ? S_OK : E_NOINTERFACE;
    if (initialData.empty())
        return persist->InitNew();
    ComPtr<IStream> stream;
    FW_RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ULONG written = 0;
    FW_RETURN_IF_FAILED(stream->Write(initialData.data(), static_cast<ULONG>(initialData.size()), &written));
    if (written != initialData.size())
        return STG_E_MEDIUMFULL;
    FW_RETURN_IF_FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    return persist->Load(stream.Get());
}

HWND HostWindow::ControlWindow() const
{
    HWND window = nullptr;
    if (!inPlace_ || FAILED(inPlace_->GetWindow(&window)))
        return nullptr;
    return window;
}

HRESULT HostWindow::ConnectEvents(EventHandler handler)
{
    if (!object_)
        return E_UNEXPECTED;
    return events_.ConnectDefault(object_.Get(), std::move(handler));
}

void HostWindow::FitControl()
{
    if (!inPlace_ || !Handle())
        return;
    RECT client{};
    GetClientRect(Handle(), &client);
    inPlace_->SetObjectRects(&client, &client);
}

void HostWindow::DestroyControl()
{
    events_.Disconnect();
    // Local owners: a control that calls back into the host while it shuts down finds
    // the members already empty.
    ComPtr<IOleInPlaceObject> inPlace = std::move(inPlace_);
    ComPtr<IOleObject> object = std::move(object_);
    ComPtr<IOleClientSite> site = std::move(site_);
    dispatch_.Reset();
    if (inPlace)
        inPlace->InPlaceDeactivate();
    if (object) {
        object->Close(OLECLOSE_NOSAVE);
        if (std::exchange(siteSet_, false))
            object->SetClientSite(nullptr);
    }
    inPlace.Reset();
    object.Reset();
    if (std::exchange(classObjectHeld_, false))
        DropClassObject(clsid_);
    if (siteObject_)
        std::exchange(siteObject_, nullptr)->Detach();
}

void HostWindow::OnSize(UINT, int, int)
{
    FitControl();
}

void HostWindow::OnDestroy()
{
    DestroyControl();
}

}  // namespace fw::ax
