#include "tests/support/stub_control.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <string>

#include "framework/com/class_factory.h"
#include "framework/com/object.h"

namespace host_test {
namespace {

using fw::com::Chain;
using fw::com::ComPtr;
using fw::com::Implements;

StubState g_state;

// A method a container of this kind never calls.
#define UNEXPECTED(name, ...)                                        \
    STDMETHODIMP name(__VA_ARGS__) override                          \
    {                                                                \
        return ADD_FAILURE() << "unexpected call " #name, E_NOTIMPL; \
    }

std::string RectText(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class StubControl;
StubControl* g_living = nullptr;

class StubPoint final : public Implements<IConnectionPoint> {
public:
    UNEXPECTED(GetConnectionInterface, IID*)
    UNEXPECTED(GetConnectionPointContainer, IConnectionPointContainer**)
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        g_state.calls.push_back("Advise");
        if (!sink || !cookie)
            return E_POINTER;
        // As a real connection point does: the sink must answer the source interface.
        ComPtr<IDispatch> dispatch;
        HRESULT hr = sink->QueryInterface(kStubEvents, dispatch.PutVoid());
        if (FAILED(hr))
            return CONNECT_E_CANNOTCONNECT;
        ComPtr<IUnknown> other;
        EXPECT_EQ(sink->QueryInterface(kUnrelated, other.PutVoid()), E_NOINTERFACE);
        sinks_.push_back({++next_, dispatch});
        *cookie = next_;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        g_state.calls.push_back("Unadvise");
        const auto it =
            std::find_if(sinks_.begin(), sinks_.end(), [&](auto& s) { return s.first == cookie; });
        if (it == sinks_.end())
            return ADD_FAILURE() << "Unadvise of unknown cookie " << cookie, CONNECT_E_NOCONNECTION;
        sinks_.erase(it);
        return S_OK;
    }
    UNEXPECTED(EnumConnections, IEnumConnections**)

    int Fire(DISPID id, std::vector<VARIANT>& args)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                          static_cast<UINT>(reversed.size()), 0};
        const auto sinks = sinks_;
        for (const auto& sink : sinks)
            EXPECT_EQ(sink.second->Invoke(id, IID_NULL, 0x0400, DISPATCH_METHOD, &params, nullptr, nullptr,
                                          nullptr),
                      S_OK);
        return static_cast<int>(sinks.size());
    }
    size_t Connections() const { return sinks_.size(); }

private:
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
    DWORD next_ = 0;
};

