// Image files made at test time by the system's imaging component.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// WIC's encoder for `container`: 24bppBGR from `rgb` (0xRRGGBB per pixel), or
// `bytes` in `format`. Empty on failure.
std::string EncodeWithWic(const GUID& container, UINT w, UINT h,
                          const std::function<uint32_t(UINT, UINT)>& rgb,
                          const GUID& format = GUID_WICPixelFormat24bppBGR, std::vector<uint8_t> bytes = {});

}  // namespace testing_support
