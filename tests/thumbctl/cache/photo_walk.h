// A walk through large photos as a list window makes it: each step queues the
// next file and then asks for the current one until it arrives. Shared by the
// memory test and the cache benchmark.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "thumbctl/cache/picture_cache_engine.h"

namespace cache_test {

// A JPEG file of the given size (a smooth gradient), encoded by the system's
// imaging component. Empty when it cannot be made.
std::string GradientJpeg(int width, int height);

struct WalkResult {
    int arrived = 0;          // pictures delivered at their full size
    uint64_t maxHeld = 0;     // most picture bytes the table held after a step
    uint64_t peakMemory = 0;  // the process's peak working set at the end
    double seconds = 0;
};

// Walks `paths` in order; a picture counts as arrived when the request for it
// succeeds within `waitMs` with a bitmap of width x height.
WalkResult WalkPhotos(thumbctl::cache::PictureCacheEngine& engine, HWND window,
                      const std::vector<std::string>& paths, LONG width, LONG height, DWORD waitMs);

}  // namespace cache_test
