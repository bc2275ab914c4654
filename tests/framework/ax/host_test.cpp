// The ActiveX host against a stub control: the order of creation calls, in-place
// activation answered by the site, sizing, teardown, failures, ambient properties and
// events.
#include "framework/ax/control_host.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include "tests/framework/ax/host_fixture.h"

namespace host_test {
namespace {

using fw::com::ComPtr;
using Calls = std::vector<std::string>;

// Persisted properties as a dialog template carries them: version, extent, caption "12", "".
const std::vector<BYTE> kTemplateData = {0x00, 0x03, 0x00, 0x00, 0x69, 0x03, 0x00, 0x00, 0x1a, 0x03, 0x00,
                                         0x00, 0x08, 0x00, 0x06, 0x00, 0x00, 0x00, '1',  0x00, '2',  0x00,
                                         0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};
const std::string kMisc = "GetMiscStatus", kSite = "SetClientSite site", kLoad = "Load 32",
                  kVerb = "DoVerb -5";
const Calls kTeardown = {"InPlaceDeactivate", "Close 1", "SetClientSite null"};
const RECT kClient{0, 0, 200, 100};  // the host's client area

class HostTest : public HostFixture {
protected:
    HRESULT CreateHost(fw::ax::HostWindow& host, std::span<const BYTE> data = {},
                       const CLSID& clsid = kStubClass)
    {
        return host.CreateControl(parent_.Handle(), RECT{10, 20, 210, 120}, 130, WS_VISIBLE, clsid, data);
    }
};

TEST_F(HostTest, CreationOrderFollowsMiscStatusAndInitialDataAndTeardownUndoesIt)
{
    const struct {
        DWORD miscStatus;
        bool withData;
        Calls calls;
    } cases[] = {
        {OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT, true, {kMisc, kSite, kLoad, kVerb}},
        {OLEMISC_SETCLIENTSITEFIRST, false, {kMisc, kSite, "InitNew", kVerb}},
        {OLEMISC_ACTIVATEWHENVISIBLE, true, {kMisc, kLoad, kSite, kVerb}},
        {0, false, {kMisc, "InitNew", kSite, kVerb}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        ResetStub();
        Stub().miscStatus = c.miscStatus;
        {
            fw::ax::HostWindow host;
            ASSERT_EQ(CreateHost(host, c.withData ? kTemplateData : std::vector<BYTE>{}), S_OK);
            CheckCalls(__FILE__, __LINE__, c.calls);
            EXPECT_EQ(Stub().loaded, c.withData ? kTemplateData : std::vector<BYTE>{});
            EXPECT_EQ(Stub().verbParent, host.Handle());
            EXPECT_TRUE(EqualRect(&Stub().verbRect, &kClient));
        }
        CheckCalls(__FILE__, __LINE__, kTeardown);
        EXPECT_EQ(Stub().living, 0);
    }
}

TEST_F(HostTest, SiteAnswersInPlaceActivationInsideTheHostWindow)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    EXPECT_EQ(GetParent(host.Handle()), parent_.Handle());
    EXPECT_EQ(GetDlgCtrlID(host.Handle()), 130);
    EXPECT_EQ(Stub().canActivate, S_OK);
    EXPECT_EQ(Stub().siteWindow, host.Handle());
    EXPECT_EQ(std::pair(Stub().frameWindow, Stub().frameInfoWindow),
              std::pair(parent_.Handle(), parent_.Handle()));
    EXPECT_TRUE(Stub().documentGiven);
    EXPECT_TRUE(EqualRect(&Stub().contextPosition, &kClient) && EqualRect(&Stub().contextClip, &kClient));
    EXPECT_EQ(host.ControlWindow(), Stub().window);
    EXPECT_EQ(GetParent(Stub().window), host.Handle());
    for (const IID& iid :
         {IID_IOleInPlaceSiteWindowless, IID_IOleContainer, IID_IOleInPlaceFrame, kUnrelated}) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(Stub().site->QueryInterface(iid, p.PutVoid()), E_NOINTERFACE) << "never windowless";
    }
    Stub().calls.clear();
    EXPECT_EQ(CreateHost(host), E_UNEXPECTED) << "a second creation";
    EXPECT_CALLS();
    EXPECT_EQ(Stub().living, 1);
}

TEST_F(HostTest, ResizingTheHostResizesTheControl)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    for (const auto& [cx, cy] : {std::pair{150, 90}, std::pair{320, 240}, std::pair{0, 0}}) {
        SetWindowPos(host.Handle(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const std::string rect = "0,0," + std::to_string(cx) + "," + std::to_string(cy);
        EXPECT_CALLS("SetObjectRects " + rect + " " + rect);
        RECT client{};
        GetClientRect(Stub().window, &client);
        EXPECT_EQ(client.right, cx);
        EXPECT_EQ(client.bottom, cy);
    }
    // A control asking for another place is put back to fill the host.
    ComPtr<IOleInPlaceSite> site;
    ASSERT_EQ(Stub().site.As(site), S_OK);
    const RECT wanted{5, 5, 50, 50};
    EXPECT_EQ(site->OnPosRectChange(&wanted), S_OK);
    EXPECT_CALLS("SetObjectRects 0,0,0,0 0,0,0,0");
}

TEST_F(HostTest, TeardownDeactivatesClosesAndReleasesHoweverTheHostEnds)
{
    enum class End { Destructor, ParentDestroyed, DestroyControl };
    for (End end : {End::Destructor, End::ParentDestroyed, End::DestroyControl}) {
        SCOPED_TRACE(static_cast<int>(end));
        ResetStub();
        if (!parent_.Handle()) {
            ASSERT_TRUE(parent_.Create());
        }
        {
            fw::ax::HostWindow host;
            ASSERT_EQ(CreateHost(host), S_OK);
            ASSERT_EQ(host.ConnectEvents([](DISPID, const DISPPARAMS&) {}), S_OK);
            Stub().calls.clear();
            if (end == End::ParentDestroyed) {
                parent_.Destroy();
                EXPECT_EQ(host.Handle(), nullptr);
            }
            if (end == End::DestroyControl) {
                host.DestroyControl();
                EXPECT_NE(host.Handle(), nullptr) << "the window stays";
                EXPECT_EQ(host.Control(), nullptr);
                EXPECT_EQ(host.ControlDispatch(), nullptr);
                EXPECT_EQ(host.ControlWindow(), nullptr);
            }
        }
        EXPECT_CALLS("Unadvise", "InPlaceDeactivate", "Close 1", "SetClientSite null");
        EXPECT_EQ(Stub().living, 0);
        EXPECT_EQ(Stub().window, nullptr);
    }
}

TEST_F(HostTest, FailedCreationLeavesNoWindowAndNoControl)
{
    const struct {
        CLSID clsid;
        HRESULT load, doVerb, expected;
        Calls calls;
    } cases[] = {
        {kUnrelated, S_OK, S_OK, REGDB_E_CLASSNOTREG, {}},
        {kStubClass, E_FAIL, S_OK, E_FAIL, {kMisc, kSite, kLoad, "Close 1", "SetClientSite null"}},
        {kStubClass,
         S_OK,
         E_OUTOFMEMORY,
         E_OUTOFMEMORY,
         {kMisc, kSite, kLoad, kVerb, kTeardown[0], kTeardown[1], kTeardown[2]}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ResetStub();
        Stub().loadResult = c.load;
        Stub().doVerbResult = c.doVerb;
        fw::ax::HostWindow host;
        EXPECT_EQ(CreateHost(host, kTemplateData, c.clsid), c.expected);
        CheckCalls(__FILE__, __LINE__, c.calls);
        EXPECT_EQ(host.Handle(), nullptr);
        EXPECT_EQ(host.Control(), nullptr);
        EXPECT_EQ(GetWindow(parent_.Handle(), GW_CHILD), nullptr);
        EXPECT_EQ(Stub().living, 0);
        EXPECT_EQ(fw::com::Module::Objects(), objects_);
    }
}

TEST_F(HostTest, SiteAnswersAmbientProperties)
{
    fw::ax::HostWindow host;
    host.SetAmbients({true, 0x0411, L"\u30b5\u30e0\u30cd\u30a4\u30eb"});
    ASSERT_EQ(CreateHost(host), S_OK);
    ComPtr<IDispatch> ambient;
    ASSERT_EQ(Stub().site.As(ambient), S_OK);
    const LONG kTrue = VARIANT_TRUE, kSystem = static_cast<LONG>(0x80000000);
    const struct {
        DISPID id;
        VARTYPE type;  // VT_EMPTY: not answered
        LONG number;   // VT_I4 value, or VARIANT_BOOL
    } cases[] = {
        {DISPID_AMBIENT_USERMODE, VT_BOOL, kTrue},
        {DISPID_AMBIENT_MESSAGEREFLECT, VT_BOOL, 0},
        {DISPID_AMBIENT_UIDEAD, VT_BOOL, 0},
        {DISPID_AMBIENT_SHOWHATCHING, VT_BOOL, 0},
        {DISPID_AMBIENT_SHOWGRABHANDLES, VT_BOOL, 0},
        {DISPID_AMBIENT_AUTOCLIP, VT_BOOL, kTrue},
        {DISPID_AMBIENT_LOCALEID, VT_I4, 0x0411},
        {DISPID_AMBIENT_BACKCOLOR, VT_I4, kSystem | COLOR_WINDOW},
        {DISPID_AMBIENT_FORECOLOR, VT_I4, kSystem | COLOR_WINDOWTEXT},
        {DISPID_AMBIENT_FONT, VT_EMPTY, 0},
        {DISPID_AMBIENT_PALETTE, VT_EMPTY, 0},
        {42, VT_EMPTY, 0},
    };
    DISPPARAMS none{};
    auto get = [&](DISPID id, fw::com::Variant& value, WORD flags = DISPATCH_PROPERTYGET,
                   REFIID iid = IID_NULL) {
        return ambient->Invoke(id, iid, 0, flags, &none, value.Get(), nullptr, nullptr);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        fw::com::Variant value;
        EXPECT_EQ(get(c.id, value), c.type == VT_EMPTY ? DISP_E_MEMBERNOTFOUND : S_OK);
        EXPECT_EQ(value.Type(), c.type);
        EXPECT_EQ(c.type == VT_BOOL ? V_BOOL(value.Get())
                  : c.type == VT_I4 ? V_I4(value.Get())
                                    : 0,
                  c.number);
    }
    fw::com::Variant name, ignored;
    ASSERT_EQ(get(DISPID_AMBIENT_DISPLAYNAME, name), S_OK);
    EXPECT_STREQ(name.Type() == VT_BSTR ? V_BSTR(name.Get()) : L"", L"\u30b5\u30e0\u30cd\u30a4\u30eb");
    EXPECT_EQ(get(DISPID_AMBIENT_USERMODE, ignored, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(get(DISPID_AMBIENT_USERMODE, ignored, DISPATCH_PROPERTYGET, kUnrelated),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(HostTest, EventsReachTheHandlerWithTheirArgumentsUntilDisconnected)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    std::vector<std::pair<DISPID, std::wstring>> received;  // id, argument types and texts in order
    ASSERT_EQ(host.ConnectEvents([&](DISPID id, const DISPPARAMS& params) {
        std::wstring args;
        for (UINT i = 0; i < params.cArgs; ++i) {
            const VARIANT* arg = fw::ax::EventArgument(params, i);
            args += V_VT(arg) == VT_BSTR ? V_BSTR(arg) : std::to_wstring(V_VT(arg));
        }
        EXPECT_EQ(fw::ax::EventArgument(params, params.cArgs), nullptr);
        received.emplace_back(id, args);
    }),
              S_OK);
    EXPECT_CALLS("Advise");
    fw::com::Bstr files(L"C:\\\u8868\\a.jpg");
    VARIANT text, count;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = files.Get();
    V_VT(&count) = VT_I4;
    V_I4(&count) = 2;
    EXPECT_EQ(FireEvent(1) + FireEvent(4, {text}) + FireEvent(7, {text, count}), 3);
    EXPECT_EQ(received, (std::vector<std::pair<DISPID, std::wstring>>{
                            {1, L""}, {4, L"C:\\\u8868\\a.jpg"}, {7, L"C:\\\u8868\\a.jpg3"}}))
        << "arguments in declaration order";

    // Reconnecting replaces the earlier sink; a handler may end the connection while it runs.
    int second = 0;
    ASSERT_EQ(host.ConnectEvents([&](DISPID, const DISPPARAMS&) {
        ++second;
        host.DisconnectEvents();
    }),
              S_OK);
    EXPECT_CALLS("Unadvise", "Advise");
    EXPECT_EQ(FireEvent(2), 1);
    EXPECT_CALLS("Unadvise");
    EXPECT_EQ(FireEvent(1), 0);
    // A control that kept the sink past Unadvise reaches nobody.
    DISPPARAMS none{};
    EXPECT_EQ(Stub().keptSink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(HostTest, EventsCannotConnectWithoutASourceInterface)
{
    Stub().answersSourceIid = false;
    fw::ax::HostWindow host;
    EXPECT_EQ(host.ConnectEvents([](DISPID, const DISPPARAMS&) {}), E_UNEXPECTED) << "no control yet";
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    EXPECT_EQ(host.ConnectEvents([](DISPID, const DISPPARAMS&) {}), E_NOTIMPL);
    EXPECT_CALLS();
    fw::ax::EventConnection other;  // a source the control does not have
    EXPECT_EQ(other.Connect(host.Control(), kUnrelated, [](DISPID, const DISPPARAMS&) {}),
              CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other.Connected());
}

}  // namespace
}  // namespace host_test