class StubControl final
    : public Implements<IOleObject, Chain<IOleInPlaceObject, IOleWindow>, Chain<IPersistStreamInit, IPersist>,
                        IConnectionPointContainer, Chain<IProvideClassInfo2, IProvideClassInfo>, IDispatch> {
public:
    StubControl()
    {
        ++g_state.living;
        g_living = this;
    }
    ~StubControl() override
    {
        --g_state.living;
        EXPECT_EQ(pointItf_ ? Point()->Connections() : 0u, 0u) << "a sink is still advised at the end";
        EXPECT_EQ(g_state.window, nullptr) << "destroyed while active";
        if (g_living == this)
            g_living = nullptr;
    }
    HRESULT FinalConstruct() { return fw::com::Make<StubPoint>(pointItf_); }

    StubPoint* Point() { return static_cast<StubPoint*>(pointItf_.Get()); }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        g_state.calls.push_back(site ? "SetClientSite site" : "SetClientSite null");
        g_state.site = ComPtr<IOleClientSite>(site);
        return S_OK;
    }
    UNEXPECTED(GetClientSite, IOleClientSite**)
    UNEXPECTED(SetHostNames, LPCOLESTR, LPCOLESTR)
    STDMETHODIMP Close(DWORD how) override
    {
        return g_state.calls.push_back("Close " + std::to_string(how)), S_OK;
    }
    UNEXPECTED(SetMoniker, DWORD, IMoniker*)
    UNEXPECTED(GetMoniker, DWORD, DWORD, IMoniker**)
    UNEXPECTED(InitFromData, IDataObject*, BOOL, DWORD)
    UNEXPECTED(GetClipboardData, DWORD, IDataObject**)
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override
    {
        g_state.calls.push_back("DoVerb " + std::to_string(verb));
        g_state.verbParent = parent;
        if (rect)
            g_state.verbRect = *rect;
        EXPECT_EQ(site, g_state.site.Get()) << "DoVerb with another site";
        if (FAILED(g_state.doVerbResult))
            return g_state.doVerbResult;
        return Activate(site, parent);
    }
    UNEXPECTED(EnumVerbs, IEnumOLEVERB**)
    UNEXPECTED(Update)
    UNEXPECTED(IsUpToDate)
    UNEXPECTED(GetUserClassID, CLSID*)
    UNEXPECTED(GetUserType, DWORD, LPOLESTR*)
    UNEXPECTED(SetExtent, DWORD, SIZEL*)
    UNEXPECTED(GetExtent, DWORD, SIZEL*)
    UNEXPECTED(Advise, IAdviseSink*, DWORD*)
    UNEXPECTED(Unadvise, DWORD)
    UNEXPECTED(EnumAdvise, IEnumSTATDATA**)
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override
    {
        g_state.calls.push_back("GetMiscStatus");
        EXPECT_EQ(aspect, static_cast<DWORD>(DVASPECT_CONTENT));
        *status = g_state.miscStatus;
        return S_OK;
    }
    UNEXPECTED(SetColorScheme, LOGPALETTE*)

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = g_state.window;
        return g_state.window ? S_OK : E_FAIL;
    }
    UNEXPECTED(ContextSensitiveHelp, BOOL)
    STDMETHODIMP InPlaceDeactivate() override
    {
        g_state.calls.push_back("InPlaceDeactivate");
        if (!g_state.window)
            return S_OK;
        DestroyWindow(std::exchange(g_state.window, nullptr));
        ComPtr<IOleInPlaceSite> site;
        if (g_state.site && SUCCEEDED(g_state.site.As(site))) {
            EXPECT_EQ(site->OnInPlaceDeactivate(), S_OK);
        }
        return S_OK;
    }
    UNEXPECTED(UIDeactivate)
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override
    {
        g_state.calls.push_back("SetObjectRects " + RectText(*position) + " " + RectText(*clip));
        if (g_state.window)
            MoveWindow(g_state.window, position->left, position->top, position->right - position->left,
                       position->bottom - position->top, TRUE);
        return S_OK;
    }
    UNEXPECTED(ReactivateAndUndo)

    // IPersistStreamInit
    UNEXPECTED(GetClassID, CLSID*)
    UNEXPECTED(IsDirty)
    STDMETHODIMP Load(IStream* stream) override
    {
        BYTE buffer[256];
        ULONG read = 0;
        g_state.loaded.clear();
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
            g_state.loaded.insert(g_state.loaded.end(), buffer, buffer + read);
        g_state.calls.push_back("Load " + std::to_string(g_state.loaded.size()));
        return g_state.loadResult;
    }
    UNEXPECTED(Save, IStream*, BOOL)
    UNEXPECTED(GetSizeMax, ULARGE_INTEGER*)
    STDMETHODIMP InitNew() override { return g_state.calls.push_back("InitNew"), S_OK; }

    // IConnectionPointContainer
    UNEXPECTED(EnumConnectionPoints, IEnumConnectionPoints**)
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        *point = nullptr;
        if (riid != kStubEvents)
            return CONNECT_E_NOCONNECTION;
        return pointItf_.CopyTo(point);
    }

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override
    {
        // No type information: a container that needs it cannot connect.
        *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override
    {
        EXPECT_EQ(kind, static_cast<DWORD>(GUIDKIND_DEFAULT_SOURCE_DISP_IID));
        *guid = kStubEvents;
        return S_OK;
    }

    // IDispatch
    UNEXPECTED(GetTypeInfoCount, UINT*)
    UNEXPECTED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    UNEXPECTED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT*) override
    {
        EXPECT_TRUE(riid == IID_NULL);
        InvokeRecord record;
        record.id = id;
        record.flags = flags;
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANT& arg = params->rgvarg[i];
            record.types.push_back(V_VT(&arg));
            if (V_VT(&arg) == VT_BSTR) {
                record.texts.emplace_back(V_BSTR(&arg) ? V_BSTR(&arg) : L"", SysStringLen(V_BSTR(&arg)));
                record.nullTexts.push_back(V_BSTR(&arg) == nullptr);
            }
            if (V_VT(&arg) == VT_UNKNOWN || V_VT(&arg) == VT_DISPATCH)
                record.object = V_UNKNOWN(&arg);
        }
        record.named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        g_state.invokes.push_back(record);
        if (FAILED(g_state.invokeResult)) {
            if (exception && g_state.invokeResult == DISP_E_EXCEPTION) {
                exception->bstrSource = SysAllocString(L"stub");
                exception->bstrDescription = SysAllocString(L"refused");
                exception->scode = E_FAIL;
            }
            return g_state.invokeResult;
        }
        if (id == 2 && (flags & DISPATCH_PROPERTYGET) && result) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(g_state.filter.c_str());
        }
        return S_OK;
    }

