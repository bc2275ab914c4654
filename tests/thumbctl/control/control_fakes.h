// Stand-ins around the thumbnail control: a picture cache and its class object, sinks
// that record what reaches them, and a small in-place container.
#pragma once

#include <windows.h>

#include <ocidl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/com/dispatch.h"
#include "framework/com/object.h"
#include "tests/support/pixels.h"
#include "thumbctl/control/placement.h"

namespace ctlcom_testing {

using fw::com::Bstr;
using fw::com::ComPtr;
using testing_support::CaptureClient;
using testing_support::Dib;
using testing_support::WrongPixels;

constexpr uint32_t kWhite = 0xFFFFFF, kAny = 0xFFFFFFFF;

// Pixels whose colour is not the expected one (kAny: any colour will do).
inline int CountWrong(const Dib& dib, const std::function<uint32_t(int, int)>& expected)
{
    int wrong = 0;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            wrong += expected(x, y) != kAny && dib.At(x, y) != expected(x, y);
    return wrong;
}

// Makes a T held by `holder` and returns it.
template <typename T, typename I, typename... Args>
T& Made(ComPtr<I>& holder, Args&&... args)
{
    EXPECT_EQ(fw::com::Make<T>(holder, std::forward<Args>(args)...), S_OK);
    return *static_cast<T*>(holder.Get());
}

// A picture cache that knows the pictures it was given and records every call.
class FakeCache final : public fw::com::Implements<fw::com::Dispatch<IVelmoraPictureCache>> {
public:
    STDMETHODIMP LoadBitmap(LONG_PTR window, BSTR path, LONG_PTR bitmap, LONG_PTR info) override
    {
        loads.emplace_back(reinterpret_cast<HWND>(window), path ? path : L"");
        const auto found = pictures.find(loads.back().second);
        if (found == pictures.end())
            return E_FAIL;
        *reinterpret_cast<HBITMAP*>(bitmap) = found->second;
        GetObjectW(found->second, sizeof(BITMAP), reinterpret_cast<void*>(info));
        return S_OK;
    }
    STDMETHODIMP SetCacheSize(short size, short outCount) override
    {
        sizes.emplace_back(size, outCount);
        return S_OK;
    }
    std::map<std::wstring, HBITMAP> pictures;
    std::vector<std::pair<HWND, std::wstring>> loads;
    std::vector<std::pair<short, short>> sizes;
};

// FakeCache's class object: makes a new FakeCache for every creation.
class CacheFactory final : public fw::com::Implements<IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** ppv) override
    {
        made.emplace_back();
        Made<FakeCache>(made.back());
        return made.back()->QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
    FakeCache& Cache(size_t i) { return *static_cast<FakeCache*>(made.at(i).Get()); }
    std::vector<ComPtr<IVelmoraPictureCache>> made;
};

// A sink of _IVelmoraThumbCtlEvents. With `scribble` it overwrites the text it
// receives, to show that each sink gets its own copy.
class EventSink final : public fw::com::Implements<fw::com::RuntimeIid<IDispatch>> {
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
    bool AdmitsInterface(REFIID riid) const noexcept override { return riid == DIID__IVelmoraThumbCtlEvents; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override
    {
        events.push_back({id, locale, flags, riid == IID_NULL, params->cArgs, {}});
        if (params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_BSTR) {
            BSTR text = V_BSTR(&params->rgvarg[0]);
            events.back().text.assign(text, SysStringLen(text));
            for (UINT i = 0; scribble_ && i < SysStringLen(text); ++i)
                text[i] = L'#';
        }
        return S_OK;
    }
    std::vector<Event> events;

private:
    bool scribble_;
};

class PropertyNotifySink final : public fw::com::Implements<IPropertyNotifySink> {
public:
    STDMETHODIMP OnChanged(DISPID id) override
    {
        return calls.push_back("changed " + std::to_string(id)), S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID id) override
    {
        calls.push_back("edit " + std::to_string(id));
        return editAnswer;
    }
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
    int dataChanges = 0, viewChanges = 0, saves = 0, closes = 0;
};

// A minimal in-place container: one window, no frame or document window, the calls
// that matter recorded by name.
class TestSite final
    : public fw::com::Implements<IOleClientSite, fw::com::Chain<IOleInPlaceSite, IOleWindow>> {
public:
    TestSite(HWND window, RECT position) : window_(window), position_(position) {}
    STDMETHODIMP SaveObject() override { return Record("SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override { return *m = nullptr, E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override { return *c = nullptr, E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return Record("ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND* w) override { return *w = window_, Record("GetWindow"); }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return Record("CanInPlaceActivate"); }
    STDMETHODIMP OnInPlaceActivate() override { return Record("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Record("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        *frame = nullptr;
        *doc = nullptr;
        *pos = *clip = position_;
        *info = {info->cb, FALSE, window_, nullptr, 0};
        return Record("GetWindowContext");
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Record("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Record("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override
    {
        return requested = *rect, Record("OnPosRectChange");
    }

    std::vector<std::string> calls;
    RECT requested{};

private:
    HRESULT Record(const char* name) { return calls.emplace_back(name), S_OK; }
    HWND window_;
    RECT position_;
};

// A top-level window of a plain class that keeps its background, for hosting.
inline HWND CreateHostWindow(const wchar_t* className, const wchar_t* title, int width, int height)
{
    return CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace ctlcom_testing
