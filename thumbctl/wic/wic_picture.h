// Pictures through the Windows Imaging Component and the plug-in's own decoders
// (JPEG, WebP, HEIF and AVIF, camera RAW): the first frame of a file or of bytes in
// memory, turned upright by its orientation and composed on white into a bottom-up
// 32-bit packed DIB (upright_dib.h). COM must be initialised on the thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "thumbctl/wic/plugin_abi.h"
#include "thumbctl/wic/upright_dib.h"

namespace thumbctl::wic {

// A file (the picture starts `offset` bytes into it) or bytes in memory.
struct PictureSource {
    const char* path = nullptr;  // ANSI code page
    uint64_t offset = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

int ReadPictureFacts(const PictureSource& source, PictureFacts& facts);

// On success `info` and `bits` own a BITMAPINFO block and the pixel block
// (LocalAlloc, movable); on failure both stay null and nothing is left allocated.
int DecodePicture(const PictureSource& source, ProgressCallback progress, LONG_PTR data, HLOCAL& info,
                  HLOCAL& bits);

// Whether the plug-in's own decoders or a WIC decoder claim these first bytes of a file.
bool RecognisesHeader(const uint8_t* data, size_t size);

// One filter pattern ("*.png;*.x") and description per format of the plug-in's own
// decoders, then per installed WIC decoder.
struct DecoderFilter {
    std::string patterns;
    std::string description;
};
std::vector<DecoderFilter> DecoderFilters();

}  // namespace thumbctl::wic
