// The control's persisted properties: the byte form written by IPersistStreamInit
// and kept in the "Contents" stream by IPersistStorage.
//
//   4 bytes  version word 0x0300 (little-endian, as every number below)
//   4 bytes  "_cx": extent width in HIMETRIC
//   4 bytes  "_cy": extent height in HIMETRIC
//   variant  "Caption"
//   variant  "FileName"
//
// A variant is its 2-byte type (8, a string) and, for a string, a 4-byte byte count
// that includes the terminating null character (0 for a null string, no bytes
// follow then) and the UTF-16 characters with their terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace thumbctl {

constexpr uint32_t kPersistVersion = 0x0300;
constexpr uint32_t kInitialExtent = 5080;  // HIMETRIC, 2 inches

struct PersistedProperties {
    uint32_t extentWidth = kInitialExtent;
    uint32_t extentHeight = kInitialExtent;
    std::optional<std::u16string> caption;   // nothing: a null string
    std::optional<std::u16string> fileName;  // the control saves "" when it has none
    friend bool operator==(const PersistedProperties&, const PersistedProperties&) = default;
};

enum class PersistError {
    kNone,
    kNewerVersion,  // written by a later version of the control
    kTruncated,     // the data ends inside an entry
    kCorrupt,       // a type or length the control never writes
};

// Where loading reads from: a byte buffer here, an IStream in the COM object.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Reads exactly `size` bytes; false when fewer are left.
    virtual bool Read(void* data, size_t size) = 0;
};

class BufferReader : public ByteReader {
public:
    BufferReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    bool Read(void* data, size_t size) override;
    size_t Consumed() const { return offset_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

std::vector<uint8_t> SaveProperties(const PersistedProperties& properties);

// Reads one record. The properties are written only on success.
PersistError LoadProperties(ByteReader& reader, PersistedProperties& properties);

}  // namespace thumbctl
