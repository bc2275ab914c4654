// The control linked into the test program, in a test container: interfaces, cache, verbs,
// persisted properties and what its window paints; then the library's in the system's host.
#include "thumbctl/control/thumb_control.h"

#include <windows.h>

#include <ocidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/ax/event_sink.h"
#include "framework/com/com_ptr.h"
#include "framework/com/dispatch.h"
#include "framework/com/object.h"
#include "framework/com/typelib.h"
#include "framework/win/gdi.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/server_library.h"
#include "thumbctl/control/persist_stream.h"
#include "thumbctl/control/placement.h"
#include "thumbctl/server/class_table.h"
#include "thumbctl/server/interface.h"

namespace {

// A 32-bit top-down DIB section and its pixels (0x00RRGGBB).
struct Dib {
    fw::UniqueGdiObject bitmap;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    Dib(int w, int h, uint32_t color = 0) : width(w), height(h)
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
        bits = static_cast<uint32_t*>(p);
        for (int i = 0; bits && i < w * h; ++i)
            bits[i] = color;
    }
    HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap.get()); }
    uint32_t At(int x, int y) const { return bits[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    void Fill(const std::function<uint32_t(int, int)>& color)
    {
        GdiFlush();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bits[static_cast<size_t>(y) * width + x] = color(x, y);
    }
};

// What a window shows in its client area.
Dib CaptureClient(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    Dib dib(client.right, client.bottom);
    fw::WindowDc screen(window);
    fw::UniqueMemoryDc memory(CreateCompatibleDC(screen.Dc()));
    {
        fw::SelectObjectScope selected(memory.get(), dib.Handle());
        BitBlt(memory.get(), 0, 0, dib.width, dib.height, screen.Dc(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    return dib;
}

// An HDROP as the shell builds it for WM_DROPFILES: ANSI names, each null-ended, then a null.
HDROP MakeDrop(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& n : names)
        list += n + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, list.data(), list.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

using fw::com::Bstr;
using fw::com::ComPtr;
using Calls = std::vector<std::string>;
using Notes = std::vector<std::pair<std::string, DISPID>>;  // property notifications
using Events = std::vector<std::pair<DISPID, std::wstring>>;
using Bytes = std::vector<uint8_t>;
constexpr uint32_t kWhite = 0xFFFFFF, kAny = 0xFFFFFFFF;

// Every pixel has the expected colour (kAny: any colour will do).
testing::AssertionResult Matches(const Dib& dib, const std::function<uint32_t(int, int)>& expected)
{
    int wrong = 0;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            wrong += expected(x, y) != kAny && dib.At(x, y) != expected(x, y);
    return wrong == 0 ? testing::AssertionSuccess()
                      : testing::AssertionFailure() << wrong << " pixels differ";
}

template <typename T, typename I, typename... Args>
T& Made(ComPtr<I>& holder, Args&&... args)
{
    EXPECT_EQ(fw::com::Make<T>(holder, std::forward<Args>(args)...), S_OK);
    return *static_cast<T*>(holder.Get());
}

// A picture cache that knows the pictures it was given and records every load.
class FakeCache final : public fw::com::Implements<fw::com::Dispatch<IVelmoraPictureCache>> {
public:
    STDMETHODIMP LoadBitmap(LONG_PTR window, BSTR path, LONG_PTR bitmap, LONG_PTR info) override
    {
        loads.emplace_back(reinterpret_cast<HWND>(window), path ? path : L"");
        const auto found = pictures.find(loads.back().second);
        if (found == pictures.end())
            return E_FAIL;
        *reinterpret_cast<HBITMAP*>(bitmap) = found->second;
        GetObjectW(found->second, sizeof(BITMAP), reinterpret_cast<void*>(info));
        return S_OK;
    }
    STDMETHODIMP SetCacheSize(short size, short out) override { return sizes.emplace_back(size, out), S_OK; }
    std::map<std::wstring, HBITMAP> pictures;
    std::vector<std::pair<HWND, std::wstring>> loads;
    std::vector<std::pair<short, short>> sizes;
};

// A sink of the control's events that records each id and its text argument, then
// overwrites the text: a sink after it sees the text only if it has its own copy.
fw::ax::EventSink& MadeEventSink(ComPtr<IDispatch>& holder, Events& events)
{
    return Made<fw::ax::EventSink>(
        holder, DIID__IVelmoraThumbCtlEvents, [&events](DISPID id, const DISPPARAMS& p) {
            const VARIANT* text = fw::ax::EventArgument(p, 0);
            events.emplace_back(id, text && V_VT(text) == VT_BSTR ? V_BSTR(text) : L"");
            for (UINT i = 0; text && V_VT(text) == VT_BSTR && i < SysStringLen(V_BSTR(text)); ++i)
                V_BSTR(text)[i] = L'#';
        });
}

class PropertyNotifySink final : public fw::com::Implements<IPropertyNotifySink> {
public:
    STDMETHODIMP OnChanged(DISPID id) override { return calls.emplace_back("changed", id), S_OK; }
    STDMETHODIMP OnRequestEdit(DISPID id) override { return calls.emplace_back("edit", id), editAnswer; }
    HRESULT editAnswer = S_OK;
    Notes calls;
};

// An in-place container without frame or document window, recording the calls that matter.
class TestSite final
    : public fw::com::Implements<IOleClientSite, fw::com::Chain<IOleInPlaceSite, IOleWindow>> {
public:
    TestSite(HWND window, RECT position) : window_(window), position_(position) {}
    STDMETHODIMP SaveObject() override { return Record("SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override { return *m = nullptr, E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override { return *c = nullptr, E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return Record("ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND* w) override { return *w = window_, Record("GetWindow"); }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return Record("CanInPlaceActivate"); }
    STDMETHODIMP OnInPlaceActivate() override { return Record("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Record("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        *frame = nullptr;
        *doc = nullptr;
        *pos = *clip = position_;
        *info = {info->cb, FALSE, window_, nullptr, 0};
        return Record("GetWindowContext");
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Record("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Record("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override
    {
        return requested = *rect, Record("OnPosRectChange");
    }
    std::vector<std::string> calls;
    RECT requested{};

private:
    HRESULT Record(const char* name) { return calls.emplace_back(name), S_OK; }
    HWND window_;
    RECT position_;
};

// A top-level window of a plain class that keeps its background, for hosting.
HWND CreateHostWindow(const wchar_t* className, const wchar_t* title, int width, int height)
{
    return CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

template <typename I>
ComPtr<I> Query(IUnknown* object)
{
    ComPtr<I> result;
    EXPECT_EQ(object->QueryInterface(__uuidof(I), result.PutVoid()), S_OK);
    return result;
}

ComPtr<IVelmoraThumbCtl> NewControl()
{
    ComPtr<IVelmoraThumbCtl> control;
    EXPECT_EQ(thumbctl::CreateThumbControl(nullptr, IID_IVelmoraThumbCtl, control.PutVoid()), S_OK);
    return control;
}

// The control in a test container; the control and every sink must be gone at the end.
class ControlTest : public testing::Test {
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
        return Query<I>(control_.Get());
    }
    // Puts the control into a test container's 300 x 200 window, activated in place.
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

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    const long objects_ = fw::com::Module::Objects();
    ComPtr<IVelmoraThumbCtl> control_ = NewControl();
    ComPtr<IOleClientSite> site_;
    TestSite* site = nullptr;
    HWND host_ = nullptr;
    const RECT position_{0, 0, 300, 200};
    ComPtr<IVelmoraPictureCache> cache_;
};

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
    EXPECT_EQ(Query<IPersistStreamInit>(control)->Save(stream.Get(), TRUE), S_OK);
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
    EXPECT_EQ(Query<IConnectionPointContainer>(control)->FindConnectionPoint(point, cp.Put()), S_OK);
    EXPECT_EQ(cp->Advise(sink, &cookie), S_OK);
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
    ASSERT_NE(window, nullptr);  // in the host window and visible: as in the system's host below
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
    const auto persist = Query<IPersistStreamInit>(loaded.Get());
    ASSERT_EQ(persist->Load(StreamOf(bytes).Get()), S_OK);
    EXPECT_EQ(notify.calls, (Notes{{"edit", DISPID_CAPTION}, {"changed", DISPID_CAPTION}}))
        << "through the setter";
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

// The registered control in atl.dll's "AtlAxWin", a container nobody here wrote, by its ProgID.
TEST_F(ControlTest, RegisteredControlInTheSystemsHostMakesItsOwnCacheAndFiresEventsToEverySink)
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
    const ComPtr<IVelmoraThumbCtl> control = Query<IVelmoraThumbCtl>(unknown.Get());
    HWND window = nullptr;
    ASSERT_EQ(Query<IOleWindow>(unknown.Get())->GetWindow(&window), S_OK) << "activated in place as a window";
    EXPECT_EQ(GetParent(window), host_);
    EXPECT_TRUE(IsWindowVisible(window));
    // Shown without a cache given, the control makes its own from the registered class.
    ASSERT_EQ(control->displayFile(Bstr(L"C:\\missing.bmp").Get()), S_OK);
    EXPECT_EQ(control->loadFile(Bstr(L"C:\\missing.bmp").Get()), S_OK) << "it has a cache";
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
    const HDROP drop = MakeDrop({"C:\\a.jpg", "C:\\d\\b.jpg", "C:\\\x95\x5C.jpg"});
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    const Events expected = {{1, L""}, {2, L""}, {3, L""}, {4, L"C:\\a.jpg;C:\\d\\b.jpg;C:\\\x8868.jpg;"}};
    EXPECT_EQ(scribbled, expected);
    EXPECT_EQ(read, expected);

    DestroyWindow(std::exchange(host_, nullptr));
    TheLibrary().unregisterServer();
}

using thumbctl::Rect;
using Colours = std::function<uint32_t(int, int)>;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
const Colours kSolid = [](int, int) { return kRed; };
const Colours kHalves = [](int x, int) { return x < 50 ? kRed : kBlue; };  // of a 100 x 80 picture

// The picture inside `where` (its left edge at where.left), white around it.
Colours Picture(const Rect& where, const Colours& inside = kSolid)
{
    return [=](int x, int y) { return where.Contains(x, y) ? inside(x - where.left, y) : kWhite; };
}

class ControlWindowTest : public ControlTest {
protected:
    void SetUp() override
    {
        window_ = Activate();
        cache = &Made<FakeCache>(cache_);
        ASSERT_EQ(control_->put_IPictureCache(cache_.Get()), S_OK);
    }
    // A picture the cache hands out once it is ready.
    void Add(const std::wstring& path, int w, int h, const Colours& colours, bool ready = true)
    {
        pictures_.try_emplace(path, w, h).first->second.Fill(colours);
        if (ready)
            cache->pictures[path] = pictures_.at(path).Handle();
    }
    void Show(const wchar_t* path) { ASSERT_EQ(control_->displayFile(Bstr(path).Get()), S_OK); }
    void Send(UINT message, int x, int y, WPARAM keys = MK_LBUTTON)
    {
        SendMessageW(window_, message, keys, MAKELPARAM(x, y));
    }
    testing::AssertionResult Shows(const Rect& where, const Colours& inside = kSolid)
    {
        return Matches(CaptureClient(window_), Picture(where, inside));
    }

    HWND window_ = nullptr;
    FakeCache* cache = nullptr;
    std::map<std::wstring, Dib> pictures_;
};

TEST_F(ControlWindowTest, PaintsThePictureWhenReadyShowingAStarUntilThenAndRepaintsOnResize)
{
    Show(L"");
    EXPECT_TRUE(Shows({}));
    EXPECT_TRUE(cache->loads.empty()) << "no file name: the cache is not asked";

    Add(L"slow", 400, 100, kSolid, false);
    Show(L"slow");
    const Dib pending = CaptureClient(window_);
    EXPECT_FALSE(Matches(pending, Picture({}))) << "a \"*\" in the top-left corner";
    EXPECT_TRUE(Matches(pending, [](int x, int y) { return x < 24 && y < 24 ? kAny : kWhite; }));
    cache->pictures[L"slow"] = pictures_.at(L"slow").Handle();  // as the cache's loader does
    SendMessageW(window_, thumbctl::kPictureReadyMessage, 0, 0);
    EXPECT_TRUE(Shows({0, 63, 300, 138}));
    const size_t asked = cache->loads.size();
    SendMessageW(window_, thumbctl::kPictureReadyMessage, 0, 0);  // for a file loaded ahead
    EXPECT_EQ(cache->loads.size(), asked) << "the picture on screen is not asked for and drawn again";

    const RECT smaller{0, 0, 200, 200};
    ASSERT_EQ(As<IOleInPlaceObject>()->SetObjectRects(&smaller, &smaller), S_OK);
    EXPECT_TRUE(Shows({0, 75, 200, 125}));
}

TEST_F(ControlWindowTest, MouseZoomsIntoASelectionDrawnAsABandUntilADoubleClickANewFileOrALostCapture)
{
    Add(L"halves", 100, 80, kHalves);
    Show(L"halves");
    const Rect picture{100, 60, 200, 140}, band{160, 80, 190, 100}, inner{161, 81, 189, 99};
    Send(WM_LBUTTONDOWN, 160, 80);
    EXPECT_EQ(GetCapture(), window_);
    Send(WM_MOUSEMOVE, 190, 100);
    EXPECT_FALSE(Shows(picture, kHalves));
    EXPECT_TRUE(Matches(CaptureClient(window_), [&](int x, int y) {
        return band.Contains(x, y) && !inner.Contains(x, y) ? kAny : Picture(picture, kHalves)(x, y);
    })) << "drawn only along its border";
    Send(WM_LBUTTONUP, 190, 100, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows({0, 0, 300, 200}, [](int, int) { return kBlue; })) << "bitmap 60,20-90,40";
    ASSERT_EQ(control_->put_FileName(Bstr(L"halves").Get()), S_OK);
    EXPECT_TRUE(Shows({0, 0, 300, 200}, [](int, int) { return kBlue; })) << "a new name keeps the view";

    Send(WM_LBUTTONDBLCLK, 150, 100);
    EXPECT_TRUE(Shows(picture, kHalves));

    Send(WM_LBUTTONDOWN, 120, 70);  // a new file in the middle of a selection ends it
    Show(L"halves");
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows(picture, kHalves));
    // A lost capture ends a selection too: band gone, no zoom.
    Send(WM_LBUTTONDOWN, 120, 70);
    Send(WM_MOUSEMOVE, 180, 120);
    SetCapture(host_);
    ReleaseCapture();
    Send(WM_LBUTTONUP, 180, 120, 0);
    EXPECT_TRUE(Shows(picture, kHalves));
}

}  // namespace
