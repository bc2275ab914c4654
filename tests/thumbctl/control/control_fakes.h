// Stand-ins around the thumbnail control: a picture cache and its class object, event,
// property-notify and advise sinks that record what reaches them, a small container,
// and screen helpers.
#pragma once

#include <windows.h>

#include <ocidl.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/com/dispatch.h"
#include "framework/com/object.h"
#include "framework/win/handles.h"
#include "tests/support/pixels.h"

namespace ctlcom_testing {

// A picture cache that knows the pictures it was given and records every call.
class FakeCache final : public fw::com::Implements<fw::com::Dispatch<IVelmoraPictureCache>> {
public:
    struct Load {
        HWND window;
        std::wstring path;
    };
    void AddPicture(const std::wstring& path, HBITMAP bitmap) { pictures_[path] = bitmap; }

    STDMETHODIMP LoadBitmap(LONG_PTR hWnd, BSTR path, LONG_PTR phBitmap, LONG_PTR pBitmapInfo) override;
    STDMETHODIMP SetCacheSize(short cacheSize, short cacheOutCount) override;

    std::vector<Load> loads;
    std::vector<std::pair<short, short>> sizes;

private:
    std::map<std::wstring, HBITMAP> pictures_;
};

// The class object of FakeCache, registered for CLSID_VelmoraPictureCache while it lives.
class FakeCacheFactory final : public fw::com::Implements<IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    std::vector<fw::com::ComPtr<IVelmoraPictureCache>> made;
};

class ScopedCacheClass {
public:
    ScopedCacheClass();
    ~ScopedCacheClass();
    ScopedCacheClass(const ScopedCacheClass&) = delete;
    ScopedCacheClass& operator=(const ScopedCacheClass&) = delete;
    FakeCacheFactory& Factory() { return *factory_; }
    FakeCache& Made(size_t i);

private:
    FakeCacheFactory* factory_ = nullptr;
    fw::com::ComPtr<IClassFactory> holder_;
    DWORD cookie_ = 0;
};

// An event sink of _IVelmoraThumbCtlEvents. With `scribble` it overwrites the text
// argument it receives, to show that each sink gets its own copy.
class EventSink final : public IDispatch {
public:
    struct Event {
        DISPID id;
        LCID locale;
        WORD flags;
        bool iidNull;
        UINT argCount;
        std::wstring text;
    };
    explicit EventSink(bool scribble = false) : scribble_(scribble) {}
    virtual ~EventSink() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override;

    std::vector<Event> events;

private:
    ULONG refs_ = 1;
    bool scribble_;
};

class PropertyNotifySink final : public fw::com::Implements<IPropertyNotifySink> {
public:
    STDMETHODIMP OnChanged(DISPID id) override;
    STDMETHODIMP OnRequestEdit(DISPID id) override;
    HRESULT editAnswer = S_OK;
    std::vector<std::string> calls;  // "edit -518", "changed -518"
};

class AdviseSink final : public fw::com::Implements<IAdviseSink> {
public:
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override { ++dataChanges; }
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override { ++viewChanges; }
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override { ++saves; }
    STDMETHODIMP_(void) OnClose() override { ++closes; }
    int dataChanges = 0;
    int viewChanges = 0;
    int saves = 0;
    int closes = 0;
};

// A minimal in-place container: one window, no frame or document window, every call
// recorded by name.
class TestSite final
    : public fw::com::Implements<IOleClientSite, fw::com::Chain<IOleInPlaceSite, IOleWindow>> {
public:
    explicit TestSite(HWND window, RECT position) : window_(window), position_(position) {}

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return Record("SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override
    {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override
    {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return Record("ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* w) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return Record("CanInPlaceActivate"); }
    STDMETHODIMP OnInPlaceActivate() override { return Record("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Record("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Record("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Record("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override
    {
        requested = *rect;
        return Record("OnPosRectChange");
    }

    std::vector<std::string> calls;
    RECT requested{};

private:
    HRESULT Record(const char* name)
    {
        calls.emplace_back(name);
        return S_OK;
    }
    HWND window_;
    RECT position_;
};

// Screen helpers.
using testing_support::CaptureClient;
using testing_support::Dib;
using testing_support::SaveArtefact;
using testing_support::WrongPixels;

// A top-level window of a plain class that keeps its background, for hosting.
HWND CreateHostWindow(const wchar_t* className, const wchar_t* title, int width, int height);

}  // namespace ctlcom_testing
