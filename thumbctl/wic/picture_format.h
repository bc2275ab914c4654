// Which of the plug-in's own decoders a file goes to, told from its first bytes and,
// for camera RAW files built on TIFF (which only their names tell from other TIFF
// files), its extension. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace thumbctl::wic {

enum class PictureFormat {
    kOther,  // for the Windows Imaging Component
    kJpeg,   // libjpeg-turbo
    kWebp,   // libwebp
    kHeif,   // libheif: HEIF and AVIF
    kRaw,    // LibRaw
};

// `path` may be empty (bytes in memory); only its extension is looked at.
PictureFormat FormatOf(const uint8_t* data, size_t size, std::string_view path);

// Whether the first bytes alone show a format the plug-in decodes itself (TIFF-based
// RAW files are left to the TIFF decoder's answer).
bool IsOwnFormat(const uint8_t* data, size_t size);

// The extensions of camera RAW files, ";"-separated without dots.
extern const char kRawExtensions[];

}  // namespace thumbctl::wic
