#include "thumbctl/control/persist_stream.h"

#include <cstring>

namespace thumbctl {
namespace {

constexpr uint16_t kVariantString = 8;  // VT_BSTR
// The longest string read back: a stream claiming more is taken as corrupt rather
// than allocated.
constexpr uint32_t kMaxStringBytes = 1u << 24;

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutString(std::vector<uint8_t>& out, const std::optional<std::u16string>& text)
{
    PutU16(out, kVariantString);
    if (!text) {
        PutU32(out, 0);
        return;
    }
    PutU32(out, static_cast<uint32_t>((text->size() + 1) * 2));
    for (char16_t c : *text)
        PutU16(out, static_cast<uint16_t>(c));
    PutU16(out, 0);
}

bool GetU16(ByteReader& in, uint16_t& v)
{
    uint8_t b[2];
    if (!in.Read(b, sizeof b))
        return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool GetU32(ByteReader& in, uint32_t& v)
{
    uint8_t b[4];
    if (!in.Read(b, sizeof b))
        return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

PersistError GetString(ByteReader& in, std::optional<std::u16string>& text)
{
    uint16_t type = 0;
    uint32_t bytes = 0;
    if (!GetU16(in, type))
        return PersistError::kTruncated;
    if (type != kVariantString)
        return PersistError::kCorrupt;
    if (!GetU32(in, bytes))
        return PersistError::kTruncated;
    if (bytes == 0) {
        text.reset();
        return PersistError::kNone;
    }
    if (bytes % 2 != 0 || bytes > kMaxStringBytes)
        return PersistError::kCorrupt;
    std::u16string value;
    // Read in chunks so a claimed length beyond the data costs no large allocation.
    uint8_t chunk[1024];
    for (uint32_t left = bytes; left != 0;) {
        const uint32_t n = left < sizeof chunk ? left : static_cast<uint32_t>(sizeof chunk);
        if (!in.Read(chunk, n))
            return PersistError::kTruncated;
        for (uint32_t i = 0; i < n; i += 2)
            value.push_back(static_cast<char16_t>(chunk[i] | (chunk[i + 1] << 8)));
        left -= n;
    }
    if (value.back() != u'\0')
        return PersistError::kCorrupt;
    value.pop_back();
    text = std::move(value);
    return PersistError::kNone;
}

}  // namespace

bool BufferReader::Read(void* data, size_t size)
{
    if (size > size_ - offset_)
        return false;
    if (size != 0)
        std::memcpy(data, data_ + offset_, size);
    offset_ += size;
    return true;
}

std::vector<uint8_t> SaveProperties(const PersistedProperties& properties)
{
    std::vector<uint8_t> out;
    PutU32(out, kPersistVersion);
    PutU32(out, properties.extentWidth);
    PutU32(out, properties.extentHeight);
    PutString(out, properties.caption);
    PutString(out, properties.fileName);
    return out;
}

PersistError LoadProperties(ByteReader& reader, PersistedProperties& properties)
{
    uint32_t version = 0;
    PersistedProperties loaded;
    if (!GetU32(reader, version))
        return PersistError::kTruncated;
    if (version > kPersistVersion)
        return PersistError::kNewerVersion;
    if (!GetU32(reader, loaded.extentWidth) || !GetU32(reader, loaded.extentHeight))
        return PersistError::kTruncated;
    if (PersistError e = GetString(reader, loaded.caption); e != PersistError::kNone)
        return e;
    if (PersistError e = GetString(reader, loaded.fileName); e != PersistError::kNone)
        return e;
    properties = std::move(loaded);
    return PersistError::kNone;
}

}  // namespace thumbctl
