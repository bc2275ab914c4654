// VelmoraWic.spi loaded as a host loads it. Pictures are made at test time, by
// WIC's encoders or byte by byte where Wine's cannot (CMYK and 16-bit TIFF, Exif).
#include <gtest/gtest.h>
#include <wincodec.h>

#include <cstring>
#include <functional>
#include <vector>

#include "framework/com/com_ptr.h"
#include "framework/win/handles.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "tests/support/test_files.h"
#include "tests/support/wic_encode.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/wic/page_toucher.h"
#include "thumbctl/wic/plugin_abi.h"

namespace thumbctl::wic {
namespace {

using testing_support::EncodeWithWic;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

struct Plugin {
    fw::UniqueModule module{LoadLibraryA(cache_test::BesideProgram("VelmoraWic.spi").c_str())};
    template <typename F>
    F Get(const char* name) const
    {
        return reinterpret_cast<F>(GetProcAddress(module.get(), name));
    }
    GetPluginInfoFunction info = Get<GetPluginInfoFunction>("GetPluginInfo");
    IsSupportedFunction supported = Get<IsSupportedFunction>("IsSupported");
    GetPictureInfoFunction pictureInfo = Get<GetPictureInfoFunction>("GetPictureInfo");
    GetPictureFunction picture = Get<GetPictureFunction>("GetPicture");
};
const Plugin& P()
{
    static const Plugin plugin;
    return plugin;
}

uint32_t Quadrant(UINT x, UINT y, UINT w, UINT h)
{
    return y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kWhite);
}
uint32_t Noise(UINT x, UINT y)
{
    return (x * 2654435761u ^ y * 40503u) * 2246822519u >> 8;
}
std::string Le(uint64_t v, int bytes)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(v >> (8 * i));
    return s;
}

// Uncompressed TIFF, one strip: photometric 2 (RGB) or 5 (CMYK), orientation tag unless 0.
std::string Tiff(UINT w, UINT h, unsigned samples, unsigned bits, unsigned photometric, unsigned orientation,
                 const std::string& pixels)
{
    const unsigned entries = orientation ? 11 : 10;
    const unsigned bitsAt = 14 + entries * 12;
    // clang-format off
    const unsigned tags[] = {256, 4, w, 257, 4, h, 258, 3, bitsAt, 259, 3, 1, 262, 3, photometric,
                             273, 4, bitsAt + samples * 2, 274, 3, orientation, 277, 3, samples, 278, 4, h,
                             279, 4, w * h * samples * bits / 8, 284, 3, 1};  // tag, type, value
    // clang-format on
    std::string s = "II" + Le(42, 2) + Le(8, 4) + Le(entries, 2);
    for (const unsigned* t = tags; t < tags + std::size(tags); t += 3) {
        if (t[0] != 274 || orientation)
            s += Le(t[0], 2) + Le(t[1], 2) + Le(t[0] == 258 ? samples : 1, 4) + Le(t[2], 4);
    }
    s += Le(0, 4);
    for (unsigned i = 0; i < samples; ++i)
        s += Le(bits, 2);
    return s + pixels;
}

std::string WithExif(const std::string& jpeg, int orientation)
{
    const std::string tiff = "II" + Le(42, 2) + Le(8, 4) + Le(1, 2) + Le(0x112, 2) + Le(3, 2) + Le(1, 4) +
                             Le(orientation, 4) + Le(0, 4);
    return jpeg.substr(0, 2) + "\xFF\xE1" + static_cast<char>((tiff.size() + 8) >> 8) +
           static_cast<char>(tiff.size() + 8) + std::string("Exif\0\0", 6) + tiff + jpeg.substr(2);
}

struct Decoded {
    int code = -1;
    bool nothingHandedOver = true;
    LONG width = 0;
    LONG height = 0;
    std::vector<uint32_t> rgb;  // top-down
    uint32_t At(LONG x, LONG y) const { return rgb.at(static_cast<size_t>(y * width + x)); }
};

