// JPEG files decoded by libjpeg-turbo rather than through WIC: the same pixels
// (Wine's WIC decodes with libjpeg too), in about half the time, written straight
// to where the caller wants each row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "thumbctl/wic/upright_dib.h"

namespace thumbctl::wic {

// Where the decoded rows go.
class JpegRowSink {
public:
    virtual ~JpegRowSink() = default;
    // The stored size and resolution (dots per inch) are known; anything but kOk stops.
    virtual int Begin(uint32_t width, uint32_t height, double xDpi, double yDpi) = 0;
    // Room for stored row `y`: width * 4 bytes, blue, green, red and one unused.
    virtual uint8_t* Row(uint32_t y) = 0;
    // Rows up to `y` are filled; false cancels the decode.
    virtual bool Filled(uint32_t y) = 0;
};

// What DecodeJpeg gives back besides the plug-in's results.
constexpr int kNotForThisDecoder = -1;

// Decodes the first picture in `data`. kNotForThisDecoder when the bytes are no
// JPEG or hold colours this path does not convert (CMYK, YCCK), kBrokenData for a
// corrupt or truncated stream, kCancelled when the sink asked to stop, or what
// Begin returned.
int DecodeJpeg(const uint8_t* data, size_t size, JpegRowSink& sink);

// Decodes the first picture in `data` into an upright DIB for `request` (see
// DecodeJpeg for the results), turned by the Exif `orientation` (0: the stream's own).
// A picture whose long side is shorter than `minLongSide` is not decoded:
// kPictureTooSmall.
constexpr int kPictureTooSmall = -2;
int DecodeJpegUpright(const uint8_t* data, size_t size, int orientation, PictureRequest& request,
                      uint32_t minLongSide = 0);

// Whether the bytes start like a JPEG stream.
bool LooksLikeJpeg(const uint8_t* data, size_t size);

}  // namespace thumbctl::wic
