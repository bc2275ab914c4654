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

// Looks up each export a function table names: the table's members are declared with
// CODEC_FUNCTION(name) inside a list macro, and bound with CODEC_BIND(table, name),
// which clears `ok` when `module` lacks one.
#define CODEC_FUNCTION(name) decltype(&::name) name = nullptr;
#define CODEC_BIND(table, name) \
    ok = ((table).name = fw::ProcAddress<decltype(&::name)>(module, #name)) != nullptr && ok;

}  // namespace thumbctl::wic
