// The decoders on their own: the plug-in variants, broken plug-in results, the
// crash guard and the settings file read through the C library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com/module.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/test_files.h"
#include "thumbctl/cache/crash_guard.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/server/library_settings_win32.h"

namespace thumbctl::cache {
namespace {

bool Loaded(const std::string& dll)
{
    return GetModuleHandleA(dll.c_str()) != nullptr;
}

struct PluginCase {
    const char* plugin;
    std::string image;
    bool decodes;
};

TEST(PluginDecoderTest, RequiredExportsResultsAndHandlesDecideTheDecode)
{
    testing_support::TestFiles files;
    const std::string image = files.AddFile("p.vtp", cache_test::Vtp(3, 2));
    std::vector<PluginCase> cases = {
        {"vtest_good.spi", image, true},
        {"vtest_noinfo.spi", image, true},        // GetPluginInfo may be missing
        {"vtest_nosupported.spi", image, false},  // IsSupported must not
        {"vtest_error.spi", image, false},
        {"no_such_plugin.spi", image, false},
    };
    // Malformed handles of every kind fail without harm.
    for (char kind : std::string("abcdefghiz"))
        cases.push_back(
            {"vtest_malformed.spi",
             files.AddFile(std::string("m") + kind + ".vtp", std::string("VTPM") + kind + "0000000"), false});
    for (const PluginCase& c : cases) {
        SCOPED_TRACE(std::string(c.plugin) + " " + c.image);
        std::string dll = cache_test::BesideProgram(c.plugin);
        DecodeResult r = DecodeWithPlugin(dll, c.image);
        EXPECT_EQ(c.decodes, Loaded(dll));  // a picture keeps its plug-in until the result lets go
        r.leftovers.reset();
        EXPECT_FALSE(Loaded(dll));
        if (!c.decodes) {
            EXPECT_EQ(EntryState::kFailed, r.state);
            EXPECT_EQ(nullptr, r.picture);
            continue;
        }
        ASSERT_EQ(EntryState::kReadyBitmap, r.state);
        uintptr_t handle = 0;
        ASSERT_TRUE(r.picture->BitmapHandle(handle));
        BITMAP info = {};
        ASSERT_EQ(static_cast<int>(sizeof info),
                  GetObjectA(reinterpret_cast<HBITMAP>(handle), sizeof info, &info));
        EXPECT_EQ(3, info.bmWidth);
        EXPECT_EQ(2, info.bmHeight);
    }
}

TEST(PluginDecoderTest, RelativePluginPathsAreFoundBesideTheLibrary)
{
    testing_support::TestFiles files;
    files.AddFile("lib\\x.spi", "x");
    files.AddFile("lib\\sub\\y.spi", "y");
    const std::string lib = files.Root() + "\\lib\\";
    const std::string library = lib + "\x95\x5C.dll";  // its trail byte is no separator
    const struct {
        std::string value;
        std::string expected;
    } cases[] = {
        {"x.spi", lib + "x.spi"},
        {"sub\\y.spi", lib + "sub\\y.spi"},
        {"missing.spi", "missing.spi"},  // left to LoadLibraryA's search
        {"sub", "sub"},                  // a folder is no plug-in
        {lib + "x.spi", lib + "x.spi"},
        {"\\x.spi", "\\x.spi"},
        {"C:x.spi", "C:x.spi"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, PluginFileFor(c.value, library)) << c.value;
}

TEST(PluginDecoderTest, AccessViolationInThePluginShowsTheCrashMessage)
{
    testing_support::TestFiles files;
    testing_support::ScriptedPrompts prompts;
    prompts.Answer(fw::kIdOk);
    std::string image = files.AddFile("\x95\x5C.vtp", cache_test::Vtp(2, 2));
    std::string dll = cache_test::BesideProgram("vtest_crash.spi");
    for (int round = 0; round < 2; ++round) {
        if (round == 1)
            prompts.Answer(fw::kIdOk);
        DecodeResult r = DecodeWithPlugin(dll, image);
        EXPECT_EQ(EntryState::kFailed, r.state);
        EXPECT_FALSE(Loaded(dll));
    }
    ASSERT_EQ(2u, prompts.Count());
    EXPECT_EQ(
        L"SUSIEプラグイン使用中に、不正なメモリアクセスがありました。\r\n"
        L"VelmoraThumbCtlは、この例外をキャッチしましたが、プログラムの継続に支障をきたす場合があります。\r\n"
        L"すみやかに終了することをお勧めします。\r\n"
        L"このエラーは画像の破損によるものの可能性が高いため、画像エディタ等で修正してください。\r\n"
        L"ファイル名:" +
            std::wstring(files.Root().begin(), files.Root().end()) + L"\\表.vtp",
        prompts.Last().text);
    EXPECT_EQ(L"", prompts.Last().caption);
    EXPECT_EQ(0x2010u, prompts.Last().flags);
}

struct DibCase {
    const char* name;
    DWORD size;
    LONG width;
    LONG height;
    WORD planes;
    WORD bits;
    DWORD compression;
    DWORD clrUsed;
    size_t infoBytes;
    size_t bitsBytes;
    bool fits;
};

TEST(PluginDecoderTest, PackedDibMustFitItsBlocks)
{
    const DibCase cases[] = {
        {"24-bit 3x2, rows padded to 12 bytes", 40, 3, 2, 1, 24, BI_RGB, 0, 40, 24, true},
        {"24-bit 3x2 top-down", 40, 3, -2, 1, 24, BI_RGB, 0, 40, 24, true},
        {"pixels one byte short", 40, 3, 2, 1, 24, BI_RGB, 0, 40, 23, false},
        {"8-bit with full table", 40, 4, 4, 1, 8, BI_RGB, 0, 40 + 1024, 16, true},
        {"8-bit without table", 40, 4, 4, 1, 8, BI_RGB, 0, 40, 16, false},
        {"8-bit with 2 colours", 40, 4, 4, 1, 8, BI_RGB, 2, 48, 16, true},
        {"more colours than bits allow", 40, 4, 4, 1, 1, BI_RGB, 3, 40 + 12, 16, false},
        {"1-bit 33 wide", 40, 33, 1, 1, 1, BI_RGB, 0, 48, 8, true},
        {"bit fields with masks", 40, 2, 2, 1, 16, BI_BITFIELDS, 0, 52, 8, true},
        {"bit fields without masks", 40, 2, 2, 1, 16, BI_BITFIELDS, 0, 40, 8, false},
        {"bit fields at 24 bits", 40, 2, 2, 1, 24, BI_BITFIELDS, 0, 52, 16, false},
        {"run-length coded", 40, 2, 2, 1, 8, BI_RLE8, 0, 1064, 16, false},
        {"core header", 12, 2, 2, 1, 24, BI_RGB, 0, 40, 16, false},
        {"header larger than block", 124, 2, 2, 1, 24, BI_RGB, 0, 100, 16, false},
        {"V5 header", 124, 2, 2, 1, 32, BI_RGB, 0, 124, 16, true},
        {"zero width", 40, 0, 2, 1, 24, BI_RGB, 0, 40, 16, false},
        {"negative width", 40, -2, 2, 1, 24, BI_RGB, 0, 40, 16, false},
        {"zero height", 40, 2, 0, 1, 24, BI_RGB, 0, 40, 16, false},
        {"most negative height", 40, 2, INT32_MIN, 1, 24, BI_RGB, 0, 40, 16, false},
        {"two planes", 40, 2, 2, 2, 24, BI_RGB, 0, 40, 16, false},
        {"huge dimensions", 40, 0x7FFFFFFF, 0x7FFFFFFF, 1, 32, BI_RGB, 0, 40, 1 << 20, false},
    };
    for (const DibCase& c : cases) {
        SCOPED_TRACE(c.name);
        BITMAPINFOHEADER h = {};
        h.biSize = c.size;
        h.biWidth = c.width;
        h.biHeight = c.height;
        h.biPlanes = c.planes;
        h.biBitCount = c.bits;
        h.biCompression = c.compression;
        h.biClrUsed = c.clrUsed;
        EXPECT_EQ(c.fits, PackedDibFits(h, c.infoBytes, c.bitsBytes));
    }
}

TEST(OleDecoderTest, UnreadableOrEmptyFilesFail)
{
    testing_support::TestFiles files;
    EXPECT_EQ(EntryState::kFailed, DecodeWithOle(files.Path("missing.jpg")).state);
    EXPECT_EQ(EntryState::kFailed, DecodeWithOle(files.AddFile("empty.jpg", "")).state);
    EXPECT_EQ(EntryState::kFailed, DecodeWithOle(files.AddFile("junk.jpg", std::string(100, 'j'))).state);
    EXPECT_EQ(EntryState::kReadyPicture, DecodeWithOle(files.AddFile("ok.jpg", cache_test::Jpeg())).state);
}

TEST(OleDecoderTest, FreeingAPictureFreesItsBitmap)
{
    testing_support::TestFiles files;
    for (const std::string& bytes : {cache_test::Bmp24(7, 5), cache_test::Jpeg()}) {
        DecodeResult r = DecodeWithOle(files.AddFile("f.img", bytes));
        ASSERT_EQ(EntryState::kReadyPicture, r.state);
        uintptr_t handle = 0;
        ASSERT_TRUE(r.picture->BitmapHandle(handle));
        auto bitmap = reinterpret_cast<HGDIOBJ>(handle);
        EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(bitmap)));
        r.picture.reset();
        EXPECT_EQ(0u, GetObjectType(bitmap));
    }
}

TEST(CrashGuardTest, AccessViolationEndsOnlyTheGuardedCall)
{
    int reached = 0;
    for (int round = 0; round < 3; ++round) {
        auto faulty = [&] {
            ++reached;
            volatile int* nowhere = nullptr;
            *nowhere = round;
            reached += 100;
        };
        EXPECT_FALSE(CallGuarded(faulty));
    }
    EXPECT_EQ(3, reached);
    int value = 0;
    auto fine = [&] { value = 42; };
    EXPECT_TRUE(CallGuarded(fine));
    EXPECT_EQ(42, value);
}

TEST(CrashGuardTest, NestedGuardsCatchAtTheInnermostCall)
{
    bool innerCaught = false;
    bool afterInner = false;
    auto outer = [&] {
        auto inner = [] {
            volatile int* nowhere = nullptr;
            *nowhere = 1;
        };
        innerCaught = !CallGuarded(inner);
        afterInner = true;
    };
    EXPECT_TRUE(CallGuarded(outer));
    EXPECT_TRUE(innerCaught);
    EXPECT_TRUE(afterInner);
}

DWORD WINAPI FaultGuarded(void* caught)
{
    auto fault = [] {
        volatile int* nowhere = nullptr;
        *nowhere = 2;
    };
    *static_cast<bool*>(caught) = !CallGuarded(fault);
    return 0;
}

TEST(CrashGuardTest, OtherThreadsFaultsAreNotTaken)
{
    // A fault on another thread that has its own guard is caught there, while
    // this thread's guard stays armed and untouched.
    bool otherCaught = false;
    auto here = [&] {
        HANDLE t = CreateThread(nullptr, 0, &FaultGuarded, &otherCaught, 0, nullptr);
        WaitForSingleObject(t, 10000);
        CloseHandle(t);
    };
    EXPECT_TRUE(CallGuarded(here));
    EXPECT_TRUE(otherCaught);
}

struct StuckCall {
    HANDLE inside;
    HANDLE never;
};

DWORD WINAPI HangGuarded(void* p)
{
    auto* call = static_cast<StuckCall*>(p);
    auto hang = [call] {
        SetEvent(call->inside);
        WaitForSingleObject(call->never, INFINITE);
    };
    CallGuarded(hang);
    return 0;
}

TEST(CrashGuardTest, ACallEndedByThreadTerminationKeepsTheLibraryLoaded)
{
    // A finished call leaves nothing behind; a loader terminated inside a hanging
    // plug-in leaves its handler registered, and the library must then stay loaded.
    const long before = fw::com::Module::Locks();
    auto fine = [] {};
    EXPECT_TRUE(CallGuarded(fine));
    EXPECT_EQ(before, fw::com::Module::Locks());

    StuckCall call{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE t = CreateThread(nullptr, 0, &HangGuarded, &call, 0, nullptr);
    ASSERT_NE(nullptr, t);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(call.inside, 10000));
    EXPECT_EQ(S_FALSE, fw::com::Module::CanUnloadNow());
    TerminateThread(t, 0xFFFFFFFF);
    WaitForSingleObject(t, 10000);
    CloseHandle(t);
    EXPECT_EQ(before + 1, fw::com::Module::Locks());
    EXPECT_EQ(S_FALSE, fw::com::Module::CanUnloadNow());
    CloseHandle(call.inside);
    CloseHandle(call.never);
}

TEST(SettingsFileTest, ReadsTheFileInTextMode)
{
    testing_support::TestFiles files;
    std::string path =
        files.AddFile("VelmoraThumbCtl.ini",
                      "; settings\r\ncachesize=20\r\n  png = x.spi\r\nbufferingsize=3 \r\nVTP=v.spi\r\n");
    LibrarySettings s = ReadSettingsFile(path);
    EXPECT_EQ(20, s.CacheSize());
    EXPECT_EQ(3, s.BufferingSize());
    ASSERT_EQ(4u, s.RecordCount());
    EXPECT_EQ("  png", s.Record(1).key);
    EXPECT_EQ("x.spi", s.Record(1).value);
    EXPECT_EQ("v.spi", s.DecoderFor("C:\\a.vtp", fw::SystemCodePage()).pluginPath);
    EXPECT_EQ("*.jpeg;*.jpg;*.gif;*.bmp;*.  png;*.VTP", s.FilterText());

    LibrarySettings none = ReadSettingsFile(files.Path("none.ini"));
    EXPECT_EQ(8, none.CacheSize());
    EXPECT_EQ(2, none.BufferingSize());
    EXPECT_EQ(0u, none.RecordCount());
}

}  // namespace
}  // namespace thumbctl::cache
