// A file's bytes from an offset on, mapped rather than read: a decoder takes the pages
// from the system's file cache as it gets to them, and those it never looks at (a
// RAW file's sensor data behind its preview) are never read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/win/handles.h"

namespace thumbctl::wic {

// An ANSI path as UTF-16; empty when it does not convert.
std::wstring WidePath(const char* path);

fw::UniqueHandle OpenForReading(const std::wstring& path);

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // kOk with the bytes (none for an empty file), or kReadError.
    int Open(const char* path, uint64_t offset);
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    void* view_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace thumbctl::wic
