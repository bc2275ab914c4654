// Codec DLLs shipped beside the plug-in (libheif with libde265, LibRaw: libraries a
// user may replace with their own build), loaded by full path from the plug-in's own
// folder the first time a picture needs one, their own imports from that folder and
// the system folder only. The host loads the plug-in afresh for every picture, so a
// codec, once loaded, stays for the life of the process rather than being started
// again for each picture.
#pragma once

#include <windows.h>

#include "framework/win/system_library.h"

namespace thumbctl::wic {

// The DLL `fileName` beside the plug-in; null when it is missing or does not load.
HMODULE CodecLibrary(const char* fileName);

// A codec's function table: the members are declared with CODEC_FUNCTION(name) inside a
// list macro, and the table's `bool Bind(HMODULE module)` looks each up with
// CODEC_BIND(name), which clears a local `ok` when `module` lacks one.
#define CODEC_FUNCTION(name) decltype(&::name) name = nullptr;
#define CODEC_BIND(name) \
    ok = (this->name = fw::ProcAddress<decltype(&::name)>(module, #name)) != nullptr && ok;

// The table `Table` bound once from the DLL `fileName`; null when the DLL or one of its
// functions is missing.
template <class Table>
const Table* BoundCodecLibrary(const char* fileName)
{
    static Table table;
    static const bool bound = [fileName] {
        const HMODULE module = CodecLibrary(fileName);
        return module && table.Bind(module);
    }();
    return bound ? &table : nullptr;
}

}  // namespace thumbctl::wic
