// The four entry points of VelmoraWic.spi. Each one brings COM up on the calling
// thread for the length of the call (the multithreaded apartment, as the picture
// cache's loader threads use; a thread already in another apartment is used as it
// is) and lets no C++ exception out.
#include <windows.h>

#include <new>
#include <string>

#include "framework/com/com_ptr.h"
#include "thumbctl/wic/plugin_abi.h"
#include "thumbctl/wic/wic_picture.h"

using namespace thumbctl::wic;

namespace {

template <typename Body>
int Guarded(int failure, Body&& body) noexcept
{
    try {
        const fw::com::CoInitScope com(COINIT_MULTITHREADED);
        return body();
    } catch (const std::bad_alloc&) {
        return failure == kInternalError ? kOutOfMemory : failure;
    } catch (...) {
        return failure;
    }
}

int SourceFromArguments(LPCSTR buf, LONG_PTR len, unsigned flag, PictureSource& source)
{
    if (!buf)
        return kInternalError;
    switch (flag & kInputMask) {
        case kFileInput:
            if (len < 0)
                return kReadError;
            source.path = buf;
            source.offset = static_cast<uint64_t>(len);
            return kOk;
        case kMemoryInput:
            if (len <= 0)
                return kUnknownFormat;
            source.data = reinterpret_cast<const uint8_t*>(buf);
            source.size = static_cast<size_t>(len);
            return kOk;
        default:
            return kInternalError;
    }
}

// Copies `text` into `buf` whole or cut before a character that would not fit.
int CopyText(const std::string& text, LPSTR buf, int buflen)
{
    if (!buf || buflen <= 0)
        return 0;
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = end + (IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1);
        if (next > text.size() || next > static_cast<size_t>(buflen) - 1)
            break;
        end = next;
    }
    text.copy(buf, end);
    buf[end] = '\0';
    return static_cast<int>(end);
}

// A file handle is a small number; anything above 0xFFFF is the caller's buffer
// of the file's first 2 KB.
constexpr size_t kHeaderBytes = 2048;

}  // namespace

extern "C" {

int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen)
{
    return Guarded(0, [&]() -> int {
        if (infono == 0)
            return CopyText("00IN", buf, buflen);
        if (infono == 1)
            return CopyText("VelmoraWic 1.0: pictures through the Windows Imaging Component", buf, buflen);
        if (infono < 2)
            return 0;
        const std::vector<DecoderFilter> filters = DecoderFilters();
        const size_t index = static_cast<size_t>(infono - 2) / 2;
        if (index >= filters.size())
            return 0;
        const DecoderFilter& f = filters[index];
        return CopyText(infono % 2 == 0 ? f.patterns : f.description, buf, buflen);
    });
}

int WINAPI IsSupported(LPCSTR, void* dw)
{
    return Guarded(0, [&]() -> int {
        const auto value = reinterpret_cast<uintptr_t>(dw);
        if (value == 0)
            return 0;
        if (value & ~uintptr_t{0xFFFF})
            return RecognisesHeader(static_cast<const uint8_t*>(dw), kHeaderBytes) ? 1 : 0;
        // Read from where the handle stands, and put it back there.
        HANDLE file = dw;
        LARGE_INTEGER zero = {};
        LARGE_INTEGER at;
        if (!SetFilePointerEx(file, zero, &at, FILE_CURRENT))
            return 0;
        uint8_t header[kHeaderBytes];
        DWORD read = 0;
        const BOOL ok = ReadFile(file, header, sizeof header, &read, nullptr);
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        return ok && RecognisesHeader(header, read) ? 1 : 0;
    });
}

int WINAPI GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned flag, PictureInfo* lpInfo)
{
    if (!lpInfo)
        return kInternalError;
    return Guarded(kInternalError, [&]() -> int {
        PictureSource source;
        int r = SourceFromArguments(buf, len, flag, source);
        if (r != kOk)
            return r;
        PictureFacts facts;
        r = ReadPictureFacts(source, facts);
        if (r != kOk)
            return r;
        *lpInfo = PictureInfo{
            0,          0,          static_cast<LONG>(facts.width),         static_cast<LONG>(facts.height),
            facts.xDpi, facts.yDpi, static_cast<SHORT>(facts.bitsPerPixel), nullptr};
        return kOk;
    });
}

int WINAPI GetPicture(LPCSTR buf, LONG_PTR len, unsigned flag, HANDLE* pHBInfo, HANDLE* pHBm,
                      ProgressCallback lpPrgressCallback, LONG_PTR lData)
{
    if (!pHBInfo || !pHBm)
        return kInternalError;
    *pHBInfo = nullptr;
    *pHBm = nullptr;
    return Guarded(kInternalError, [&]() -> int {
        PictureSource source;
        int r = SourceFromArguments(buf, len, flag, source);
        if (r != kOk)
            return r;
        HLOCAL info = nullptr;
        HLOCAL bits = nullptr;
        r = DecodePicture(source, lpPrgressCallback, lData, info, bits);
        *pHBInfo = info;
        *pHBm = bits;
        return r;
    });
}

}  // extern "C"
