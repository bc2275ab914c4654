// The text of the properties dialog (dialog 142) for a list's current file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/core/local_time.h"

namespace lists {

using fw::LocalTime;

// What a directory search for exactly the path found.
struct FileProperties {
    bool found = false;
    uint32_t attributes = 0;
    uint64_t size = 0;  // all 64 bits
    LocalTime lastWrite;
    LocalTime created;
};

// Attribute bits the text names, with the Win32 values.
constexpr uint32_t kAttrEncrypted = 0x4000;
constexpr uint32_t kAttrCompressed = 0x800;
constexpr uint32_t kAttrTemporary = 0x100;
constexpr uint32_t kAttrOffline = 0x1000;

// "ファイル情報を読み取れません" when the file was not found; otherwise the path
// (converted by `widenPath` from the ANSI code page), the size in bytes as an unsigned
// 64-bit number, one line per attribute the file has (archive, read-only, hidden,
// system, encrypted, compressed, temporary, offline), and the last-write and creation
// times to the millisecond.
std::wstring PropertiesText(const std::string& path, const FileProperties& file,
                            const std::function<std::wstring(const std::string&)>& widenPath);

}  // namespace lists
