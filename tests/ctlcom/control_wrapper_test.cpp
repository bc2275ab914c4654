// The program's wrapper CVelmoraThumbCtl over the framework's control host: each
// operation is one dispatch call (checked against a recording control), and the
// library's real control hosted, sized, loaded from initial data and firing events.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "app/thumb_ctl_wrapper.h"
#include "framework/com/com_ptr.h"
#include "framework/com/object.h"
#include "tests/ctlcom/control_fakes.h"
#include "tests/server/server_test_support.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using namespace ctlcom_testing;
using server_testing::TheLibrary;

// A control that is nothing but a recording IDispatch.
class RecordingControl final : public fw::com::Implements<IDispatch> {
public:
    struct Call {
        DISPID id;
        WORD flags;
        UINT args;
        UINT named;
        VARTYPE type;
        std::wstring text;
        IUnknown* object;
    };
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        Call call{id, flags, params->cArgs, params->cNamedArgs, VT_EMPTY, {}, nullptr};
        if (params->cArgs == 1) {
            const VARIANT& v = params->rgvarg[0];
            call.type = V_VT(&v);
            if (V_VT(&v) == VT_BSTR)
                call.text.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
            if (V_VT(&v) == VT_UNKNOWN)
                call.object = V_UNKNOWN(&v);
        }
        calls.push_back(call);
        if (id == 2 && result) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"*.jpeg;*.\x8868");
        }
        return S_OK;
    }
    std::vector<Call> calls;
};

class RecordingFactory final : public fw::com::Implements<IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ComPtr<IDispatch> control;
        FW_RETURN_IF_FAILED(fw::com::Make<RecordingControl>(control));
        made = control;
        return control->QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
    ComPtr<IDispatch> made;
};

class WrapperTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        parent_ = CreateHostWindow(L"STATIC", L"", 320, 240);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override
    {
        wrapper_.Destroy();
        DestroyWindow(parent_);
        OleUninitialize();
    }
    HWND parent_ = nullptr;
    app::CVelmoraThumbCtl wrapper_;
};

TEST_F(WrapperTest, EachOperationIsOneDispatchCallWithConvertedStrings)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(fw::com::Make<RecordingFactory>(factory), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(app::kThumbCtlClsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    ASSERT_EQ(wrapper_.Create(parent_, {0, 0, 100, 100}, 1000), S_OK);
    auto& control =
        *static_cast<RecordingControl*>(static_cast<RecordingFactory*>(factory.Get())->made.Get());
    ComPtr<IUnknown> cache;
    ASSERT_EQ(fw::com::Make<RecordingControl>(cache), S_OK);

    EXPECT_EQ(wrapper_.About(), S_OK);
    EXPECT_EQ(wrapper_.displayFile("C:\\\x95\x5C\\a.jpg"), S_OK);
    EXPECT_EQ(wrapper_.displayFile(""), S_OK);
    const std::string first = wrapper_.FilterExtention();
    EXPECT_EQ(wrapper_.SetIPictureCache(cache.Get()), S_OK);
    EXPECT_EQ(wrapper_.loadFile(""), S_OK);
    EXPECT_EQ(wrapper_.loadFile("C:\\b.jpg"), S_OK);
    const std::string second = wrapper_.FilterExtention();
    CoRevokeClassObject(cookie);

    EXPECT_EQ(first, "*.jpeg;*.\x95\x5C");
    EXPECT_EQ(second, first);
    EXPECT_NE(static_cast<const void*>(first.data()), static_cast<const void*>(second.data()));
    struct Expected {
        DISPID id;
        WORD flags;
        UINT args;
        VARTYPE type;
        std::wstring text;
    };
    const Expected expected[] = {
        {-552, DISPATCH_METHOD, 0, VT_EMPTY, L""},
        {1, DISPATCH_METHOD, 1, VT_BSTR, L"C:\\\x8868\\a.jpg"},
        {1, DISPATCH_METHOD, 1, VT_BSTR, L""},
        {2, DISPATCH_PROPERTYGET, 0, VT_EMPTY, L""},
        {3, DISPATCH_PROPERTYPUT, 1, VT_UNKNOWN, L""},
        {4, DISPATCH_METHOD, 1, VT_BSTR, L""},
        {4, DISPATCH_METHOD, 1, VT_BSTR, L"C:\\b.jpg"},
        {2, DISPATCH_PROPERTYGET, 0, VT_EMPTY, L""},
    };
    ASSERT_EQ(control.calls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(control.calls[i].id, expected[i].id);
        EXPECT_EQ(control.calls[i].flags, expected[i].flags);
        EXPECT_EQ(control.calls[i].args, expected[i].args);
        EXPECT_EQ(control.calls[i].type, expected[i].type);
        EXPECT_EQ(control.calls[i].text, expected[i].text);
    }
    EXPECT_EQ(control.calls[4].named, 1u) << "a property put names its argument";
    EXPECT_EQ(control.calls[4].object, cache.Get());
}

// The library's control in the framework's host, through the wrapper.
class HostedWrapperTest : public WrapperTest, public fw::com::ControlEventHandler {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_NE(TheLibrary().module, nullptr);
        ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    }
    static void TearDownTestSuite() { TheLibrary().unregisterServer(); }

    void OnControlEvent(DISPID id, const DISPPARAMS& params) override
    {
        events_.push_back(id);
        if (params.cArgs == 1 && V_VT(&params.rgvarg[0]) == VT_BSTR)
            text_ = V_BSTR(&params.rgvarg[0]);
    }
    std::vector<DISPID> events_;
    std::wstring text_;
};

