// The thumbnail control's COM object, linked into the test program: its interfaces,
// properties, persisted form and in-place activation in a small recording container;
// then the built library's control in the system's own ActiveX host.
#include "thumbctl/control/thumb_control.h"

#include <gtest/gtest.h>

#include "framework/com/typelib.h"
#include "framework/win/gdi.h"
#include "tests/support/drop_files.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/server_library.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "thumbctl/control/persist_stream.h"
#include "thumbctl/server/class_table.h"

namespace {

using namespace ctlcom_testing;
using Calls = std::vector<std::string>;

// The control's dispatch side and the fake cache's run on the library's type library.
class TypeLibEnvironment : public testing::Environment {
public:
    void SetUp() override { fw::com::SetModuleTypeLibPath(testing_support::LibraryPath()); }
};
testing::Environment* const kTypeLib = testing::AddGlobalTestEnvironment(new TypeLibEnvironment);

template <typename I>
ComPtr<I> As(IUnknown* object)
{
    ComPtr<I> result;
    EXPECT_EQ(object->QueryInterface(__uuidof(I), result.PutVoid()), S_OK);
    return result;
}

std::vector<uint8_t> Bytes(IStream* stream)
{
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    return bytes;
}

ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

// What IPersistStreamInit::Save writes (clearing the dirty flag).
std::vector<uint8_t> Saved(IUnknown* control)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    EXPECT_EQ(As<IPersistStreamInit>(control)->Save(stream.Get(), TRUE), S_OK);
    return Bytes(stream.Get());
}

DWORD Connect(IUnknown* control, REFIID point, IUnknown* sink)
{
    ComPtr<IConnectionPoint> cp;
    DWORD cookie = 0;
    EXPECT_EQ(As<IConnectionPointContainer>(control)->FindConnectionPoint(point, cp.Put()), S_OK);
    EXPECT_EQ(cp->Advise(sink, &cookie), S_OK);
    return cookie;
}

ComPtr<IVelmoraThumbCtl> NewControl()
{
    ComPtr<IVelmoraThumbCtl> control;
    EXPECT_EQ(thumbctl::CreateThumbControl(nullptr, IID_IVelmoraThumbCtl, control.PutVoid()), S_OK);
    return control;
}

class ThumbControlTest : public testing::Test {
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
        return ::As<I>(control_.Get());
    }
    // Puts the control into a test container's 300 x 200 window; activates it in place.
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
    // Gives the control a fake cache holding a red 100 x 80 picture of `path`.
    FakeCache& GiveCache(const wchar_t* path)
    {
        FakeCache& cache = Made<FakeCache>(cache_);
        cache.pictures[path] = red_.Handle();
        EXPECT_EQ(control_->put_IPictureCache(cache_.Get()), S_OK);
        return cache;
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    const long objects_ = fw::com::Module::Objects();
    ComPtr<IVelmoraThumbCtl> control_ = NewControl();
    ComPtr<IOleClientSite> site_;
    TestSite* site = nullptr;
    HWND host_ = nullptr;
    const RECT position_{0, 0, 300, 200};
    ComPtr<IVelmoraPictureCache> cache_;
    Dib red_{100, 80, 0xFF0000};
};

