// The thumbnail control's COM object, linked into the test program: its interfaces,
// type library entries, properties and methods, events and its in-place activation in
// a small test container.
#include <gtest/gtest.h>

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/com/typelib.h"
#include "framework/win/gdi.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "tests/support/drop_files.h"
#include "tests/support/server_library.h"
#include "tests/support/scripted_prompts.h"
#include "thumbctl/server/class_table.h"
#include "thumbctl/control/thumb_control.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using namespace ctlcom_testing;

// The control's dispatch side and the fake cache's run on the library's type library.
class TypeLibEnvironment : public testing::Environment {
public:
    void SetUp() override { fw::com::SetModuleTypeLibPath(testing_support::LibraryPath()); }
};
testing::Environment* const kTypeLib = testing::AddGlobalTestEnvironment(new TypeLibEnvironment);

class ThumbControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(thumbctl::CreateThumbControl(nullptr, IID_IVelmoraThumbCtl, control_.PutVoid()), S_OK);
    }
    void TearDown() override
    {
        if (control_) {
            ComPtr<IOleObject> ole;
            control_.As(ole);
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
        }
        control_.Reset();
        if (host_)
            DestroyWindow(host_);
    }

    // Puts the control into a test container's window and activates it in place.
    HWND Activate(LONG verb = OLEIVERB_INPLACEACTIVATE)
    {
        host_ = CreateHostWindow(L"STATIC", L"", 300, 200);
        const RECT position{0, 0, 300, 200};
        EXPECT_EQ(fw::com::Make<TestSite>(site_, host_, position), S_OK);
        ComPtr<IOleObject> ole;
        EXPECT_EQ(control_.As(ole), S_OK);
        EXPECT_EQ(ole->SetClientSite(site_.Get()), S_OK);
        EXPECT_EQ(ole->DoVerb(verb, nullptr, site_.Get(), 0, host_, &position), S_OK);
        return ControlWindow();
    }
    HWND ControlWindow()
    {
        ComPtr<IOleWindow> window;
        control_.As(window);
        HWND hwnd = nullptr;
        window->GetWindow(&hwnd);
        return hwnd;
    }
    TestSite& Site() { return *static_cast<TestSite*>(site_.Get()); }

    template <typename I>
    ComPtr<I> As()
    {
        ComPtr<I> result;
        EXPECT_EQ(control_.As(result), S_OK);
        return result;
    }

    // Connects a sink to one of the control's connection points.
    DWORD Connect(REFIID point, IUnknown* sink)
    {
        ComPtr<IConnectionPoint> cp;
        EXPECT_EQ(As<IConnectionPointContainer>()->FindConnectionPoint(point, cp.Put()), S_OK);
        DWORD cookie = 0;
        EXPECT_EQ(cp->Advise(sink, &cookie), S_OK);
        return cookie;
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    ComPtr<IVelmoraThumbCtl> control_;
    ComPtr<IOleClientSite> site_;
    HWND host_ = nullptr;
};

// ---- Interfaces ----

