// A walk through large photos as a list window makes it (shared with the benchmark): each
// step queues the next file and then asks for the current one until it arrives.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/driver.h"
#include "tests/support/wic_encode.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "thumbctl/cache/picture_cache_engine.h"

namespace cache_test {

// A JPEG file of the given size (a smooth gradient), encoded by the system's imaging
// component. Empty when it cannot be made.
inline std::string GradientJpeg(int width, int height)
{
    const auto w = static_cast<UINT>(width), h = static_cast<UINT>(height);
    return testing_support::EncodeWithWic(GUID_ContainerFormatJpeg, w, h, [w, h](UINT x, UINT y) {
        return (x * 255 / w) << 16 | (y * 255 / h) << 8 | ((x + y) & 0xFF);
    });
}

struct WalkResult {
    int arrived = 0;          // pictures delivered at their full size
    uint64_t maxHeld = 0;     // most picture bytes the table held after a step
    uint64_t peakMemory = 0;  // the process's peak working set at the end
    double seconds = 0;
};

// Walks `paths` in order; a picture counts as arrived when the request for it succeeds
// within `waitMs` with a bitmap of width x height.
inline WalkResult WalkPhotos(thumbctl::cache::PictureCacheEngine& engine, HWND window,
                             const std::vector<std::string>& paths, LONG width, LONG height, DWORD waitMs)
{
    WalkResult result;
    const DWORD start = GetTickCount();
    for (size_t i = 0; i < paths.size(); ++i) {
        HBITMAP bitmap = nullptr;
        BITMAP info{};
        if (i + 1 < paths.size())
            engine.RequestBitmap(window, paths[i + 1], &bitmap, &info);
        const auto delivered = [&] { return engine.RequestBitmap(window, paths[i], &bitmap, &info) == S_OK; };
        if (testing_support::WaitUntil(delivered, waitMs) && info.bmWidth == width && info.bmHeight == height)
            ++result.arrived;
        result.maxHeld = std::max(result.maxHeld, engine.Table().HeldBytes());
    }
    result.seconds = (GetTickCount() - start) / 1000.0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        result.peakMemory = counters.PeakWorkingSetSize;
    return result;
}

}  // namespace cache_test
