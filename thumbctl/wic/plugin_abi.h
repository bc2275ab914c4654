// The image plug-in interface VelmoraWic.spi offers: four stdcall functions
// exported by their bare names, results as small integers, pictures as two
// movable local blocks (the BITMAPINFO and the pixel bits) that the caller frees.
#pragma once

#include <windows.h>

namespace thumbctl::wic {

enum Result : int {
    kOk = 0,
    kCancelled = 1,      // the progress callback asked to stop
    kUnknownFormat = 2,  // no decoder for it, or pixels that cannot be shown
    kBrokenData = 3,
    kOutOfMemory = 4,  // also: a picture too large for one block
    kMemoryError = 5,  // a block could not be locked
    kReadError = 6,
    kInternalError = 8,  // a call that makes no sense, or an unexpected failure
};

// Called with the rows done so far; a non-zero answer cancels the decode.
using ProgressCallback = int(CALLBACK*)(int done, int total, LONG_PTR data);

// Byte-packed, as the interface has always declared it.
#pragma pack(push, 1)
struct PictureInfo {
    LONG left;
    LONG top;
    LONG width;
    LONG height;
    WORD xDensity;  // dots per inch, 0 when the file does not say
    WORD yDensity;
    SHORT colorDepth;  // bits per pixel as stored
    HLOCAL text;       // comment text: never given
};
#pragma pack(pop)

// The low bits of a call's flag: where `buf` points.
constexpr unsigned kInputMask = 7;
constexpr unsigned kFileInput = 0;    // buf: ANSI path, len: byte offset of the picture in it
constexpr unsigned kMemoryInput = 1;  // buf: the picture's bytes, len: their count

using GetPluginInfoFunction = int(WINAPI*)(int infono, LPSTR buf, int buflen);
using IsSupportedFunction = int(WINAPI*)(LPCSTR filename, void* dw);
using GetPictureInfoFunction = int(WINAPI*)(LPCSTR buf, LONG_PTR len, unsigned flag, PictureInfo* info);
using GetPictureFunction = int(WINAPI*)(LPCSTR buf, LONG_PTR len, unsigned flag, HANDLE* info, HANDLE* bits,
                                        ProgressCallback progress, LONG_PTR data);

}  // namespace thumbctl::wic
