#include "thumbctl/wic/exif_orientation.h"

#include <cstring>

namespace thumbctl::wic {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

class Reader {
public:
    Reader(const uint8_t* data, size_t size, bool bigEndian) : data_(data), size_(size), big_(bigEndian) {}
    bool Has(size_t at, size_t bytes) const { return at <= size_ && bytes <= size_ - at; }
    uint16_t U16(size_t at) const
    {
        return big_ ? static_cast<uint16_t>(data_[at] << 8 | data_[at + 1])
                    : static_cast<uint16_t>(data_[at + 1] << 8 | data_[at]);
    }
    uint32_t U32(size_t at) const
    {
        const uint32_t hi = U16(at);
        const uint32_t lo = U16(at + 2);
        return big_ ? (hi << 16 | lo) : (lo << 16 | hi);
    }

private:
    const uint8_t* data_;
    size_t size_;
    bool big_;
};

}  // namespace

int TiffOrientation(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    bool big = false;
    if (data[0] == 'M' && data[1] == 'M')
        big = true;
    else if (data[0] != 'I' || data[1] != 'I')
        return 0;
    const Reader r(data, size, big);
    if (r.U16(2) != 42)
        return 0;
    const size_t ifd = r.U32(4);
    if (!r.Has(ifd, 2))
        return 0;
    const size_t count = r.U16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + i * 12;
        if (!r.Has(entry, 12))
            return 0;
        if (r.U16(entry) != kOrientationTag)
            continue;
        if (r.U16(entry + 2) != kShortType || r.U32(entry + 4) == 0)
            return 0;
        const int value = r.U16(entry + 8);  // one SHORT sits in the value field itself
        return value >= 1 && value <= 8 ? value : 0;
    }
    return 0;
}

int JpegExifOrientation(const uint8_t* data, size_t size)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 0;
    size_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] != 0xFF)
            return 0;
        const uint8_t marker = data[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length follows
            pos += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)  // scan data or the end: no Exif before it
            return 0;
        const size_t length = static_cast<size_t>(data[pos + 2]) << 8 | data[pos + 3];
        if (length < 2 || length > size - pos - 2)
            return 0;
        const uint8_t* body = data + pos + 4;
        const size_t bodySize = length - 2;
        static const char kExif[] = "Exif\0";  // "Exif" and two NULs
        if (marker == 0xE1 && bodySize >= 6 && memcmp(body, kExif, 6) == 0)
            return TiffOrientation(body + 6, bodySize - 6);
        pos += 2 + length;
    }
    return 0;
}

OrientationMap MapForOrientation(int orientation, uint32_t width, uint32_t height)
{
    // Columns and rows of the upright picture per stored (x, y): the first row of
    // the stored picture is the upright top (1-4), left side (5, 8) or right side (6, 7).
    struct Axes {
        int xx, xy, yx, yy;
    };
    static const Axes kAxes[8] = {
        {1, 0, 0, 1},    // 1 as stored
        {-1, 0, 0, 1},   // 2 mirrored left to right
        {-1, 0, 0, -1},  // 3 turned half way
        {1, 0, 0, -1},   // 4 mirrored top to bottom
        {0, 1, 1, 0},    // 5 mirrored along the main diagonal
        {0, -1, 1, 0},   // 6 turned a quarter clockwise
        {0, -1, -1, 0},  // 7 mirrored along the other diagonal
        {0, 1, -1, 0},   // 8 turned a quarter anticlockwise
    };
    const Axes& a = kAxes[orientation >= 1 && orientation <= 8 ? orientation - 1 : 0];
    const int64_t lastX = width ? int64_t{width} - 1 : 0;
    const int64_t lastY = height ? int64_t{height} - 1 : 0;
    OrientationMap m{a.xx, a.xy, a.yx, a.yy, 0, 0, a.xx == 0};
    // A negative factor counts down from the far side.
    m.cx = (a.xx < 0 ? lastX : 0) + (a.xy < 0 ? lastY : 0);
    m.cy = (a.yx < 0 ? lastX : 0) + (a.yy < 0 ? lastY : 0);
    return m;
}

}  // namespace thumbctl::wic
