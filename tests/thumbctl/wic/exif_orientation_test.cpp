// The Exif orientation of JPEG bytes, well-formed and broken, every prefix read within its
// bounds (the sanitizers check that), and where each orientation puts a stored pixel.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "thumbctl/wic/exif_orientation.h"

namespace thumbctl::wic {
namespace {

std::string Int(uint64_t v, int bytes, bool big = true)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(v >> (8 * (big ? bytes - 1 - i : i)));
    return s;
}

std::string Segment(unsigned marker, const std::string& body)
{
    return Int(0xFF00 | marker, 2) + Int(static_cast<unsigned>(body.size()) + 2, 2) + body;
}

// Exif with IFD0 at `ifd` holding `count` entries: another tag, then the one given.
std::string Exif(unsigned tag, unsigned type, unsigned value, unsigned ifd = 8, unsigned count = 2,
                 bool big = true)
{
    auto n = [big](uint64_t v, int bytes) { return Int(v, bytes, big); };
    auto entry = [&](unsigned t, unsigned v) { return n(t, 2) + n(type, 2) + n(1, 4) + n(v, 2) + n(0, 2); };
    return Segment(0xE1, std::string("Exif\0\0", 6) + (big ? "MM" : "II") + n(42, 2) + n(ifd, 4) +
                             n(count, 2) + entry(0x110, 1) + entry(tag, value) + n(0, 4));
}

TEST(ExifOrientationTest, SegmentsAreWalkedToTheOrientationWithinTheirBounds)
{
    const std::string soi = "\xFF\xD8", sos = "\xFF\xDA";
    const std::tuple<const char*, std::string, int> cases[] = {
        {"after JFIF, before the scan", soi + Segment(0xE0, "JFIF") + Exif(0x112, 3, 6) + sos, 6},
        {"fill bytes and an XMP segment first",
         soi + "\xFF" + Segment(0xE1, "http://ns.adobe.com/") + Exif(0x112, 3, 8), 8},
        {"after the scan starts", soi + sos + Exif(0x112, 3, 6), 0},
        {"little-endian", soi + Exif(0x112, 3, 3, 8, 2, false), 3},
        {"value out of range", soi + Exif(0x112, 3, 9), 0},
        {"value as LONG", soi + Exif(0x112, 4, 6), 0},
        {"another tag only", soi + Exif(0x110, 3, 6), 0},
        {"IFD past the end", soi + Exif(0x112, 3, 6, 0xF000), 0},
        {"more entries than bytes", soi + Exif(0x110, 3, 6, 8, 40), 0},
        {"segment longer than the file", soi + Exif(0x112, 3, 6).substr(0, 12), 0},
    };
    for (const auto& [name, bytes, expected] : cases) {
        SCOPED_TRACE(name);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_EQ(expected, JpegExifOrientation(data, bytes.size()));
        for (size_t n = 0; n < bytes.size(); ++n)
            JpegExifOrientation(data, n);
    }
}

TEST(ExifOrientationTest, MapsPutTheStoredCornersWhereTheUprightPictureHasThem)
{
    // Where the top left, top right and bottom left pixels of a stored 4 x 3 picture land for orientations
    // 1 to 8 (0 and 9 count as 1), and whether the upright picture is 3 x 4.
    const int64_t expected[8][7] = {{0, 0, 3, 0, 0, 2, 0}, {3, 0, 0, 0, 3, 2, 0}, {3, 2, 0, 2, 3, 0, 0},
                                    {0, 2, 3, 2, 0, 0, 0}, {0, 0, 0, 3, 2, 0, 1}, {2, 0, 2, 3, 0, 0, 1},
                                    {2, 3, 2, 0, 0, 3, 1}, {0, 3, 0, 0, 2, 3, 1}};
    for (int o = 0; o <= 9; ++o) {
        const OrientationMap m = MapForOrientation(o, 4, 3);
        std::vector<int64_t> seen;
        for (const auto& [x, y] : {std::pair{0, 0}, {3, 0}, {0, 2}})
            seen.insert(seen.end(), {m.xx * x + m.xy * y + m.cx, m.yx * x + m.yy * y + m.cy});
        seen.push_back(m.swapsSides);
        const int64_t* row = expected[o >= 1 && o <= 8 ? o - 1 : 0];
        EXPECT_EQ(std::vector<int64_t>(row, row + 7), seen) << "orientation " << o;
    }
}

}  // namespace
}  // namespace thumbctl::wic