TEST_F(ThumbControlTest, AnswersEveryControlInterfaceWithOneIdentity)
{
    const IID* const answered[] = {
        &IID_IVelmoraThumbCtl,
        &IID_IDispatch,
        &IID_IViewObjectEx,
        &IID_IViewObject2,
        &IID_IViewObject,
        &IID_IOleInPlaceObjectWindowless,
        &IID_IOleInPlaceObject,
        &IID_IOleWindow,
        &IID_IOleInPlaceActiveObject,
        &IID_IOleControl,
        &IID_IOleObject,
        &IID_IPersistStreamInit,
        &IID_IPersist,
        &IID_IConnectionPointContainer,
        &IID_ISpecifyPropertyPages,
        &IID_IQuickActivate,
        &IID_IPersistStorage,
        &IID_IDataObject,
        &IID_IProvideClassInfo,
        &IID_IProvideClassInfo2,
        &IID_IMarshal,
    };
    ComPtr<IUnknown> identity;
    ASSERT_EQ(control_->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    for (const IID* iid : answered) {
        ComPtr<IUnknown> p;
        ASSERT_EQ(control_->QueryInterface(*iid, p.PutVoid()), S_OK)
            << testing::PrintToString(iid - *answered);
        ComPtr<IUnknown> back;
        ASSERT_EQ(p->QueryInterface(IID_IUnknown, back.PutVoid()), S_OK);
        EXPECT_EQ(back.Get(), identity.Get());
    }
    const IID* const refused[] = {
        &IID_IPersistPropertyBag,  &IID_IOleCache, &IID_IRunnableObject,     &IID_IPointerInactive,
        &IID_IPerPropertyBrowsing, &IID_IOleLink,  &IID_IExternalConnection, &DIID__IVelmoraThumbCtlEvents};
    for (const IID* iid : refused) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(control_->QueryInterface(*iid, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
    }
}

TEST_F(ThumbControlTest, BaseInterfacesAreAnsweredThroughTheFirstInterfaceThatCarriesThem)
{
    struct Case {
        const IID* base;
        const IID* through;
    };
    const Case cases[] = {
        {&IID_IDispatch, &IID_IVelmoraThumbCtl},
        {&IID_IViewObject2, &IID_IViewObjectEx},
        {&IID_IViewObject, &IID_IViewObjectEx},
        {&IID_IOleInPlaceObject, &IID_IOleInPlaceObjectWindowless},
        {&IID_IOleWindow, &IID_IOleInPlaceObjectWindowless},
        {&IID_IPersist, &IID_IPersistStreamInit},
        {&IID_IProvideClassInfo, &IID_IProvideClassInfo2},
    };
    for (const Case& c : cases) {
        ComPtr<IUnknown> base;
        ComPtr<IUnknown> through;
        ASSERT_EQ(control_->QueryInterface(*c.base, base.PutVoid()), S_OK);
        ASSERT_EQ(control_->QueryInterface(*c.through, through.PutVoid()), S_OK);
        EXPECT_EQ(base.Get(), through.Get()) << testing::PrintToString(&c - cases);
    }
}

TEST_F(ThumbControlTest, ClassInformationNamesTheControlAndItsEvents)
{
    auto info = As<IProvideClassInfo2>();
    GUID guid{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, DIID__IVelmoraThumbCtlEvents));
    EXPECT_EQ(info->GetGUID(0x7F, &guid), E_INVALIDARG);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(info->GetClassInfo(coclass.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_VelmoraThumbCtl));
    coclass->ReleaseTypeAttr(attributes);

    CLSID clsid{};
    ASSERT_EQ(As<IPersistStreamInit>()->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_VelmoraThumbCtl));
    ASSERT_EQ(As<IOleObject>()->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_VelmoraThumbCtl));

    CAUUID pages{5, reinterpret_cast<GUID*>(1)};
    ASSERT_EQ(As<ISpecifyPropertyPages>()->GetPages(&pages), S_OK);
    EXPECT_EQ(pages.cElems, 0u);
    EXPECT_EQ(pages.pElems, nullptr);
}