private:
    HRESULT Activate(IOleClientSite* client, HWND parent)
    {
        ComPtr<IOleClientSite> clientSite(client);
        ComPtr<IOleInPlaceSite> site;
        HRESULT hr = clientSite.As(site);
        if (FAILED(hr))
            return hr;
        g_state.canActivate = site->CanInPlaceActivate();
        if (g_state.canActivate != S_OK)
            return E_FAIL;
        EXPECT_EQ(site->OnInPlaceActivate(), S_OK);
        EXPECT_EQ(site->GetWindow(&g_state.siteWindow), S_OK);
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        hr = site->GetWindowContext(frame.Put(), document.Put(), &g_state.contextPosition,
                                    &g_state.contextClip, &info);
        EXPECT_EQ(hr, S_OK);
        if (FAILED(hr))
            return hr;
        g_state.frameInfoWindow = info.hwndFrame;
        g_state.documentGiven = document.Get() != nullptr;
        if (frame) {
            EXPECT_EQ(frame->GetWindow(&g_state.frameWindow), S_OK);
        }
        const RECT& r = g_state.contextPosition;
        g_state.window =
            CreateWindowExW(0, L"STATIC", L"stub", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent, nullptr, nullptr, nullptr);
        return g_state.window ? S_OK : E_FAIL;
    }

    ComPtr<IConnectionPoint> pointItf_;
};

HRESULT CreateStub(IUnknown* outer, REFIID riid, void** ppv)
{
    return fw::com::CreateInstance<StubControl>(outer, riid, ppv);
}

const fw::com::ClassEntry kClasses[] = {{&kStubClass, &CreateStub}};

}  // namespace

StubState& Stub()
{
    return g_state;
}

void ResetStub()
{
    g_state = StubState{};
}

int FireEvent(DISPID id, std::vector<VARIANT> args)
{
    if (!g_living)
        return 0;
    return g_living->Point()->Fire(id, args);
}

StubRegistration::StubRegistration(const CLSID& clsid)
{
    ComPtr<IClassFactory> factory;
    hr_ = fw::com::GetClassObject(kClasses, kStubClass, IID_IClassFactory, factory.PutVoid());
    if (SUCCEEDED(hr_))
        hr_ = CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

StubRegistration::~StubRegistration()
{
    if (SUCCEEDED(hr_))
        CoRevokeClassObject(cookie_);
}

void CheckCalls(const char* file, int line, const std::vector<std::string>& expected)
{
    if (g_state.calls != expected)
        ADD_FAILURE_AT(file, line) << "calls made: " << ::testing::PrintToString(g_state.calls)
                                   << "\ncalls expected: " << ::testing::PrintToString(expected);
    g_state.calls.clear();
}

}  // namespace host_test
