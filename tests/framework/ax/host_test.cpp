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

// Persisted properties as a dialog template carries them: version word, extent,
// caption "12", empty file name.
const std::vector<BYTE> kTemplateData = {0x00, 0x03, 0x00, 0x00, 0x69, 0x03, 0x00, 0x00, 0x1a, 0x03, 0x00,
                                         0x00, 0x08, 0x00, 0x06, 0x00, 0x00, 0x00, '1',  0x00, '2',  0x00,
                                         0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};

constexpr RECT kHostRect{10, 20, 210, 120};

class HostTest : public HostFixture {
protected:
    HRESULT CreateHost(fw::ax::HostWindow& host, std::span<const BYTE> data = {})
    {
        return host.CreateControl(parent_.Handle(), kHostRect, 130, WS_VISIBLE, kStubClass, data);
    }
};

struct CreationCase {
    const char* name;
    DWORD miscStatus;
    bool withData;
    std::vector<std::string> calls;
};

TEST_F(HostTest, CreationOrderFollowsMiscStatusAndInitialData)
{
    const CreationCase cases[] = {
        {"site first, template data",
         OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT,
         true,
         {"GetMiscStatus", "SetClientSite site", "Load 32", "DoVerb -5"}},
        {"site first, new",
         OLEMISC_SETCLIENTSITEFIRST,
         false,
         {"GetMiscStatus", "SetClientSite site", "InitNew", "DoVerb -5"}},
        {"site after load",
         OLEMISC_ACTIVATEWHENVISIBLE,
         true,
         {"GetMiscStatus", "Load 32", "SetClientSite site", "DoVerb -5"}},
        {"site after new", 0, false, {"GetMiscStatus", "InitNew", "SetClientSite site", "DoVerb -5"}},
    };
    for (const CreationCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetStub();
        Stub().miscStatus = c.miscStatus;
        {
            fw::ax::HostWindow host;
            ASSERT_EQ(
                CreateHost(host, c.withData ? std::span<const BYTE>(kTemplateData) : std::span<const BYTE>()),
                S_OK);
            CheckCalls(__FILE__, __LINE__, c.calls);
            if (c.withData) {
                EXPECT_EQ(Stub().loaded, kTemplateData);
            }
            EXPECT_EQ(Stub().verbParent, host.Handle());
            EXPECT_EQ(Stub().verbRect.right, 200);
            EXPECT_EQ(Stub().verbRect.bottom, 100);
        }
        EXPECT_CALLS("InPlaceDeactivate", "Close 1", "SetClientSite null");
        EXPECT_EQ(Stub().living, 0);
    }
}

TEST_F(HostTest, SiteAnswersInPlaceActivationInsideTheHostWindow)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    ASSERT_NE(host.Handle(), nullptr);
    EXPECT_EQ(GetParent(host.Handle()), parent_.Handle());
    EXPECT_EQ(GetDlgCtrlID(host.Handle()), 130);
    EXPECT_TRUE(GetWindowLongW(host.Handle(), GWL_STYLE) & WS_CHILD);

    EXPECT_EQ(Stub().canActivate, S_OK);
    EXPECT_EQ(Stub().siteWindow, host.Handle());
    EXPECT_EQ(Stub().frameWindow, parent_.Handle());
    EXPECT_EQ(Stub().frameInfoWindow, parent_.Handle());
    EXPECT_TRUE(Stub().documentGiven);
    const RECT expected{0, 0, 200, 100};
    EXPECT_TRUE(EqualRect(&Stub().contextPosition, &expected));
    EXPECT_TRUE(EqualRect(&Stub().contextClip, &expected));

    ASSERT_NE(Stub().window, nullptr);
    EXPECT_EQ(host.ControlWindow(), Stub().window);
    EXPECT_EQ(GetParent(Stub().window), host.Handle());
    EXPECT_NE(host.ControlDispatch(), nullptr);
    ComPtr<IUnknown> control(host.Control());
    ComPtr<IOleObject> object;
    EXPECT_EQ(control.As(object), S_OK);
}

