// CVelmoraThumbCtl against the stub control registered under the thumbnail control's
// class: each operation is one Invoke with the right id, flags and argument types,
// strings cross as BSTRs in the ANSI code page, the filter's BSTR is freed, and
// failures come back as results.
#include "thumbctl/client/thumb_ctl_wrapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include "framework/com/object.h"
#include "tests/framework/ax/host_fixture.h"

namespace host_test {
namespace {

using fw::com::ComPtr;
using fw::com::Implements;

// Watches the task allocator's frees, to see that a BSTR handed to the wrapper is freed.
// BSTR caching is turned off while it watches, so every SysFreeString reaches the
// allocator. The system may hold the spy after revoking it: it is never destroyed.
class FreeWatch final : public Implements<IMallocSpy> {
public:
    static FreeWatch& Instance()
    {
        static FreeWatch* watch = [] {
            ComPtr<IMallocSpy> made;
            fw::com::Make<FreeWatch>(made);
            return static_cast<FreeWatch*>(made.Detach());
        }();
        return *watch;
    }

    HRESULT Start()
    {
        using SetNoCache = void(WINAPI*)();
        if (auto off = reinterpret_cast<SetNoCache>(
                GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), "SetOaNoCache")))
            off();
        std::lock_guard lock(mutex_);
        freed_.clear();
        return CoRegisterMallocSpy(this);
    }
    void Stop() { CoRevokeMallocSpy(); }

    // How many freed blocks held the string `s` (a BSTR begins a few bytes into its block).
    int TimesFreed(BSTR s)
    {
        const auto* text = reinterpret_cast<const BYTE*>(s);
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(freed_.begin(), freed_.end(), [&](const void* block) {
            const auto* start = static_cast<const BYTE*>(block);
            return start <= text && text - start <= 16;
        }));
    }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override { return size; }
    STDMETHODIMP_(void*) PostAlloc(void* actual) override { return actual; }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) override
    {
        if (request) {
            std::lock_guard lock(mutex_);
            freed_.push_back(request);
        }
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override
    {
        *newRequest = request;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

private:
    std::mutex mutex_;
    std::vector<const void*> freed_;
};

// Any object will do as the picture cache the wrapper hands on.
class FakeCache final : public Implements<IPersist> {
public:
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        *clsid = kUnrelated;
        return S_OK;
    }
};

class WrapperTest : public HostFixture {
protected:
    void SetUp() override
    {
        FreeWatch::Instance();  // made before the fixture counts the living objects
        HostFixture::SetUp();
        ASSERT_EQ(asThumbCtl_.Result(), S_OK);
    }

    HRESULT CreateControl() { return ctl_.Create(parent_.Handle(), RECT{0, 0, 160, 120}, 130, WS_VISIBLE); }

    StubRegistration asThumbCtl_{CVelmoraThumbCtl::ClassId()};
    CVelmoraThumbCtl ctl_;
};

struct OperationCase {
    const char* name;
    std::function<HRESULT(CVelmoraThumbCtl&, IUnknown* cache)> call;
    DISPID id;
    WORD flags;
    std::vector<VARTYPE> types;
    std::vector<std::wstring> texts;
    std::vector<DISPID> named;
    bool passesCache;
};

std::vector<OperationCase> Operations()
{
    const auto method = static_cast<WORD>(DISPATCH_METHOD);
    return {
        {"About", [](CVelmoraThumbCtl& c, IUnknown*) { return c.About(); }, -552, method, {}, {}, {}, false},
        {"displayFile",
         [](CVelmoraThumbCtl& c, IUnknown*) { return c.displayFile("C:\\img\\a.jpg"); },
         1,
         method,
         {VT_BSTR},
         {L"C:\\img\\a.jpg"},
         {},
         false},
        {"displayFile, Shift_JIS path",
         [](CVelmoraThumbCtl& c, IUnknown*) { return c.displayFile("D:\\\x95\x5C\\\x83\x65.bmp"); },
         1,
         method,
         {VT_BSTR},
         {L"D:\\\u8868\\\u30c6.bmp"},
         {},
         false},
        {"displayFile, empty",
         [](CVelmoraThumbCtl& c, IUnknown*) { return c.displayFile(""); },
         1,
         method,
         {VT_BSTR},
         {L""},
         {},
         false},
        {"loadFile",
         [](CVelmoraThumbCtl& c, IUnknown*) { return c.loadFile("C:\\\x95\x5C.png"); },
         4,
         method,
         {VT_BSTR},
         {L"C:\\\u8868.png"},
         {},
         false},
        {"loadFile, empty",
         [](CVelmoraThumbCtl& c, IUnknown*) { return c.loadFile(""); },
         4,
         method,
         {VT_BSTR},
         {L""},
         {},
         false},
        {"IPictureCache",
         [](CVelmoraThumbCtl& c, IUnknown* cache) { return c.IPictureCache(cache); },
         3,
         DISPATCH_PROPERTYPUT,
         {VT_UNKNOWN},
         {},
         {DISPID_PROPERTYPUT},
         true},
        {"FilterExtention",
         [](CVelmoraThumbCtl& c, IUnknown*) { return c.FilterExtention() == "*.jpg;*.bmp" ? S_OK : E_FAIL; },
         2,
         DISPATCH_PROPERTYGET,
         {},
         {},
         {},
         false},
    };
}