TEST_F(HostedWrapperTest, HostsTheControlSizedToItsWindowWithInitialDataAndEvents)
{
    // The about dialog's control: version 0x0300, 873 x 794, caption "12", empty file name.
    const std::vector<uint8_t> initial = {0x00, 0x03, 0x00, 0x00, 0x69, 0x03, 0x00, 0x00, 0x1A, 0x03, 0x00,
                                          0x00, 0x08, 0x00, 0x06, 0x00, 0x00, 0x00, '1',  0x00, '2',  0x00,
                                          0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};
    fw::com::ControlHostOptions options;
    options.initialData = initial;
    options.events = DIID__IVelmoraThumbCtlEvents;
    options.handler = this;
    ASSERT_EQ(wrapper_.Create(parent_, {10, 10, 210, 160}, 1000, options), S_OK);
    const HWND control = wrapper_.ControlWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), wrapper_.Handle());
    EXPECT_EQ(GetParent(wrapper_.Handle()), parent_);
    EXPECT_EQ(GetDlgCtrlID(wrapper_.Handle()), 1000);
    RECT client{};
    GetClientRect(control, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    SetWindowPos(wrapper_.Handle(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    GetClientRect(control, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);

    ComPtr<IVelmoraThumbCtl> thumb;
    ASSERT_EQ(wrapper_.Control()->QueryInterface(IID_IVelmoraThumbCtl, thumb.PutVoid()), S_OK);
    Bstr caption;
    ASSERT_EQ(thumb->get_Caption(caption.Put()), S_OK);
    EXPECT_STREQ(caption.CStr(), L"12");
    SIZEL extent{};
    ComPtr<IOleObject> object;
    ASSERT_EQ(thumb.As(object), S_OK);
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 873);
    EXPECT_EQ(extent.cy, 794);

    ComPtr<IVelmoraPictureCache> cache;
    ASSERT_EQ(fw::com::Make<FakeCache>(cache), S_OK);
    Dib picture(100, 80, 0x0000FF);
    static_cast<FakeCache*>(cache.Get())->AddPicture(L"C:\\\x8868.bmp", picture.Handle());
    ASSERT_EQ(wrapper_.SetIPictureCache(cache.Get()), S_OK);
    ASSERT_EQ(wrapper_.displayFile("C:\\\x95\x5C.bmp"), S_OK);
    const Dib shown = CaptureClient(control);
    EXPECT_EQ(WrongPixels(shown, {100, 60, 200, 140}, 0x0000FF), 0);
    EXPECT_TRUE(SaveArtefact(shown, "ctlcom_wrapper_hosted"));
    EXPECT_EQ(wrapper_.FilterExtention().rfind("*.jpeg;*.jpg;*.gif;*.bmp", 0), 0u);

    SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageW(control, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(events_, (std::vector<DISPID>{1, 2}));
}

}  // namespace
