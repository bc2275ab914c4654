// The two decoders: the system's OLE picture loader and Susie image plug-ins.
// Called on a loader thread with one entry's path.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/win/handles.h"
#include "thumbctl/cache/slot_table.h"

namespace thumbctl::cache {

struct DecodeResult {
    EntryState state = EntryState::kFailed;  // kReadyPicture, kReadyBitmap or kFailed
    std::unique_ptr<Picture> picture;
    // What the decode no longer needs but has not freed yet (a plug-in's blocks),
    // released with the result: the loader keeps it until the picture is on screen, so
    // that freeing costs the shown picture nothing.
    std::shared_ptr<void> leftovers;
};

// The plug-in modules of one cache, by file. A module is loaded at the first decode of
// a file mapped to it and kept for the next ones until the cache goes. One that faulted
// is freed and loaded afresh at its next decode; one whose decode was left hanging in a
// terminated thread stays loaded for good (nothing can tell what that thread held) and is
// loaded again for the next decode. One loader thread uses it at a time.
class PluginModules {
public:
    PluginModules() = default;
    PluginModules(const PluginModules&) = delete;
    PluginModules& operator=(const PluginModules&) = delete;

    // The plug-in `file`, loaded when it is not yet; null when it cannot be loaded or
    // lacks IsSupported, GetPictureInfo or GetPicture (it is not kept then).
    HMODULE Acquire(const std::string& file);
    // Marks the decode running inside `module` (null: none) until the next call.
    void SetBusy(HMODULE module) { busy_ = module; }
    // Frees `module`, so that its next decode loads it afresh.
    void Unload(HMODULE module);
    // Forgets, without freeing, the module of a decode whose thread was terminated.
    void AbandonBusy();

private:
    std::map<std::string, fw::UniqueModule> modules_;
    HMODULE volatile busy_ = nullptr;
};

// The cache's spare pictures (SlotTable::TakeSpare): the first one `fits` accepts.
using SpareSource = std::function<std::unique_ptr<Picture>(const std::function<bool(Picture&)>& fits)>;

// The size of a picture made from a plug-in's result, whose memory can take another's;
// 0 x 0 for other pictures.
SIZE ReusableSize(Picture& picture);
// A blank bitmap of `size` made as those are, its memory written once, so that a later
// picture of that size is written into memory the system has already handed out; null
// when none can be made.
std::unique_ptr<Picture> BlankBitmap(SIZE size);

// Whole file into a movable global block, a stream that owns it, OleLoadPicture.
// An access violation inside the loader beeps and fails.
DecodeResult DecodeWithOle(const std::string& path);

// One decode through the plug-in file `plugin` (taken from `plugins`): GetPicture
// called, the packed DIB written into a screen-compatible bitmap, a spare one of its
// size from `spares` when there is one. The plug-in's blocks are freed when the
// result's leftovers go. An access violation inside the plug-in shows the crash
// message, frees the plug-in and fails.
DecodeResult DecodeWithPlugin(PluginModules& plugins, const std::string& plugin, const std::string& path,
                              const SpareSource& spares = nullptr);

// The decoder the settings choose for `path`. A relative plug-in path is taken
// from beside the library when the file is there (see PluginFileFor).
DecodeResult Decode(const std::string& path, PluginModules& plugins, const SpareSource& spares);

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
