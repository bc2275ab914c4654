#include "thumbctl/wic/webp_picture.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>

namespace thumbctl::wic {
namespace {

int ResultFor(VP8StatusCode status)
{
    switch (status) {
        case VP8_STATUS_OK:
            return kOk;
        case VP8_STATUS_OUT_OF_MEMORY:
            return kOutOfMemory;
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return kUnknownFormat;
        case VP8_STATUS_USER_ABORT:
            return kCancelled;
        default:
            return kBrokenData;
    }
}

struct DemuxDeleter {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};

}  // namespace

int DecodeWebp(const uint8_t* data, size_t size, PictureRequest& request)
{
    WebPBitstreamFeatures features;
    VP8StatusCode status = WebPGetFeatures(data, size, &features);
    if (status != VP8_STATUS_OK)
        return ResultFor(status);
    // An animation's frames are pictures of their own inside it.
    std::unique_ptr<WebPDemuxer, DemuxDeleter> demuxer;
    if (features.has_animation) {
        const WebPData whole = {data, size};
        demuxer.reset(WebPDemux(&whole));
        WebPIterator frame;
        if (!demuxer || !WebPDemuxGetFrame(demuxer.get(), 1, &frame))
            return kBrokenData;
        data = frame.fragment.bytes;
        size = frame.fragment.size;
        WebPDemuxReleaseIterator(&frame);
        status = WebPGetFeatures(data, size, &features);
        if (status != VP8_STATUS_OK)
            return ResultFor(status);
    }
    const UINT width = static_cast<UINT>(features.width);
    const UINT height = static_cast<UINT>(features.height);
    if (request.facts) {
        SetFacts(*request.facts, width, height, 1, features.has_alpha ? 32 : 24);
        return kOk;
    }
    UprightDib dib;
    int r = dib.Allocate(width, height, 1, 0, 0);
    if (r != kOk)
        return r;
    const Progress progress(request, height);
    if (progress.Cancelled(0))
        return kCancelled;
    // Straight into the bottom-up DIB: its last row in memory is the picture's first.
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return kInternalError;
    const ptrdiff_t stride = -dib.TopDownStep();
    config.options.flip = 1;
    config.output.colorspace = features.has_alpha ? MODE_bgrA : MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = dib.Top() - stride * (height - 1);
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = static_cast<size_t>(stride) * height;
    status = WebPDecode(data, size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return ResultFor(status);
    if (features.has_alpha) {
        // Premultiplied colours over white.
        uint8_t* p = config.output.u.RGBA.rgba;
        for (uint8_t* end = p + config.output.u.RGBA.size; p < end; p += 4) {
            const unsigned clear = 255u - p[3];
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>(p[c] + clear > 255 ? 255 : p[c] + clear);
            p[3] = 0xFF;
        }
    }
    if (progress.Cancelled(height))
        return kCancelled;
    dib.Finish(request);
    return kOk;
}

}  // namespace thumbctl::wic
