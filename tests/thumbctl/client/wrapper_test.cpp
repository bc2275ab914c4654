// CVelmoraThumbCtl against the stub control registered under the control's class (one
// Invoke per operation, ANSI strings as BSTRs, failures returned), then the library's control.
#include "thumbctl/client/thumb_ctl_wrapper.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/framework/ax/host_fixture.h"
#include "tests/support/server_library.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "thumbctl/control/persist_stream.h"

namespace host_test {
namespace {

class WrapperTest : public HostFixture {
protected:
    void SetUp() override
    {
        HostFixture::SetUp();
        ASSERT_EQ(asThumbCtl_.Result(), S_OK);
        ASSERT_EQ(ctl_.Create(parent_.Handle(), RECT{0, 0, 160, 120}, 130, WS_VISIBLE), S_OK);
        Stub().calls.clear();
    }
    StubRegistration asThumbCtl_{CVelmoraThumbCtl::ClassId()};
    CVelmoraThumbCtl ctl_;
};

TEST_F(WrapperTest, EachOperationIsOneInvokeWithItsIdFlagsAndArgumentsAndReturnsItsResult)
{
    IUnknown* const cache = Stub().site.Get();  // any object will do as the picture cache
    using Call = std::function<HRESULT(CVelmoraThumbCtl&)>;
    const WORD method = DISPATCH_METHOD, put = DISPATCH_PROPERTYPUT, get = DISPATCH_PROPERTYGET;
    const struct {
        Call call;
        DISPID id;
        WORD flags;
        std::vector<VARTYPE> types;
        std::vector<std::wstring> texts;
    } cases[] = {
        {[](auto& c) { return c.About(); }, -552, method, {}, {}},
        {[](auto& c) { return c.displayFile("C:\\img\\a.jpg"); }, 1, method, {VT_BSTR}, {L"C:\\img\\a.jpg"}},
        {[](auto& c) { return c.displayFile("D:\\\x95\x5C.bmp"); },
         1,
         method,
         {VT_BSTR},
         {L"D:\\\u8868.bmp"}},
        {[](auto& c) { return c.displayFile(""); }, 1, method, {VT_BSTR}, {L""}},
        {[](auto& c) { return c.loadFile("C:\\\x95\x5C.png"); }, 4, method, {VT_BSTR}, {L"C:\\\u8868.png"}},
        {[](auto& c) { return c.loadFile(""); }, 4, method, {VT_BSTR}, {L""}},
        {[&](auto& c) { return c.IPictureCache(cache); }, 3, put, {VT_UNKNOWN}, {}},
        {[](auto& c) { return c.FilterExtention() == "*.\x95\x5C;*.bmp" ? S_OK : E_FAIL; }, 2, get, {}, {}},
    };
    Stub().filter = L"*.\u8868;*.bmp";
    for (HRESULT result : {S_OK, DISP_E_EXCEPTION, E_FAIL}) {
        Stub().invokeResult = result;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << c.id << " " << testing_support::Narrow(c.texts.empty() ? L"" : c.texts[0]));
            Stub().invokes.clear();
            EXPECT_EQ(c.call(ctl_), c.flags == get && result != S_OK ? E_FAIL : result);
            ASSERT_EQ(Stub().invokes.size(), 1u);
            const InvokeRecord& r = Stub().invokes[0];
            EXPECT_EQ(r.id, c.id);
            EXPECT_EQ(r.flags, c.flags);
            EXPECT_EQ(r.types, c.types);
            EXPECT_EQ(r.texts, c.texts);
            EXPECT_EQ(r.nullTexts, std::vector<bool>(c.texts.size(), false))
                << "an empty path is an empty BSTR";
            EXPECT_EQ(r.named,
                      c.flags == put ? std::vector<DISPID>{DISPID_PROPERTYPUT} : std::vector<DISPID>{});
            EXPECT_EQ(r.object, c.flags == put ? cache : nullptr);
        }
    }
    EXPECT_EQ(ctl_.FilterExtention(), "") << "after a failed call";

    CVelmoraThumbCtl missing;  // without a control nothing is called
    Stub().invokes.clear();
    EXPECT_TRUE(FAILED(missing.About()) && FAILED(missing.displayFile("C:\\a.jpg")) &&
                FAILED(missing.loadFile("")) && FAILED(missing.IPictureCache(nullptr)));
    EXPECT_EQ(missing.FilterExtention(), "");
    EXPECT_TRUE(Stub().invokes.empty());
}

}  // namespace
}  // namespace host_test

namespace {

using namespace ctlcom_testing;

TEST(HostedWrapperTest, HostsTheLibrarysControlWithInitialDataShowingAPictureAndFiringEvents)
{
    using testing_support::TheLibrary;
    ASSERT_NE(TheLibrary().module, nullptr);
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    const HWND parent = CreateHostWindow(L"STATIC", L"", 320, 240);
    {
        // The about dialog's control: 873 x 794 HIMETRIC, caption "12".
        const std::vector<uint8_t> initial = thumbctl::SaveProperties({873, 794, u"12", u""});
        CVelmoraThumbCtl wrapper;
        ASSERT_EQ(wrapper.Create(parent, {10, 10, 210, 160}, 1000, WS_VISIBLE, initial), S_OK);
        std::vector<DISPID> events;
        ASSERT_EQ(wrapper.ConnectEvents([&](DISPID id, const DISPPARAMS&) { events.push_back(id); }), S_OK);
        const HWND control = wrapper.ControlWindow();
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgCtrlID(wrapper.Handle()), 1000);
        SetWindowPos(wrapper.Handle(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
        RECT client{};
        GetClientRect(control, &client);
        EXPECT_TRUE(EqualRect(&client, std::data({RECT{0, 0, 300, 200}})));
        ComPtr<IVelmoraThumbCtl> thumb;
        ASSERT_EQ(wrapper.Control()->QueryInterface(IID_IVelmoraThumbCtl, thumb.PutVoid()), S_OK);
        Bstr caption;
        ASSERT_EQ(thumb->get_Caption(caption.Put()), S_OK);
        EXPECT_STREQ(caption.CStr(), L"12");

        ComPtr<IVelmoraPictureCache> cacheHolder;
        Dib picture(100, 80, 0x0000FF);
        Made<FakeCache>(cacheHolder).pictures[L"C:\\\x8868.bmp"] = picture.Handle();
        ASSERT_EQ(wrapper.IPictureCache(cacheHolder.Get()), S_OK);
        ASSERT_EQ(wrapper.displayFile("C:\\\x95\x5C.bmp"), S_OK);
        EXPECT_EQ(WrongPixels(CaptureClient(control), {100, 60, 200, 140}, 0x0000FF), 0);
        EXPECT_EQ(wrapper.FilterExtention().rfind("*.jpeg;*.jpg;*.gif;*.bmp", 0), 0u);
        SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        SendMessageW(control, WM_RBUTTONUP, 0, 0);
        EXPECT_EQ(events, (std::vector<DISPID>{1, 2}));
    }
    DestroyWindow(parent);
    OleUninitialize();
    TheLibrary().unregisterServer();
}

}  // namespace
