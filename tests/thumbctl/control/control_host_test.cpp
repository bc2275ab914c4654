// The library's control hosted by the system's own ActiveX host (atl.dll's "AtlAxWin"
// window class): a container nobody here wrote. The library is registered for the
// suite, since the host creates the control by program or class identifier.
#include <gtest/gtest.h>

#include <windows.h>

#include <ocidl.h>
#include <shlobj.h>

#include <string>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "tests/support/drop_files.h"
#include "tests/support/server_library.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using namespace ctlcom_testing;
using testing_support::TheLibrary;

const wchar_t kClsidText[] = L"{CDE3FF5B-8BC2-4222-838E-EC953211A994}";

class AtlHostTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_NE(TheLibrary().module, nullptr);
        ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    }
    static void TearDownTestSuite() { TheLibrary().unregisterServer(); }

    // The system's ActiveX host, loaded and initialised once for the program: its
    // window class stays registered while the module is loaded.
    struct AtlHost {
        HMODULE module = nullptr;
        HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
        bool ready = false;
    };
    static const AtlHost& Atl()
    {
        static const AtlHost host = [] {
            AtlHost h;
            h.module = LoadLibraryW(L"atl.dll");
            if (!h.module)
                return h;
            auto init = reinterpret_cast<BOOL(WINAPI*)()>(GetProcAddress(h.module, "AtlAxWinInit"));
            h.getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
                GetProcAddress(h.module, "AtlAxGetControl"));
            h.ready = init && h.getControl && init();
            return h;
        }();
        return host;
    }

    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_TRUE(Atl().ready) << "atl.dll with AtlAxWinInit and AtlAxGetControl";
        getControl_ = Atl().getControl;
    }
    void TearDown() override
    {
        control_.Reset();
        if (host_)
            DestroyWindow(host_);
        OleUninitialize();
    }

    // Hosts a control named by program or class identifier in a 300 x 200 window.
    void Host(const wchar_t* name)
    {
        if (host_)
            DestroyWindow(host_);
        control_.Reset();
        host_ = CreateHostWindow(L"AtlAxWin", name, 300, 200);
        ASSERT_NE(host_, nullptr);
        ComPtr<IUnknown> unknown;
        ASSERT_EQ(getControl_(host_, unknown.Put()), S_OK);
        ASSERT_EQ(unknown.As(control_), S_OK);
    }
    HWND ControlWindow()
    {
        ComPtr<IOleWindow> window;
        if (FAILED(control_.As(window)))
            return nullptr;
        HWND hwnd = nullptr;
        window->GetWindow(&hwnd);
        return hwnd;
    }

    HRESULT(WINAPI* getControl_)(HWND, IUnknown**) = nullptr;
    HWND host_ = nullptr;
    ComPtr<IVelmoraThumbCtl> control_;
};

TEST_F(AtlHostTest, HostsTheControlByEitherProgramIdentifierOrItsClassAsAChildWindow)
{
    for (const wchar_t* name : {L"VelmoraThumbCtl.1", L"VelmoraThumbCtl", kClsidText}) {
        SCOPED_TRACE(testing_support::Narrow(name));
        Host(name);
        const HWND window = ControlWindow();
        ASSERT_NE(window, nullptr) << "activated in place as a window";
        EXPECT_EQ(GetParent(window), host_);
        EXPECT_TRUE(IsWindowVisible(window));
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 300);
        EXPECT_EQ(client.bottom, 200);
    }
}

TEST_F(AtlHostTest, HostedControlShowsThePictureOfItsCache)
{
    Host(L"VelmoraThumbCtl.1");
    ComPtr<IVelmoraPictureCache> cache;
    ASSERT_EQ(fw::com::Make<FakeCache>(cache), S_OK);
    Dib picture(100, 80, 0xFF0000);
    static_cast<FakeCache*>(cache.Get())->AddPicture(L"C:\\red.bmp", picture.Handle());
    ASSERT_EQ(control_->put_IPictureCache(cache.Get()), S_OK);

    ASSERT_EQ(control_->displayFile(Bstr(L"C:\\missing.bmp").Get()), S_OK);
    const Dib pending = CaptureClient(ControlWindow());
    EXPECT_EQ(pending.At(150, 100), 0xFFFFFFu) << "white while the picture is not ready";

    ASSERT_EQ(control_->displayFile(Bstr(L"C:\\red.bmp").Get()), S_OK);
    const Dib shown = CaptureClient(ControlWindow());
    EXPECT_EQ(WrongPixels(shown, {100, 60, 200, 140}, 0xFF0000), 0);
    EXPECT_TRUE(SaveArtefact(shown, "ctlcom_hosted_control"));
    EXPECT_EQ(static_cast<FakeCache*>(cache.Get())->loads.back().window, ControlWindow());
}

TEST_F(AtlHostTest, HostedControlFiresEventsAndAcceptsDroppedFiles)
{
    Host(L"VelmoraThumbCtl");
    const HWND window = ControlWindow();
    ASSERT_NE(window, nullptr);
    auto* sink = new EventSink;
    ComPtr<IDispatch> held = ComPtr<IDispatch>::Attach(sink);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control_.As(container), S_OK);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__IVelmoraThumbCtlEvents, point.Put()), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(held.Get(), &cookie), S_OK);

    ASSERT_EQ(control_->put_AcceptDropFiles(5), S_OK);
    LONG accept = 0;
    ASSERT_EQ(control_->get_AcceptDropFiles(&accept), S_OK);
    EXPECT_EQ(accept, 5);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(window, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5));
    HDROP memory = testing_support::MakeDrop({"C:\\1.jpg", "C:\\2.jpg", "C:\\3.jpg"});
    ASSERT_NE(memory, nullptr);
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);

    ASSERT_EQ(sink->events.size(), 4u);
    EXPECT_EQ(sink->events[0].id, 1);
    EXPECT_EQ(sink->events[1].id, 2);
    EXPECT_EQ(sink->events[2].id, 3);
    EXPECT_EQ(sink->events[3].id, 4);
    EXPECT_EQ(sink->events[3].text, L"C:\\1.jpg;C:\\2.jpg;C:\\3.jpg;");
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST_F(AtlHostTest, HostSavesTheControlInTheStreamForm)
{
    Host(L"VelmoraThumbCtl.1");
    ASSERT_EQ(control_->put_Caption(Bstr(L"THUMB2").Get()), S_OK);
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(control_.As(persist), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    uint8_t head[4]{};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(head, 4, &read), S_OK);
    EXPECT_EQ(head[0] | head[1] << 8, 0x0300);
}

// The library's class object of the control, outside any host.
TEST(ControlClassObjectTest, ControlsHoldTheLibraryWhileTheyLive)
{
    fw::com::CoInitScope com(COINIT_APARTMENTTHREADED);
    ASSERT_NE(TheLibrary().getClassObject, nullptr);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(TheLibrary().getClassObject(CLSID_VelmoraThumbCtl, IID_IClassFactory, factory.PutVoid()), S_OK);
    ComPtr<IVelmoraThumbCtl> control;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IVelmoraThumbCtl, control.PutVoid()), S_OK);
    factory.Reset();
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_FALSE);
    control.Reset();
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_OK);
}

}  // namespace
