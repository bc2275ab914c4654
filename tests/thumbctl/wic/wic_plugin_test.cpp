// VelmoraWic.spi loaded as a host loads it. Pictures are made at test time by WIC's
// encoders, Exif segments byte by byte; WebP, HEIF, AVIF and RAW files at build time
// (make-pictures.sh) beside their decodes by the libraries' own tools.
#include <gtest/gtest.h>
#include <wincodec.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <iterator>
#include <tuple>
#include <vector>

#include "framework/com/com_ptr.h"
#include "framework/win/handles.h"
#include "tests/support/test_files.h"
#include "tests/support/wic_encode.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/wic/plugin_abi.h"

namespace thumbctl::wic {
namespace {

using testing_support::EncodeWithWic;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

struct Plugin {
    fw::UniqueModule module{LoadLibraryA(cache_test::BesideProgram("VelmoraWic.spi").c_str())};
    FARPROC Get(const char* name) const { return GetProcAddress(module.get(), name); }
    GetPictureInfoFunction pictureInfo = reinterpret_cast<GetPictureInfoFunction>(Get("GetPictureInfo"));
    GetPictureFunction picture = reinterpret_cast<GetPictureFunction>(Get("GetPicture"));
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
std::string Le(uint64_t v, int bytes)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(v >> (8 * i));
    return s;
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
    LONG width = 0, height = 0;
    std::vector<uint32_t> rgb;  // top-down
    uint32_t At(LONG x, LONG y) const { return rgb.at(static_cast<size_t>(y * width + x)); }
};

// GetPicture's blocks, checked as the library checks them, read and freed.
Decoded Decode(LPCSTR buf, LONG_PTR len, unsigned flag)
{
    HANDLE info = nullptr, bits = nullptr;
    Decoded d;
    d.code = P().picture(buf, len, flag, &info, &bits, nullptr, 0);
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
Decoded FromMemory(const std::string& bytes)
{
    return Decode(bytes.data(), static_cast<LONG_PTR>(bytes.size()), kMemoryInput);
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
    void SetUp() override { ASSERT_TRUE(P().pictureInfo && P().picture); }
    fw::com::CoInitScope com_;
    testing_support::TestFiles files_;
};

TEST_F(WicPluginTest, FormatsDecodeToTheirSizeAndColoursFromFilesOrMemory)
{
    // Rows as decoded (BMP), composed on white (PNG with alpha: half-transparent blue,
    // transparent, red), and from libjpeg-turbo (JPEG).
    const std::vector<uint8_t> bgra = {255, 0, 0, 128, 9, 9, 9, 0, 0, 0, 255, 255};
    const std::vector<uint8_t> grey(8, 128);
    const auto quadrants = [](UINT x, UINT y) { return Quadrant(x, y, 5, 4); };
    // The file; its width, height and depth, one row's colours (empty: quadrants) and their tolerance.
    const std::tuple<const char*, std::string, LONG, LONG, SHORT, std::vector<uint32_t>, int> cases[] = {
        // clang-format off
        {"BMP with padded rows", EncodeWithWic(GUID_ContainerFormatBmp, 5, 4, quadrants), 5, 4, 24, {}, 0},
        {"PNG with alpha",
         EncodeWithWic(GUID_ContainerFormatPng, 3, 1, nullptr, GUID_WICPixelFormat32bppBGRA, bgra),
         3, 1, 32, {0x7F7FFF, kWhite, kRed}, 2},
        {"grey JPEG",
         EncodeWithWic(GUID_ContainerFormatJpeg, 8, 1, nullptr, GUID_WICPixelFormat8bppGray, grey),
         8, 1, 8, std::vector<uint32_t>(8, 0x808080), 2},
        // clang-format on
    };
    for (const auto& [name, bytes, width, height, depth, rgb, tolerance] : cases) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(bytes.empty());
        const std::string path = files_.AddFile("picture", bytes);
        // Past the first 64 KB: file views begin at such boundaries only.
        constexpr size_t kOffset = 65536 + 100;
        const std::string inside = files_.AddFile("inside", std::string(kOffset, 'x') + bytes);
        const Decoded d = Decode(path.c_str(), 0, kFileInput);
        ASSERT_EQ(kOk, d.code);
        ASSERT_EQ(std::pair(width, height), std::pair(d.width, d.height));
        for (LONG y = 0; y < d.height; ++y)
            for (LONG x = 0; x < d.width; ++x)
                EXPECT_PRED3(Near, rgb.empty() ? Quadrant(x, y, width, height) : rgb[x], d.At(x, y),
                             tolerance)
                    << x << "," << y;
        EXPECT_EQ(d.rgb, FromMemory(bytes).rgb);
        EXPECT_EQ(d.rgb, Decode(inside.c_str(), kOffset, kFileInput).rgb);
        PictureInfo info;
        ASSERT_EQ(kOk, P().pictureInfo(path.c_str(), 0, kFileInput, &info));
        EXPECT_EQ(std::tuple(width, height, depth), std::tuple(info.width, info.height, info.colorDepth));
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
    for (int o = 0; o <= 9; ++o) {  // 0 and 9: no valid tag, as stored
        SCOPED_TRACE(testing::Message() << "orientation " << o);
        const bool turned = o >= 5 && o <= 8;
        const std::string bytes = WithExif(jpeg, o);
        const Decoded d = FromMemory(bytes);
        ASSERT_EQ(kOk, d.code);
        ASSERT_EQ(turned ? 32 : 64, d.width);
        ASSERT_EQ(turned ? 64 : 32, d.height);
        const LONG x0 = d.width / 4, x1 = d.width * 3 / 4, y0 = d.height / 4, y1 = d.height * 3 / 4;
        const uint32_t seen[4] = {d.At(x0, y0), d.At(x1, y0), d.At(x0, y1), d.At(x1, y1)};
        for (int i = 0; i < 4; ++i)
            EXPECT_PRED3(Near, upright[o >= 1 && o <= 8 ? o - 1 : 0][i], seen[i], 40) << "quadrant " << i;
        PictureInfo info = {};
        ASSERT_EQ(kOk,
                  P().pictureInfo(bytes.data(), static_cast<LONG_PTR>(bytes.size()), kMemoryInput, &info));
        EXPECT_EQ(d.width, info.width);
        EXPECT_EQ(d.height, info.height);
    }
}

std::string Picture(const std::string& name)
{
    return cache_test::BesideProgram("pictures\\" + name);
}
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A binary PPM: what another decoder made of the same file, transparency on white.
Decoded ReadPpm(const std::string& path)
{
    std::istringstream in(ReadAll(path));
    const auto number = [&in] {
        while (in >> std::ws && in.peek() == '#')
            in.ignore(1 << 16, '\n');
        long n = 0;
        in >> n;
        return n;
    };
    std::string magic;
    Decoded d;
    in >> magic;
    d.width = number();
    d.height = number();
    const long maximum = number();
    in.get();
    for (LONG i = 0; in && i < d.width * d.height; ++i) {
        uint8_t rgb[3] = {};
        in.read(reinterpret_cast<char*>(rgb), 3);
        d.rgb.push_back(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
    }
    d.code = magic == "P6" && maximum == 255 && in ? kOk : -1;
    return d;
}

TEST_F(WicPluginTest, CodecFilesDecodeAsTheLibrariesOwnToolsDecodeThem)
{
    // The file, and how far a channel may stray from its reference: another build of the
    // same library (libheif, libwebp's own reference decode, LibRaw), ImageMagick for the
    // JPEG previews and the composition on white.
    std::vector<std::pair<std::string, int>> cases = {
        // clang-format off
        {"example.heic", 2}, {"example.avif", 2}, {"colors-with-alpha.heic", 2},  // libheif's own files
        {"q10.heic", 2}, {"q12.avif", 2},                                        // 10 and 12 bits
        {"test.webp", 8},  // libwebp's own file and decode, which its upsampling has since refined
        {"alpha.webp", 1}, {"animated.webp", 0},                                 // the first frame
        {"developed.dng", 1},                                                    // no large preview
        // clang-format on
    };
    for (int o = 1; o <= 8; ++o) {
        cases.push_back({"turned" + std::to_string(o) + ".heic", 2});  // the container's rotation and mirror
        cases.push_back({"turned" + std::to_string(o) + ".dng", 1});  // the preview by the file's orientation
    }
    for (const auto& [name, tolerance] : cases) {
        SCOPED_TRACE(name);
        const Decoded reference = ReadPpm(Picture(name + ".ppm"));
        ASSERT_EQ(kOk, reference.code);
        const Decoded d = Decode(Picture(name).c_str(), 0, kFileInput);
        ASSERT_EQ(kOk, d.code);
        ASSERT_EQ(std::pair(reference.width, reference.height), std::pair(d.width, d.height));
        size_t wrong = 0;
        for (size_t i = 0; i < d.rgb.size(); ++i)
            wrong += Near(reference.rgb[i], d.rgb[i], tolerance) ? 0 : 1;
        EXPECT_EQ(0u, wrong);
        PictureInfo info = {};
        ASSERT_EQ(kOk, P().pictureInfo(Picture(name).c_str(), 0, kFileInput, &info));
        EXPECT_EQ(std::pair(d.width, d.height), std::pair(info.width, info.height));
    }
}

TEST_F(WicPluginTest, BrokenOrMislabelledFilesFailWithNothingHandedOverOrDecodeByTheirContent)
{
    const std::string png =
        EncodeWithWic(GUID_ContainerFormatPng, 64, 64, [](UINT x, UINT y) { return x * y; });
    // A header of 100000 x 100000 pixels: more than one block may hold.
    const std::string hugeBmp = "BM" + Le(54, 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(100000, 4) +
                                Le(100000, 4) + Le(1, 2) + Le(24, 2) + Le(0, 24);
    for (const auto& [d, code] :
         {std::pair<Decoded, int>{Decode(files_.Path("missing.png").c_str(), 0, kFileInput), kReadError},
          {FromMemory(png.substr(0, 8) + std::string(png.size(), 'Z')), -1},  // -1: any failure
          {FromMemory("just some text, no picture at all"), kUnknownFormat},
          {FromMemory(hugeBmp), kOutOfMemory}}) {
        EXPECT_TRUE(code < 0 ? d.code != kOk : d.code == code) << d.code;
        EXPECT_TRUE(d.nothingHandedOver);
    }
    const std::string heic = ReadAll(Picture("example.heic")), avif = ReadAll(Picture("example.avif"));
    const std::string webp = ReadAll(Picture("test.webp")), dng = ReadAll(Picture("turned1.dng"));
    // The primary picture's declared size made 100000 x 100000.
    std::string huge = heic;
    for (size_t at = huge.find("ispe"); at != std::string::npos; at = huge.find("ispe", at + 1))
        huge.replace(at + 8, 8, std::string("\0\x01\x86\xA0\0\x01\x86\xA0", 8));
    // The file's bytes, its name, and the result.
    const std::tuple<std::string, const char*, int> cases[] = {
        // clang-format off
        {png.substr(0, png.size() / 2), "cut.png", -1}, {"", "empty.png", kUnknownFormat},
        {heic.substr(0, heic.size() / 2), "cut.heic", -1},
        {avif.substr(0, avif.size() / 2), "cut.avif", -1},
        {webp.substr(0, webp.size() / 2), "cut.webp", -1},
        {dng.substr(0, dng.size() / 2), "cut.dng", -1},
        {"", "empty.heic", -1}, {"", "empty.webp", -1}, {"", "empty.cr3", -1}, {"", "empty.nef", -1},
        {"no picture at all", "text.cr2", kUnknownFormat},
        {"FUJIFILMCCD-RAW " + std::string(300, '\x7F'), "garbage.raf", -1},
        {huge, "huge.heic", kOutOfMemory},
        {webp, "webp.heic", kOk}, {heic, "heic.nef", kOk}, {avif, "avif.webp", kOk},
        // clang-format on
    };
    for (const auto& [bytes, name, code] : cases) {
        SCOPED_TRACE(name);
        const Decoded d = Decode(files_.AddFile(name, bytes).c_str(), 0, kFileInput);
        EXPECT_TRUE(code < 0 ? d.code != kOk : d.code == code) << d.code;
        EXPECT_EQ(d.code != kOk, d.nothingHandedOver);
    }
    // libheif's fuzzing corpus: whatever each decodes to, nothing is left behind.
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(Picture("corpus\\*.heic").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int seen = 0;
    do {
        const Decoded d = Decode(Picture(std::string("corpus\\") + found.cFileName).c_str(), 0, kFileInput);
        EXPECT_EQ(d.code != kOk, d.nothingHandedOver) << found.cFileName;
        ++seen;
    } while (FindNextFileA(search, &found) && seen < 1000);
    FindClose(search);
    EXPECT_GT(seen, 20);
}

TEST_F(WicPluginTest, APluginWithoutItsCodecDllsRefusesTheirFormatsAndStillDecodesTheRest)
{
    const std::string alone = files_.Path("VelmoraWic.spi");
    ASSERT_TRUE(CopyFileA(cache_test::BesideProgram("VelmoraWic.spi").c_str(), alone.c_str(), FALSE));
    const fw::UniqueModule module(LoadLibraryA(alone.c_str()));
    const auto picture = reinterpret_cast<GetPictureFunction>(GetProcAddress(module.get(), "GetPicture"));
    ASSERT_TRUE(picture);
    // The file, and the result.
    const std::pair<const char*, int> cases[] = {
        {"example.heic", kUnknownFormat}, {"turned1.dng", kUnknownFormat}, {"test.webp", kOk}};
    for (const auto& [name, code] : cases) {
        HANDLE info = nullptr, bits = nullptr;
        EXPECT_EQ(code, picture(Picture(name).c_str(), 0, kFileInput, &info, &bits, nullptr, 0)) << name;
        EXPECT_EQ(code != kOk, !info && !bits) << name;
        LocalFree(info);
        LocalFree(bits);
    }
}

}  // namespace
}  // namespace thumbctl::wic