TEST_F(ThumbControlTest, AnswersItsInterfacesWithOneIdentityRefusesOthersAndCanBeAggregated)
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
    // Base interfaces are answered through the first interface that carries them.
    for (const auto& [base, carrier] : std::initializer_list<std::pair<const IID*, const IID*>>{
             {&IID_IDispatch, &IID_IVelmoraThumbCtl},
             {&IID_IViewObject2, &IID_IViewObjectEx},
             {&IID_IViewObject, &IID_IViewObjectEx},
             {&IID_IOleInPlaceObject, &IID_IOleInPlaceObjectWindowless},
             {&IID_IOleWindow, &IID_IOleInPlaceObjectWindowless},
             {&IID_IPersist, &IID_IPersistStreamInit},
             {&IID_IProvideClassInfo, &IID_IProvideClassInfo2}})
        EXPECT_EQ(get(base).Get(), get(carrier).Get());
    for (const IID* iid : {&IID_IPersistPropertyBag, &IID_IOleCache, &IID_IRunnableObject,
                           &IID_IPointerInactive, &IID_IPerPropertyBrowsing, &IID_IOleLink,
                           &IID_IExternalConnection, &DIID__IVelmoraThumbCtlEvents}) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(control_->QueryInterface(*iid, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
    }

    ComPtr<IAdviseSink> outer;
    Made<AdviseSink>(outer);
    ComPtr<IUnknown> inner;
    ComPtr<IOleObject> aggregated;
    EXPECT_EQ(thumbctl::CreateThumbControl(outer.Get(), IID_IOleObject, aggregated.PutVoid()),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(thumbctl::CreateThumbControl(outer.Get(), IID_IUnknown, inner.PutVoid()), S_OK);
    EXPECT_EQ(::As<IUnknown>(::As<IOleObject>(inner.Get()).Get()).Get(), ::As<IUnknown>(outer.Get()).Get())
        << "the outer object is the identity";
}

TEST_F(ThumbControlTest, QuickActivationConnectsTheSinksACaptionChangeAsksAndTells)
{
    host_ = CreateHostWindow(L"STATIC", L"", 300, 200);
    Made<TestSite>(site_, host_, position_);
    ComPtr<IDispatch> eventHolder;
    ComPtr<IPropertyNotifySink> notifyHolder;
    ComPtr<IAdviseSink> adviseHolder;
    auto& events = Made<EventSink>(eventHolder);
    auto& notify = Made<PropertyNotifySink>(notifyHolder);
    auto& advise = Made<AdviseSink>(adviseHolder);
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = site_.Get();
    container.pAdviseSink = reinterpret_cast<IAdviseSinkEx*>(adviseHolder.Get());  // its IAdviseSink part
    container.pPropertyNotifySink = notifyHolder.Get();
    container.pUnkEventSink = eventHolder.Get();
    QACONTROL control{};
    control.cbSize = sizeof control;
    ASSERT_EQ(As<IQuickActivate>()->QuickActivate(&container, &control), S_OK);
    EXPECT_EQ(control.dwMiscStatus, 131473u);
    EXPECT_TRUE(control.dwEventCookie && control.dwPropNotifyCookie);
    FORMATETC any{0, nullptr, DVASPECT_CONTENT, -1, TYMED_NULL};
    DWORD dataCookie = 0;
    ASSERT_EQ(As<IDataObject>()->DAdvise(&any, ADVF_NODATA, adviseHolder.Get(), &dataCookie), S_OK);

    Bstr caption;
    ASSERT_EQ(control_->get_Caption(caption.Put()), S_OK);
    EXPECT_EQ(caption.Get(), nullptr) << "no caption at first";
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_FALSE);
    ASSERT_EQ(control_->put_Caption(Bstr(L"THUMB1").Get()), S_OK);
    EXPECT_EQ(notify.calls, (Calls{"edit -518", "changed -518"}));
    EXPECT_EQ(std::pair(advise.viewChanges, advise.dataChanges), std::pair(1, 1));
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_OK);
    notify.editAnswer = S_FALSE;
    EXPECT_EQ(control_->put_Caption(Bstr(L"THUMB2").Get()), S_FALSE);
    EXPECT_EQ(notify.calls.size(), 3u) << "asked, not told";
    ASSERT_EQ(control_->get_Caption(caption.Put()), S_OK);
    EXPECT_STREQ(caption.CStr(), L"THUMB1");
    EXPECT_EQ(advise.viewChanges, 1);

    ASSERT_EQ(DoVerb(OLEIVERB_PRIMARY), S_OK) << "on the site given";
    SendMessageW(ControlWindow(), WM_RBUTTONUP, 0, 0);
    ASSERT_EQ(events.events.size(), 1u);
    EXPECT_EQ(events.events[0].id, 2);
}

