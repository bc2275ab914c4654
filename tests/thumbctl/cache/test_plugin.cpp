// A Susie plug-in for tests decoding "VTP1", width and height (32-bit little-endian), then
// 24-bit pixels top-down; without GetPluginInfo. Variants: see the PLUGIN_ macros below
// (MALFORMED: success with handles that hold no picture, picked by the file's fifth byte;
// CRASH and HANG: on "VTPC" and "VTPH" or "VTPS" files, and CRASH decodes nothing more until
// reloaded).
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

[[maybe_unused]] HLOCAL Block(size_t size, const void* data = nullptr)
{
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size);
    if (data) {
        memcpy(LocalLock(block), data, size);
        LocalUnlock(block);
    }
    return block;
}

[[maybe_unused]] int Decode(const std::string& b, HANDLE* info, HANDLE* bits)
{
    uint32_t w = 0, h = 0;
    memcpy(&w, b.data() + 4, 4);
    memcpy(&h, b.data() + 8, 4);
    const size_t row = size_t{w} * 3, stride = (row + 3) & ~size_t{3};
    if (w == 0 || h == 0 || w > 4096 || h > 4096 || b.size() < 12 + row * h)
        return 2;
    const BITMAPINFOHEADER header{sizeof header, LONG(w), -LONG(h), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    *info = Block(sizeof header, &header);
    *bits = Block(stride * h);
    auto* out = static_cast<char*>(LocalLock(*bits));
    for (uint32_t y = 0; y < h; ++y)
        memcpy(out + y * stride, b.data() + 12 + y * row, row);
    LocalUnlock(*bits);
    return 0;
}

[[maybe_unused]] int Malformed(const std::string& b, HANDLE* info, HANDLE* bits)
{
    const BITMAPINFOHEADER header{sizeof header, 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    switch (b[4]) {
        case 'a':  // no info block
            *bits = Block(64);
            return 0;
        case 'b':  // no bits block
            *info = Block(sizeof header, &header);
            return 0;
        case 'h':  // info block shorter than a header
            *info = Block(8);
            *bits = Block(64);
            return 0;
        case 'i':  // one block handed over as both the info and the bits
            *info = *bits = Block(sizeof header, &header);
            return 0;
        default:  // values that are no handles at all
            *info = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFF0010));
            *bits = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x10));
            return 0;
    }
}

}  // namespace

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

#ifndef PLUGIN_NOSUPPORTED
PLUGIN_EXPORT int WINAPI IsSupported(LPCSTR, void* data)
{
    return data && memcmp(data, "VTP", 3) == 0;
}
#endif

PLUGIN_EXPORT int WINAPI GetPictureInfo(LPCSTR, LONG_PTR, unsigned int, void*)
{
    return 2;
}

PLUGIN_EXPORT int WINAPI GetPicture(LPCSTR buf, LONG_PTR len, unsigned int flag, HANDLE* info, HANDLE* bits,
                                    FARPROC progress, LONG_PTR data)
{
    // The library's call: a file name, offset 0, flags 0, no progress callback.
    if (!buf || len != 0 || flag != 0 || !info || !bits || progress || data != 0)
        return 3;
    std::ifstream file(buf, std::ios::binary);
    const std::string b{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (b.size() < 12 || b.compare(0, 3, "VTP") != 0)
        return 2;
#if defined(PLUGIN_ERROR)
    return 2;
#elif defined(PLUGIN_CRASH)
    static bool crashed = false;
    if (b[3] == 'C' && (crashed = true))
        *static_cast<volatile int*>(nullptr) = 1;
    return crashed ? 2 : Decode(b, info, bits);
#elif defined(PLUGIN_HANG)
    while (b[3] == 'H')
        Sleep(1000);
    while (b[3] == 'S')  // busy in system calls: closing a handle value that names nothing
        CloseHandle(reinterpret_cast<HANDLE>(uintptr_t{0x7FF0}));
    return Decode(b, info, bits);
#elif defined(PLUGIN_MALFORMED)
    return Malformed(b, info, bits);
#else
    return Decode(b, info, bits);
#endif
}