TEST_F(HostTest, ResizingTheHostResizesTheControl)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();

    struct Size {
        int cx, cy;
    };
    for (const Size s : {Size{150, 90}, Size{320, 240}, Size{0, 0}}) {
        SetWindowPos(host.Handle(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const std::string rect = "0,0," + std::to_string(s.cx) + "," + std::to_string(s.cy);
        EXPECT_CALLS("SetObjectRects " + rect + " " + rect);
        RECT client{};
        GetClientRect(Stub().window, &client);
        EXPECT_EQ(client.right, s.cx);
        EXPECT_EQ(client.bottom, s.cy);
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
    struct FailureCase {
        const char* name;
        CLSID clsid;
        HRESULT load;
        HRESULT doVerb;
        HRESULT expected;
        std::vector<std::string> calls;
    };
    const FailureCase cases[] = {
        {"class not registered", kUnrelated, S_OK, S_OK, REGDB_E_CLASSNOTREG, {}},
        {"load refused",
         kStubClass,
         E_FAIL,
         S_OK,
         E_FAIL,
         {"GetMiscStatus", "SetClientSite site", "Load 32", "Close 1", "SetClientSite null"}},
        {"activation refused",
         kStubClass,
         S_OK,
         E_OUTOFMEMORY,
         E_OUTOFMEMORY,
         {"GetMiscStatus", "SetClientSite site", "Load 32", "DoVerb -5", "InPlaceDeactivate", "Close 1",
          "SetClientSite null"}},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetStub();
        Stub().loadResult = c.load;
        Stub().doVerbResult = c.doVerb;
        fw::ax::HostWindow host;
        EXPECT_EQ(host.CreateControl(parent_.Handle(), kHostRect, 130, WS_VISIBLE, c.clsid, kTemplateData),
                  c.expected);
        CheckCalls(__FILE__, __LINE__, c.calls);
        EXPECT_EQ(host.Handle(), nullptr);
        EXPECT_EQ(host.Control(), nullptr);
        EXPECT_EQ(GetWindow(parent_.Handle(), GW_CHILD), nullptr);
        EXPECT_EQ(Stub().living, 0);
        EXPECT_EQ(fw::com::Module::Objects(), objects_);
    }
}

TEST_F(HostTest, SecondCreationIsRefused)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    EXPECT_EQ(CreateHost(host), E_UNEXPECTED);
    EXPECT_CALLS();
    EXPECT_EQ(Stub().living, 1);
}

TEST_F(HostTest, SiteAnswersAmbientProperties)
{
    fw::ax::HostWindow host;
    fw::ax::Ambients ambients;
    ambients.displayName = L"\u30b5\u30e0\u30cd\u30a4\u30eb";
    ambients.locale = 0x0411;
    host.SetAmbients(ambients);
    ASSERT_EQ(CreateHost(host), S_OK);
    ComPtr<IDispatch> ambient;
    ASSERT_EQ(Stub().site.As(ambient), S_OK);

    struct AmbientCase {
        DISPID id;
        HRESULT hr;
        VARTYPE type;
        LONG number;  // VT_I4 value, or VARIANT_BOOL
    };
    const AmbientCase cases[] = {
        {DISPID_AMBIENT_USERMODE, S_OK, VT_BOOL, VARIANT_TRUE},
        {DISPID_AMBIENT_MESSAGEREFLECT, S_OK, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_UIDEAD, S_OK, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_SHOWHATCHING, S_OK, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_SHOWGRABHANDLES, S_OK, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_AUTOCLIP, S_OK, VT_BOOL, VARIANT_TRUE},
        {DISPID_AMBIENT_LOCALEID, S_OK, VT_I4, 0x0411},
        {DISPID_AMBIENT_BACKCOLOR, S_OK, VT_I4, static_cast<LONG>(0x80000000 | COLOR_WINDOW)},
        {DISPID_AMBIENT_FORECOLOR, S_OK, VT_I4, static_cast<LONG>(0x80000000 | COLOR_WINDOWTEXT)},
        {DISPID_AMBIENT_FONT, DISP_E_MEMBERNOTFOUND, VT_EMPTY, 0},
        {DISPID_AMBIENT_PALETTE, DISP_E_MEMBERNOTFOUND, VT_EMPTY, 0},
        {42, DISP_E_MEMBERNOTFOUND, VT_EMPTY, 0},
    };
    DISPPARAMS none{};
    for (const AmbientCase& c : cases) {
        SCOPED_TRACE(c.id);
        fw::com::Variant value;
        EXPECT_EQ(
            ambient->Invoke(c.id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.Get(), nullptr, nullptr),
            c.hr);
        EXPECT_EQ(value.Type(), c.type);
        if (c.type == VT_BOOL) {
            EXPECT_EQ(V_BOOL(value.Get()), c.number);
        }
        if (c.type == VT_I4) {
            EXPECT_EQ(V_I4(value.Get()), c.number);
        }
    }

    fw::com::Variant name;
    ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                              name.Get(), nullptr, nullptr),
              S_OK);
    ASSERT_EQ(name.Type(), VT_BSTR);
    EXPECT_STREQ(V_BSTR(name.Get()), ambients.displayName.c_str());

    fw::com::Variant ignored;
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none,
                              ignored.Get(), nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, kUnrelated, 0, DISPATCH_PROPERTYGET, &none,
                              ignored.Get(), nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(HostTest, SiteRefusesInterfacesItDoesNotHave)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    IOleClientSite* site = Stub().site.Get();
    const IID answered[] = {IID_IUnknown,   IID_IOleClientSite,  IID_IOleInPlaceSite, IID_IOleInPlaceSiteEx,
                            IID_IOleWindow, IID_IOleControlSite, IID_IDispatch};
    for (const IID& iid : answered) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(site->QueryInterface(iid, p.PutVoid()), S_OK);
    }
    const IID refused[] = {IID_IOleInPlaceSiteWindowless, IID_IOleContainer, IID_IOleInPlaceFrame,
                           kUnrelated};
    for (const IID& iid : refused) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(site->QueryInterface(iid, p.PutVoid()), E_NOINTERFACE);
        EXPECT_EQ(p.Get(), nullptr);
    }
}