TEST_F(ThumbControlTest, TakesOnlyAPictureCacheAndLoadsAheadThroughItUnderTheControlWindow)
{
    EXPECT_EQ(control_->loadFile(Bstr(L"C:\\a.jpg").Get()), E_FAIL) << "no cache";
    FakeCache& cache = GiveCache(L"C:\\ready.jpg");
    ComPtr<IPropertyNotifySink> notCache;
    Made<PropertyNotifySink>(notCache);
    EXPECT_EQ(control_->put_IPictureCache(notCache.Get()), E_FAIL);
    EXPECT_EQ(control_->put_IPictureCache(nullptr), E_FAIL);
    const HWND window = Activate();
    cache.loads.clear();
    EXPECT_EQ(control_->loadFile(nullptr), S_OK);
    for (const auto& [name, result] :
         {std::pair{L"", S_OK}, {L"C:\\pending.jpg", S_OK}, {L"C:\\ready.jpg", S_FALSE}})
        EXPECT_EQ(control_->loadFile(Bstr(name).Get()), result);
    EXPECT_EQ(cache.loads, (std::vector<std::pair<HWND, std::wstring>>{{window, L"C:\\pending.jpg"},
                                                                       {window, L"C:\\ready.jpg"}}))
        << "the first cache, asked under the control's window, not for empty names";
    Bstr shown;
    ASSERT_EQ(control_->get_FileName(shown.Put()), S_OK);
    EXPECT_EQ(shown.Length(), 0u) << "loading ahead does not show the file";
    EXPECT_TRUE(cache.sizes.empty()) << "the sizes of a given cache are not touched";
}

TEST_F(ThumbControlTest, DisplayFileMakesItsOwnCacheOnceWithTheSettingsSizesUnlessGivenOne)
{
    ComPtr<IClassFactory> factoryHolder;
    auto& factory = Made<CacheFactory>(factoryHolder);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_VelmoraPictureCache, factoryHolder.Get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    ASSERT_EQ(control_->displayFile(Bstr(L"C:\\a.jpg").Get()), S_OK);
    ASSERT_EQ(control_->displayFile(Bstr(L"C:\\b.jpg").Get()), S_OK);
    ASSERT_EQ(factory.made.size(), 1u);
    EXPECT_EQ(factory.Cache(0).sizes, (std::vector<std::pair<short, short>>{{8, 2}}));
    EXPECT_EQ(control_->loadFile(Bstr(L"C:\\c.jpg").Get()), S_OK);
    EXPECT_EQ(factory.Cache(0).loads.back().second, L"C:\\c.jpg");
    auto other = NewControl();
    ASSERT_EQ(other->put_IPictureCache(factory.made[0].Get()), S_OK);
    ASSERT_EQ(other->displayFile(Bstr(L"C:\\a.jpg").Get()), S_OK);
    EXPECT_EQ(factory.made.size(), 1u) << "a given cache is kept";
    CoRevokeClassObject(cookie);
    // Without the cache class (unless the library is registered) the call still succeeds.
    EXPECT_EQ(NewControl()->displayFile(Bstr(L"C:\\a.jpg").Get()), S_OK);
}

TEST_F(ThumbControlTest, AboutShowsTheVersionBox)
{
    testing_support::ScriptedPrompts prompts;
    prompts.Answer(fw::kIdOk);
    Activate();
    ASSERT_EQ(control_->About(), S_OK);
    ASSERT_EQ(prompts.Count(), 1u);
    EXPECT_EQ(prompts.Last().caption, L"VersionInfo");
    EXPECT_EQ(prompts.Last().flags, fw::kMbOk);
    EXPECT_EQ(prompts.Last().text, L"VelmoraThumbCtl(ATL) Version1.6\r\nThumbnail control and picture cache");
}

