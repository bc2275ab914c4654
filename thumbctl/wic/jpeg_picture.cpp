#include "thumbctl/wic/jpeg_picture.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <optional>
#include <vector>

#include "thumbctl/wic/exif_orientation.h"
#include "thumbctl/wic/plugin_abi.h"

namespace thumbctl::wic {
namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return: it
// jumps back to the decode below. Nothing with a destructor lives between the two.
struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf back;
    bool truncated;
};

[[noreturn]] void OnFatal(j_common_ptr info)
{
    longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

// Warnings are not printed. Running out of data counts as broken: libjpeg would
// go on and fill the rest with grey.
void OnMessage(j_common_ptr info, int level)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && errors->base.msg_code == JWRN_JPEG_EOF)
        errors->truncated = true;
}

double Dpi(unsigned unit, unsigned density)
{
    if (unit == 1)
        return density;
    if (unit == 2)
        return density * 2.54;
    return 96.0;
}

// The decode proper. Its locals are plain data, so a jump back from libjpeg
// leaves nothing behind but the decompressor, which the caller destroys.
int Decode(jpeg_decompress_struct& info, ErrorManager& errors, const uint8_t* data, size_t size,
           JpegRowSink& sink)
{
    if (setjmp(errors.back))
        return errors.base.msg_code == JERR_OUT_OF_MEMORY ? kOutOfMemory : kBrokenData;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return kBrokenData;
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB)
        return kNotForThisDecoder;
    info.out_color_space = JCS_EXT_BGRX;
    const int begun = sink.Begin(info.image_width, info.image_height, Dpi(info.density_unit, info.X_density),
                                 Dpi(info.density_unit, info.Y_density));
    if (begun != kOk)
        return begun;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        const JDIMENSION y = info.output_scanline;
        JSAMPROW row = sink.Row(y);
        if (jpeg_read_scanlines(&info, &row, 1) != 1 || errors.truncated)
            return kBrokenData;
        if (!sink.Filled(y))
            return kCancelled;
    }
    jpeg_finish_decompress(&info);
    return errors.truncated ? kBrokenData : kOk;
}

// Rows go straight into the DIB when they need no turning, else through one row of
// scratch space.
class JpegIntoDib : public JpegRowSink {
public:
    JpegIntoDib(int orientation, PictureRequest& request, uint32_t minLongSide)
        : orientation_(orientation), request_(request), minLongSide_(minLongSide)
    {
    }
    int Begin(uint32_t width, uint32_t height, double xDpi, double yDpi) override
    {
        if (width < minLongSide_ && height < minLongSide_)
            return kPictureTooSmall;
        rows_ = height;
        progress_.emplace(request_, height);
        const int r = dib_.Allocate(width, height, orientation_, xDpi, yDpi);
        if (r != kOk)
            return r;
        if (!dib_.Direct(0))
            scratch_.resize(size_t{width} * 4);
        return progress_->Cancelled(0) ? kCancelled : kOk;
    }
    uint8_t* Row(uint32_t y) override
    {
        uint8_t* direct = dib_.Direct(y);
        return direct ? direct : scratch_.data();
    }
    bool Filled(uint32_t y) override
    {
        if (!scratch_.empty())
            dib_.Put(y, scratch_.data(), RowFormat::kBgrx);
        // The callback hears about every 64th row and the last.
        return ((y + 1) % 64 != 0 && y + 1 != rows_) || !progress_->Cancelled(y + 1);
    }
    UprightDib& Dib() { return dib_; }

private:
    int orientation_;
    PictureRequest& request_;
    uint32_t minLongSide_;
    uint32_t rows_ = 0;
    UprightDib dib_;
    std::vector<uint8_t> scratch_;
    std::optional<Progress> progress_;
};

}  // namespace

int DecodeJpegUpright(const uint8_t* data, size_t size, int orientation, PictureRequest& request,
                      uint32_t minLongSide)
{
    if (orientation == 0)
        orientation = JpegExifOrientation(data, size);
    JpegIntoDib sink(orientation ? orientation : 1, request, minLongSide);
    const int r = DecodeJpeg(data, size, sink);
    if (r == kOk)
        sink.Dib().Finish(request);
    return r;
}

bool LooksLikeJpeg(const uint8_t* data, size_t size)
{
    return data && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

int DecodeJpeg(const uint8_t* data, size_t size, JpegRowSink& sink)
{
    if (!LooksLikeJpeg(data, size) || size > 0xFFFFFFFFu)
        return kNotForThisDecoder;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnFatal;
    errors.base.emit_message = OnMessage;
    const int result = Decode(info, errors, data, size, sink);
    jpeg_destroy_decompress(&info);
    return result;
}

}  // namespace thumbctl::wic
