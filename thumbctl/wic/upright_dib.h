// The picture a decoder hands over: a bottom-up 32-bit packed DIB (its fourth byte
// unused: the layout a screen-compatible bitmap is made from fastest), each stored
// pixel sent to its upright place and transparency composed on white.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "framework/win/handles.h"
#include "thumbctl/wic/page_toucher.h"
#include "thumbctl/wic/plugin_abi.h"

namespace thumbctl::wic {

// No real camera's picture comes near it (medium-format backs reach 150 million
// pixels); a header that declares more is refused before anything is allocated.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

// What the picture is, upright.
struct PictureFacts {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t xDpi = 0;
    uint16_t yDpi = 0;
    int bitsPerPixel = 0;
};

// What a caller wants from a decoder: only the facts (when `facts` is set), or the
// picture, whose blocks it receives in `info` and `bits` on success.
struct PictureRequest {
    PictureFacts* facts = nullptr;
    ProgressCallback progress = nullptr;
    LONG_PTR progressData = 0;
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
};

// Stored rows as decoders give them: BGR (WIC), BGR and one unused byte
// (libjpeg-turbo), premultiplied BGRA (WIC, libwebp), RGB and straight RGBA (libheif,
// LibRaw).
enum class RowFormat { kBgr, kBgrx, kPremultipliedBgra, kRgb, kRgba };

// Bytes a picture of that upright size takes as a 32-bit DIB, or 0 when it has more
// than kMaxPixels or would not fit one block (2 GB on 32-bit Windows, 4 GB on 64-bit).
uint64_t PackedDibBytes(uint64_t width, uint64_t height);

// The DIB being filled. The blocks are handed over by Finish, or freed.
class UprightDib {
public:
    int Allocate(UINT width, UINT height, int orientation, double dpiX, double dpiY);
    // Stored row `y`.
    void Put(UINT y, const uint8_t* in, RowFormat format);
    // Where stored row `y` lies in the DIB when rows stay rows, left to right;
    // otherwise null and the row goes through Put.
    uint8_t* Direct(UINT y) const;
    // The DIB's rows from the top, as bytes and the step from one row to the next.
    uint8_t* Top() const;
    ptrdiff_t TopDownStep() const { return -static_cast<ptrdiff_t>(stride_); }
    void Finish(PictureRequest& request);

private:
    UINT width_ = 0;
    uint64_t outWidth_ = 0;
    uint64_t outHeight_ = 0;
    uint64_t stride_ = 0;
    int64_t origin_ = 0;
    ptrdiff_t stepX_ = 0;
    ptrdiff_t stepY_ = 0;
    fw::UniqueLocal info_;
    fw::UniqueLocal bits_;
    std::optional<fw::LocalLockScope> lock_;
    std::optional<PageToucher> toucher_;  // goes before the block it touches
};

// Reports rows done to the caller's progress callback; true when it asks to stop.
class Progress {
public:
    Progress(ProgressCallback callback, LONG_PTR data, UINT rows);
    explicit Progress(const PictureRequest& request, UINT rows)
        : Progress(request.progress, request.progressData, rows)
    {
    }
    bool Cancelled(UINT done) const;

private:
    ProgressCallback callback_;
    LONG_PTR data_;
    int total_;
};

// Stored rows of `width` x `height` pixels, `step` bytes apart, into an upright DIB
// handed over to `request`; the caller hears of every 64th row.
int DeliverRows(const uint8_t* rows, ptrdiff_t step, UINT width, UINT height, RowFormat format,
                int orientation, PictureRequest& request);

// The upright facts of a stored picture of `width` x `height` pixels.
void SetFacts(PictureFacts& facts, UINT width, UINT height, int orientation, int bitsPerPixel);

}  // namespace thumbctl::wic
