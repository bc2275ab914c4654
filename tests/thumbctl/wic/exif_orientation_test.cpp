// The Exif orientation of JPEG bytes, well-formed and broken, every prefix read within its
// bounds (the sanitizers check that). Pictures that turn: the plug-in tests under Wine.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "thumbctl/wic/exif_orientation.h"

namespace thumbctl::wic {
namespace {

std::string Be(uint64_t v, int bytes)
{
    std::string s;
    for (int i = bytes - 1; i >= 0; --i)
        s += static_cast<char>(v >> (8 * i));
    return s;
}

std::string Segment(unsigned marker, const std::string& body)
{
    return Be(0xFF00 | marker, 2) + Be(static_cast<unsigned>(body.size()) + 2, 2) + body;
}

// Exif, big-endian, IFD0 at `ifd` holding `count` entries of which one is given.
std::string Exif(unsigned tag, unsigned type, unsigned value, unsigned ifd = 8, unsigned count = 1)
{
    return Segment(0xE1, std::string("Exif\0\0MM\0*", 10) + Be(ifd, 4) + Be(count, 2) + Be(tag, 2) +
                             Be(type, 2) + Be(1, 4) + Be(value, 2) + Be(0, 6));
}

TEST(ExifOrientationTest, SegmentsAreWalkedToTheOrientationWithinTheirBounds)
{
    const std::string soi = "\xFF\xD8", sos = "\xFF\xDA";
    const std::tuple<const char*, std::string, int> cases[] = {
        {"after JFIF, before the scan", soi + Segment(0xE0, "JFIF") + Exif(0x112, 3, 6) + sos, 6},
        {"fill bytes and an XMP segment first",
         soi + "\xFF" + Segment(0xE1, "http://ns.adobe.com/") + Exif(0x112, 3, 8), 8},
        {"after the scan starts", soi + sos + Exif(0x112, 3, 6), 0},
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

}  // namespace
}  // namespace thumbctl::wic
