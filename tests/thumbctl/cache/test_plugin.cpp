// A Susie plug-in for tests, decoding a format of its own: "VTP1", width and
// height (32-bit little-endian), then 24-bit pixels top-down without padding.
// One source, built in several variants:
//   PLUGIN_GOOD          decodes
//   PLUGIN_NO_INFO       lacks GetPluginInfo (still usable)
//   PLUGIN_NO_SUPPORTED  lacks IsSupported (unusable)
//   PLUGIN_ERROR         answers every file with error 2
//   PLUGIN_CRASH         writes through a null pointer
//   PLUGIN_HANG          never returns (until its thread is terminated)
//   PLUGIN_MALFORMED     reports success with broken handles; the file's fifth
//                        byte picks the fault
// A file "VTPG" makes the good plug-in wait (at most 10 s) for the named event
// "VelmoraTestGate" before it decodes, so that tests can keep the dispatcher busy.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool ReadFileBytes(const char* path, std::string& bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr);
    bytes.assign(size, '\0');
    DWORD read = 0;
    BOOL ok = size == 0 || ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    return ok && read == size;
}

uint32_t U32(const std::string& b, size_t at)
{
    uint32_t v = 0;
    memcpy(&v, b.data() + at, 4);
    return v;
}

HLOCAL Header(LONG width, LONG height, WORD bits, DWORD clrUsed, size_t extra)
{
    HLOCAL h = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + extra);
    auto* hdr = static_cast<BITMAPINFOHEADER*>(LocalLock(h));
    hdr->biSize = sizeof(BITMAPINFOHEADER);
    hdr->biWidth = width;
    hdr->biHeight = height;
    hdr->biPlanes = 1;
    hdr->biBitCount = bits;
    hdr->biCompression = BI_RGB;
    hdr->biClrUsed = clrUsed;
    LocalUnlock(h);
    return h;
}

[[maybe_unused]] int Decode(const char* path, HANDLE* info, HANDLE* bits)
{
    std::string b;
    if (!ReadFileBytes(path, b) || b.size() < 12 || b.compare(0, 3, "VTP") != 0)
        return 2;
    if (b[3] == 'G') {
        if (HANDLE gate = OpenEventA(SYNCHRONIZE, FALSE, "VelmoraTestGate")) {
            WaitForSingleObject(gate, 10000);
            CloseHandle(gate);
        }
    }
    const uint32_t w = U32(b, 4);
    const uint32_t h = U32(b, 8);
    const size_t rowIn = size_t{w} * 3;
    const size_t stride = (rowIn + 3) & ~size_t{3};
    if (w == 0 || h == 0 || w > 4096 || h > 4096 || b.size() < 12 + rowIn * h)
        return 2;
    *info = Header(static_cast<LONG>(w), -static_cast<LONG>(h), 24, 0, 0);
    *bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, stride * h);
    auto* out = static_cast<char*>(LocalLock(*bits));
    for (uint32_t y = 0; y < h; ++y)
        memcpy(out + y * stride, b.data() + 12 + y * rowIn, rowIn);
    LocalUnlock(*bits);
    return 0;
}

[[maybe_unused]] int Malformed(const char* path, HANDLE* info, HANDLE* bits)
{
    std::string b;
    if (!ReadFileBytes(path, b) || b.size() < 5)
        return 2;
    switch (b[4]) {
        case 'a':  // no info block
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        case 'b':  // no bits block
            *info = Header(2, 2, 24, 0, 0);
            return 0;
        case 'c': {  // header size larger than its block
            *info = Header(2, 2, 24, 0, 0);
            auto* hdr = static_cast<BITMAPINFOHEADER*>(LocalLock(*info));
            hdr->biSize = 4000;
            LocalUnlock(*info);
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        }
        case 'd':  // bit count that does not exist
            *info = Header(2, 2, 7, 0, 0);
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        case 'e':  // dimensions far beyond the pixel block
            *info = Header(30000, 30000, 32, 0, 0);
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        case 'f':  // 8 bits per pixel without room for its colour table
            *info = Header(2, 2, 8, 0, 0);
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        case 'g':  // zero height
            *info = Header(2, 0, 24, 0, 0);
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        case 'h':  // info block shorter than a header
            *info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 8);
            *bits = LocalAlloc(LMEM_MOVEABLE, 64);
            return 0;
        case 'i':  // one block handed over as both the info and the bits
            *info = Header(2, 2, 24, 0, 0);
            *bits = *info;
            return 0;
        default:  // values that are no handles at all
            *info = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFF0010));
            *bits = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x10));
            return 0;
    }
}

}  // namespace

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

#ifndef PLUGIN_NO_INFO
PLUGIN_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen)
{
    const char* text = infono == 0 ? "00IN" : infono == 1 ? "Velmora test plug-in" : nullptr;
    if (!text || buflen <= 0)
        return 0;
    lstrcpynA(buf, text, buflen);
    return lstrlenA(buf);
}
#endif

#ifndef PLUGIN_NO_SUPPORTED
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
#if defined(PLUGIN_ERROR)
    return 2;
#elif defined(PLUGIN_CRASH)
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
#elif defined(PLUGIN_HANG)
    for (;;)
        Sleep(1000);
#elif defined(PLUGIN_MALFORMED)
    return Malformed(buf, info, bits);
#else
    return Decode(buf, info, bits);
#endif
}