TEST_F(ThumbControlTest, ObjectStatusExtentAndControlInfo)
{
    auto ole = As<IOleObject>();
    DWORD status = 0;
    ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
    // Other aspects get the registered default "0", as OleRegGetMiscStatus reads it.
    status = 7;
    ASSERT_EQ(ole->GetMiscStatus(DVASPECT_ICON, &status), S_OK);
    EXPECT_EQ(status, 0u);
    SIZEL size{};
    ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 5080);
    EXPECT_EQ(size.cy, 5080);
    EXPECT_EQ(ole->GetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
    SIZEL wanted{4736, 2381};
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &wanted), S_OK);
    ASSERT_EQ(As<IQuickActivate>()->GetContentExtent(&size), S_OK);
    EXPECT_EQ(size.cx, 4736);
    EXPECT_EQ(size.cy, 2381);
    SIZEL natural{};
    DVEXTENTINFO extentInfo{};
    extentInfo.cb = sizeof extentInfo;
    extentInfo.dwExtentMode = DVEXTENT_CONTENT;
    ASSERT_EQ(
        As<IViewObjectEx>()->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &extentInfo, &natural),
        S_OK);
    EXPECT_EQ(natural.cx, 5080);
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_OK) << "a new extent is saved";

    DWORD viewStatus = 0;
    ASSERT_EQ(As<IViewObjectEx>()->GetViewStatus(&viewStatus), S_OK);
    EXPECT_TRUE(viewStatus & VIEWSTATUS_OPAQUE);
    DWORD hit = 0;
    const RECT bounds{10, 10, 110, 60};
    ASSERT_EQ(As<IViewObjectEx>()->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{50, 20}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
    ASSERT_EQ(As<IViewObjectEx>()->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{5, 20}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));

    CONTROLINFO info{};
    info.cb = sizeof info;
    info.cAccel = 9;
    ASSERT_EQ(As<IOleControl>()->GetControlInfo(&info), S_OK);
    EXPECT_EQ(info.cAccel, 0);
    EXPECT_EQ(info.hAccel, nullptr);

    LRESULT result = 1;
    EXPECT_EQ(As<IOleInPlaceObjectWindowless>()->OnWindowMessage(WM_PAINT, 0, 0, &result), S_FALSE);
    ComPtr<IDropTarget> target;
    EXPECT_EQ(As<IOleInPlaceObjectWindowless>()->GetDropTarget(target.Put()), E_NOTIMPL);
    FORMATETC format{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    EXPECT_EQ(As<IDataObject>()->GetData(&format, &medium), DV_E_FORMATETC);
}

// ---- Properties and methods ----

TEST_F(ThumbControlTest, FileNameGetGivesACopyAndNothingForANullAddress)
{
    Bstr name;
    ASSERT_EQ(control_->get_FileName(name.Put()), S_OK);
    ASSERT_NE(name.Get(), nullptr) << "an empty string, not null, before any file";
    EXPECT_EQ(name.Length(), 0u);
    Bstr set(L"C:\\\x8868.jpg");
    ASSERT_EQ(control_->put_FileName(set.Get()), S_OK);
    Bstr first;
    Bstr second;
    ASSERT_EQ(control_->get_FileName(first.Put()), S_OK);
    ASSERT_EQ(control_->get_FileName(second.Put()), S_OK);
    EXPECT_STREQ(first.CStr(), L"C:\\\x8868.jpg");
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_NE(first.Get(), set.Get());
    EXPECT_EQ(control_->get_FileName(nullptr), S_OK);
}

TEST_F(ThumbControlTest, AcceptDropFilesReadsBackAndSwitchesTheWindowStyle)
{
    // Stored without a window, and not applied to the window made later.
    ASSERT_EQ(control_->put_AcceptDropFiles(1), S_OK);
    const HWND window = Activate();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    struct Case {
        LONG value;
        bool accepts;
    };
    for (const Case c : {Case{5, true}, Case{0, false}, Case{-1, true}}) {
        ASSERT_EQ(control_->put_AcceptDropFiles(c.value), S_OK);
        LONG back = 77;
        ASSERT_EQ(control_->get_AcceptDropFiles(&back), S_OK);
        EXPECT_EQ(back, c.value);
        EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0, c.accepts) << c.value;
    }
}

