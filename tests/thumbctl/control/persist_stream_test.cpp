#include "thumbctl/control/persist_stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace thumbctl {
namespace {

using Bytes = std::vector<uint8_t>;

PersistError Load(const Bytes& bytes, PersistedProperties& out)
{
    BufferReader reader(bytes.data(), bytes.size());
    return LoadProperties(reader, out);
}

TEST(PersistStream, WritesTheExactFormOfAFreshControl)
{
    PersistedProperties fresh;
    fresh.fileName = u"";  // the FileName getter answers an empty string, the caption stays null
    const Bytes expected = {
        0x00, 0x03, 0x00, 0x00,              // version 0x0300
        0xD8, 0x13, 0x00, 0x00,              // _cx 5080
        0xD8, 0x13, 0x00, 0x00,              // _cy 5080
        0x08, 0x00, 0x00, 0x00, 0x00, 0x00,  // Caption: string, null
        0x08, 0x00, 0x02, 0x00, 0x00, 0x00,  // FileName: string, 2 bytes
        0x00, 0x00,                          // just the terminator
    };
    EXPECT_EQ(SaveProperties(fresh), expected);
}

TEST(PersistStream, WritesExtentAndCaption)
{
    PersistedProperties about;
    about.extentWidth = 873;
    about.extentHeight = 794;
    about.caption = u"12";
    about.fileName = u"";
    const Bytes expected = {
        0x00, 0x03, 0x00, 0x00, 0x69, 0x03, 0x00, 0x00, 0x1A, 0x03, 0x00, 0x00,  // 0x0300, 873, 794
        0x08, 0x00, 0x06, 0x00, 0x00, 0x00, '1',  0x00, '2',  0x00, 0x00, 0x00,  // "12"
        0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,                          // ""
    };
    EXPECT_EQ(SaveProperties(about), expected);
}

TEST(PersistStream, RoundTripsEveryKindOfValue)
{
    const PersistedProperties cases[] = {
        {},
        {4736, 2381, u"THUMB1", u""},
        {4736, 2381, u"THUMB2", std::nullopt},
        {1, 0xFFFFFFFFu, u"\u30B5\u30E0\u30CD\u30A4\u30EB",
         u"C:\\\u5199\u771F\\\u8868.jpg"},  // サムネイル, C:\写真\表.jpg
        {0, 0, u"", u"\U0001F600 surrogate pair"},
    };
    for (const PersistedProperties& original : cases) {
        const Bytes bytes = SaveProperties(original);
        PersistedProperties loaded;
        BufferReader reader(bytes.data(), bytes.size());
        ASSERT_EQ(LoadProperties(reader, loaded), PersistError::kNone);
        EXPECT_EQ(loaded, original);
        EXPECT_EQ(reader.Consumed(), bytes.size());
    }
}

TEST(PersistStream, ReadsOlderVersionsAndStopsAtTheRecordsEnd)
{
    Bytes bytes = SaveProperties({100, 200, u"a", u"b"});
    bytes[1] = 0x02;  // version 0x0200
    bytes.push_back(0xEE);
    PersistedProperties loaded;
    BufferReader reader(bytes.data(), bytes.size());
    ASSERT_EQ(LoadProperties(reader, loaded), PersistError::kNone);
    EXPECT_EQ(loaded, (PersistedProperties{100, 200, u"a", u"b"}));
    EXPECT_EQ(reader.Consumed(), bytes.size() - 1);
}

TEST(PersistStream, RefusesEveryTruncationOfAValidRecord)
{
    const Bytes full = SaveProperties({873, 794, u"12", u"x.jpg"});
    for (size_t n = 0; n < full.size(); ++n) {
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        PersistedProperties loaded{1, 2, u"keep", u"keep"};
        EXPECT_EQ(Load(part, loaded), PersistError::kTruncated) << n << " bytes";
        EXPECT_EQ(loaded, (PersistedProperties{1, 2, u"keep", u"keep"})) << "changed after a failure";
    }
}

TEST(PersistStream, RefusesNewerVersionsAndMalformedVariants)
{
    const Bytes head = {0x00, 0x03, 0x00, 0x00, 1, 0, 0, 0, 2, 0, 0, 0};
    auto with = [&](Bytes tail) {
        Bytes b = head;
        b.insert(b.end(), tail.begin(), tail.end());
        return b;
    };
    const Bytes nullString = {0x08, 0x00, 0x00, 0x00, 0x00, 0x00};
    const struct {
        const char* name;
        Bytes bytes;
        PersistError error;
    } cases[] = {
        {"newer version", {0x01, 0x03, 0x00, 0x00, 1, 0, 0, 0, 2, 0, 0, 0}, PersistError::kNewerVersion},
        {"much newer version", {0x00, 0x00, 0x00, 0x80}, PersistError::kNewerVersion},
        {"not a string", with({0x03, 0x00, 0x05, 0x00, 0x00, 0x00}), PersistError::kCorrupt},
        {"odd byte count", with({0x08, 0x00, 0x03, 0x00, 0x00, 0x00, 'a', 0, 0}), PersistError::kCorrupt},
        {"no terminator", with({0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 'a', 0}), PersistError::kCorrupt},
        {"absurd length", with({0x08, 0x00, 0xF0, 0xFF, 0xFF, 0xFF}), PersistError::kCorrupt},
        {"length beyond the data", with({0x08, 0x00, 0x64, 0x00, 0x00, 0x00, 'a', 0, 0, 0}),
         PersistError::kTruncated},
        {"file name missing", with(nullString), PersistError::kTruncated},
    };
    for (const auto& c : cases) {
        PersistedProperties loaded;
        EXPECT_EQ(Load(c.bytes, loaded), c.error) << c.name;
    }
}

}  // namespace
}  // namespace thumbctl