// GetPicture's blocks, checked as the library checks them, read and freed.
Decoded Decode(LPCSTR buf, LONG_PTR len, unsigned flag, ProgressCallback progress = nullptr,
               LONG_PTR data = 0)
{
    HANDLE info = nullptr, bits = nullptr;
    Decoded d;
    d.code = P().picture(buf, len, flag, &info, &bits, progress, data);
    d.nothingHandedOver = !info && !bits;
    if (d.code != kOk || !info || !bits)
        return d;
    const auto* h = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
    const auto* p = static_cast<const uint8_t*>(LocalLock(bits));
    EXPECT_TRUE(cache::PackedDibFits(*h, LocalSize(info), LocalSize(bits)));
    EXPECT_EQ(32, h->biBitCount);
    EXPECT_GT(h->biHeight, 0);  // bottom-up
    d.width = h->biWidth;
    d.height = h->biHeight;
    for (LONG y = d.height - 1; y >= 0; --y)
        for (const uint8_t* px = p + y * d.width * 4; px < p + (y + 1) * d.width * 4; px += 4)
            d.rgb.push_back(px[2] << 16 | px[1] << 8 | px[0]);
    LocalUnlock(info);
    LocalUnlock(bits);
    LocalFree(info);
    LocalFree(bits);
    return d;
}
Decoded FromMemory(const std::string& bytes, ProgressCallback progress = nullptr, LONG_PTR data = 0)
{
    return Decode(bytes.data(), static_cast<LONG_PTR>(bytes.size()), kMemoryInput, progress, data);
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > tolerance)
            return false;
    return true;
}

class WicPluginTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(P().info && P().supported && P().pictureInfo && P().picture); }
    fw::com::CoInitScope com_;
    testing_support::TestFiles files_;
};

TEST_F(WicPluginTest, PluginInfoAnswersByNumber)
{
    char text[256];
    EXPECT_EQ(4, P().info(0, text, sizeof text));
    EXPECT_STREQ("00IN", text);
    std::string all;
    for (int n = 1; n < 200 && P().info(n, text, sizeof text) > 0; ++n)
        all += std::string(text) + "|";
    EXPECT_NE(std::string::npos, all.find("|*.png|PNG"));  // a pattern, then its description
    EXPECT_EQ(2, P().info(0, text, 3));                    // cut to fit, terminated
    EXPECT_STREQ("00", text);
}

