// The thumbnail control's COM object, linked into the test program: interfaces, cache,
// activation, verbs and persisted properties; then the built library's control hosted
// in the system's own ActiveX host.
#include "thumbctl/control/thumb_control.h"

#include <gtest/gtest.h>

#include "framework/com/typelib.h"
#include "framework/win/gdi.h"
#include "tests/support/drop_files.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/server_library.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "thumbctl/control/persist_stream.h"

namespace {

using namespace ctlcom_testing;
using Calls = std::vector<std::string>;
using Events = std::vector<std::pair<DISPID, std::wstring>>;
using Bytes = std::vector<uint8_t>;

// The control's dispatch side and the fake cache's run on the library's type library.
class TypeLibEnvironment : public testing::Environment {
public:
    void SetUp() override { fw::com::SetModuleTypeLibPath(testing_support::LibraryPath()); }
};
testing::Environment* const kTypeLib = testing::AddGlobalTestEnvironment(new TypeLibEnvironment);

ComPtr<IStream> StreamOf(const Bytes& bytes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

// What IPersistStreamInit::Save writes (clearing the dirty flag).
Bytes Saved(IUnknown* control)
{
    const ComPtr<IStream> stream = StreamOf({});
    STATSTG stat{};
    EXPECT_EQ(As<IPersistStreamInit>(control)->Save(stream.Get(), TRUE), S_OK);
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    return bytes;
}

void Connect(IUnknown* control, REFIID point, IUnknown* sink)
{
    ComPtr<IConnectionPoint> cp;
    DWORD cookie = 0;
    EXPECT_EQ(As<IConnectionPointContainer>(control)->FindConnectionPoint(point, cp.Put()), S_OK);
    EXPECT_EQ(cp->Advise(sink, &cookie), S_OK);
}

TEST_F(ControlTest, AnswersItsInterfacesWithOneIdentityRefusesOthersAndCanBeAggregated)
{
    const ComPtr<IUnknown> identity = As<IUnknown>();
    auto get = [&](const IID* iid) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(control_->QueryInterface(*iid, p.PutVoid()), S_OK) << testing::PrintToString(*iid);
        EXPECT_EQ(p ? ::As<IUnknown>(p.Get()).Get() : nullptr, identity.Get());
        return p;
    };
    for (const IID* iid : {&IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject,
                           &IID_IConnectionPointContainer, &IID_ISpecifyPropertyPages, &IID_IQuickActivate,
                           &IID_IPersistStorage, &IID_IDataObject, &IID_IMarshal})
        get(iid);
    // Pairs of a base interface and the first interface that carries it: answered as one.
    const IID* const chained[] = {&IID_IDispatch,         &IID_IVelmoraThumbCtl,
                                  &IID_IViewObject2,      &IID_IViewObjectEx,
                                  &IID_IViewObject,       &IID_IViewObjectEx,
                                  &IID_IOleInPlaceObject, &IID_IOleInPlaceObjectWindowless,
                                  &IID_IOleWindow,        &IID_IOleInPlaceObjectWindowless,
                                  &IID_IPersist,          &IID_IPersistStreamInit,
                                  &IID_IProvideClassInfo, &IID_IProvideClassInfo2};
    for (size_t i = 0; i < std::size(chained); i += 2)
        EXPECT_EQ(get(chained[i]).Get(), get(chained[i + 1]).Get());
    for (const IID* iid : {&IID_IPersistPropertyBag, &IID_IOleCache, &IID_IRunnableObject,
                           &IID_IPointerInactive, &IID_IPerPropertyBrowsing, &IID_IOleLink,
                           &IID_IExternalConnection, &DIID__IVelmoraThumbCtlEvents}) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(control_->QueryInterface(*iid, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
    }

    ComPtr<IPropertyNotifySink> outer;  // any object will do
    Made<PropertyNotifySink>(outer);
    ComPtr<IUnknown> inner;
    ComPtr<IOleObject> refused;
    EXPECT_EQ(thumbctl::CreateThumbControl(outer.Get(), IID_IOleObject, refused.PutVoid()),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(thumbctl::CreateThumbControl(outer.Get(), IID_IUnknown, inner.PutVoid()), S_OK);
    EXPECT_EQ(::As<IUnknown>(::As<IOleObject>(inner.Get()).Get()).Get(), ::As<IUnknown>(outer.Get()).Get())
        << "the outer object is the identity";
}

TEST_F(ControlTest, TakesOnlyAPictureCacheAndLoadsAheadThroughItUnderTheControlWindow)
{
    EXPECT_EQ(control_->loadFile(Bstr(L"C:\\a.jpg").Get()), E_FAIL) << "no cache";
    ComPtr<IVelmoraPictureCache> cacheHolder;
    ComPtr<IPropertyNotifySink> notCache;
    Dib red(8, 8, 0xFF0000);
    FakeCache& cache = Made<FakeCache>(cacheHolder);
    cache.pictures[L"C:\\ready.jpg"] = red.Handle();
    EXPECT_EQ(control_->put_IPictureCache(cacheHolder.Get()), S_OK);
    Made<PropertyNotifySink>(notCache);
    EXPECT_EQ(control_->put_IPictureCache(notCache.Get()), E_FAIL);
    EXPECT_EQ(control_->put_IPictureCache(nullptr), E_FAIL);
    const HWND window = Activate();
    EXPECT_EQ(control_->loadFile(nullptr), S_OK);
    for (const auto& [name, result] :
         {std::pair{L"", S_OK}, {L"C:\\pending.jpg", S_OK}, {L"C:\\ready.jpg", S_FALSE}})
        EXPECT_EQ(control_->loadFile(Bstr(name).Get()), result);
    EXPECT_EQ(cache.loads, (std::vector<std::pair<HWND, std::wstring>>{{window, L"C:\\pending.jpg"},
                                                                       {window, L"C:\\ready.jpg"}}))
        << "the first cache, asked under the control's window, not for empty names";
    EXPECT_TRUE(cache.sizes.empty()) << "the sizes of a given cache are not touched";
}

TEST_F(ControlTest, ActivatesInPlaceShowsItsVersionBoxAnswersTheVerbsAndSavesWhenClosed)
{
    EXPECT_EQ(ControlWindow(), nullptr);
    ASSERT_EQ(control_->put_AcceptDropFiles(1), S_OK);
    const HWND window = Activate();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), host_);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(site->calls, (Calls{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext",
                                  "ShowObject"}));
    EXPECT_EQ(GetClassLongW(window, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "not applied to a later window";
    for (LONG accept : {5L, 0L, -1L}) {
        LONG back = 77;
        ASSERT_EQ(control_->put_AcceptDropFiles(accept), S_OK);
        ASSERT_EQ(control_->get_AcceptDropFiles(&back), S_OK);
        EXPECT_EQ(back, accept);
        EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0, accept != 0);
    }

    // A new extent asks the container for a window of that size (2 x 1 inches).
    site->calls.clear();
    SIZEL extent{5080, 2540};
    ASSERT_EQ(As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(site->requested.right, 2 * GetDeviceCaps(fw::WindowDc(nullptr).Dc(), LOGPIXELSX));

    testing_support::ScriptedPrompts prompts;  // the version box
    prompts.Answer(fw::kIdOk);
    ASSERT_EQ(control_->About(), S_OK);
    ASSERT_EQ(prompts.Count(), 1u);
    EXPECT_EQ(prompts.Last().caption, L"VersionInfo");
    EXPECT_EQ(prompts.Last().flags, fw::kMbOk);
    EXPECT_EQ(prompts.Last().text, L"VelmoraThumbCtl(ATL) Version1.6\r\nThumbnail control and picture cache");

    // A click activates the control for the user, once; so does the verb.
    for (int i = 0; i < 2; ++i)
        SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_),
                     MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(GetFocus(), window);
    ASSERT_EQ(As<IOleInPlaceObject>()->UIDeactivate(), S_OK);
    ASSERT_EQ(DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    ASSERT_EQ(DoVerb(OLEIVERB_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
    for (LONG verb : {OLEIVERB_OPEN, OLEIVERB_PROPERTIES, 7L})
        EXPECT_EQ(DoVerb(verb), OLEOBJ_S_INVALIDVERB) << verb;
    EXPECT_EQ(DoVerb(-9), E_NOTIMPL);
    ASSERT_EQ(As<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ControlWindow(), nullptr);
    // Closing a changed control (the extent above) asks the site to save it.
    ASSERT_EQ(As<IOleObject>()->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
    EXPECT_EQ(site->calls, (Calls{"OnPosRectChange", "OnUIActivate", "OnUIDeactivate", "OnUIActivate",
                                  "OnUIDeactivate", "OnInPlaceDeactivate", "SaveObject"}));
}

TEST_F(ControlTest, PropertiesGoThroughAStreamAndComeBackThroughTheSetters)
{
    ULARGE_INTEGER size{};
    ASSERT_EQ(As<IPersistStreamInit>()->InitNew(), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>()->GetSizeMax(&size), S_OK);
    EXPECT_EQ(Saved(control_.Get()), thumbctl::SaveProperties({5080, 5080, std::nullopt, u""}));
    EXPECT_GE(size.QuadPart, Saved(control_.Get()).size());
    SIZEL extent{4736, 2381};
    ASSERT_EQ(As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    ASSERT_EQ(control_->put_Caption(Bstr(L"THUMB1").Get()), S_OK);
    ASSERT_EQ(control_->put_FileName(Bstr(L"C:\\\x8868\\a.jpg").Get()), S_OK);
    const Bytes bytes = Saved(control_.Get());
    EXPECT_EQ(bytes, thumbctl::SaveProperties({4736, 2381, u"THUMB1", u"C:\\\x8868\\a.jpg"}));
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_FALSE) << "saved with clearDirty";

    const auto loaded = NewControl();
    ComPtr<IPropertyNotifySink> notifyHolder;
    auto& notify = Made<PropertyNotifySink>(notifyHolder);
    Connect(loaded.Get(), IID_IPropertyNotifySink, notifyHolder.Get());
    const auto persist = ::As<IPersistStreamInit>(loaded.Get());
    ASSERT_EQ(persist->Load(StreamOf(bytes).Get()), S_OK);
    EXPECT_EQ(notify.calls, (Calls{"edit -518", "changed -518"})) << "through the setter";
    notify.editAnswer = S_FALSE;
    EXPECT_EQ(loaded->put_Caption(Bstr(L"vetoed").Get()), S_FALSE) << "the sink refuses: the caption stays";
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_EQ(Saved(loaded.Get()), bytes);
    // Streams the control cannot read are refused and change nothing.
    Bytes newer = bytes, truncated(bytes.begin(), bytes.begin() + 14);
    newer[0] = 0x01;  // version 0x0301
    for (const auto& [data, result] :
         {std::pair{newer, E_FAIL}, {truncated, STG_E_READFAULT}, {Bytes{}, STG_E_READFAULT}}) {
        EXPECT_EQ(persist->Load(StreamOf(data).Get()), result);
        EXPECT_EQ(Saved(loaded.Get()), bytes);
    }
}

// The library's control in the system's ActiveX host (atl.dll's "AtlAxWin"): a container
// nobody here wrote, creating the registered control by its program identifier.
TEST_F(ControlTest, RegisteredControlInTheSystemsHostShowsItsPictureFiresEventsAndSaves)
{
    using testing_support::TheLibrary;
    ASSERT_NE(TheLibrary().module, nullptr);
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    const HMODULE atl = LoadLibraryW(L"atl.dll");
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(GetProcAddress(atl, "AtlAxWinInit"));
    auto getControl =
        reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(GetProcAddress(atl, "AtlAxGetControl"));
    ASSERT_TRUE(init && getControl && init()) << "atl.dll with AtlAxWinInit and AtlAxGetControl";
    host_ = CreateHostWindow(L"AtlAxWin", L"VelmoraThumbCtl.1", 300, 200);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(getControl(host_, unknown.Put()), S_OK);
    const ComPtr<IVelmoraThumbCtl> control = ::As<IVelmoraThumbCtl>(unknown.Get());
    HWND window = nullptr;
    ASSERT_EQ(::As<IOleWindow>(unknown.Get())->GetWindow(&window), S_OK) << "activated in place as a window";
    EXPECT_EQ(GetParent(window), host_);
    EXPECT_TRUE(IsWindowVisible(window));
    // Shown without a cache given, the control makes its own from the registered class.
    ASSERT_EQ(control->displayFile(Bstr(L"C:\\missing.bmp").Get()), S_OK);
    EXPECT_EQ(control->loadFile(Bstr(L"C:\\missing.bmp").Get()), S_OK) << "it has a cache";

    ComPtr<IVelmoraPictureCache> cacheHolder;
    Dib red(100, 80, 0xFF0000);
    auto& cache = Made<FakeCache>(cacheHolder);
    cache.pictures[L"C:\\red.bmp"] = red.Handle();
    ASSERT_EQ(control->put_IPictureCache(cacheHolder.Get()), S_OK);
    ASSERT_EQ(control->displayFile(Bstr(L"C:\\red.bmp").Get()), S_OK);
    const Dib shown = CaptureClient(window);
    EXPECT_EQ(WrongPixels(shown, {100, 60, 200, 140}, 0xFF0000), 0);
    EXPECT_TRUE(testing_support::SaveArtefact(shown, "ctlcom_hosted_control"));
    EXPECT_EQ(cache.loads.back().first, window);
    // Every sink gets every event, with its own copy of the text.
    ComPtr<IDispatch> scribbler, reader;
    Events scribbled, read;
    MadeEventSink(reader, read);
    MadeEventSink(scribbler, scribbled);
    Connect(unknown.Get(), DIID__IVelmoraThumbCtlEvents, scribbler.Get());
    Connect(unknown.Get(), DIID__IVelmoraThumbCtlEvents, reader.Get());
    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(window, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5));
    // The control frees the drop; the last name is in Shift_JIS.
    const HDROP drop = testing_support::MakeDrop({"C:\\a.jpg", "C:\\d\\b.jpg", "C:\\\x95\x5C.jpg"});
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    const Events expected = {{1, L""}, {2, L""}, {3, L""}, {4, L"C:\\a.jpg;C:\\d\\b.jpg;C:\\\x8868.jpg;"}};
    EXPECT_EQ(scribbled, expected);
    EXPECT_EQ(read, expected);

    ASSERT_EQ(control->put_Caption(Bstr(L"THUMB2").Get()), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>()->Load(StreamOf(Saved(unknown.Get())).Get()), S_OK);
    Bstr caption;
    ASSERT_EQ(control_->get_Caption(caption.Put()), S_OK);
    EXPECT_STREQ(caption.CStr(), L"THUMB2") << "saved by the hosted control, read by this one";
    DestroyWindow(std::exchange(host_, nullptr));
    TheLibrary().unregisterServer();
}

}  // namespace
