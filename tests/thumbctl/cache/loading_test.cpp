// Decoding and background loading: the test plug-in in its failing variants, the checks
// of a plug-in's picture, a real cache engine with its dispatcher and loader threads, and
// the cache's COM class in the built library.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <iterator>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/com/module.h"
#include "tests/support/driver.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/server_library.h"
#include "tests/support/test_files.h"
#include "tests/support/wic_encode.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "thumbctl/cache/beep.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/cache/picture_cache_engine.h"
#include "thumbctl/cache/thread_end.h"
#include "thumbctl/server/library_settings_win32.h"

namespace thumbctl::cache {
namespace {

using cache_test::ReadyWindow;
using fw::com::ComPtr;
using testing_support::WaitUntil;

constexpr DWORD kDecodeWait = 10000;
const std::wstring kCrashText =
    L"SUSIEプラグイン使用中に、不正なメモリアクセスがありました。\r\n"
    L"VelmoraThumbCtlは、この例外をキャッチしましたが、プログラムの継続に支障をきたす場合があります。\r\n"
    L"すみやかに終了することをお勧めします。\r\n"
    L"このエラーは画像の破損によるものの可能性が高いため、画像エディタ等で修正してください。\r\n"
    L"ファイル名:";

bool Loaded(const std::string& dll)
{
    return GetModuleHandleA(dll.c_str()) != nullptr;
}

TEST(DecoderTest, PluginsDecodeOnlyWithTheRequiredExportsAndSoundResults)
{
    // Only the good plug-in decodes (it has no GetPluginInfo); not one without IsSupported,
    // one that fails, a missing one, nor results that hold no picture (no info block, no
    // bits block, a short info block, one block as both, values that are no handles).
    testing_support::TestFiles files;
    const std::string image = files.AddFile("p.vtp", cache_test::Vtp(3, 2));
    std::vector<std::pair<std::string, std::string>> cases = {
        {"good", image}, {"nosupported", image}, {"error", image}, {"missing", image}, {"good", image}};
    for (char kind : std::string("abhiz"))
        cases.push_back(
            {"malformed", files.AddFile(std::string("m") + kind, std::string("VTPM") + kind + "0000000")});
    auto plugins = std::make_unique<PluginModules>();
    for (const auto& [plugin, path] : cases) {
        SCOPED_TRACE(plugin + " " + path);
        const std::string dll = cache_test::BesideProgram("vtest_" + plugin + ".spi");
        const bool decodes = plugin == "good";
        DecodeResult r = DecodeWithPlugin(*plugins, dll, path);
        EXPECT_EQ(plugin != "nosupported" && plugin != "missing", Loaded(dll));
        ASSERT_EQ(decodes ? EntryState::kReadyBitmap : EntryState::kFailed, r.state);
        uintptr_t handle = 0;
        BITMAP info = {};
        ASSERT_EQ(decodes, r.picture && r.picture->BitmapHandle(handle));
        if (decodes) {
            EXPECT_EQ(3,
                      GetObjectA(reinterpret_cast<HGDIOBJ>(handle), sizeof info, &info) ? info.bmWidth : 0);
        }
    }
    plugins.reset();  // the ones with the three exports stayed loaded until now
    for (const char* plugin : {"good", "error", "malformed"})
        EXPECT_FALSE(Loaded(cache_test::BesideProgram(std::string("vtest_") + plugin + ".spi"))) << plugin;
}

TEST(DecoderTest, RelativePluginPathsAreFoundBesideTheLibrary)
{
    testing_support::TestFiles files;
    files.AddFile("lib\\sub\\y.spi", "y");
    const std::string lib = files.Root() + "\\lib\\";
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        {"sub\\y.spi", lib + "sub\\y.spi"}, {lib + "sub\\y.spi", lib + "sub\\y.spi"},
        {"missing.spi", "missing.spi"},  // left to LoadLibraryA's search
        {"sub", "sub"},                  // a folder is no plug-in
        {"\\y.spi", "\\y.spi"}, {"C:y.spi", "C:y.spi"}, {"", ""},
        // clang-format on
    };
    for (const auto& [value, expected] : cases)  // the library's trail byte 0x5C is no separator
        EXPECT_EQ(expected, PluginFileFor(value, lib + "\x95\x5C.dll")) << value;
}

TEST(DecoderTest, TheSettingsFileIsReadInTextModeAndItsAbsenceMeansDefaults)
{
    testing_support::TestFiles files;
    const LibrarySettings s =
        ReadSettingsFile(files.AddFile("s.ini", "; x\r\ncachesize=20\r\npng=p.spi \r\n"));
    EXPECT_EQ(20, s.CacheSize());
    ASSERT_EQ(2u, s.RecordCount());
    EXPECT_EQ("p.spi ", s.Record(1).value);
    EXPECT_EQ(0u, ReadSettingsFile(files.Path("none.ini")).RecordCount());
}

TEST(DecoderTest, APluginsPackedDibMustFitItsBlocks)
{
    // Header (size, width, height, planes, bits, compression, ..., colours), info and bits sizes.
    const std::tuple<const char*, BITMAPINFOHEADER, size_t, size_t, bool> cases[] = {
        // clang-format off
        {"24-bit 3x2, rows padded to 12 bytes", {40, 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 24, true},
        {"top-down, pixels one byte short", {40, 3, -2, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 23, false},
        {"8-bit with full table", {40, 4, 4, 1, 8, BI_RGB, 0, 0, 0, 0, 0}, 40 + 1024, 16, true},
        {"8-bit without table", {40, 4, 4, 1, 8, BI_RGB, 0, 0, 0, 0, 0}, 40, 16, false},
        {"1-bit 33 wide with 2 colours", {40, 33, 1, 1, 1, BI_RGB, 0, 0, 0, 2, 0}, 48, 8, true},
        {"more colours than bits allow", {40, 4, 4, 1, 1, BI_RGB, 0, 0, 0, 3, 0}, 40 + 12, 16, false},
        {"bit fields with masks", {40, 2, 2, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, 52, 8, true},
        {"bit fields without masks", {40, 2, 2, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, 40, 8, false},
        {"bit fields at 24 bits", {40, 2, 2, 1, 24, BI_BITFIELDS, 0, 0, 0, 0, 0}, 52, 16, false},
        {"run-length coded", {40, 2, 2, 1, 8, BI_RLE8, 0, 0, 0, 0, 0}, 1064, 16, false},
        {"core header", {12, 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 16, false},
        {"V5 header larger than its block", {124, 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, 100, 16, false},
        {"bit count that does not exist", {40, 2, 2, 1, 7, BI_RGB, 0, 0, 0, 0, 0}, 40, 64, false},
        {"no width", {40, 0, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 16, false},
        {"no height", {40, 2, 0, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 16, false},
        {"most negative height", {40, 2, INT32_MIN, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 16, false},
        {"two planes", {40, 2, 2, 2, 24, BI_RGB, 0, 0, 0, 0, 0}, 40, 16, false},
        {"huge dimensions", {40, 0x7FFFFFFF, 0x7FFFFFFF, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, 40, 1 << 20, false},
        // clang-format on
    };
    for (const auto& [name, header, infoBytes, bitsBytes, fits] : cases)
        EXPECT_EQ(fits, PackedDibFits(header, infoBytes, bitsBytes)) << name;
}

std::atomic<int> g_beeps{0};

// A cache engine with the test plug-ins for ".vtp", ".vhang" (hanging) and ".vcrash".
class LoadingTest : public testing::Test {
protected:
    LoadingTest()
    {
        InstallSettings(LibrarySettings::Parse("vtp=" + cache_test::BesideProgram("vtest_good.spi") +
                                                   "\nvhang=" + cache_test::BesideProgram("vtest_hang.spi") +
                                                   "\nvcrash=" + cache_test::BesideProgram("vtest_crash.spi"),
                                               fw::SystemCodePage()));
        g_beeps = 0;
        SetBeepHandler([] { ++g_beeps; });
    }
    ~LoadingTest() override
    {
        engine_.reset();
        SetBeepHandler(nullptr);
        InstallSettings(LibrarySettings());
    }

    HRESULT Load(const ReadyWindow& w, const std::string& path, HBITMAP* bitmap = nullptr,
                 BITMAP* info = nullptr)
    {
        HBITMAP b = nullptr;
        BITMAP i = {};
        return engine_->RequestBitmap(w.Handle(), path, bitmap ? bitmap : &b, info ? info : &i);
    }

    bool WaitForState(const std::string& path, EntryState state, DWORD timeoutMs = kDecodeWait)
    {
        const auto reached = [&] {
            for (const auto& v : engine_->Table().Snapshot())
                if (v.used && v.path == path)
                    return v.state == state;
            return false;
        };
        return WaitUntil(reached, timeoutMs);
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    testing_support::TestFiles files;
    std::unique_ptr<PictureCacheEngine> engine_ = std::make_unique<PictureCacheEngine>(8, 2);
};

TEST_F(LoadingTest, AHangingOrCrashingPluginFailsItsFileAndTheSameCacheDecodesTheNextOne)
{
    // A hang fails after the time limit with a beep; its terminated loader keeps the library
    // loaded, and a loader ended while busy in system calls leaves no lock held behind it.
    // A crash shows its message (the file name in Shift_JIS); the crashed instance is
    // unloaded, as the next file decoded by a fresh one shows.
    // Extension, kind of the failing file, beeps, prompts, module locks added, least time.
    const std::tuple<const char*, char, int, size_t, long, DWORD> cases[] = {
        {"vhang", 'H', 1, 0, 1, kLoaderLimitMs - 500},
        {"vhang", 'S', 1, 0, 1, kLoaderLimitMs - 500},
        {"vcrash", 'C', 0, 1, 0, 0},
    };
    for (const auto& [extension, kind, beeps, prompts, moduleLocks, leastMs] : cases) {
        const std::string name = kind + std::string(".") + extension;
        SCOPED_TRACE(name);
        testing_support::ScriptedPrompts shown;
        shown.Answer(fw::kIdOk);
        ReadyWindow w;
        g_beeps = 0;
        const long locks = fw::com::Module::Locks();
        const std::string path = files.AddFile("\x95\x5C" + name, cache_test::Vtp(2, 2, kind));
        const DWORD start = GetTickCount();
        EXPECT_EQ(E_FAIL, Load(w, path));
        ASSERT_TRUE(WaitForState(path, EntryState::kFailed, 3 * kLoaderLimitMs));
        EXPECT_GE(GetTickCount() - start, leastMs);
        EXPECT_EQ(std::tuple(beeps, prompts, locks + moduleLocks),
                  std::tuple(g_beeps.load(), shown.Count(), fw::com::Module::Locks()));
        if (prompts) {
            EXPECT_EQ(std::tuple(kCrashText + std::wstring(files.Root().begin(), files.Root().end()) +
                                     L"\\表C.vcrash",
                                 std::wstring(), 0x2010u),
                      std::tuple(shown.Last().text, shown.Last().caption, shown.Last().flags));
        }
        const std::string next = files.AddFile("n" + name, cache_test::Vtp(3, 2));
        EXPECT_EQ(E_FAIL, Load(w, next));
        EXPECT_TRUE(WaitUntil([&] { return w.Messages() == 1; }, kDecodeWait)) << "ready, so decoded";
    }
}

// What a decoder does between its own work: a bitmap, heap blocks, a module reference.
void CallTheSystem()
{
    DeleteObject(CreateBitmap(256, 256, 1, 32, nullptr));
    void* blocks[16];
    for (size_t i = 0; i < std::size(blocks); ++i)
        blocks[i] = HeapAlloc(GetProcessHeap(), 0, 16 + i * 24);
    for (void* block : blocks)
        HeapFree(GetProcessHeap(), 0, block);
    FreeLibrary(LoadLibraryA("version.dll"));
}

// Mostly its own work, as a decoder's: with too little of it no safe point may come within the
// limit, and the thread is then ended inside the system's code after all.
DWORD WINAPI BusyWithTheSystem(void*)
{
    for (volatile unsigned work = 0;;) {
        CallTheSystem();
        for (unsigned i = 0; i < 20000; ++i)
            work = work * 7 + i;
    }
}

DWORD WINAPI CallTheSystemOnce(void*)
{
    CallTheSystem();
    return 0;
}

TEST(ThreadEndTest, AThreadEndedWhileBusyWithTheSystemLeavesNoLockOfTheProcessHeld)
{
    const SystemModules system;
    const auto exported = [](const char* module, const char* name) {
        return reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA(module), name));
    };
    EXPECT_EQ(
        std::tuple(true, true, false, false),
        std::tuple(system.Contains(exported("gdi32.dll", "CreateBitmap")),
                   system.Contains(exported("ntdll.dll", "RtlAllocateHeap")),
                   system.Contains(reinterpret_cast<const void*>(&CallTheSystem)), system.Contains(&system)));
    // Ended at random points, mostly in its own work, sometimes inside GDI, the heap or the
    // loader: the same calls still return on a fresh thread.
    for (DWORD round = 0; round < 40; ++round) {
        fw::UniqueHandle thread(CreateThread(nullptr, 0, &BusyWithTheSystem, nullptr, 0, nullptr));
        Sleep(5 + round % 10);
        EndThread(thread.get(), 7, system, kSafePointLimitMs);
        DWORD code = 0;
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), kDecodeWait));
        EXPECT_TRUE(GetExitCodeThread(thread.get(), &code) && code == 7);
        fw::UniqueHandle check(CreateThread(nullptr, 0, &CallTheSystemOnce, nullptr, 0, nullptr));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(check.get(), 3000)) << "round " << round;
    }
}

TEST_F(LoadingTest, APictureLetGoLendsItsBitmapToTheNextPictureOfItsSize)
{
    // The window keeps one more than its limit of 2 (every other bitmap stays held, by the
    // table or spare): from the fourth on, each request lets the oldest go.
    const std::pair<int, int> steps[] = {
        // width (rows unpadded), the step whose bitmap it takes
        {4, -1}, {4, -1}, {8, -1}, {4, 0},  // the first 4-wide one is let go
        {8, -1}, {4, 1},  // the second is let go (no 8-wide one is spare), then the 8-wide one
    };
    ReadyWindow w;
    std::vector<HBITMAP> shown;
    for (const auto& [width, reuses] : steps) {
        const int n = static_cast<int>(shown.size());
        const std::string data = cache_test::Vtp(width, 3, '1', n * 7);
        const std::string path = files.AddFile("r" + std::to_string(n) + ".vtp", data);
        HBITMAP bitmap = nullptr;
        BITMAP info = {};
        EXPECT_EQ(E_FAIL, Load(w, path, &bitmap));
        EXPECT_EQ(nullptr, bitmap);
        ASSERT_TRUE(WaitUntil([&] { return w.Messages() == n + 1; }, kDecodeWait));
        ASSERT_EQ(S_OK, Load(w, path, &bitmap, &info));
        EXPECT_EQ(nullptr, info.bmBits) << "a device-dependent bitmap";
        EXPECT_EQ(reuses < 0 ? shown.end() : shown.begin() + reuses,
                  std::find(shown.begin(), shown.end(), bitmap))
            << n;
        BITMAPINFO bmi = {{sizeof(BITMAPINFOHEADER), width, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, {}};
        std::string rows(data.size() - 12, '\0');
        HDC dc = GetDC(nullptr);
        EXPECT_EQ(3, GetDIBits(dc, bitmap, 0, 3, rows.data(), &bmi, DIB_RGB_COLORS));
        ReleaseDC(nullptr, dc);
        EXPECT_EQ(data.substr(12), rows) << n;
        shown.push_back(bitmap);
    }
    EXPECT_EQ(static_cast<int>(std::size(steps)), w.Messages()) << "a hit sends no picture-ready message";
}

// The settings' budget reaches the engine: of two pictures of at least 1 MiB through one
// window under a budget of 1 MiB, the one no longer on screen goes. (How much memory a
// walk through large photos takes is measured by bench/cache.)
TEST_F(LoadingTest, TheBudgetOfTheSettingsLetsThePicturesOffScreenGo)
{
    InstallSettings(LibrarySettings::Parse(
        "memorybudget=1\nvtp=" + cache_test::BesideProgram("vtest_good.spi"), fw::SystemCodePage()));
    engine_ = std::make_unique<PictureCacheEngine>(8, 2);
    ReadyWindow w;
    std::string path;
    for (int i = 0; i < 2; ++i) {
        path = files.AddFile("b" + std::to_string(i) + ".vtp", cache_test::Vtp(1024, 512));
        EXPECT_EQ(E_FAIL, Load(w, path));
        ASSERT_TRUE(WaitUntil([&] { return w.Messages() == i + 1; }, kDecodeWait));
    }
    BITMAP info = {};
    ASSERT_EQ(S_OK, Load(w, path, nullptr, &info));
    EXPECT_EQ(uint64_t(info.bmWidthBytes) * uint64_t(info.bmHeight), engine_->Table().HeldBytes());
}

// The cache class through the built library beside the test program: both methods through
// the vtable and through the type-library IDispatch.
VARIANT Arg(VARTYPE type, LONGLONG value)
{
    VARIANT v;
    v.vt = type;
    v.llVal = value;  // the low bytes serve the narrower types
    return v;
}

class PictureCacheComTest : public testing::Test {
protected:
    void SetUp() override
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, testing_support::TheLibrary().getClassObject(CLSID_VelmoraPictureCache,
                                                                     IID_IClassFactory, factory.PutVoid()));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IVelmoraPictureCache, cache_.PutVoid()));
        ASSERT_EQ(S_OK, cache_.As(dispatch_));
    }

    // Invoke with the arguments in call order; a method's failure as its HRESULT.
    HRESULT Call(DISPID id, std::vector<VARIANT> args, REFIID riid = IID_NULL)
    {
        std::reverse(args.begin(), args.end());
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        EXCEPINFO exception = {};
        const HRESULT hr =
            dispatch_->Invoke(id, riid, 0, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return hr == DISP_E_EXCEPTION ? exception.scode : hr;
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    ComPtr<IVelmoraPictureCache> cache_;
    ComPtr<IDispatch> dispatch_;
};

TEST_F(PictureCacheComTest, DispatchNamesAndCallsBothMethodsLikeTheVtable)
{
    LPOLESTR name = const_cast<LPOLESTR>(L"SetCacheSize");
    DISPID id = -1;
    EXPECT_EQ(S_OK, dispatch_->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    EXPECT_EQ(2, id);
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch_->GetIDsOfNames(IID_IUnknown, &name, 1, 0, &id));
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(DISP_E_BADINDEX, dispatch_->GetTypeInfo(1, 0, info.Put()));
    ComPtr<IMarshal> marshal;  // free-threaded: callable from any apartment
    EXPECT_EQ(S_OK, cache_.As(marshal));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, Call(2, {Arg(VT_I2, 4), Arg(VT_I2, 1)}, IID_IUnknown));
    EXPECT_EQ(S_OK, Call(2, {Arg(VT_I2, 4), Arg(VT_I4, 1)}));  // widened as a caller may pass it

    testing_support::TestFiles files;
    ReadyWindow w;
    const std::string path =
        files.AddFile("\x95\x5C.jpg", testing_support::EncodeWithWic(GUID_ContainerFormatJpeg, 16, 12,
                                                                     [](UINT x, UINT) { return x * 16; }));
    fw::com::Bstr bstr((std::wstring(path.begin(), path.end() - 6) + L"表.jpg").c_str());  // an ASCII folder
    VARIANT text = Arg(VT_BSTR, 0);
    text.bstrVal = bstr.Get();
    HBITMAP bitmap = nullptr, direct = nullptr;
    BITMAP info1 = {}, info2 = {};
    const VARIANT hwnd = Arg(sizeof(void*) == 8 ? VT_I8 : VT_I4, reinterpret_cast<LONG_PTR>(w.Handle()));
    const auto pointer = [&](const void* p) { return Arg(hwnd.vt, reinterpret_cast<LONG_PTR>(p)); };
    EXPECT_EQ(E_FAIL, Call(1, {hwnd, text, pointer(&bitmap), pointer(&info1)}));
    ASSERT_TRUE(WaitUntil([&] { return w.Messages() == 1; }, 10000));
    EXPECT_EQ(S_OK, Call(1, {hwnd, text, pointer(&bitmap), pointer(&info1)}));
    EXPECT_EQ(16, info1.bmWidth);
    const auto load = [&] {
        return cache_->LoadBitmap(hwnd.llVal, bstr.Get(), reinterpret_cast<LONG_PTR>(&direct),
                                  reinterpret_cast<LONG_PTR>(&info2));
    };
    EXPECT_EQ(S_OK, load());
    EXPECT_EQ(bitmap, direct);
    EXPECT_EQ(0, memcmp(&info1, &info2, sizeof info1));
    // SetCacheSize with the same sizes empties the cache: a miss again.
    EXPECT_EQ(S_OK, cache_->SetCacheSize(4, 1));
    EXPECT_EQ(E_FAIL, load());
}

TEST_F(PictureCacheComTest, BadArgumentsFailWithoutWriting)
{
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x1234);
    BITMAP info = {};
    const LONG_PTR out = reinterpret_cast<LONG_PTR>(&bitmap), record = reinterpret_cast<LONG_PTR>(&info);
    const fw::com::Bstr empty(L""), missing(L"C:\\no such folder\\x.jpg"),
        tooLong((L"C:\\" + std::wstring(300, L'a') + L".jpg").c_str());
    for (BSTR path : {BSTR{}, empty.Get(), missing.Get(), tooLong.Get()})
        EXPECT_EQ(E_FAIL, cache_->LoadBitmap(0, path, out, record));
    EXPECT_EQ(E_POINTER, cache_->LoadBitmap(0, missing.Get(), 0, record));
    EXPECT_EQ(E_POINTER, cache_->LoadBitmap(0, missing.Get(), out, 0));
    EXPECT_EQ(reinterpret_cast<HBITMAP>(0x1234), bitmap);
}

}  // namespace
}  // namespace thumbctl::cache