TEST_F(ThumbControlTest, ActivatesInPlaceAnswersTheVerbsAndSavesWhenClosed)
{
    EXPECT_EQ(ControlWindow(), nullptr);
    ASSERT_EQ(control_->put_AcceptDropFiles(1), S_OK);
    const HWND window = Activate();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "not applied to a later window";
    EXPECT_EQ(GetParent(window), host_);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(site->calls, (Calls{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext",
                                  "ShowObject"}));
    wchar_t name[32]{};
    EXPECT_EQ(GetClassNameW(window, name, 32), 12);
    EXPECT_EQ(std::wstring(name).substr(0, 4), L"ATL:");
    EXPECT_EQ(GetClassLongW(window, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));

    const RECT moved{10, 20, 110, 100};
    ASSERT_EQ(As<IOleInPlaceObject>()->SetObjectRects(&moved, &moved), S_OK);
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_TRUE(EqualRect(&rect, &moved));
    // A new extent asks the container for a window of that size (2 x 1 inches).
    site->calls.clear();
    SIZEL extent{5080, 2540};
    ASSERT_EQ(As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(site->requested.left, 10);
    EXPECT_EQ(site->requested.right - 10, 2 * GetDeviceCaps(fw::WindowDc(nullptr).Dc(), LOGPIXELSX));

    // A click activates the control for the user, once; so does the verb.
    for (int i = 0; i < 2; ++i)
        SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_),
                     MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(GetFocus(), window);
    ASSERT_EQ(As<IOleInPlaceObject>()->UIDeactivate(), S_OK);
    ASSERT_EQ(DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    ASSERT_EQ(DoVerb(OLEIVERB_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
    for (const auto& [verb, result] : {std::pair{OLEIVERB_OPEN, OLEOBJ_S_INVALIDVERB},
                                      {OLEIVERB_PROPERTIES, OLEOBJ_S_INVALIDVERB},
                                      {-9L, E_NOTIMPL},
                                      {7L, OLEOBJ_S_INVALIDVERB}})
        EXPECT_EQ(DoVerb(verb), result) << verb;
    ASSERT_EQ(As<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ControlWindow(), nullptr);
    // Closing a changed control asks the site to save it and tells the advise sinks.
    ComPtr<IAdviseSink> adviseHolder;
    auto& advise = Made<AdviseSink>(adviseHolder);
    DWORD connection = 0;
    ASSERT_EQ(As<IOleObject>()->Advise(adviseHolder.Get(), &connection), S_OK);
    ASSERT_EQ(As<IOleObject>()->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
    EXPECT_EQ(site->calls, (Calls{"OnPosRectChange", "OnUIActivate", "OnUIDeactivate", "OnUIActivate",
                                  "OnUIDeactivate", "OnInPlaceDeactivate", "SaveObject"}));
    EXPECT_EQ(std::pair(advise.saves, advise.closes), std::pair(1, 1));
    EXPECT_EQ(As<IOleObject>()->Unadvise(connection), S_OK);
}

TEST_F(ThumbControlTest, PropertiesGoThroughStreamsAndStorageAndComeBackThroughTheSetters)
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
    const std::vector<uint8_t> bytes = Saved(control_.Get());
    EXPECT_EQ(bytes, thumbctl::SaveProperties({4736, 2381, u"THUMB1", u"C:\\\x8868\\a.jpg"}));
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_FALSE) << "saved with clearDirty";

    auto loaded = NewControl();
    ComPtr<IPropertyNotifySink> notifyHolder;
    auto& notify = Made<PropertyNotifySink>(notifyHolder);
    Connect(loaded.Get(), IID_IPropertyNotifySink, notifyHolder.Get());
    ASSERT_EQ(::As<IPersistStreamInit>(loaded.Get())->Load(StreamOf(bytes).Get()), S_OK);
    EXPECT_EQ(notify.calls, (Calls{"edit -518", "changed -518"})) << "through the setter";
    EXPECT_EQ(::As<IPersistStreamInit>(loaded.Get())->IsDirty(), S_FALSE);
    EXPECT_EQ(Saved(loaded.Get()), bytes);
    // Streams the control cannot read are refused and change nothing.
    std::vector<uint8_t> newer = bytes, truncated(bytes.begin(), bytes.begin() + 14);
    newer[0] = 0x01;  // version 0x0301
    for (const auto& [data, result] : {std::pair{newer, E_FAIL},
                                       {truncated, STG_E_READFAULT},
                                       {std::vector<uint8_t>{}, STG_E_READFAULT}}) {
        EXPECT_EQ(::As<IPersistStreamInit>(loaded.Get())->Load(StreamOf(data).Get()), result);
        EXPECT_EQ(Saved(loaded.Get()), bytes);
    }

    // Storage keeps the same form in a "Contents" stream.
    ComPtr<IStorage> storage;
    ComPtr<IStream> contents;
    ASSERT_EQ(
        StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                         0, storage.Put()),
        S_OK);
    ASSERT_EQ(As<IPersistStorage>()->InitNew(storage.Get()), S_OK);
    ASSERT_EQ(control_->put_Caption(Bstr(L"12").Get()), S_OK);
    ASSERT_EQ(As<IPersistStorage>()->Save(storage.Get(), TRUE), S_OK);
    EXPECT_EQ(As<IPersistStorage>()->IsDirty(), S_FALSE);
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.Put()),
              S_OK);
    EXPECT_EQ(Bytes(contents.Get()), Saved(control_.Get()));
    contents.Reset();
    ASSERT_EQ(::As<IPersistStorage>(loaded.Get())->Load(storage.Get()), S_OK);
    EXPECT_EQ(Saved(loaded.Get()), Saved(control_.Get()));
}

