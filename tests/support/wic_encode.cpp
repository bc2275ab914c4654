#include "tests/support/wic_encode.h"

#include <cstring>

#include "framework/com/com_ptr.h"

namespace testing_support {

using fw::com::ComPtr;

std::string EncodeWithWic(const GUID& container, UINT w, UINT h,
                          const std::function<uint32_t(UINT, UINT)>& rgb, const GUID& format,
                          std::vector<uint8_t> bytes)
{
    if (rgb) {
        bytes.reserve(static_cast<size_t>(w) * h * 3);
        for (UINT y = 0; y < h; ++y) {
            for (UINT x = 0; x < w; ++x) {
                const uint32_t c = rgb(x, y);
                bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                           static_cast<uint8_t>(c >> 16)});
            }
        }
    }
    ComPtr<IWICImagingFactory> f;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    GUID got = format;
    HGLOBAL memory = nullptr;
    STATSTG stat = {};
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory), f.PutVoid())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) ||
        FAILED(f->CreateEncoder(container, nullptr, encoder.Put())) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Put(), options.Put())) ||
        FAILED(frame->Initialize(options.Get())) || FAILED(frame->SetSize(w, h)) ||
        FAILED(frame->SetPixelFormat(&got)) || got != format ||
        FAILED(frame->WritePixels(h, static_cast<UINT>(bytes.size() / h), static_cast<UINT>(bytes.size()),
                                  bytes.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()) ||
        FAILED(GetHGlobalFromStream(stream.Get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return std::string();
    std::string file(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    memcpy(file.data(), GlobalLock(memory), file.size());
    GlobalUnlock(memory);
    return file;
}

}  // namespace testing_support
