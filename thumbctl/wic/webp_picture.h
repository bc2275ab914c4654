// WebP pictures through libwebp: a still picture, or the first frame of an animation,
// with transparency composed on white.
#pragma once

#include <cstddef>
#include <cstdint>

#include "thumbctl/wic/upright_dib.h"

namespace thumbctl::wic {

int DecodeWebp(const uint8_t* data, size_t size, PictureRequest& request);

}  // namespace thumbctl::wic