TEST_F(ThumbControlTest, CaptionChangeAsksTheSinksAndAVetoKeepsTheOldCaption)
{
    ComPtr<IPropertyNotifySink> notify;
    ASSERT_EQ(fw::com::Make<PropertyNotifySink>(notify), S_OK);
    auto& sink = *static_cast<PropertyNotifySink*>(notify.Get());
    Connect(IID_IPropertyNotifySink, notify.Get());
    ComPtr<IAdviseSink> adviseHolder;
    ASSERT_EQ(fw::com::Make<AdviseSink>(adviseHolder), S_OK);
    auto& advise = *static_cast<AdviseSink*>(adviseHolder.Get());
    ASSERT_EQ(As<IViewObjectEx>()->SetAdvise(DVASPECT_CONTENT, 0, adviseHolder.Get()), S_OK);
    FORMATETC any{0, nullptr, DVASPECT_CONTENT, -1, TYMED_NULL};
    DWORD dataCookie = 0;
    ASSERT_EQ(As<IDataObject>()->DAdvise(&any, ADVF_NODATA, adviseHolder.Get(), &dataCookie), S_OK);

    Bstr caption;
    ASSERT_EQ(control_->get_Caption(caption.Put()), S_OK);
    EXPECT_EQ(caption.Get(), nullptr) << "no caption at first";
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_FALSE);

    ASSERT_EQ(control_->put_Caption(Bstr(L"THUMB1").Get()), S_OK);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"edit -518", "changed -518"}));
    EXPECT_EQ(advise.viewChanges, 1);
    EXPECT_EQ(advise.dataChanges, 1);
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_OK);

    sink.editAnswer = S_FALSE;
    sink.calls.clear();
    EXPECT_EQ(control_->put_Caption(Bstr(L"THUMB2").Get()), S_FALSE);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"edit -518"}));
    ASSERT_EQ(control_->get_Caption(caption.Put()), S_OK);
    EXPECT_STREQ(caption.CStr(), L"THUMB1");
    EXPECT_EQ(advise.viewChanges, 1);
}

TEST_F(ThumbControlTest, PictureCachePutTakesOnlyAPictureCache)
{
    ComPtr<IVelmoraPictureCache> first;
    ASSERT_EQ(fw::com::Make<FakeCache>(first), S_OK);
    auto& cache = *static_cast<FakeCache*>(first.Get());
    cache.AddPicture(L"C:\\ready.jpg", Dib(4, 4).Handle());
    EXPECT_EQ(control_->put_IPictureCache(first.Get()), S_OK);
    ComPtr<IPropertyNotifySink> notCache;
    ASSERT_EQ(fw::com::Make<PropertyNotifySink>(notCache), S_OK);
    EXPECT_EQ(control_->put_IPictureCache(notCache.Get()), E_FAIL);
    EXPECT_EQ(control_->put_IPictureCache(nullptr), E_FAIL);
    // The first cache is still the control's.
    EXPECT_EQ(control_->loadFile(Bstr(L"C:\\x.jpg").Get()), S_OK);
    ASSERT_EQ(cache.loads.size(), 1u);
    EXPECT_TRUE(cache.sizes.empty()) << "the sizes of a given cache are not touched";
}

TEST_F(ThumbControlTest, LoadFileAsksTheCacheByDispatchUnderTheControlWindow)
{
    EXPECT_EQ(control_->loadFile(Bstr(L"C:\\a.jpg").Get()), E_FAIL) << "no cache";
    ComPtr<IVelmoraPictureCache> given;
    ASSERT_EQ(fw::com::Make<FakeCache>(given), S_OK);
    auto& cache = *static_cast<FakeCache*>(given.Get());
    Dib picture(8, 8);
    cache.AddPicture(L"C:\\ready.jpg", picture.Handle());
    ASSERT_EQ(control_->put_IPictureCache(given.Get()), S_OK);
    const HWND window = Activate();
    cache.loads.clear();

    struct Case {
        const wchar_t* name;
        HRESULT result;
        size_t loads;
    };
    const Case cases[] = {
        {L"", S_OK, 0},
        {nullptr, S_OK, 0},
        {L"C:\\pending.jpg", S_OK, 1},
        {L"C:\\ready.jpg", S_FALSE, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Utf8(c.name ? c.name : L"(null)"));
        cache.loads.clear();
        Bstr name(c.name);
        EXPECT_EQ(control_->loadFile(name.Get()), c.result);
        ASSERT_EQ(cache.loads.size(), c.loads);
        if (c.loads) {
            EXPECT_EQ(cache.loads[0].window, window);
            EXPECT_EQ(cache.loads[0].path, c.name);
        }
    }
    Bstr shown;
    ASSERT_EQ(control_->get_FileName(shown.Put()), S_OK);
    EXPECT_EQ(shown.Length(), 0u) << "loading ahead does not show the file";
}

