// The orientation tag of a picture's Exif data, read from the file's bytes. Some
// WIC decoders (Wine's JPEG one) expose no metadata at all, so the plug-in looks
// at the JPEG's APP1 segment itself when the query reader has no answer. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace thumbctl::wic {

// 1..8 from the first Exif APP1 segment before the scan data of a JPEG stream;
// 0 when the bytes are no JPEG, hold no such segment or carry no usable value.
int JpegExifOrientation(const uint8_t* data, size_t size);

// 1..8 from IFD0 of a TIFF structure ("II" or "MM"); 0 when it is not there.
int TiffOrientation(const uint8_t* data, size_t size);

// Where a stored pixel lands once the picture is turned upright. For a stored
// picture of `width` x `height`, pixel (x, y) goes to column
// dx = xx * x + xy * y + cx and row dy = yx * x + yy * y + cy of the upright one.
struct OrientationMap {
    int xx, xy, yx, yy;
    int64_t cx, cy;
    bool swapsSides;  // the upright picture is height x width
};

// The map for an Exif orientation value; values outside 1..8 count as 1.
OrientationMap MapForOrientation(int orientation, uint32_t width, uint32_t height);

}  // namespace thumbctl::wic
