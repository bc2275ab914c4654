// Pictures through the Windows Imaging Component: the first frame of a file or of
// bytes in memory, turned upright by its orientation tag and composed on white
// into a bottom-up 32-bit packed DIB (its fourth byte unused: the layout a
// screen-compatible bitmap is made from fastest). COM must be initialised on the thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "thumbctl/wic/plugin_abi.h"

namespace thumbctl::wic {

// A file (the picture starts `offset` bytes into it) or bytes in memory.
struct PictureSource {
    const char* path = nullptr;  // ANSI code page
    uint64_t offset = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// What the picture is, upright.
struct PictureFacts {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t xDpi = 0;
    uint16_t yDpi = 0;
    int bitsPerPixel = 0;
};

int ReadPictureFacts(const PictureSource& source, PictureFacts& facts);

// On success `info` and `bits` own a BITMAPINFO block and the pixel block
// (LocalAlloc, movable); on failure both stay null and nothing is left allocated.
int DecodePicture(const PictureSource& source, ProgressCallback progress, LONG_PTR data, HLOCAL& info,
                  HLOCAL& bits);

// Whether a WIC decoder claims these first bytes of a file.
bool RecognisesHeader(const uint8_t* data, size_t size);

// One filter pattern ("*.png;*.x") and description per installed WIC decoder.
struct DecoderFilter {
    std::string patterns;
    std::string description;
};
std::vector<DecoderFilter> DecoderFilters();

// Bytes a picture of that upright size takes as a 32-bit DIB, or
// 0 when it would not fit one block (2 GB on 32-bit Windows, 4 GB on 64-bit).
uint64_t PackedDibBytes(uint64_t width, uint64_t height);

}  // namespace thumbctl::wic