struct Event {
    DISPID id;
    std::vector<VARTYPE> types;
    std::wstring text;
};

TEST_F(HostTest, EventsReachTheHandlerWithTheirArguments)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    std::vector<Event> received;
    ASSERT_EQ(host.ConnectEvents([&](DISPID id, const DISPPARAMS& params) {
        Event e{id, {}, {}};
        for (UINT i = 0; i < params.cArgs; ++i) {
            const VARIANT* arg = fw::ax::EventArgument(params, i);
            e.types.push_back(V_VT(arg));
            if (V_VT(arg) == VT_BSTR)
                e.text += V_BSTR(arg);
        }
        EXPECT_EQ(fw::ax::EventArgument(params, params.cArgs), nullptr);
        received.push_back(e);
    }),
              S_OK);
    EXPECT_CALLS("Advise");

    EXPECT_EQ(FireEvent(1), 1);  // RClick-style: no arguments
    fw::com::Bstr files(L"C:\\\u8868\\a.jpg");
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = files.Get();
    VARIANT count;
    V_VT(&count) = VT_I4;
    V_I4(&count) = 2;
    EXPECT_EQ(FireEvent(4, {text}), 1);
    EXPECT_EQ(FireEvent(7, {text, count}), 1);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].id, 1);
    EXPECT_TRUE(received[0].types.empty());
    EXPECT_EQ(received[1].id, 4);
    EXPECT_EQ(received[1].types, std::vector<VARTYPE>{VT_BSTR});
    EXPECT_EQ(received[1].text, L"C:\\\u8868\\a.jpg");
    EXPECT_EQ(received[2].types, (std::vector<VARTYPE>{VT_BSTR, VT_I4})) << "declaration order";

    // Reconnecting replaces the earlier sink.
    int second = 0;
    ASSERT_EQ(host.ConnectEvents([&](DISPID, const DISPPARAMS&) { ++second; }), S_OK);
    EXPECT_CALLS("Unadvise", "Advise");
    EXPECT_EQ(FireEvent(2), 1);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(received.size(), 3u);

    host.DisconnectEvents();
    EXPECT_CALLS("Unadvise");
    EXPECT_EQ(FireEvent(1), 0);
    // A control that kept the sink past Unadvise reaches nobody.
    DISPPARAMS none{};
    EXPECT_EQ(Stub().keptSink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(second, 1);
}

TEST_F(HostTest, HandlerMayEndTheConnectionWhileAnEventRuns)
{
    fw::ax::HostWindow host;
    ASSERT_EQ(CreateHost(host), S_OK);
    Stub().calls.clear();
    int calls = 0;
    ASSERT_EQ(host.ConnectEvents([&](DISPID, const DISPPARAMS&) {
        ++calls;
        host.DisconnectEvents();
    }),
              S_OK);
    EXPECT_EQ(FireEvent(3), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_CALLS("Advise", "Unadvise");
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

    // A source the control does not have.
    fw::ax::EventConnection other;
    EXPECT_EQ(other.Connect(host.Control(), kUnrelated, [](DISPID, const DISPPARAMS&) {}),
              CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other.Connected());
}

}  // namespace
}  // namespace host_test
