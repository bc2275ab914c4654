#include "thumbctl/control/persist_stream.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace thumbctl {
namespace {

using Bytes = std::vector<uint8_t>;

PersistError Load(const Bytes& bytes, PersistedProperties& out)
{
    BufferReader reader(bytes.data(), bytes.size());
    return LoadProperties(reader, out);
}

TEST(PersistStream, WritesTheExactForm)
{
    PersistedProperties fresh;  // the FileName getter answers "", the caption stays null
    fresh.fileName = u"";
    // Version 0x0300, _cx, _cy, Caption, FileName (type 8, byte count, text).
    const std::pair<PersistedProperties, Bytes> cases[] = {
        {fresh, {0, 3, 0, 0, 0xD8, 0x13, 0, 0, 0xD8, 0x13, 0, 0, 8, 0, 0, 0, 0, 0, 8, 0, 2, 0, 0, 0, 0, 0}},
        {{873, 794, u"12", u""}, {0, 3, 0,   0, 0x69, 3, 0, 0, 0x1A, 3, 0, 0, 8, 0, 6, 0,
                                  0, 0, '1', 0, '2',  0, 0, 0, 8,    0, 2, 0, 0, 0, 0, 0}},
    };
    for (const auto& [properties, bytes] : cases)
        EXPECT_EQ(SaveProperties(properties), bytes);
}

TEST(PersistStream, RoundTripsEveryKindOfValueAndReadsOlderVersions)
{
    const PersistedProperties cases[] = {
        {},
        {4736, 2381, u"THUMB1", u""},
        {4736, 2381, u"THUMB2", std::nullopt},
        {1, 0xFFFFFFFFu, u"\u30B5\u30E0\u30CD\u30A4\u30EB", u"C:\\\u5199\u771F\\\u8868.jpg"},
        {0, 0, u"", u"\U0001F600 surrogate pair"},
    };
    for (const PersistedProperties& original : cases) {
        for (uint8_t version : {3, 2}) {
            Bytes bytes = SaveProperties(original);
            bytes[1] = version;
            bytes.push_back(0xEE);  // the next record's
            PersistedProperties loaded;
            BufferReader reader(bytes.data(), bytes.size());
            ASSERT_EQ(LoadProperties(reader, loaded), PersistError::kNone);
            EXPECT_EQ(loaded, original);
            EXPECT_EQ(reader.Consumed(), bytes.size() - 1);
        }
    }
}

TEST(PersistStream, RefusesEveryTruncationOfAValidRecordAndKeepsTheProperties)
{
    const Bytes full = SaveProperties({873, 794, u"12", u"x.jpg"});
    const PersistedProperties kept{1, 2, u"keep", u"keep"};
    for (size_t n = 0; n < full.size(); ++n) {
        PersistedProperties loaded = kept;
        EXPECT_EQ(Load(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), loaded),
                  PersistError::kTruncated)
            << n << " bytes";
        EXPECT_EQ(loaded, kept) << "changed after a failure";
    }
}

TEST(PersistStream, RefusesNewerVersionsAndMalformedVariants)
{
    auto with = [](Bytes tail) {
        Bytes b = {0x00, 0x03, 0x00, 0x00, 1, 0, 0, 0, 2, 0, 0, 0};
        b.insert(b.end(), tail.begin(), tail.end());
        return b;
    };
    using enum PersistError;
    const std::tuple<const char*, Bytes, PersistError> cases[] = {
        {"newer version", {0x01, 0x03, 0x00, 0x00, 1, 0, 0, 0, 2, 0, 0, 0}, kNewerVersion},
        {"much newer version", {0x00, 0x00, 0x00, 0x80}, kNewerVersion},
        {"not a string", with({0x03, 0x00, 0x05, 0x00, 0x00, 0x00}), kCorrupt},
        {"odd byte count", with({0x08, 0x00, 0x03, 0x00, 0x00, 0x00, 'a', 0, 0}), kCorrupt},
        {"no terminator", with({0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 'a', 0}), kCorrupt},
        {"absurd length", with({0x08, 0x00, 0xF0, 0xFF, 0xFF, 0xFF}), kCorrupt},
        {"length beyond the data", with({0x08, 0x00, 0x64, 0x00, 0x00, 0x00, 'a', 0, 0, 0}), kTruncated},
        {"file name missing", with({0x08, 0x00, 0x00, 0x00, 0x00, 0x00}), kTruncated},
    };
    for (const auto& [name, bytes, error] : cases) {
        PersistedProperties loaded;
        EXPECT_EQ(Load(bytes, loaded), error) << name;
    }
}

}  // namespace
}  // namespace thumbctl
