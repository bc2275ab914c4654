#include "thumbctl/wic/raw_picture.h"

#include <libraw/libraw.h>

#include <memory>

#include "thumbctl/wic/codec_library.h"
#include "thumbctl/wic/jpeg_picture.h"

namespace thumbctl::wic {
namespace {

#define RAW_FUNCTIONS(X)           \
    X(libraw_init)                 \
    X(libraw_open_buffer)          \
    X(libraw_unpack_thumb)         \
    X(libraw_unpack)               \
    X(libraw_dcraw_process)        \
    X(libraw_dcraw_make_mem_image) \
    X(libraw_dcraw_clear_mem)      \
    X(libraw_close)

struct RawLibrary {
    RAW_FUNCTIONS(CODEC_FUNCTION)
    bool Bind(HMODULE module)
    {
        bool ok = true;
#define X(name) CODEC_BIND(name)
        RAW_FUNCTIONS(X)
#undef X
        return ok;
    }
};

const RawLibrary* Raw()
{
    return BoundCodecLibrary<RawLibrary>(kRawLibrary);
}

struct RawCloser {
    void operator()(libraw_data_t* raw) const { Raw()->libraw_close(raw); }
};
struct ImageFreer {
    void operator()(libraw_processed_image_t* image) const { Raw()->libraw_dcraw_clear_mem(image); }
};

int ResultFor(int error)
{
    switch (error) {
        case LIBRAW_SUCCESS:
            return kOk;
        case LIBRAW_FILE_UNSUPPORTED:
            return kUnknownFormat;
        case LIBRAW_UNSUFFICIENT_MEMORY:
        case LIBRAW_TOO_BIG:
            return kOutOfMemory;
        case LIBRAW_CANCELLED_BY_CALLBACK:
            return kCancelled;
        default:
            return kBrokenData;
    }
}

// The sensor data developed at half size, upright.
int Develop(const RawLibrary& raw, libraw_data_t* file, PictureRequest& request)
{
    const uint64_t half = uint64_t{file->sizes.width / 2u} * (file->sizes.height / 2u);
    if (half == 0 || uint64_t{file->sizes.raw_width} * file->sizes.raw_height > kMaxPixels * 4 ||
        half > kMaxPixels)
        return half == 0 ? kBrokenData : kOutOfMemory;
    if (request.facts) {
        SetFacts(*request.facts, file->sizes.width / 2u, file->sizes.height / 2u,
                 OrientationForFlip(file->sizes.flip), 24);
        return kOk;
    }
    file->params.half_size = 1;
    file->params.use_camera_wb = 1;
    file->params.output_bps = 8;
    int r = ResultFor(raw.libraw_unpack(file));
    if (r == kOk)
        r = ResultFor(raw.libraw_dcraw_process(file));
    if (r != kOk)
        return r;
    int error = LIBRAW_SUCCESS;
    const std::unique_ptr<libraw_processed_image_t, ImageFreer> image(
        raw.libraw_dcraw_make_mem_image(file, &error));
    if (!image)
        return error == LIBRAW_SUCCESS ? kOutOfMemory : ResultFor(error);
    if (image->type != LIBRAW_IMAGE_BITMAP || image->colors != 3 || image->bits != 8 ||
        uint64_t{image->width} * image->height * 3 > image->data_size)
        return kUnknownFormat;
    return DeliverRows(image->data, ptrdiff_t{image->width} * 3, image->width, image->height, RowFormat::kRgb,
                       1, request);
}

}  // namespace

int OrientationForFlip(int flip)
{
    static const int kExif[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 && flip < 8 ? kExif[flip] : 1;
}

int DecodeRaw(const uint8_t* data, size_t size, PictureRequest& request)
{
    const RawLibrary* raw = Raw();
    if (!raw)
        return kUnknownFormat;
    const std::unique_ptr<libraw_data_t, RawCloser> file(raw->libraw_init(0));
    if (!file)
        return kOutOfMemory;
    int r = ResultFor(raw->libraw_open_buffer(file.get(), const_cast<uint8_t*>(data), size));
    if (r != kOk)
        return r;
    const int orientation = OrientationForFlip(file->sizes.flip);
    const libraw_thumbnail_t& preview = file->thumbnail;
    // The preview's size as the file declares it; a JPEG's own header decides below.
    if (request.facts && (preview.twidth >= kMinPreviewSide || preview.theight >= kMinPreviewSide)) {
        SetFacts(*request.facts, preview.twidth, preview.theight, orientation, 24);
        return kOk;
    }
    if (!request.facts && raw->libraw_unpack_thumb(file.get()) == LIBRAW_SUCCESS &&
        preview.tformat == LIBRAW_THUMBNAIL_JPEG && preview.thumb) {
        r = DecodeJpegUpright(reinterpret_cast<const uint8_t*>(preview.thumb), preview.tlength, orientation,
                              request, kMinPreviewSide);
        if (r != kPictureTooSmall && r != kNotForThisDecoder)
            return r;
    }
    return Develop(*raw, file.get(), request);
}

}  // namespace thumbctl::wic
