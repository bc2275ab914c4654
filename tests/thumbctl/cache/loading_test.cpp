// Background loading through a real cache engine: the dispatcher, the loader
// threads, the OLE picture loader and the test plug-in.
#include <gtest/gtest.h>

#include <memory>

#include "tests/thumbctl/cache/cache_test_support.h"
#include "tests/support/test_files.h"
#include "thumbctl/cache/picture_cache_engine.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

using cache_test::PumpUntil;
using cache_test::ReadyWindow;

constexpr DWORD kDecodeWait = 10000;

class LoadingTest : public testing::Test {
protected:
    LoadingTest()
    {
        ReadyWindow::Log().clear();
        InstallSettings(LibrarySettings::Parse("vtp=" + cache_test::BesideProgram("vtest_good.spi") +
                                                   "\nvhang=" + cache_test::BesideProgram("vtest_hang.spi") +
                                                   "\n",
                                               fw::SystemCodePage()));
        gate_ = CreateEventA(nullptr, TRUE, FALSE, "VelmoraTestGate");
    }
    ~LoadingTest() override
    {
        SetEvent(gate_);
        engine_.reset();
        CloseHandle(gate_);
        InstallSettings(LibrarySettings());
    }

    PictureCacheEngine& Engine(int16_t slots = 8, int16_t limit = 2)
    {
        if (!engine_)
            engine_ = std::make_unique<PictureCacheEngine>(slots, limit);
        return *engine_;
    }

    HRESULT Load(const ReadyWindow& w, const std::string& path, HBITMAP* out = nullptr,
                 BITMAP* info = nullptr)
    {
        HBITMAP bitmap = nullptr;
        BITMAP description = {};
        HRESULT hr = Engine().RequestBitmap(w.Handle(), path, &bitmap, &description);
        if (out)
            *out = bitmap;
        if (info)
            *info = description;
        return hr;
    }

    EntryState StateOf(const std::string& path)
    {
        for (const auto& v : Engine().Table().Snapshot()) {
            if (v.used && v.path == path)
                return v.state;
        }
        return EntryState::kPending;
    }

    bool WaitForState(const std::string& path, EntryState state)
    {
        return PumpUntil([&] { return StateOf(path) == state; }, kDecodeWait);
    }

    testing_support::TestFiles files;
    HANDLE gate_ = nullptr;
    std::unique_ptr<PictureCacheEngine> engine_;
};

struct FormatCase {
    const char* name;
    std::string bytes;
    LONG width;
    LONG height;
};

TEST_F(LoadingTest, MissThenPictureReadyThenTheSameBitmapOnEveryHit)
{
    const FormatCase cases[] = {
        {"a.jpg", cache_test::Jpeg(), 16, 12},
        {"b.gif", cache_test::Gif(), 8, 6},
        {"c.bmp", cache_test::Bmp24(5, 3), 5, 3},
        {"d.vtp", cache_test::Vtp(4, 2), 4, 2},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReadyWindow w;
        std::string path = files.AddFile(c.name, c.bytes);
        HBITMAP bitmap = nullptr;
        EXPECT_EQ(E_FAIL, Load(w, path, &bitmap));
        EXPECT_EQ(nullptr, bitmap);
        ASSERT_TRUE(PumpUntil([&] { return w.Messages() == 1; }, kDecodeWait));
        BITMAP info = {};
        ASSERT_EQ(S_OK, Load(w, path, &bitmap, &info));
        ASSERT_NE(nullptr, bitmap);
        EXPECT_EQ(c.width, info.bmWidth);
        EXPECT_EQ(c.height, info.bmHeight);
        EXPECT_EQ(nullptr, info.bmBits);  // a device-dependent bitmap
        for (int i = 0; i < 3; ++i) {
            HBITMAP again = nullptr;
            EXPECT_EQ(S_OK, Load(w, path, &again));
            EXPECT_EQ(bitmap, again);
        }
        EXPECT_EQ(1, w.Messages());
    }
}

TEST_F(LoadingTest, IconDecodesButIsNeverDelivered)
{
    ReadyWindow w;
    std::string path = files.AddFile("i.ico", cache_test::Icon());
    EXPECT_EQ(E_FAIL, Load(w, path));
    ASSERT_TRUE(PumpUntil([&] { return w.Messages() == 1; }, kDecodeWait));
    EXPECT_EQ(EntryState::kReadyPicture, StateOf(path));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(E_FAIL, Load(w, path));
}

TEST_F(LoadingTest, KeysAreFilesAsFoundOnDisk)
{
    ReadyWindow w;
    std::string path = files.AddFile("Photo.bmp", cache_test::Bmp24(3, 3));
    ASSERT_TRUE(cache_test::SetLastWrite(path, 0x01D0000000000000ull));
    EXPECT_EQ(E_FAIL, Load(w, path));
    // A missing file leaves the table as it was, the current mark included.
    EXPECT_EQ(E_FAIL, Load(w, files.Path("missing.bmp")));
    const auto table = Engine().Table().Snapshot();
    EXPECT_TRUE(table[0].used && table[0].current);
    EXPECT_FALSE(table[1].used);

    ASSERT_TRUE(PumpUntil([&] { return w.Messages() == 1; }, kDecodeWait));
    HBITMAP first = nullptr;
    HBITMAP other = nullptr;
    ASSERT_EQ(S_OK, Load(w, path, &first));
    std::string upper = files.Path("PHOTO.BMP");
    EXPECT_EQ(S_OK, Load(w, upper, &other));
    EXPECT_EQ(first, other);

    files.AddFile("Photo.bmp", cache_test::Bmp24(6, 2));
    ASSERT_TRUE(cache_test::SetLastWrite(path, 0x01D0000000001000ull));
    EXPECT_EQ(E_FAIL, Load(w, path));
    ASSERT_TRUE(PumpUntil([&] { return w.Messages() == 2; }, kDecodeWait));
    BITMAP info = {};
    ASSERT_EQ(S_OK, Load(w, upper, &other, &info));
    EXPECT_NE(first, other);
    EXPECT_EQ(6, info.bmWidth);
}

