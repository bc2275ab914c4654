#include "tests/thumbctl/control/control_fakes.h"

#include <string>

#include "framework/win/gdi.h"

namespace ctlcom_testing {

// ---- FakeCache ----

STDMETHODIMP FakeCache::LoadBitmap(LONG_PTR hWnd, BSTR path, LONG_PTR phBitmap, LONG_PTR pBitmapInfo)
{
    const std::wstring name = path ? std::wstring(path, SysStringLen(path)) : std::wstring();
    loads.push_back({reinterpret_cast<HWND>(hWnd), name});
    const auto found = pictures_.find(name);
    if (found == pictures_.end())
        return E_FAIL;
    *reinterpret_cast<HBITMAP*>(phBitmap) = found->second;
    GetObjectW(found->second, sizeof(BITMAP), reinterpret_cast<void*>(pBitmapInfo));
    return S_OK;
}

STDMETHODIMP FakeCache::SetCacheSize(short cacheSize, short cacheOutCount)
{
    sizes.emplace_back(cacheSize, cacheOutCount);
    return S_OK;
}

STDMETHODIMP FakeCacheFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (outer)
        return CLASS_E_NOAGGREGATION;
    fw::com::ComPtr<IVelmoraPictureCache> cache;
    FW_RETURN_IF_FAILED(fw::com::Make<FakeCache>(cache));
    made.push_back(cache);
    return cache->QueryInterface(riid, ppv);
}

ScopedCacheClass::ScopedCacheClass()
{
    fw::com::ComPtr<IClassFactory> factory;
    if (FAILED(fw::com::Make<FakeCacheFactory>(factory)))
        return;
    factory_ = static_cast<FakeCacheFactory*>(factory.Get());
    holder_ = factory;
    CoRegisterClassObject(CLSID_VelmoraPictureCache, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                          &cookie_);
}

ScopedCacheClass::~ScopedCacheClass()
{
    if (cookie_)
        CoRevokeClassObject(cookie_);
}

FakeCache& ScopedCacheClass::Made(size_t i)
{
    return *static_cast<FakeCache*>(factory_->made.at(i).Get());
}

// ---- EventSink ----

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv)
{
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID__IVelmoraThumbCtlEvents)
        return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) EventSink::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*)
{
    Event event{id, locale, flags, riid == IID_NULL, params ? params->cArgs : 0u, {}};
    if (params && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_BSTR) {
        BSTR text = V_BSTR(&params->rgvarg[0]);
        event.text.assign(text, SysStringLen(text));
        if (scribble_) {
            for (UINT i = 0; i < SysStringLen(text); ++i)
                text[i] = L'#';
        }
    }
    events.push_back(std::move(event));
    return S_OK;
}

// ---- PropertyNotifySink ----

STDMETHODIMP PropertyNotifySink::OnChanged(DISPID id)
{
    calls.push_back("changed " + std::to_string(id));
    return S_OK;
}

STDMETHODIMP PropertyNotifySink::OnRequestEdit(DISPID id)
{
    calls.push_back("edit " + std::to_string(id));
    return editAnswer;
}

// ---- TestSite ----

STDMETHODIMP TestSite::GetWindow(HWND* w)
{
    calls.emplace_back("GetWindow");
    *w = window_;
    return S_OK;
}

STDMETHODIMP TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                        LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    calls.emplace_back("GetWindowContext");
    *frame = nullptr;
    *doc = nullptr;
    *pos = position_;
    *clip = position_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

// ---- Windows ----

HWND CreateHostWindow(const wchar_t* className, const wchar_t* title, int width, int height)
{
    return CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace ctlcom_testing