TEST_F(ThumbControlTest, DisplayFileMakesItsOwnCacheOnceWithTheSettingsSizes)
{
    ScopedCacheClass cacheClass;
    ASSERT_EQ(control_->displayFile(Bstr(L"C:\\a.jpg").Get()), S_OK);
    ASSERT_EQ(cacheClass.Factory().made.size(), 1u);
    EXPECT_EQ(cacheClass.Made(0).sizes, (std::vector<std::pair<short, short>>{{8, 2}}));
    ASSERT_EQ(control_->displayFile(Bstr(L"C:\\b.jpg").Get()), S_OK);
    EXPECT_EQ(cacheClass.Factory().made.size(), 1u);
    Bstr shown;
    ASSERT_EQ(control_->get_FileName(shown.Put()), S_OK);
    EXPECT_STREQ(shown.CStr(), L"C:\\b.jpg");
    // The cache it made answers loadFile.
    EXPECT_EQ(control_->loadFile(Bstr(L"C:\\c.jpg").Get()), S_OK);
    EXPECT_EQ(cacheClass.Made(0).loads.back().path, L"C:\\c.jpg");
}

TEST_F(ThumbControlTest, DisplayFileKeepsAGivenCacheAndSucceedsWithoutAny)
{
    {
        ScopedCacheClass cacheClass;
        ComPtr<IVelmoraPictureCache> given;
        ASSERT_EQ(fw::com::Make<FakeCache>(given), S_OK);
        ASSERT_EQ(control_->put_IPictureCache(given.Get()), S_OK);
        ASSERT_EQ(control_->displayFile(Bstr(L"C:\\a.jpg").Get()), S_OK);
        EXPECT_TRUE(cacheClass.Factory().made.empty());
    }
    ComPtr<IVelmoraThumbCtl> other;
    ASSERT_EQ(thumbctl::CreateThumbControl(nullptr, IID_IVelmoraThumbCtl, other.PutVoid()), S_OK);
    // No cache class registered for the test program's apartment under this name
    // unless the library is registered: either way the call succeeds.
    EXPECT_EQ(other->displayFile(Bstr(L"C:\\a.jpg").Get()), S_OK);
}

TEST_F(ThumbControlTest, FilterAndVersionBox)
{
    Bstr first;
    Bstr second;
    ASSERT_EQ(control_->get_FilterExtention(first.Put()), S_OK);
    ASSERT_EQ(control_->get_FilterExtention(second.Put()), S_OK);
    EXPECT_EQ(std::wstring(first.CStr()).rfind(L"*.jpeg;*.jpg;*.gif;*.bmp", 0), 0u)
        << testing_support::Utf8(first.CStr());
    EXPECT_NE(first.Get(), second.Get()) << "a fresh string each time";

    testing_support::ScriptedPrompts prompts;
    prompts.Answer(fw::kIdOk);
    const HWND window = Activate();
    ASSERT_EQ(control_->About(), S_OK);
    ASSERT_EQ(prompts.Count(), 1u);
    EXPECT_EQ(prompts.Last().caption, L"VersionInfo");
    EXPECT_EQ(prompts.Last().flags, fw::kMbOk);
    const std::wstring& text = prompts.Last().text;
    EXPECT_EQ(text.substr(0, text.find(L"\r\n")), L"VelmoraThumbCtl(ATL) Version1.6");
    EXPECT_NE(text.find(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"\r\n", text.find(L"\r\n") + 2), std::wstring::npos) << "two lines";
    (void)window;
}

