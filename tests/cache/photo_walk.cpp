#include "tests/cache/photo_walk.h"

#include <psapi.h>
#include <wincodec.h>

#include <algorithm>

#include "tests/cache/cache_test_support.h"

namespace cache_test {
namespace {

template <typename T>
struct Released {
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

uint64_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

}  // namespace

std::string GradientJpeg(int width, int height)
{
    Released<IWICImagingFactory> factory;
    Released<IStream> stream;
    Released<IWICBitmapEncoder> encoder;
    Released<IWICBitmapFrameEncode> frame;
    Released<IPropertyBag2> options;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.p)) ||
        FAILED(frame->SetSize(width, height)))
        return {};
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
        return {};
    const UINT stride = static_cast<UINT>(width) * 3;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * 16);
    for (int y = 0; y < height; y += 16) {
        const int count = std::min(16, height - y);
        for (int r = 0; r < count; ++r) {
            for (int x = 0; x < width; ++x) {
                BYTE* p = &rows[static_cast<size_t>(r) * stride + static_cast<size_t>(x) * 3];
                p[0] = static_cast<BYTE>(x * 255 / width);
                p[1] = static_cast<BYTE>((y + r) * 255 / height);
                p[2] = static_cast<BYTE>((x + y + r) & 0xFF);
            }
        }
        if (FAILED(frame->WritePixels(count, stride, stride * count, rows.data())))
            return {};
    }
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return {};
    HGLOBAL block = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream.p, &block)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return {};
    const void* data = GlobalLock(block);
    std::string bytes(static_cast<const char*>(data), static_cast<size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(block);
    return bytes;
}

WalkResult WalkPhotos(thumbctl::cache::PictureCacheEngine& engine, HWND window,
                      const std::vector<std::string>& paths, LONG width, LONG height, DWORD waitMs)
{
    WalkResult result;
    const DWORD start = GetTickCount();
    for (size_t i = 0; i < paths.size(); ++i) {
        HBITMAP bitmap = nullptr;
        BITMAP info{};
        if (i + 1 < paths.size())
            engine.RequestBitmap(window, paths[i + 1], &bitmap, &info);
        bool delivered = false;
        PumpUntil(
            [&] {
                delivered = engine.RequestBitmap(window, paths[i], &bitmap, &info) == S_OK;
                return delivered;
            },
            waitMs);
        if (delivered && info.bmWidth == width && info.bmHeight == height)
            ++result.arrived;
        result.maxHeld = std::max(result.maxHeld, engine.Table().HeldBytes());
    }
    result.seconds = (GetTickCount() - start) / 1000.0;
    result.peakMemory = PeakWorkingSet();
    return result;
}

}  // namespace cache_test
