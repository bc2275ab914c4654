#include "thumbctl/wic/heif_picture.h"

#include <libheif/heif.h>

#include <memory>

#include "thumbctl/wic/codec_library.h"

namespace thumbctl::wic {
namespace {

#define HEIF_FUNCTIONS(X)                         \
    X(heif_context_alloc)                         \
    X(heif_context_free)                          \
    X(heif_context_read_from_memory_without_copy) \
    X(heif_context_get_primary_image_handle)      \
    X(heif_image_handle_release)                  \
    X(heif_image_handle_get_width)                \
    X(heif_image_handle_get_height)               \
    X(heif_image_handle_has_alpha_channel)        \
    X(heif_image_handle_get_luma_bits_per_pixel)  \
    X(heif_decoding_options_alloc)                \
    X(heif_decoding_options_free)                 \
    X(heif_decode_image)                          \
    X(heif_image_get_width)                       \
    X(heif_image_get_height)                      \
    X(heif_image_get_plane_readonly)              \
    X(heif_image_release)

struct HeifLibrary {
    HEIF_FUNCTIONS(CODEC_FUNCTION)
    bool Bind(HMODULE module)
    {
        bool ok = true;
#define X(name) CODEC_BIND(name)
        HEIF_FUNCTIONS(X)
#undef X
        return ok;
    }
};

const HeifLibrary* Heif()
{
    return BoundCodecLibrary<HeifLibrary>(kHeifLibrary);
}

int ResultFor(const heif_error& error)
{
    if (error.code == heif_error_Ok)
        return kOk;
    if (error.code == heif_error_Memory_allocation_error ||
        error.subcode == heif_suberror_Security_limit_exceeded)
        return kOutOfMemory;
    if (error.code == heif_error_Unsupported_filetype || error.code == heif_error_Unsupported_feature)
        return kUnknownFormat;
    return kBrokenData;
}

// Owners of what libheif hands out, freed through the same library.
template <typename T, auto HeifLibrary::*Free>
struct HeifDeleter {
    void operator()(T* p) const { (Heif()->*Free)(p); }
};
using Context = std::unique_ptr<heif_context, HeifDeleter<heif_context, &HeifLibrary::heif_context_free>>;
using Handle = std::unique_ptr<heif_image_handle,
                               HeifDeleter<const heif_image_handle, &HeifLibrary::heif_image_handle_release>>;
using Image = std::unique_ptr<heif_image, HeifDeleter<const heif_image, &HeifLibrary::heif_image_release>>;
using Options = std::unique_ptr<heif_decoding_options,
                                HeifDeleter<heif_decoding_options, &HeifLibrary::heif_decoding_options_free>>;

}  // namespace

int DecodeHeif(const uint8_t* data, size_t size, PictureRequest& request)
{
    const HeifLibrary* heif = Heif();
    if (!heif)
        return kUnknownFormat;
    Context context(heif->heif_context_alloc());
    if (!context)
        return kOutOfMemory;
    int r = ResultFor(heif->heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr));
    if (r != kOk)
        return r;
    heif_image_handle* primary = nullptr;
    r = ResultFor(heif->heif_context_get_primary_image_handle(context.get(), &primary));
    const Handle handle(primary);
    if (r != kOk)
        return r;
    const int width = heif->heif_image_handle_get_width(primary);
    const int height = heif->heif_image_handle_get_height(primary);
    const bool alpha = heif->heif_image_handle_has_alpha_channel(primary) != 0;
    if (width <= 0 || height <= 0)
        return kBrokenData;
    // libheif itself refuses sides over 32768 pixels when it reads the file; the pixel
    // count is bounded here, before anything is decoded.
    if (PackedDibBytes(static_cast<UINT>(width), static_cast<UINT>(height)) == 0)
        return kOutOfMemory;
    if (request.facts) {
        const int depth = heif->heif_image_handle_get_luma_bits_per_pixel(primary);
        SetFacts(*request.facts, static_cast<UINT>(width), static_cast<UINT>(height), 1,
                 (depth > 0 ? depth : 8) * (alpha ? 4 : 3));
        return kOk;
    }
    const Options options(heif->heif_decoding_options_alloc());
    if (!options)
        return kOutOfMemory;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    r = ResultFor(heif->heif_decode_image(primary, &decoded, heif_colorspace_RGB,
                                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                          options.get()));
    const Image image(decoded);
    if (r != kOk)
        return r;
    int stride = 0;
    const uint8_t* rows = heif->heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int shownWidth = heif->heif_image_get_width(decoded, heif_channel_interleaved);
    const int shownHeight = heif->heif_image_get_height(decoded, heif_channel_interleaved);
    if (!rows || shownWidth <= 0 || shownHeight <= 0 || stride < shownWidth * (alpha ? 4 : 3))
        return kBrokenData;
    return DeliverRows(rows, stride, static_cast<UINT>(shownWidth), static_cast<UINT>(shownHeight),
                       alpha ? RowFormat::kRgba : RowFormat::kRgb, 1, request);
}

}  // namespace thumbctl::wic