// The library's control in the system's ActiveX host (atl.dll's "AtlAxWin"): a container
// nobody here wrote, creating the control by program identifier.
TEST_F(ThumbControlTest, RegisteredControlInTheSystemsHostShowsItsPictureFiresEventsAndSaves)
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

    ComPtr<IVelmoraPictureCache> cacheHolder;
    auto& cache = Made<FakeCache>(cacheHolder);
    cache.pictures[L"C:\\red.bmp"] = red_.Handle();
    ASSERT_EQ(control->put_IPictureCache(cacheHolder.Get()), S_OK);
    ASSERT_EQ(control->displayFile(Bstr(L"C:\\missing.bmp").Get()), S_OK);
    EXPECT_EQ(CaptureClient(window).At(150, 100), 0xFFFFFFu) << "white while the picture is not ready";
    ASSERT_EQ(control->displayFile(Bstr(L"C:\\red.bmp").Get()), S_OK);
    const Dib shown = CaptureClient(window);
    EXPECT_EQ(WrongPixels(shown, {100, 60, 200, 140}, 0xFF0000), 0);
    EXPECT_TRUE(testing_support::SaveArtefact(shown, "ctlcom_hosted_control"));
    EXPECT_EQ(cache.loads.back().first, window);
    // A zoom stays for a new file name and goes for a new file.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 70));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(160, 110));
    ASSERT_EQ(control->put_FileName(Bstr(L"C:\\red.bmp").Get()), S_OK);
    EXPECT_GT(WrongPixels(CaptureClient(window), {100, 60, 200, 140}, 0xFF0000), 0) << "still zoomed in";
    ASSERT_EQ(control->displayFile(Bstr(L"C:\\red.bmp").Get()), S_OK);
    EXPECT_EQ(WrongPixels(CaptureClient(window), {100, 60, 200, 140}, 0xFF0000), 0);

    // Drawing for the container: into its bounds in another context, and into a metafile
    // (which has no compatible memory context; playback may move the edges a little).
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    auto draw = [&](HDC to, const RECTL& bounds) {
        return ::As<IViewObject>(unknown.Get())
            ->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, to, &bounds, nullptr, nullptr, 0);
    };
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(draw(recorder, {0, 0, 300, 200}), S_OK);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    Dib target(400, 300, 0x00FF00), played(300, 200, 0x00FF00);
    {
        fw::SelectObjectScope selected(dc.get(), target.Handle());
        ASSERT_EQ(draw(dc.get(), {50, 30, 350, 230}), S_OK);
        SelectObject(dc.get(), played.Handle());
        const RECT frame{0, 0, 300, 200};
        EXPECT_TRUE(PlayEnhMetaFile(dc.get(), metafile, &frame));
        GdiFlush();
    }
    DeleteEnhMetaFile(metafile);
    EXPECT_EQ(CountWrong(target,
                         [](int x, int y) {
                             using thumbctl::Rect;
                             return !Rect{50, 30, 350, 230}.Contains(x, y)   ? 0x00FF00u
                                    : Rect{150, 90, 250, 170}.Contains(x, y) ? 0xFF0000u
                                                                             : kWhite;
                         }),
              0);
    EXPECT_EQ(CountWrong(played,
                         [](int x, int y) {
                             using thumbctl::Rect;
                             return Rect{102, 62, 198, 138}.Contains(x, y)  ? 0xFF0000u
                                    : Rect{98, 58, 202, 142}.Contains(x, y) ? kAny
                                                                            : kWhite;
                         }),
              0);

    // Every sink gets every event, with its own copy of the text.
    ComPtr<IDispatch> scribblerHolder, readerHolder;
    auto& scribbler = Made<EventSink>(scribblerHolder, true);
    auto& reader = Made<EventSink>(readerHolder, false);
    Connect(unknown.Get(), DIID__IVelmoraThumbCtlEvents, scribblerHolder.Get());
    Connect(unknown.Get(), DIID__IVelmoraThumbCtlEvents, readerHolder.Get());
    LONG accepts = 0;
    ASSERT_EQ(control->put_AcceptDropFiles(5), S_OK);
    ASSERT_EQ(control->get_AcceptDropFiles(&accepts), S_OK);
    EXPECT_EQ(accepts, 5);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(window, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5));
    // The control frees the drop; the last name is in Shift_JIS.
    const HDROP drop = testing_support::MakeDrop({"C:\\a.jpg", "C:\\d\\b.jpg", "C:\\\x95\x5C.jpg"});
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    for (const EventSink* sink : {&scribbler, &reader}) {
        ASSERT_EQ(sink->events.size(), 4u);
        for (DISPID id = 1; id <= 4; ++id) {
            const EventSink::Event& e = sink->events[id - 1];
            EXPECT_EQ(std::tuple(e.id, e.locale, e.flags, e.iidNull, e.argCount),
                      std::tuple(id, LCID{0x0400}, WORD{DISPATCH_METHOD}, true, id == 4 ? 1u : 0u));
        }
        EXPECT_EQ(sink->events[3].text, L"C:\\a.jpg;C:\\d\\b.jpg;C:\\\x8868.jpg;");
    }
    ASSERT_EQ(control->put_AcceptDropFiles(0), S_OK);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    ASSERT_EQ(control->put_Caption(Bstr(L"THUMB2").Get()), S_OK);
    const std::vector<uint8_t> saved = Saved(unknown.Get());
    thumbctl::PersistedProperties properties;
    thumbctl::BufferReader bytes(saved.data(), saved.size());
    ASSERT_EQ(thumbctl::LoadProperties(bytes, properties), thumbctl::PersistError::kNone);
    EXPECT_EQ(properties.caption, u"THUMB2");
    EXPECT_EQ(properties.fileName, u"C:\\red.bmp");
    DestroyWindow(std::exchange(host_, nullptr));
    TheLibrary().unregisterServer();
}

}  // namespace