TEST_F(WrapperTest, EachOperationIsOneInvokeWithItsIdFlagsAndArguments)
{
    ASSERT_EQ(CreateControl(), S_OK);
    EXPECT_EQ(GetDlgCtrlID(ctl_.Handle()), 130);
    ComPtr<IPersist> cache;
    ASSERT_EQ(fw::com::Make<FakeCache>(cache), S_OK);
    for (const OperationCase& op : Operations()) {
        SCOPED_TRACE(op.name);
        Stub().invokes.clear();
        EXPECT_EQ(op.call(ctl_, cache.Get()), S_OK);
        ASSERT_EQ(Stub().invokes.size(), 1u);
        const InvokeRecord& r = Stub().invokes[0];
        EXPECT_EQ(r.id, op.id);
        EXPECT_EQ(r.flags, op.flags);
        EXPECT_EQ(r.types, op.types);
        EXPECT_EQ(r.texts, op.texts);
        EXPECT_EQ(r.nullTexts, std::vector<bool>(op.texts.size(), false)) << "an empty path is an empty BSTR";
        EXPECT_EQ(r.named, op.named);
        if (op.passesCache) {
            EXPECT_EQ(r.object, static_cast<IUnknown*>(cache.Get()));
        }
    }
}

TEST_F(WrapperTest, FilterExtentionGivesANewStringEachTimeAndFreesTheBstr)
{
    ASSERT_EQ(CreateControl(), S_OK);
    FreeWatch& watch = FreeWatch::Instance();
    ASSERT_EQ(watch.Start(), S_OK);
    Stub().filter = L"*.jpg;*.jpeg;*.bmp";
    std::string first = ctl_.FilterExtention();
    Stub().filter = L"*.\u8868";
    const std::string second = ctl_.FilterExtention();
    Stub().filter = L"";
    const std::string third = ctl_.FilterExtention();
    watch.Stop();

    EXPECT_EQ(first, "*.jpg;*.jpeg;*.bmp");
    EXPECT_EQ(second, "*.\x95\x5C");
    EXPECT_EQ(third, "");
    first += ";*.gif";
    EXPECT_EQ(ctl_.FilterExtention(), "") << "the caller's copy is its own";

    ASSERT_EQ(Stub().handedOut.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        const BSTR s = Stub().handedOut[i];
        const auto handed = std::count(Stub().handedOut.begin(), Stub().handedOut.begin() + 3, s);
        EXPECT_EQ(watch.TimesFreed(s), handed) << "BSTR " << i << " not freed exactly once";
    }
}

TEST_F(WrapperTest, FailedCallsReturnTheFailureAndChangeNothing)
{
    ASSERT_EQ(CreateControl(), S_OK);
    ComPtr<IPersist> cache;
    ASSERT_EQ(fw::com::Make<FakeCache>(cache), S_OK);
    for (HRESULT failure : {DISP_E_EXCEPTION, DISP_E_MEMBERNOTFOUND, E_FAIL}) {
        SCOPED_TRACE(failure);
        Stub().invokeResult = failure;
        Stub().invokes.clear();
        EXPECT_EQ(ctl_.About(), failure);
        EXPECT_EQ(ctl_.displayFile("C:\\a.jpg"), failure);
        EXPECT_EQ(ctl_.loadFile("C:\\a.jpg"), failure);
        EXPECT_EQ(ctl_.IPictureCache(cache.Get()), failure);
        EXPECT_EQ(ctl_.FilterExtention(), "");
        EXPECT_EQ(Stub().invokes.size(), 5u);
    }
}

TEST_F(WrapperTest, WithoutAControlNothingIsCalled)
{
    CVelmoraThumbCtl missing;
    EXPECT_TRUE(FAILED(missing.About()));
    EXPECT_TRUE(FAILED(missing.displayFile("C:\\a.jpg")));
    EXPECT_TRUE(FAILED(missing.loadFile("")));
    EXPECT_TRUE(FAILED(missing.IPictureCache(nullptr)));
    EXPECT_EQ(missing.FilterExtention(), "");
    EXPECT_TRUE(Stub().invokes.empty());
    EXPECT_EQ(Stub().living, 0);
}

TEST_F(WrapperTest, CreatesTheThumbnailControlClassFromTemplateData)
{
    // The about dialog's control: version 0x0300, extent 873 x 794, caption "12".
    const std::vector<BYTE> data = {0x00, 0x03, 0x00, 0x00, 0x69, 0x03, 0x00, 0x00, 0x1a, 0x03, 0x00,
                                    0x00, 0x08, 0x00, 0x06, 0x00, 0x00, 0x00, '1',  0x00, '2',  0x00,
                                    0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(ctl_.Create(parent_.Handle(), RECT{0, 0, 32, 32}, 1000, 0, data), S_OK);
    EXPECT_CALLS("GetMiscStatus", "SetClientSite site", "Load 32", "DoVerb -5");
    EXPECT_EQ(Stub().loaded, data);
    EXPECT_FALSE(IsWindowVisible(ctl_.Handle()));
    EXPECT_EQ(GetDlgCtrlID(ctl_.Handle()), 1000);
}

}  // namespace
}  // namespace host_test
