// Stand-ins around the thumbnail control (a picture cache, sinks that record what
// reaches them, a small in-place container) and the fixture that hosts it.
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
#include "framework/ax/event_sink.h"
#include "framework/com/com_ptr.h"
#include "framework/com/dispatch.h"
#include "framework/com/object.h"
#include "thumbctl/server/class_table.h"
#include "tests/support/pixels.h"
#include "thumbctl/control/placement.h"

namespace ctlcom_testing {

using fw::com::Bstr;
using fw::com::ComPtr;
using testing_support::CaptureClient;
using testing_support::Dib;
using testing_support::WrongPixels;
constexpr uint32_t kWhite = 0xFFFFFF, kAny = 0xFFFFFFFF;

// Every pixel has the expected colour (kAny: any colour will do).
inline testing::AssertionResult Matches(const Dib& dib, const std::function<uint32_t(int, int)>& expected)
{
    int wrong = 0;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            wrong += expected(x, y) != kAny && dib.At(x, y) != expected(x, y);
    return wrong == 0 ? testing::AssertionSuccess()
                      : testing::AssertionFailure() << wrong << " pixels differ";
}

// Makes a T held by `holder` and returns it.
template <typename T, typename I, typename... Args>
T& Made(ComPtr<I>& holder, Args&&... args)
{
    EXPECT_EQ(fw::com::Make<T>(holder, std::forward<Args>(args)...), S_OK);
    return *static_cast<T*>(holder.Get());
}

// A picture cache that knows the pictures it was given and records every load.
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
        return sizes.emplace_back(size, outCount), S_OK;
    }
    std::map<std::wstring, HBITMAP> pictures;
    std::vector<std::pair<HWND, std::wstring>> loads;
    std::vector<std::pair<short, short>> sizes;
};

// A sink of the control's events that records each id and its text argument, then
// overwrites the text: a sink after it sees the text only if it has its own copy.
inline fw::ax::EventSink& MadeEventSink(ComPtr<IDispatch>& holder,
                                        std::vector<std::pair<DISPID, std::wstring>>& events)
{
    return Made<fw::ax::EventSink>(
        holder, DIID__IVelmoraThumbCtlEvents, [&events](DISPID id, const DISPPARAMS& p) {
            const VARIANT* text = fw::ax::EventArgument(p, 0);
            events.emplace_back(id, text && V_VT(text) == VT_BSTR ? V_BSTR(text) : L"");
            for (UINT i = 0; text && V_VT(text) == VT_BSTR && i < SysStringLen(V_BSTR(text)); ++i)
                V_BSTR(text)[i] = L'#';
        });
}

class PropertyNotifySink final : public fw::com::Implements<IPropertyNotifySink> {
public:
    STDMETHODIMP OnChanged(DISPID id) override
    {
        return calls.push_back("changed " + std::to_string(id)), S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID id) override
    {
        return calls.push_back("edit " + std::to_string(id)), editAnswer;
    }
    HRESULT editAnswer = S_OK;
    std::vector<std::string> calls;  // "edit -518", "changed -518"
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

template <typename I>
ComPtr<I> As(IUnknown* object)
{
    ComPtr<I> result;
    EXPECT_EQ(object->QueryInterface(__uuidof(I), result.PutVoid()), S_OK);
    return result;
}

inline ComPtr<IVelmoraThumbCtl> NewControl()
{
    ComPtr<IVelmoraThumbCtl> control;
    EXPECT_EQ(thumbctl::CreateThumbControl(nullptr, IID_IVelmoraThumbCtl, control.PutVoid()), S_OK);
    return control;
}

// The control linked into the test program, and a test container to put it in; the
// control and every sink must be gone when a test ends.
class ControlTest : public testing::Test {
protected:
    void TearDown() override
    {
        As<IOleObject>()->Close(OLECLOSE_NOSAVE);
        As<IOleObject>()->SetClientSite(nullptr);
        control_.Reset();
        site_.Reset();
        cache_.Reset();
        DestroyWindow(host_);
        EXPECT_EQ(fw::com::Module::Objects(), objects_) << "the control or a sink leaked";
    }
    template <typename I>
    ComPtr<I> As()
    {
        return ctlcom_testing::As<I>(control_.Get());
    }
    // Puts the control into a test container's 300 x 200 window, activated in place.
    HWND Activate()
    {
        host_ = CreateHostWindow(L"STATIC", L"", 300, 200);
        site = &Made<TestSite>(site_, host_, position_);
        EXPECT_EQ(As<IOleObject>()->SetClientSite(site_.Get()), S_OK);
        EXPECT_EQ(DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
        return ControlWindow();
    }
    HRESULT DoVerb(LONG verb)
    {
        return As<IOleObject>()->DoVerb(verb, nullptr, site_.Get(), 0, host_, &position_);
    }
    HWND ControlWindow()
    {
        HWND hwnd = nullptr;
        As<IOleWindow>()->GetWindow(&hwnd);
        return hwnd;
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    const long objects_ = fw::com::Module::Objects();
    ComPtr<IVelmoraThumbCtl> control_ = NewControl();
    ComPtr<IOleClientSite> site_;
    TestSite* site = nullptr;
    HWND host_ = nullptr;
    const RECT position_{0, 0, 300, 200};
    ComPtr<IVelmoraPictureCache> cache_;
};

}  // namespace ctlcom_testing