TEST_F(ThumbControlTest, DispatchReachesTheMembersByTheirIds)
{
    auto dispatch = As<IDispatch>();
    struct Name {
        const wchar_t* name;
        DISPID id;
    };
    for (const Name n : {Name{L"About", -552}, Name{L"displayFile", 1}, Name{L"FilterExtention", 2},
                         Name{L"IPictureCache", 3}, Name{L"loadFile", 4}, Name{L"AcceptDropFiles", 5},
                         Name{L"FileName", 6}, Name{L"Caption", -518}}) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(n.name)};
        DISPID id = 0;
        ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x0800, &id), S_OK);
        EXPECT_EQ(id, n.id) << testing_support::Utf8(n.name);
    }
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"Cap");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    ASSERT_EQ(dispatch->Invoke(-518, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
              S_OK);
    VariantClear(&value);
    fw::com::Variant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(
        dispatch->Invoke(-518, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
        S_OK);
    ASSERT_EQ(result.Type(), VT_BSTR);
    EXPECT_STREQ(V_BSTR(result.Get()), L"Cap");
}

TEST_F(ThumbControlTest, DisplayFileResetsTheZoomAndFileNameKeepsIt)
{
    ComPtr<IVelmoraPictureCache> given;
    ASSERT_EQ(fw::com::Make<FakeCache>(given), S_OK);
    Dib picture(100, 80, 0xFF0000);
    static_cast<FakeCache*>(given.Get())->AddPicture(L"C:\\red.bmp", picture.Handle());
    ASSERT_EQ(control_->put_IPictureCache(given.Get()), S_OK);
    const HWND window = Activate();
    const RECT natural{100, 60, 200, 140};
    auto zoomIn = [&] {
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 70));
        SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, 110));
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(160, 110));
    };
    struct Step {
        const char* what;
        HRESULT (*call)(IVelmoraThumbCtl*);
        bool zoomed;
    };
    const Step steps[] = {
        {"displayFile", [](IVelmoraThumbCtl* c) { return c->displayFile(Bstr(L"C:\\red.bmp").Get()); },
         false},
        {"FileName put", [](IVelmoraThumbCtl* c) { return c->put_FileName(Bstr(L"C:\\red.bmp").Get()); },
         true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_EQ(control_->displayFile(Bstr(L"C:\\red.bmp").Get()), S_OK);
        ASSERT_EQ(WrongPixels(CaptureClient(window), natural, 0xFF0000), 0);
        zoomIn();
        ASSERT_GT(WrongPixels(CaptureClient(window), natural, 0xFF0000), 0) << "zoomed in";
        ASSERT_EQ(step.call(control_.Get()), S_OK);
        EXPECT_EQ(WrongPixels(CaptureClient(window), natural, 0xFF0000) > 0, step.zoomed);
    }
}

// ---- Events ----

TEST_F(ThumbControlTest, MouseMessagesAndDroppedFilesFireEventsToEverySink)
{
    const HWND window = Activate();
    ASSERT_NE(window, nullptr);
    auto* scribbler = new EventSink(true);
    auto* reader = new EventSink(false);
    ComPtr<IDispatch> first = ComPtr<IDispatch>::Attach(scribbler);
    ComPtr<IDispatch> second = ComPtr<IDispatch>::Attach(reader);
    Connect(DIID__IVelmoraThumbCtlEvents, first.Get());
    Connect(DIID__IVelmoraThumbCtlEvents, second.Get());
    ASSERT_EQ(control_->put_AcceptDropFiles(1), S_OK);

    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    SendMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    SendMessageW(window, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(10, 10));

    // Three files, the last with a Shift_JIS name.
    HDROP memory = testing_support::MakeDrop({"C:\\a.jpg", "C:\\dir\\b.jpg", "C:\\\x95\x5C.jpg"});
    ASSERT_NE(memory, nullptr);
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the control frees it

    for (EventSink* sink : {scribbler, reader}) {
        ASSERT_EQ(sink->events.size(), 4u);
        const DISPID ids[] = {1, 2, 3, 4};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(sink->events[i].id, ids[i]);
            EXPECT_EQ(sink->events[i].locale, 0x0400u);
            EXPECT_EQ(sink->events[i].flags, DISPATCH_METHOD);
            EXPECT_TRUE(sink->events[i].iidNull);
            EXPECT_EQ(sink->events[i].argCount, i == 3 ? 1u : 0u);
        }
        EXPECT_EQ(sink->events[3].text, L"C:\\a.jpg;C:\\dir\\b.jpg;C:\\\x8868.jpg;");
    }
}

