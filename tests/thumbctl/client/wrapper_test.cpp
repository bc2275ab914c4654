// CVelmoraThumbCtl against the stub control under the control's class: one Invoke per
// operation, ANSI strings as BSTRs, failures returned. (With the real control: the app's tests.)
#include "thumbctl/client/thumb_ctl_wrapper.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "tests/framework/ax/host_fixture.h"
#include "VelmoraThumbCtl.h"

namespace host_test {
namespace {

const std::vector<BYTE> kInitial(32, 0x5A);  // persisted properties from a dialog template

class WrapperTest : public HostFixture {
protected:
    void SetUp() override
    {
        HostFixture::SetUp();
        ASSERT_EQ(asThumbCtl_.Result(), S_OK);
        ASSERT_EQ(ctl_.Create(parent_.Handle(), RECT{0, 0, 160, 120}, 130, WS_VISIBLE, kInitial), S_OK);
        Stub().calls.clear();
    }
    StubRegistration asThumbCtl_{CVelmoraThumbCtl::ClassId()};
    CVelmoraThumbCtl ctl_;
};

TEST_F(WrapperTest, CreatesTheLibrarysControlAndMakesEachOperationOneInvokeThatReturnsItsResult)
{
    EXPECT_EQ(std::tuple(CVelmoraThumbCtl::ClassId(), Stub().loaded, GetDlgCtrlID(ctl_.Handle())),
              std::tuple(CLSID_VelmoraThumbCtl, kInitial, 130));
    IUnknown* const cache = Stub().site.Get();  // any object will do as the picture cache
    using Call = std::function<HRESULT(CVelmoraThumbCtl&)>;
    const WORD method = DISPATCH_METHOD, put = DISPATCH_PROPERTYPUT, get = DISPATCH_PROPERTYGET;
    // The call; the Invoke it makes: id, flags, argument types and texts.
    const std::tuple<Call, DISPID, WORD, std::vector<VARTYPE>, std::vector<std::wstring>> cases[] = {
        {[](auto& c) { return c.About(); }, -552, method, {}, {}},
        {[](auto& c) { return c.displayFile("C:\\img\\a.jpg"); }, 1, method, {VT_BSTR}, {L"C:\\img\\a.jpg"}},
        {[](auto& c) { return c.displayFile(""); }, 1, method, {VT_BSTR}, {L""}},
        {[](auto& c) { return c.loadFile("C:\\\x95\x5C.png"); }, 4, method, {VT_BSTR}, {L"C:\\\u8868.png"}},
        {[](auto& c) { return c.loadFile(""); }, 4, method, {VT_BSTR}, {L""}},
        {[&](auto& c) { return c.IPictureCache(cache); }, 3, put, {VT_UNKNOWN}, {}},
        {[](auto& c) { return c.FilterExtention() == "*.\x95\x5C;*.bmp" ? S_OK : E_FAIL; }, 2, get, {}, {}},
    };
    Stub().filter = L"*.\u8868;*.bmp";
    for (HRESULT result : {S_OK, DISP_E_EXCEPTION, E_FAIL}) {
        Stub().invokeResult = result;
        for (const auto& [call, id, flags, types, texts] : cases) {
            SCOPED_TRACE(testing::Message() << id << " " << testing::PrintToString(texts));
            Stub().invokes.clear();
            EXPECT_EQ(call(ctl_), flags == get && result != S_OK ? E_FAIL : result);
            ASSERT_EQ(Stub().invokes.size(), 1u);
            const InvokeRecord& r = Stub().invokes[0];
            EXPECT_EQ(std::tuple(r.id, r.flags, r.types, r.texts), std::tuple(id, flags, types, texts));
            EXPECT_EQ(r.nullTexts, std::vector<bool>(texts.size(), false))
                << "an empty path is an empty BSTR";
            EXPECT_EQ(r.named,
                      flags == put ? std::vector<DISPID>{DISPID_PROPERTYPUT} : std::vector<DISPID>{});
            EXPECT_EQ(r.object, flags == put ? cache : nullptr);
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
