#include "thumbctl/wic/mapped_file.h"

#include "thumbctl/wic/plugin_abi.h"

namespace thumbctl::wic {

std::wstring WidePath(const char* path)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

fw::UniqueHandle OpenForReading(const std::wstring& path)
{
    return fw::UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

MappedFile::~MappedFile()
{
    if (view_)
        UnmapViewOfFile(view_);
}

int MappedFile::Open(const char* path, uint64_t offset)
{
    const fw::UniqueHandle file = OpenForReading(WidePath(path));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) < offset)
        return kReadError;
    const uint64_t length = static_cast<uint64_t>(size.QuadPart) - offset;
    if (length == 0)
        return kOk;
    if (length > SIZE_MAX / 2)
        return kReadError;
    const fw::UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uint64_t start = offset - offset % system.dwAllocationGranularity;
    view_ = mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                                    static_cast<DWORD>(start), static_cast<size_t>(length + offset - start))
                    : nullptr;
    if (!view_)
        return kReadError;
    data_ = static_cast<const uint8_t*>(view_) + (offset - start);
    size_ = static_cast<size_t>(length);
    return kOk;
}

}  // namespace thumbctl::wic
