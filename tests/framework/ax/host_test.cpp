// The ActiveX host against a stub control: creation order, in-place activation, sizing,
// teardown, failures and events.
#include "framework/ax/control_host.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <tuple>

#include "tests/framework/ax/host_fixture.h"

namespace host_test {
namespace {

using fw::com::ComPtr;
using Calls = std::vector<std::string>;

const std::vector<BYTE> kData(32, 0x5A);  // initial data, handed to IPersistStreamInit::Load
const std::string kMisc = "GetMiscStatus", kSite = "SetClientSite site", kLoad = "Load 32",
                  kVerb = "DoVerb -5", kClose = "Close 1", kUnsite = "SetClientSite null",
                  kOff = "InPlaceDeactivate";
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
    const std::tuple<DWORD, bool, Calls> cases[] = {
        // the control's misc status, data given: the calls
        {OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT, true, {kMisc, kSite, kLoad, kVerb}},
        {OLEMISC_SETCLIENTSITEFIRST, false, {kMisc, kSite, "InitNew", kVerb}},
        {OLEMISC_ACTIVATEWHENVISIBLE, true, {kMisc, kLoad, kSite, kVerb}},
        {0, false, {kMisc, "InitNew", kSite, kVerb}},
    };
    for (const auto& [miscStatus, withData, calls] : cases) {
        SCOPED_TRACE(miscStatus);
        ResetStub();
        Stub().miscStatus = miscStatus;
        {
            fw::ax::HostWindow host;
            ASSERT_EQ(CreateHost(host, withData ? kData : std::vector<BYTE>{}), S_OK);
            CheckCalls(__FILE__, __LINE__, calls);
            EXPECT_EQ(Stub().loaded, withData ? kData : std::vector<BYTE>{});
            EXPECT_EQ(Stub().verbParent, host.Handle());
            EXPECT_TRUE(EqualRect(&Stub().verbRect, &kClient));
        }
        EXPECT_CALLS(kOff, kClose, kUnsite);
        EXPECT_EQ(Stub().living, 0);
    }
}

TEST_F(HostTest, SiteActivatesTheControlInsideTheHostAndKeepsItFillingTheHost)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    EXPECT_EQ(GetParent(host.Handle()), parent_.Handle());
    EXPECT_EQ(GetDlgCtrlID(host.Handle()), 130);
    EXPECT_EQ(std::tuple(Stub().canActivate, Stub().siteWindow, Stub().frameWindow, Stub().frameInfoWindow),
              std::tuple(S_OK, host.Handle(), parent_.Handle(), parent_.Handle()));
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

    for (const auto& [cx, cy] : {std::pair{150, 90}, {0, 0}}) {
        SetWindowPos(host.Handle(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const std::string rect = "0,0," + std::to_string(cx) + "," + std::to_string(cy);
        EXPECT_CALLS("SetObjectRects " + rect + " " + rect);
        RECT client{};
        GetClientRect(Stub().window, &client);
        EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(LONG{cx}, LONG{cy}));
    }
    // A control asking for another place is put back to fill the host.
    const RECT wanted{5, 5, 50, 50};
    ComPtr<IOleInPlaceSite> site;
    ASSERT_EQ(Stub().site.As(site), S_OK);
    EXPECT_EQ(site->OnPosRectChange(&wanted), S_OK);
    EXPECT_CALLS("SetObjectRects 0,0,0,0 0,0,0,0");
}

TEST_F(HostTest, TeardownDisconnectsDeactivatesClosesAndReleasesWhenTheParentGoesOrOnRequest)
{
    for (const bool parentDestroyed : {true, false}) {
        ResetStub();
        ASSERT_TRUE(parent_.Handle() || parent_.Create());
        fw::ax::HostWindow host;
        ASSERT_EQ(CreateHost(host), S_OK);
        ASSERT_EQ(host.ConnectEvents([](DISPID, const DISPPARAMS&) {}), S_OK);
        Stub().calls.clear();
        if (parentDestroyed) {
            parent_.Destroy();
            EXPECT_EQ(host.Handle(), nullptr);
        } else {
            host.DestroyControl();
            EXPECT_NE(host.Handle(), nullptr) << "the window stays";
            EXPECT_EQ(std::tuple(host.Control(), host.ControlDispatch(), host.ControlWindow()),
                      std::tuple(nullptr, nullptr, nullptr));
        }
        EXPECT_CALLS("Unadvise", kOff, kClose, kUnsite);
        EXPECT_EQ(std::pair(Stub().living, Stub().window), std::pair(0, HWND{}));
    }
}

TEST_F(HostTest, FailedCreationLeavesNoWindowAndNoControl)
{
    const std::tuple<CLSID, HRESULT, HRESULT, HRESULT, Calls> cases[] = {
        // class, Load, DoVerb: result, calls
        {kUnrelated, S_OK, S_OK, REGDB_E_CLASSNOTREG, {}},
        {kStubClass, E_FAIL, S_OK, E_FAIL, {kMisc, kSite, kLoad, kClose, kUnsite}},
        {kStubClass, S_OK, E_OUTOFMEMORY, E_OUTOFMEMORY, {kMisc, kSite, kLoad, kVerb, kOff, kClose, kUnsite}},
    };
    for (const auto& [clsid, load, doVerb, expected, calls] : cases) {
        SCOPED_TRACE(expected);
        ResetStub();
        Stub().loadResult = load;
        Stub().doVerbResult = doVerb;
        fw::ax::HostWindow host;
        EXPECT_EQ(CreateHost(host, kData, clsid), expected);
        CheckCalls(__FILE__, __LINE__, calls);
        EXPECT_EQ(std::pair(host.Handle(), GetWindow(parent_.Handle(), GW_CHILD)), std::pair(HWND{}, HWND{}));
        EXPECT_EQ(host.Control(), nullptr);
        EXPECT_EQ(Stub().living, 0);
        EXPECT_EQ(fw::com::Module::Objects(), objects_);
    }
}

TEST_F(HostTest, EventsReachTheHandlerWithTheirArgumentsUntilDisconnected)
{
    fw::ax::HostWindow host;
    EXPECT_EQ(host.ConnectEvents([](DISPID, const DISPPARAMS&) {}), E_UNEXPECTED) << "no control yet";
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    std::vector<std::pair<DISPID, std::wstring>> received;  // id, argument texts (or types) in order
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
    EXPECT_EQ(std::pair(second, received.size()), std::pair(1, size_t{3}));
}

}  // namespace
}  // namespace host_test
