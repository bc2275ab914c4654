// The program's wrapper CVelmoraThumbCtl hosting the library's real control: sized,
// loaded from initial data, showing a file from the cache it was given, reporting its
// filter and firing events. (The single dispatch call of each operation is checked
// against a stub control in the host tests.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "thumbctl/client/thumb_ctl_wrapper.h"
#include "framework/ax/event_sink.h"
#include "framework/com/com_ptr.h"
#include "framework/com/object.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "tests/support/server_library.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using namespace ctlcom_testing;
using testing_support::TheLibrary;

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
    CVelmoraThumbCtl wrapper_;
};

// The library's control in the framework's host, through the wrapper.
class HostedWrapperTest : public WrapperTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_NE(TheLibrary().module, nullptr);
        ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    }
    static void TearDownTestSuite() { TheLibrary().unregisterServer(); }

    void OnControlEvent(DISPID id, const DISPPARAMS& params)
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
    ASSERT_EQ(wrapper_.Create(parent_, {10, 10, 210, 160}, 1000, WS_VISIBLE, initial), S_OK);
    ASSERT_EQ(
        wrapper_.ConnectEvents([this](DISPID id, const DISPPARAMS& params) { OnControlEvent(id, params); }),
        S_OK);
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
    ASSERT_EQ(wrapper_.IPictureCache(cache.Get()), S_OK);
    ASSERT_EQ(wrapper_.displayFile("C:\\\x95\x5C.bmp"), S_OK);
    const Dib shown = CaptureClient(control);
    EXPECT_EQ(WrongPixels(shown, {100, 60, 200, 140}, 0x0000FF), 0);
    EXPECT_TRUE(SaveArtefact(shown, "ctlcom_wrapper_hosted"));
    EXPECT_EQ(wrapper_.FilterExtention().rfind("*.jpeg;*.jpg;*.gif;*.bmp", 0), 0u);

    SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageW(control, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(events_, (std::vector<DISPID>{1, 2}));
}

// An object that offers only the older IProvideClassInfo, forwarding to the control's.
class ClassInfoOnly final : public fw::com::Implements<IProvideClassInfo> {
public:
    explicit ClassInfoOnly(IProvideClassInfo* inner) : inner_(inner) {}
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override { return inner_->GetClassInfo(info); }

private:
    ComPtr<IProvideClassInfo> inner_;
};

TEST_F(HostedWrapperTest, DefaultSourceComesFromClassInfo2OrTheClassTypeInfo)
{
    ASSERT_EQ(wrapper_.Create(parent_, {0, 0, 64, 64}, 130, 0), S_OK);
    IID source = IID_NULL;
    ASSERT_EQ(fw::ax::DefaultSourceInterface(wrapper_.Control(), &source), S_OK);
    EXPECT_TRUE(source == DIID__IVelmoraThumbCtlEvents);

    ComPtr<IProvideClassInfo> info;
    ASSERT_EQ(wrapper_.Control()->QueryInterface(IID_IProvideClassInfo, info.PutVoid()), S_OK);
    ComPtr<IProvideClassInfo> older;
    ASSERT_EQ(fw::com::Make<ClassInfoOnly>(older, info.Get()), S_OK);
    source = IID_NULL;
    ASSERT_EQ(fw::ax::DefaultSourceInterface(older.Get(), &source), S_OK);
    EXPECT_TRUE(source == DIID__IVelmoraThumbCtlEvents);
}

}  // namespace
