#include "tests/thumbctl/cache/photo_walk.h"

#include <psapi.h>

#include <algorithm>

#include "tests/thumbctl/cache/cache_test_support.h"
#include "tests/support/wic_encode.h"

namespace cache_test {
namespace {

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
    const auto w = static_cast<UINT>(width);
    const auto h = static_cast<UINT>(height);
    return testing_support::EncodeWithWic(GUID_ContainerFormatJpeg, w, h, [w, h](UINT x, UINT y) {
        return (x * 255 / w) << 16 | (y * 255 / h) << 8 | ((x + y) & 0xFF);
    });
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