TEST_F(ThumbControlTest, ConnectionPointsAdviseUnadviseAndEnumerate)
{
    auto container = As<IConnectionPointContainer>();
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.Put()), S_OK);
    std::vector<IID> found;
    IConnectionPoint* point = nullptr;
    while (points->Next(1, &point, nullptr) == S_OK) {
        IID iid{};
        point->GetConnectionInterface(&iid);
        found.push_back(iid);
        point->Release();
    }
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(found[0], DIID__IVelmoraThumbCtlEvents));
    EXPECT_TRUE(IsEqualGUID(found[1], IID_IPropertyNotifySink));
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, none.Put()), CONNECT_E_NOCONNECTION);

    ComPtr<IConnectionPoint> events;
    ASSERT_EQ(container->FindConnectionPoint(DIID__IVelmoraThumbCtlEvents, events.Put()), S_OK);
    ComPtr<IPropertyNotifySink> wrongKind;
    ASSERT_EQ(fw::com::Make<PropertyNotifySink>(wrongKind), S_OK);
    DWORD cookie = 0;
    EXPECT_EQ(events->Advise(wrongKind.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
    auto* sink = new EventSink;
    ComPtr<IDispatch> held = ComPtr<IDispatch>::Attach(sink);
    ASSERT_EQ(events->Advise(held.Get(), &cookie), S_OK);
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(events->EnumConnections(connections.Put()), S_OK);
    CONNECTDATA data[2]{};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(data[0].dwCookie, cookie);
    data[0].pUnk->Release();
    ASSERT_EQ(events->Unadvise(cookie), S_OK);
    EXPECT_EQ(events->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(events->GetConnectionPointContainer(back.Put()), S_OK);
    EXPECT_EQ(back.Get(), container.Get());
}

// ---- Activation ----

TEST_F(ThumbControlTest, InPlaceActivationMakesAChildWindowOfTheSiteAndDeactivationRemovesIt)
{
    EXPECT_EQ(ControlWindow(), nullptr);
    const HWND window = Activate();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), host_);
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT rect{};
    GetClientRect(window, &rect);
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 200);
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow",
                                                      "GetWindowContext", "ShowObject"}));
    wchar_t className[32]{};
    GetClassNameW(window, className, 32);
    EXPECT_EQ(std::wstring(className).substr(0, 4), L"ATL:");

    const RECT moved{10, 20, 110, 100};
    ASSERT_EQ(As<IOleInPlaceObject>()->SetObjectRects(&moved, &moved), S_OK);
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 110);
    EXPECT_EQ(rect.bottom, 100);

    // A new extent asks the container for a window of that size (2 x 1 inches).
    Site().calls.clear();
    SIZEL extent{5080, 2540};
    ASSERT_EQ(As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"OnPosRectChange"}));
    const int dpi = GetDeviceCaps(fw::WindowDc(nullptr).Dc(), LOGPIXELSX);
    EXPECT_EQ(Site().requested.left, 10);
    EXPECT_EQ(Site().requested.right - Site().requested.left, 2 * dpi);

    // A click activates the control for the user, once.
    Site().calls.clear();
    SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"OnUIActivate"}));
    EXPECT_EQ(GetFocus(), window);
    ASSERT_EQ(As<IOleInPlaceObject>()->UIDeactivate(), S_OK);
    Site().calls.clear();
    ASSERT_EQ(As<IOleObject>()->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_.Get(), 0, host_, &moved), S_OK);
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"OnUIActivate"}));
    Site().calls.clear();
    ASSERT_EQ(As<IOleObject>()->DoVerb(OLEIVERB_HIDE, nullptr, site_.Get(), 0, host_, &moved), S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"OnUIDeactivate"}));
    Site().calls.clear();
    ASSERT_EQ(As<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ControlWindow(), nullptr);
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"OnInPlaceDeactivate"}));

    // Closing a changed control asks the site to save it and tells the advise sinks.
    ComPtr<IAdviseSink> advise;
    ASSERT_EQ(fw::com::Make<AdviseSink>(advise), S_OK);
    DWORD connection = 0;
    ASSERT_EQ(As<IOleObject>()->Advise(advise.Get(), &connection), S_OK);
    Site().calls.clear();
    ASSERT_EQ(As<IOleObject>()->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
    EXPECT_EQ(Site().calls, (std::vector<std::string>{"SaveObject"}));
    EXPECT_EQ(static_cast<AdviseSink*>(advise.Get())->saves, 1);
    EXPECT_EQ(static_cast<AdviseSink*>(advise.Get())->closes, 1);
    EXPECT_EQ(As<IOleObject>()->Unadvise(connection), S_OK);
}

