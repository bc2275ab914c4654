// Camera RAW files through LibRaw, from the DLL beside the plug-in: the largest
// embedded JPEG preview, decoded by libjpeg-turbo and turned upright by the file's
// orientation, as photographers' culling tools show them; the sensor data is never
// read. Only a file without a preview of at least kMinPreviewSide pixels on its long
// side is developed from its sensor data, at half size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "thumbctl/wic/upright_dib.h"

namespace thumbctl::wic {

constexpr char kRawLibrary[] = "libraw.dll";
constexpr uint32_t kMinPreviewSide = 1024;

// The Exif orientation for LibRaw's `flip` (bit 0: mirrored left to right, bit 1: top
// to bottom, bit 2: rows and columns exchanged first).
int OrientationForFlip(int flip);

// kUnknownFormat when the DLL is missing or LibRaw does not know the file.
int DecodeRaw(const uint8_t* data, size_t size, PictureRequest& request);

}  // namespace thumbctl::wic