TEST_F(WicPluginTest, FormatsDecodeToTheirSizeAndColoursFromFilesOrMemory)
{
    const auto q = [](UINT w, UINT h) { return [=](UINT x, UINT y) { return Quadrant(x, y, w, h); }; };
    // Half-transparent blue, transparent, red; 16-bit: orange, transparent, half-transparent blue.
    const std::vector<uint8_t> bgra = {255, 0, 0, 128, 9, 9, 9, 0, 0, 0, 255, 255};
    std::vector<uint8_t> rgba64(24, 0);
    for (int i : {0, 1, 2, 3, 6, 7, 20, 21, 22, 23})
        rgba64[i] = i == 2 || i == 3 || i == 22 || i == 23 ? 128 : 255;
    const std::string cmyk("\xFF\0\0\0\0\xFF\0\0\0\0\xFF\0\0\0\0\xFF\0\0\0\0\0\0\0\x80", 24);
    const std::string rgb48 = Le(0xFFFF, 2) + Le(0, 6) + Le(0xFFFF, 2) + Le(0, 6) + Le(0x8000, 2);
    const std::string gif =
        EncodeWithWic(GUID_ContainerFormatGif, 4, 1, nullptr, GUID_WICPixelFormat8bppIndexed, {3, 2, 1, 0});
    const std::string png32 =
        EncodeWithWic(GUID_ContainerFormatPng, 3, 1, nullptr, GUID_WICPixelFormat32bppBGRA, bgra);
    const std::string png64 =
        EncodeWithWic(GUID_ContainerFormatPng, 3, 1, nullptr, GUID_WICPixelFormat64bppRGBA, rgba64);
    const struct {
        const char* name;
        std::string bytes;
        LONG width, height;
        SHORT depth;
        std::vector<uint32_t> rgb;  // one row; empty: quadrants
        int tolerance;
    } cases[] = {
        {"BMP, 5 wide (padded rows)", EncodeWithWic(GUID_ContainerFormatBmp, 5, 4, q(5, 4)), 5, 4, 24, {}, 0},
        {"PNG", EncodeWithWic(GUID_ContainerFormatPng, 6, 4, q(6, 4)), 6, 4, 24, {}, 0},
        {"TIFF", EncodeWithWic(GUID_ContainerFormatTiff, 6, 4, q(6, 4)), 6, 4, 24, {}, 0},
        {"GIF", gif, 4, 1, 8, {kWhite, kBlue, kGreen, kRed}, 0},
        {"PNG with alpha, on white", png32, 3, 1, 32, {0x7F7FFF, kWhite, kRed}, 2},
        {"16-bit PNG", png64, 3, 1, 64, {0xFF8000, kWhite, 0x7F7FFF}, 2},
        {"16-bit TIFF", Tiff(3, 1, 3, 16, 2, 0, rgb48), 3, 1, 48, {kRed, kGreen, 0x000080}, 1},
        {"JPEG", EncodeWithWic(GUID_ContainerFormatJpeg, 16, 16, [](UINT, UINT) { return kRed; }), 16, 16, 24,
         std::vector<uint32_t>(16, kRed), 6},
        {"grey JPEG",
         EncodeWithWic(GUID_ContainerFormatJpeg, 8, 1, nullptr, GUID_WICPixelFormat8bppGray,
                       std::vector<uint8_t>(8, 0x80)),
         8, 1, 8, std::vector<uint32_t>(8, 0x808080), 2},
        {"CMYK TIFF",
         Tiff(6, 1, 4, 8, 5, 0, cmyk),
         6,
         1,
         32,
         {0x00FFFF, 0xFF00FF, 0xFFFF00, 0, kWhite, 0x7F7F7F},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        const std::string path = files_.AddFile("picture", c.bytes);
        // Past the first 64 KB: file views begin at such boundaries only.
        constexpr size_t kOffset = 65536 + 100;
        const std::string inside = files_.AddFile("inside", std::string(kOffset, 'x') + c.bytes);
        const Decoded d = Decode(path.c_str(), 0, kFileInput);
        ASSERT_EQ(kOk, d.code);
        ASSERT_EQ(c.width, d.width);
        ASSERT_EQ(c.height, d.height);
        for (LONG y = 0; y < d.height; ++y) {
            for (LONG x = 0; x < d.width; ++x) {
                const uint32_t want = c.rgb.empty() ? Quadrant(x, y, c.width, c.height) : c.rgb[x];
                EXPECT_PRED3(Near, want, d.At(x, y), c.tolerance) << x << "," << y;
            }
        }
        EXPECT_EQ(d.rgb, FromMemory(c.bytes).rgb);
        EXPECT_EQ(d.rgb, Decode(inside.c_str(), kOffset, kFileInput).rgb);
        PictureInfo info;
        ASSERT_EQ(kOk, P().pictureInfo(path.c_str(), 0, kFileInput, &info));
        EXPECT_EQ(c.width, info.width);
        EXPECT_EQ(c.height, info.height);
        EXPECT_EQ(c.depth, info.colorDepth);
    }
}

TEST_F(WicPluginTest, OrientationTagsTurnThePictureUpright)
{
    // Upright quadrants (top left, top right, bottom left, bottom right) of a picture stored R G / B W.
    const uint32_t R = kRed, G = kGreen, B = kBlue, W = kWhite;
    const uint32_t upright[8][4] = {{R, G, B, W}, {G, R, W, B}, {W, B, G, R}, {B, W, R, G},
                                    {R, B, G, W}, {B, R, W, G}, {W, G, B, R}, {G, W, R, B}};
    const std::string jpeg = EncodeWithWic(GUID_ContainerFormatJpeg, 64, 32,
                                           [](UINT x, UINT y) { return Quadrant(x, y, 64, 32); });
    std::string rgb;
    for (UINT i = 0; i < 64 * 32; ++i) {
        const uint32_t c = Quadrant(i % 64, i / 64, 64, 32);
        rgb += {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
    }
    for (int o = 0; o <= 9; ++o) {  // 0 and 9: no valid tag, as stored
        const std::string tiff = Tiff(64, 32, 3, 8, 2, o, rgb);
        const bool turned = o >= 5 && o <= 8;
        for (const std::string& bytes : {WithExif(jpeg, o), tiff}) {
            SCOPED_TRACE(testing::Message() << "orientation " << o << (bytes == tiff ? " TIFF" : " JPEG"));
            const Decoded d = FromMemory(bytes);
            ASSERT_EQ(kOk, d.code);
            ASSERT_EQ(turned ? 32 : 64, d.width);
            ASSERT_EQ(turned ? 64 : 32, d.height);
            const LONG x0 = d.width / 4, x1 = d.width * 3 / 4, y0 = d.height / 4, y1 = d.height * 3 / 4;
            const uint32_t seen[4] = {d.At(x0, y0), d.At(x1, y0), d.At(x0, y1), d.At(x1, y1)};
            for (int i = 0; i < 4; ++i)
                EXPECT_PRED3(Near, upright[o >= 1 && o <= 8 ? o - 1 : 0][i], seen[i], 40) << "quadrant " << i;
            PictureInfo info = {};
            ASSERT_EQ(
                kOk, P().pictureInfo(bytes.data(), static_cast<LONG_PTR>(bytes.size()), kMemoryInput, &info));
            EXPECT_EQ(d.width, info.width);
            EXPECT_EQ(d.height, info.height);
        }
    }
}

TEST_F(WicPluginTest, BrokenFilesFailWithNothingHandedOver)
{
    const struct {
        GUID container;
        size_t signature;  // bytes kept before the junk
    } formats[] = {{GUID_ContainerFormatBmp, 2},
                   {GUID_ContainerFormatPng, 8},
                   {GUID_ContainerFormatGif, 6},
                   {GUID_ContainerFormatTiff, 4},
                   {GUID_ContainerFormatJpeg, 3}};
    for (const auto& f : formats) {
        const std::string good =
            f.container == GUID_ContainerFormatGif
                ? EncodeWithWic(f.container, 64, 64, nullptr, GUID_WICPixelFormat8bppIndexed,
                                std::vector<uint8_t>(64 * 64, 1))
                : EncodeWithWic(f.container, 64, 64, Noise);
        ASSERT_FALSE(good.empty());
        const std::string junk = good.substr(0, f.signature) + std::string(good.size() - f.signature, 'Z');
        for (const std::string& bytes : {good.substr(0, good.size() / 2), junk}) {
            SCOPED_TRACE(good.substr(0, 4) + (bytes == junk ? " junk" : " cut in half"));
            const std::string path = files_.AddFile("broken", bytes);
            for (const Decoded& d : {FromMemory(bytes), Decode(path.c_str(), 0, kFileInput)}) {
                EXPECT_NE(kOk, d.code);
                EXPECT_TRUE(d.nothingHandedOver);
            }
        }
    }
    // A header of 100000 x 100000 pixels: more than one block may hold.
    const std::string huge = "BM" + Le(54, 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(100000, 4) +
                             Le(100000, 4) + Le(1, 2) + Le(24, 2) + Le(0, 24);
    const std::string missing = files_.Path("missing.png"), empty = files_.AddFile("empty.png", "");
    for (const auto& [d, code] : {std::pair{Decode(missing.c_str(), 0, kFileInput), kReadError},
                                  {Decode(empty.c_str(), 0, kFileInput), kUnknownFormat},
                                  {FromMemory("just some text, no picture at all"), kUnknownFormat},
                                  {FromMemory(huge), kOutOfMemory}}) {
        EXPECT_EQ(code, d.code);
        EXPECT_TRUE(d.nothingHandedOver);
    }
}

// Committed private memory of the process: a leaked picture block shows here.
size_t CommittedBytes()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION m;
    const char* at = nullptr;
    for (int i = 0; i < 1000000 && VirtualQuery(at, &m, sizeof m) == sizeof m; ++i) {
        total += m.State == MEM_COMMIT && m.Type == MEM_PRIVATE ? m.RegionSize : 0;
        const char* next = static_cast<const char*>(m.BaseAddress) + m.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

int CALLBACK StopAt(int done, int total, LONG_PTR data)
{
    return done == (data < 0 ? total : static_cast<int>(data));  // -1: at the last rows
}

TEST_F(WicPluginTest, DecodesEndedLateLeaveNoBlocksBehind)
{
    // 3 MB of pixels each; the blocks exist by the time these end.
    const std::string png =
        EncodeWithWic(GUID_ContainerFormatPng, 1024, 1024, [](UINT, UINT) { return kBlue; });
    const std::string cut = Tiff(1024, 1024, 3, 8, 2, 0, std::string(1024 * 512 * 3, '\x40'));
    const std::string jpeg = EncodeWithWic(GUID_ContainerFormatJpeg, 1024, 1024, Noise);
    const struct {
        const char* name;
        std::function<Decoded()> decode;
        int code;
    } cases[] = {
        {"cancelled before the first rows", [&] { return FromMemory(png, &StopAt, 0); }, kCancelled},
        {"cancelled after the last rows", [&] { return FromMemory(png, &StopAt, -1); }, kCancelled},
        {"pixels cut short", [&] { return FromMemory(cut); }, kBrokenData},
        {"JPEG cancelled before the first rows", [&] { return FromMemory(jpeg, &StopAt, 0); }, kCancelled},
        {"JPEG cancelled after the last rows", [&] { return FromMemory(jpeg, &StopAt, -1); }, kCancelled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.code, c.decode().code);  // settles whatever WIC keeps
        const size_t before = CommittedBytes();
        for (int i = 0; i < 8; ++i) {
            const Decoded d = c.decode();
            EXPECT_EQ(c.code, d.code);
            EXPECT_TRUE(d.nothingHandedOver);
        }
        EXPECT_LT(CommittedBytes(), before + (6u << 20));
    }
}

TEST(PageToucherTest, PagesKeepWhatTheWriterPutThere)
{
    // The writer goes up through a fresh block while the toucher goes down it, or up
    // alongside: the two meet on pages either may reach first.
    constexpr size_t kSize = 32u << 20, kPage = 4096;
    for (bool downward : {true, false}) {
        SCOPED_TRACE(downward ? "toucher going down" : "toucher going up");
        auto* block =
            static_cast<uint8_t*>(VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        ASSERT_NE(nullptr, block);
        {
            const PageToucher toucher(block, kSize, downward);
            for (size_t at = 0; at < kSize; at += kPage)
                memset(block + at, static_cast<int>(1 + at / kPage % 255), kPage);
        }
        size_t wrong = 0;
        for (size_t at = 0; at < kSize; ++at)
            wrong += block[at] != 1 + at / kPage % 255;
        EXPECT_EQ(0u, wrong);
        VirtualFree(block, 0, MEM_RELEASE);
    }
}

TEST_F(WicPluginTest, IsSupportedReadsTheHeaderFromABufferOrAFileHandle)
{
    const struct {
        std::string bytes;
        int supported;
    } cases[] = {{EncodeWithWic(GUID_ContainerFormatPng, 2, 2, Noise), 1},
                 {EncodeWithWic(GUID_ContainerFormatJpeg, 2, 2, Noise), 1},
                 {Tiff(1, 1, 3, 8, 2, 0, "abc"), 1},
                 {"no picture here", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 4));
        std::string header = c.bytes;
        header.resize(2048, '\0');
        EXPECT_EQ(c.supported, P().supported("x", header.data()));
        const std::string path = files_.AddFile("h", c.bytes);
        fw::UniqueHandle file(
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(c.supported, P().supported(path.c_str(), file.get()));
        EXPECT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT));  // put back
    }
}

DWORD WINAPI DecodeInApartment(void* model)
{
    const auto m = static_cast<DWORD>(reinterpret_cast<uintptr_t>(model));
    const bool none = m == MAXDWORD;
    if (!none)
        CoInitializeEx(nullptr, m);
    const int code = FromMemory(EncodeWithWic(GUID_ContainerFormatPng, 4, 4, Noise)).code;
    // The thread is left as it was: in its apartment, or in none.
    const HRESULT after = CoInitializeEx(nullptr, none ? DWORD{COINIT_APARTMENTTHREADED} : m);
    if (SUCCEEDED(after))
        CoUninitialize();
    if (!none)
        CoUninitialize();
    return code == kOk && after == (none ? S_OK : S_FALSE);
}

TEST_F(WicPluginTest, ThreadsInAnyApartmentOrNoneCanDecode)
{
    for (DWORD model : {DWORD{MAXDWORD}, DWORD{COINIT_MULTITHREADED}, DWORD{COINIT_APARTMENTTHREADED}}) {
        fw::UniqueHandle thread(CreateThread(nullptr, 0, &DecodeInApartment,
                                             reinterpret_cast<void*>(uintptr_t{model}), 0, nullptr));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), 30000));
        DWORD ok = 0;
        GetExitCodeThread(thread.get(), &ok);
        EXPECT_EQ(1u, ok) << "model " << model;
    }
}

TEST_F(WicPluginTest, TheLibraryTakesThePluginsPicture)
{
    const std::string path = files_.AddFile(
        "q.png",
        EncodeWithWic(GUID_ContainerFormatPng, 6, 4, [](UINT x, UINT y) { return Quadrant(x, y, 6, 4); }));
    cache::DecodeResult r = cache::DecodeWithPlugin(cache_test::BesideProgram("VelmoraWic.spi"), path);
    ASSERT_EQ(cache::EntryState::kReadyBitmap, r.state);
    uintptr_t handle = 0;
    ASSERT_TRUE(r.picture->BitmapHandle(handle));
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), 6, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    uint32_t pixels[24] = {};
    const HDC dc = GetDC(nullptr);
    ASSERT_EQ(4, GetDIBits(dc, reinterpret_cast<HBITMAP>(handle), 0, 4, pixels, &bi, DIB_RGB_COLORS));
    ReleaseDC(nullptr, dc);
    for (UINT i = 0; i < 24; ++i)
        EXPECT_EQ(Quadrant(i % 6, i / 6, 6, 4), pixels[i] & 0xFFFFFF) << i;
}

}  // namespace
}  // namespace thumbctl::wic