TEST_F(LoadingTest, NewestPendingRequestIsDecodedFirst)
{
    ReadyWindow busy, a, b, c;
    std::string gated = files.AddFile("gate.vtp", cache_test::Vtp(2, 2, 'G'));
    EXPECT_EQ(E_FAIL, Load(busy, gated));
    ASSERT_TRUE(WaitForState(gated, EntryState::kLoading));
    std::string pa = files.AddFile("a.bmp", cache_test::Bmp24(2, 2));
    std::string pb = files.AddFile("b.bmp", cache_test::Bmp24(2, 2));
    std::string pc = files.AddFile("c.bmp", cache_test::Bmp24(2, 2));
    // Requests within one millisecond share a tick; give each its own.
    auto nextTick = [] {
        const DWORD t = GetTickCount();
        ASSERT_TRUE(PumpUntil([&] { return GetTickCount() != t; }, 1000));
    };
    EXPECT_EQ(E_FAIL, Load(a, pa));
    nextTick();
    EXPECT_EQ(E_FAIL, Load(b, pb));
    nextTick();
    EXPECT_EQ(E_FAIL, Load(c, pc));
    SetEvent(gate_);
    ASSERT_TRUE(PumpUntil([&] { return ReadyWindow::Log().size() == 4; }, kDecodeWait));
    EXPECT_EQ((std::vector<HWND>{busy.Handle(), c.Handle(), b.Handle(), a.Handle()}), ReadyWindow::Log());
}

TEST_F(LoadingTest, WindowDestroyedBeforeDecodingFailsWithoutMessage)
{
    ReadyWindow busy, gone;
    std::string gated = files.AddFile("gate.vtp", cache_test::Vtp(2, 2, 'G'));
    std::string path = files.AddFile("x.bmp", cache_test::Bmp24(2, 2));
    EXPECT_EQ(E_FAIL, Load(busy, gated));
    ASSERT_TRUE(WaitForState(gated, EntryState::kLoading));
    EXPECT_EQ(E_FAIL, Load(gone, path));
    HWND goneHandle = gone.Handle();
    gone.Destroy();
    SetEvent(gate_);
    ASSERT_TRUE(WaitForState(path, EntryState::kFailed));
    ASSERT_TRUE(PumpUntil([&] { return busy.Messages() == 1; }, kDecodeWait));
    for (HWND h : ReadyWindow::Log())
        EXPECT_NE(goneHandle, h);
}

TEST_F(LoadingTest, HangingDecoderFailsAfterTheLimitWithABeep)
{
    cache_test::BeepCounter beeps;
    ReadyWindow w;
    std::string path = files.AddFile("h.vhang", cache_test::Vtp(2, 2));
    EXPECT_EQ(E_FAIL, Load(w, path));
    ASSERT_TRUE(WaitForState(path, EntryState::kLoading));
    const DWORD start = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return StateOf(path) == EntryState::kFailed; }, 3 * kLoaderLimitMs));
    EXPECT_GE(GetTickCount() - start, kLoaderLimitMs - 500);
    EXPECT_EQ(1, beeps.Count());
    EXPECT_EQ(0, w.Messages());
    EXPECT_EQ(E_FAIL, Load(w, path));  // stays failed: no new decode
    EXPECT_EQ(EntryState::kFailed, StateOf(path));

    // The dispatcher goes on with the next request.
    std::string next = files.AddFile("n.bmp", cache_test::Bmp24(2, 2));
    EXPECT_EQ(E_FAIL, Load(w, next));
    EXPECT_TRUE(PumpUntil([&] { return w.Messages() == 1; }, kDecodeWait));
}

TEST_F(LoadingTest, DestructionWhileLoadingWaitsForTheLoaderLimitAtMost)
{
    cache_test::BeepCounter beeps;
    ReadyWindow w;
    std::string path = files.AddFile("h.vhang", cache_test::Vtp(2, 2));
    EXPECT_EQ(E_FAIL, Load(w, path));
    ASSERT_TRUE(WaitForState(path, EntryState::kLoading));
    const DWORD start = GetTickCount();
    engine_.reset();
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, kLoaderLimitMs + 2000);
    EXPECT_EQ(1, beeps.Count());  // the loader's, not the dispatcher's stop limit
}

TEST_F(LoadingTest, SetCacheSizeWhileLoadingKeepsTheLoaderSafe)
{
    ReadyWindow w;
    std::string gated = files.AddFile("gate.vtp", cache_test::Vtp(2, 2, 'G'));
    EXPECT_EQ(E_FAIL, Load(w, gated));
    ASSERT_TRUE(WaitForState(gated, EntryState::kLoading));
    Engine().SetCacheSize(8, 2);
    EXPECT_FALSE(Engine().Table().Snapshot()[0].used);
    SetEvent(gate_);
    // The loader finishes on its dropped entry and still sends the message.
    ASSERT_TRUE(PumpUntil([&] { return w.Messages() == 1; }, kDecodeWait));
    EXPECT_EQ(E_FAIL, Load(w, gated));  // a new request
}

}  // namespace
}  // namespace thumbctl::cache
