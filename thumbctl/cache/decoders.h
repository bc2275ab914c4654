// The two decoders: the system's OLE picture loader and Susie image plug-ins.
// Called on a loader thread with one entry's path.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "thumbctl/cache/slot_table.h"

namespace thumbctl::cache {

struct DecodeResult {
    EntryState state = EntryState::kFailed;  // kReadyPicture, kReadyBitmap or kFailed
    std::unique_ptr<Picture> picture;
};

// Whole file into a movable global block, a stream that owns it, OleLoadPicture.
// An access violation inside the loader beeps and fails.
DecodeResult DecodeWithOle(const std::string& path);

// One decode through the plug-in file `plugin`: loaded, GetPicture called,
// the packed DIB turned into a screen-compatible bitmap, unloaded again. An
// access violation inside the plug-in shows the crash message and fails.
DecodeResult DecodeWithPlugin(const std::string& plugin, const std::string& path);

// The decoder the settings choose for `path`.
DecodeResult Decode(const std::string& path);

// Checks a plug-in's packed DIB against the sizes of its two memory blocks:
// header size, planes, bit count, compression, dimensions, colour table and
// pixel bytes must all fit. Exposed for tests.
bool PackedDibFits(const BITMAPINFOHEADER& header, size_t infoBytes, size_t bitsBytes);

// The crash message with `path` filled in.
std::wstring PluginCrashText(const std::string& path);

}  // namespace thumbctl::cache
