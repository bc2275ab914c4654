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
    // What the decode no longer needs but has not freed yet (a plug-in's blocks and
    // the plug-in itself), released with the result: the loader keeps it until the
    // picture is on screen, so that freeing costs the shown picture nothing.
    std::shared_ptr<void> leftovers;
};

// Whole file into a movable global block, a stream that owns it, OleLoadPicture.
// An access violation inside the loader beeps and fails.
DecodeResult DecodeWithOle(const std::string& path);

// One decode through the plug-in file `plugin`: loaded, GetPicture called,
// the packed DIB turned into a screen-compatible bitmap, unloaded again (after a
// success, when the result's leftovers go). An
// access violation inside the plug-in shows the crash message and fails.
DecodeResult DecodeWithPlugin(const std::string& plugin, const std::string& path);

// The decoder the settings choose for `path`. A relative plug-in path is taken
// from beside the library when the file is there (see PluginFileFor).
DecodeResult Decode(const std::string& path);

// The file LoadLibraryA is given for a plug-in setting `value`: a relative path
// ("VelmoraWic.spi", "plugins\\x.spi") that names a file beside `libraryPath`
// becomes that file's full path, since LoadLibraryA would search the program's
// folder instead, and a library may be loaded from another one. Anything else
// stays as it is.
std::string PluginFileFor(const std::string& value, const std::string& libraryPath);

// Checks a plug-in's packed DIB against the sizes of its two memory blocks:
// header size, planes, bit count, compression, dimensions, colour table and
// pixel bytes must all fit. Exposed for tests.
bool PackedDibFits(const BITMAPINFOHEADER& header, size_t infoBytes, size_t bitsBytes);

// The crash message with `path` filled in.
std::wstring PluginCrashText(const std::string& path);

}  // namespace thumbctl::cache
