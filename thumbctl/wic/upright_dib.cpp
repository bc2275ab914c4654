#include "thumbctl/wic/upright_dib.h"

#include <algorithm>
#include <cstring>

#include "thumbctl/wic/exif_orientation.h"

namespace thumbctl::wic {
namespace {

// A 32-bit Windows process has 2 GB of address space in all; a 64-bit one still
// describes the block in a DWORD (biSizeImage).
constexpr uint64_t kMaxBlockBytes = sizeof(void*) == 4 ? 0x7FFFFFFFu : 0xFFFFFFFFu;

uint16_t Dpi(double value)
{
    return value > 0 && value < 65535 ? static_cast<uint16_t>(value + 0.5) : 0;
}

// A premultiplied colour over white.
inline uint8_t OnWhite(uint8_t colour, uint8_t alpha)
{
    const unsigned v = colour + (255u - alpha);
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

// A straight colour over white.
inline uint8_t StraightOnWhite(uint8_t colour, uint8_t alpha)
{
    return static_cast<uint8_t>((colour * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

}  // namespace

uint64_t PackedDibBytes(uint64_t width, uint64_t height)
{
    if (width == 0 || height == 0 || width > kMaxBlockBytes / 4 || height > kMaxPixels / width)
        return 0;
    const uint64_t stride = width * 4;
    if (height > kMaxBlockBytes / stride)
        return 0;
    return stride * height;
}

int UprightDib::Allocate(UINT width, UINT height, int orientation, double dpiX, double dpiY)
{
    const OrientationMap map = MapForOrientation(orientation, width, height);
    width_ = width;
    outWidth_ = map.swapsSides ? height : width;
    outHeight_ = map.swapsSides ? width : height;
    const uint64_t imageBytes = PackedDibBytes(outWidth_, outHeight_);
    if (imageBytes == 0)
        return kOutOfMemory;
    stride_ = imageBytes / outHeight_;
    // Upright (dx, dy) sits at (outHeight - 1 - dy) * stride + 4 * dx: linear in
    // the stored (x, y).
    const int64_t s = static_cast<int64_t>(stride_);
    origin_ = (static_cast<int64_t>(outHeight_) - 1 - map.cy) * s + 4 * map.cx;
    stepX_ = static_cast<ptrdiff_t>(4 * map.xx - s * map.yx);
    stepY_ = static_cast<ptrdiff_t>(4 * map.xy - s * map.yy);

    info_.reset(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFO)));
    bits_.reset(LocalAlloc(LMEM_MOVEABLE, static_cast<size_t>(imageBytes)));
    if (!info_ || !bits_)
        return kOutOfMemory;
    const fw::LocalLockScope header(info_.get());
    lock_.emplace(bits_.get());
    if (!header.Data() || !lock_->Data())
        return kMemoryError;
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = static_cast<LONG>(outWidth_);
    h.biHeight = static_cast<LONG>(outHeight_);  // bottom-up
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(imageBytes);
    h.biXPelsPerMeter = static_cast<LONG>(Dpi(map.swapsSides ? dpiY : dpiX) * 10000 / 254);
    h.biYPelsPerMeter = static_cast<LONG>(Dpi(map.swapsSides ? dpiX : dpiY) * 10000 / 254);
    memcpy(header.Data(), &h, sizeof h);
    toucher_.emplace(lock_->Bytes(), static_cast<size_t>(imageBytes), stepY_ < 0);
    return kOk;
}

uint8_t* UprightDib::Direct(UINT y) const
{
    return stepX_ == 4 ? lock_->Bytes() + origin_ + stepY_ * static_cast<ptrdiff_t>(y) : nullptr;
}

uint8_t* UprightDib::Top() const
{
    return lock_->Bytes() + (outHeight_ - 1) * stride_;
}

void UprightDib::Put(UINT y, const uint8_t* in, RowFormat format)
{
    uint8_t* at = lock_->Bytes() + origin_ + stepY_ * static_cast<ptrdiff_t>(y);
    switch (format) {
        case RowFormat::kBgr:
            for (UINT x = 0; x < width_; ++x, in += 3, at += stepX_) {
                at[0] = in[0];
                at[1] = in[1];
                at[2] = in[2];
                at[3] = 0xFF;
            }
            break;
        case RowFormat::kBgrx:  // turned JPEG rows; upright ones go straight in
            for (UINT x = 0; x < width_; ++x, in += 4, at += stepX_)
                memcpy(at, in, 4);
            break;
        case RowFormat::kPremultipliedBgra:
            for (UINT x = 0; x < width_; ++x, in += 4, at += stepX_) {
                const uint8_t alpha = in[3];
                at[0] = OnWhite(in[0], alpha);
                at[1] = OnWhite(in[1], alpha);
                at[2] = OnWhite(in[2], alpha);
                at[3] = 0xFF;
            }
            break;
        case RowFormat::kRgb:
            for (UINT x = 0; x < width_; ++x, in += 3, at += stepX_) {
                at[0] = in[2];
                at[1] = in[1];
                at[2] = in[0];
                at[3] = 0xFF;
            }
            break;
        case RowFormat::kRgba:
            for (UINT x = 0; x < width_; ++x, in += 4, at += stepX_) {
                const uint8_t alpha = in[3];
                at[0] = StraightOnWhite(in[2], alpha);
                at[1] = StraightOnWhite(in[1], alpha);
                at[2] = StraightOnWhite(in[0], alpha);
                at[3] = 0xFF;
            }
            break;
    }
}

void UprightDib::Finish(PictureRequest& request)
{
    toucher_.reset();
    lock_.reset();
    request.info = info_.release();
    request.bits = bits_.release();
}

Progress::Progress(ProgressCallback callback, LONG_PTR data, UINT rows)
    : callback_(callback), data_(data), total_(static_cast<int>(std::min<UINT>(rows, INT32_MAX)))
{
}

bool Progress::Cancelled(UINT done) const
{
    return callback_ && callback_(static_cast<int>(std::min<UINT>(done, INT32_MAX)), total_, data_);
}

int DeliverRows(const uint8_t* rows, ptrdiff_t step, UINT width, UINT height, RowFormat format,
                int orientation, PictureRequest& request)
{
    UprightDib dib;
    int r = dib.Allocate(width, height, orientation, 0, 0);
    if (r != kOk)
        return r;
    const Progress progress(request, height);
    if (progress.Cancelled(0))
        return kCancelled;
    for (UINT y = 0; y < height; ++y) {
        dib.Put(y, rows + step * static_cast<ptrdiff_t>(y), format);
        if (((y + 1) % 64 == 0 || y + 1 == height) && progress.Cancelled(y + 1))
            return kCancelled;
    }
    dib.Finish(request);
    return kOk;
}

void SetFacts(PictureFacts& facts, UINT width, UINT height, int orientation, int bitsPerPixel)
{
    const bool swaps = MapForOrientation(orientation, width, height).swapsSides;
    facts.width = swaps ? height : width;
    facts.height = swaps ? width : height;
    facts.bitsPerPixel = bitsPerPixel;
}

}  // namespace thumbctl::wic