TEST_F(ThumbControlTest, QuickActivationConnectsTheContainersSinks)
{
    const RECT position{0, 0, 300, 200};
    host_ = CreateHostWindow(L"STATIC", L"", 300, 200);
    ASSERT_EQ(fw::com::Make<TestSite>(site_, host_, position), S_OK);
    auto* events = new EventSink;
    ComPtr<IDispatch> eventHolder = ComPtr<IDispatch>::Attach(events);
    ComPtr<IPropertyNotifySink> notify;
    ASSERT_EQ(fw::com::Make<PropertyNotifySink>(notify), S_OK);
    ComPtr<IAdviseSink> advise;
    ASSERT_EQ(fw::com::Make<AdviseSink>(advise), S_OK);

    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = site_.Get();
    // The control uses only the IAdviseSink part of the container's sink.
    container.pAdviseSink = reinterpret_cast<IAdviseSinkEx*>(advise.Get());
    container.pPropertyNotifySink = notify.Get();
    container.pUnkEventSink = eventHolder.Get();
    QACONTROL control{};
    control.cbSize = sizeof control;
    ASSERT_EQ(As<IQuickActivate>()->QuickActivate(&container, &control), S_OK);
    EXPECT_EQ(control.dwMiscStatus, 131473u);
    EXPECT_NE(control.dwEventCookie, 0u);
    EXPECT_NE(control.dwPropNotifyCookie, 0u);
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(As<IOleObject>()->GetClientSite(site.Put()), S_OK);
    EXPECT_EQ(site.Get(), site_.Get());

    ASSERT_EQ(control_->put_Caption(Bstr(L"x").Get()), S_OK);
    EXPECT_EQ(static_cast<PropertyNotifySink*>(notify.Get())->calls.size(), 2u);
    EXPECT_EQ(static_cast<AdviseSink*>(advise.Get())->viewChanges, 1);

    ASSERT_EQ(As<IOleObject>()->DoVerb(OLEIVERB_PRIMARY, nullptr, site_.Get(), 0, host_, &position), S_OK);
    SendMessageW(ControlWindow(), WM_RBUTTONUP, 0, 0);
    ASSERT_EQ(events->events.size(), 1u);
    EXPECT_EQ(events->events[0].id, 2);
}

TEST_F(ThumbControlTest, ViewObjectDrawsThePictureIntoTheGivenBounds)
{
    ComPtr<IVelmoraPictureCache> given;
    ASSERT_EQ(fw::com::Make<FakeCache>(given), S_OK);
    Dib picture(100, 80, 0xFF0000);
    static_cast<FakeCache*>(given.Get())->AddPicture(L"C:\\red.bmp", picture.Handle());
    ASSERT_EQ(control_->put_IPictureCache(given.Get()), S_OK);
    ASSERT_EQ(control_->put_FileName(Bstr(L"C:\\red.bmp").Get()), S_OK);

    Dib target(300, 200, 0x123456);
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    {
        fw::SelectObjectScope selected(dc.get(), target.Handle());
        const RECTL bounds{0, 0, 300, 200};
        ASSERT_EQ(As<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds,
                                          nullptr, nullptr, 0),
                  S_OK);
    }
    GdiFlush();
    EXPECT_EQ(WrongPixels(target, {100, 60, 200, 140}, 0xFF0000), 0);
    EXPECT_EQ(As<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), nullptr,
                                      nullptr, nullptr, 0),
              E_INVALIDARG)
        << "no bounds and not active";
}

}  // namespace
