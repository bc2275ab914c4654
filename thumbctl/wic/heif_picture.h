// HEIF and AVIF pictures through libheif (HEVC by libde265, AV1 by dav1d), from the
// DLL beside the plug-in: the primary picture with the container's rotation, mirroring
// and cropping applied (and no second turn from its Exif data), transparency composed
// on white, 10- and 12-bit pictures brought to 8 bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "thumbctl/wic/upright_dib.h"

namespace thumbctl::wic {

// The DLL's file name.
constexpr char kHeifLibrary[] = "libheif.dll";

// kUnknownFormat when the DLL is missing.
int DecodeHeif(const uint8_t* data, size_t size, PictureRequest& request);

}  // namespace thumbctl::wic
