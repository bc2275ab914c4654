// The library settings: initial cache sizes and the table that maps file
// extensions to Susie image plug-ins, read once from the settings file beside
// the library. Portable: the Win32 side only finds the file and feeds its lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/core/codepage.h"

namespace thumbctl {

// Records read from the file; later lines are ignored. The shipped file holds 42 (the
// RAW formats alone take 22).
constexpr size_t kRecordCount = 64;
constexpr size_t kKeySize = 32;          // bytes, terminator included
constexpr size_t kValueSize = 260;       // bytes, terminator included
constexpr size_t kLineBufferSize = 260;  // fgets buffer
constexpr size_t kMaxPathBytes = 259;

constexpr long kDefaultCacheSize = 8;
constexpr long kDefaultBufferingSize = 2;
// MiB of decoded pictures one cache keeps: room to spare in a 32-bit process.
constexpr long kDefaultMemoryBudgetMiB = sizeof(void*) == 8 ? 1024 : 768;

struct SettingsRecord {
    std::string key;    // at most kKeySize - 1 bytes
    std::string value;  // at most kValueSize - 1 bytes
};

// Which decoder turns a file into a picture.
struct DecoderChoice {
    bool plugin = false;     // true: the Susie plug-in named by pluginPath
    std::string pluginPath;  // empty for the OLE picture loader
};

class LibrarySettings {
public:
    LibrarySettings() = default;

    // Takes one line as fgets hands it over (at most 259 bytes, possibly ending in
    // a line feed). Returns false once the table is full: the reader stops there.
    bool AcceptLine(std::string_view line, const fw::CodePage& cp);

    // Applies "cachesize", "bufferingsize" and "memorybudget" from the records, in order.
    void Finish();

    // Reads a whole settings file given as its bytes, splitting it as fgets does
    // with a 260-byte buffer (text mode: CR LF arrives as LF).
    static LibrarySettings Parse(std::string_view text, const fw::CodePage& cp);

    // Decoder for a path, by its extension (ASCII case ignored).
    DecoderChoice DecoderFor(std::string_view path, const fw::CodePage& cp) const;

    // "*.jpeg;*.jpg;*.gif;*.bmp" extended by ";*.key" for each extension key,
    // in the ANSI code page, at most 259 bytes: patterns that would not fit whole
    // are left out.
    std::string FilterText() const;

    long CacheSize() const { return cacheSize_; }
    long BufferingSize() const { return bufferingSize_; }
    // The memory budget of every new cache in bytes; 0 (also for a negative
    // setting) means no budget.
    uint64_t MemoryBudgetBytes() const;
    size_t RecordCount() const { return used_; }
    const SettingsRecord& Record(size_t i) const { return records_.at(i); }

private:
    std::array<SettingsRecord, kRecordCount> records_;
    size_t used_ = 0;
    long cacheSize_ = kDefaultCacheSize;
    long bufferingSize_ = kDefaultBufferingSize;
    long memoryBudgetMiB_ = kDefaultMemoryBudgetMiB;
};

// The C library's atol: optional blanks and sign, then leading digits; 0 without digits.
long AsciiToLong(std::string_view text);

// The settings file of a module: its path with the extension replaced by ".ini"
// (or ".ini" appended when the file name has no dot).
std::string SettingsPathFor(std::string_view modulePath, const fw::CodePage& cp);

// The process-wide settings, fixed once the library is loaded.
const LibrarySettings& CurrentSettings();
void InstallSettings(const LibrarySettings& settings);

}  // namespace thumbctl
