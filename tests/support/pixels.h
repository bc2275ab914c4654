// Pixels for window tests: a 32-bit DIB section, captures of what a window shows,
// and .bmp copies of captures for a reviewer to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "framework/win/handles.h"

namespace testing_support {

// A 32-bit top-down DIB section and its pixels (0x00RRGGBB).
struct Dib {
    fw::UniqueGdiObject bitmap;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    Dib(int w, int h, uint32_t color = 0);
    HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap.get()); }
    uint32_t At(int x, int y) const { return bits[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    void Fill(const std::function<uint32_t(int, int)>& color);
};

// What a window shows in its client area.
Dib CaptureClient(HWND window);
// Writes `dib` as <name>.bmp (32 bits, top-down) beside the test program.
bool SaveArtefact(const Dib& dib, const char* name);

}  // namespace testing_support
