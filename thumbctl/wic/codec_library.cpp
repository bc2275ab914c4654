#include "thumbctl/wic/codec_library.h"

#include <string>

namespace thumbctl::wic {
namespace {

// The plug-in's own folder, with its trailing separator.
std::string PluginFolder()
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&PluginFolder), &self))
        return std::string();
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder(path, length);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace

HMODULE CodecLibrary(const char* fileName)
{
    const std::string folder = PluginFolder();
    if (folder.empty())
        return nullptr;
    const std::string path = folder + fileName;
    if (HMODULE loaded = GetModuleHandleA(path.c_str()))
        return loaded;
    // Kept for the process (see the header): the reference is never given back.
    return fw::LoadLibraryAt(path).release();
}

}  // namespace thumbctl::wic
