#include "lists/recovery_journal.h"

#include <algorithm>

namespace lists {

namespace {

constexpr char kSync0 = 'L';
constexpr char kSync1 = 'J';
constexpr size_t kFrameSize = 12;  // sync, type, list, length, CRC
constexpr std::string_view kHeaderText = "Lumsor20 journal 1";
constexpr char kHeader = 'H';
constexpr char kInsert = 'I';
constexpr char kRemove = 'R';
constexpr char kClear = 'C';
constexpr char kPosition = 'P';
// Rewritten when it holds this many snapshots' worth of records.
constexpr uint64_t kCompactFactor = 4;

void PutU32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t GetU32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

// Starts a record in `out`; EndRecord fills in its length and CRC.
size_t BeginRecord(std::string& out, char type, int listNumber)
{
    const size_t start = out.size();
    out.push_back(kSync0);
    out.push_back(kSync1);
    out.push_back(type);
    out.push_back(static_cast<char>(listNumber));
    out.append(8, '\0');
    return start;
}

void EndRecord(std::string& out, size_t start)
{
    const size_t payload = out.size() - start - kFrameSize;
    std::string length;
    PutU32(length, static_cast<uint32_t>(payload));
    out.replace(start + 4, 4, length);
    uint32_t crc = Crc32(std::string_view(out).substr(start + 2, 6));
    crc = Crc32(std::string_view(out).substr(start + kFrameSize), crc);
    std::string check;
    PutU32(check, crc);
    out.replace(start + 8, 4, check);
}

void PutPaths(std::string& out, const std::string_view* paths, size_t count)
{
    PutU32(out, static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        PutU32(out, static_cast<uint32_t>(paths[i].size()));
        out.append(paths[i]);
    }
}

struct Record {
    char type = 0;
    int list = 0;
    std::string_view payload;
    size_t end = 0;  // offset just past the record
};

// The record at `at`, when it is whole and its CRC matches.
bool ParseRecord(std::string_view bytes, size_t at, Record& record)
{
    if (bytes.size() - at < kFrameSize || bytes[at] != kSync0 || bytes[at + 1] != kSync1)
        return false;
    const uint32_t length = GetU32(bytes, at + 4);
    if (length > bytes.size() - at - kFrameSize)
        return false;
    const std::string_view payload = bytes.substr(at + kFrameSize, length);
    if (Crc32(payload, Crc32(bytes.substr(at + 2, 6))) != GetU32(bytes, at + 8))
        return false;
    record = {bytes[at + 2], static_cast<unsigned char>(bytes[at + 3]), payload, at + kFrameSize + length};
    return true;
}

bool ParsePaths(std::string_view payload, std::vector<std::string>& paths)
{
    if (payload.size() < 4)
        return false;
    const uint32_t count = GetU32(payload, 0);
    if (count > (payload.size() - 4) / 4)
        return false;
    paths.reserve(count);
    size_t at = 4;
    for (uint32_t i = 0; i < count; ++i) {
        if (payload.size() - at < 4)
            return false;
        const uint32_t length = GetU32(payload, at);
        at += 4;
        if (length > payload.size() - at)
            return false;
        paths.emplace_back(payload.substr(at, length));
        at += length;
    }
    return at == payload.size();
}

// Applies one change; false (and nothing changed) when the record makes no sense.
bool Apply(JournalContents& contents, const Record& record)
{
    if (record.list >= kListCount)
        return false;
    SortedPathSet& list = contents.lists[static_cast<size_t>(record.list)];
    std::vector<std::string> paths;
    switch (record.type) {
        case kInsert:
            if (!ParsePaths(record.payload, paths))
                return false;
            list.InsertMany(std::move(paths));
            return true;
        case kRemove:
            if (!ParsePaths(record.payload, paths))
                return false;
            for (const std::string& path : paths)
                list.Remove(path);
            return true;
        case kClear:
            if (!record.payload.empty())
                return false;
            list.Clear();
            return true;
        case kPosition:
            if (record.payload.size() != 4 || GetU32(record.payload, 0) > 0x7FFFFFFF)
                return false;
            contents.positions[static_cast<size_t>(record.list)] =
                static_cast<int>(GetU32(record.payload, 0));
            return true;
        default:
            return false;
    }
}

// Whole records found anywhere from `at` on, each counted once.
size_t CountRecords(std::string_view bytes, size_t at)
{
    size_t count = 0;
    Record record;
    while (at + kFrameSize <= bytes.size()) {
        if (ParseRecord(bytes, at, record)) {
            ++count;
            at = record.end;
        } else {
            ++at;
        }
    }
    return count;
}

}  // namespace

uint32_t Crc32(std::string_view bytes, uint32_t crc)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (char b : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

JournalContents::JournalContents(const PathOrder& order) : lists(kListCount, SortedPathSet(order))
{
}

size_t JournalContents::TotalEntries() const
{
    size_t total = 0;
    for (const SortedPathSet& list : lists)
        total += list.Count();
    return total;
}

JournalContents ReadJournal(std::string_view bytes, const PathOrder& order)
{
    JournalContents contents(order);
    Record record;
    if (!ParseRecord(bytes, 0, record) || record.type != kHeader || record.payload != kHeaderText) {
        // Not a journal from its start: nothing is trusted.
        contents.unreadable = bytes.empty() ? 0 : CountRecords(bytes, 1);
        return contents;
    }
    size_t at = record.end;
    while (at < bytes.size()) {
        if (!ParseRecord(bytes, at, record) || !Apply(contents, record)) {
            const size_t later = CountRecords(bytes, at + 1);
            contents.unreadable = later ? later + 1 : 0;
            break;
        }
        ++contents.changes;
        at = record.end;
    }
    return contents;
}

RecoveryJournal::RecoveryJournal(fw::FileSystem& fs, fw::Clock& clock, uint64_t compactFloor)
    : fs_(fs), clock_(clock), compactFloor_(compactFloor)
{
}

RecoveryJournal::~RecoveryJournal()
{
    if (lists_)
        lists_->SetChangeLog(nullptr);
}

bool RecoveryJournal::Start(ListSet& lists, const std::string& path)
{
    lists_ = &lists;
    path_ = path;
    failed_ = false;
    if (!WriteSnapshot()) {
        lists_ = nullptr;
        failed_ = true;
        return false;
    }
    lists.SetChangeLog(this);
    return true;
}

bool RecoveryJournal::WriteSnapshot()
{
    std::string data;
    size_t start = BeginRecord(data, kHeader, 0);
    data.append(kHeaderText);
    EndRecord(data, start);
    std::vector<std::string_view> paths;
    for (int n = 0; n < kListCount; ++n) {
        const ListModel& list = lists_->List(n);
        if (list.GetCount() == 0)
            continue;
        paths.assign(list.Paths().begin(), list.Paths().end());
        start = BeginRecord(data, kInsert, n);
        PutPaths(data, paths.data(), paths.size());
        EndRecord(data, start);
        start = BeginRecord(data, kPosition, n);
        PutU32(data, static_cast<uint32_t>(list.Position()));
        EndRecord(data, start);
    }

    const std::string temp = path_ + ".new";
    std::unique_ptr<fw::OutputFile> out = fs_.Create(temp);
    bool written = out && out->Write(data.data(), data.size()) == data.size() && out->Flush();
    written = out && out->Close() && written;
    out.reset();
    if (!written) {
        fs_.Remove(temp);
        return false;
    }
    // The old journal stays whole until the new one replaces it in one step.
    const bool hadJournal = out_ != nullptr;
    out_.reset();
    if (!fs_.Replace(temp, path_)) {
        fs_.Remove(temp);
        if (hadJournal && !(out_ = fs_.Append(path_)))
            Stop(true);
        return false;
    }
    out_ = fs_.Append(path_);
    if (!out_) {
        Stop(true);
        return false;
    }
    size_ = data.size();
    compactAt_ = std::max<uint64_t>(kCompactFactor * size_, compactFloor_);
    for (int n = 0; n < kListCount; ++n)
        positions_[static_cast<size_t>(n)] = lists_->List(n).Position();
    unsynced_ = false;
    return true;
}

void RecoveryJournal::Stop(bool failed)
{
    if (lists_)
        lists_->SetChangeLog(nullptr);
    lists_ = nullptr;
    out_.reset();
    failed_ = failed_ || failed;
}

void RecoveryJournal::Finish()
{
    Stop(false);
    if (!path_.empty())
        fs_.Remove(path_);
}

void RecoveryJournal::WriteRecord()
{
    EndRecord(record_, 0);
    if (out_->Write(record_.data(), record_.size()) != record_.size()) {
        Stop(true);
        return;
    }
    size_ += record_.size();
    record_.clear();
    if (record_.capacity() > kCompactFloor)
        record_.shrink_to_fit();
    const uint32_t now = clock_.Milliseconds();
    if (!unsynced_) {
        unsynced_ = true;
        unsyncedSince_ = now;
    } else if (now - unsyncedSince_ >= kSyncIntervalMs) {
        Sync();
    }
}

void RecoveryJournal::WritePaths(char type, int listNumber, const std::string_view* paths, size_t count)
{
    if (!out_ || count == 0)
        return;
    record_.clear();
    BeginRecord(record_, type, listNumber);
    PutPaths(record_, paths, count);
    WriteRecord();
}

void RecoveryJournal::Inserted(int listNumber, std::string_view path)
{
    WritePaths(kInsert, listNumber, &path, 1);
}

void RecoveryJournal::Inserted(int listNumber, const std::vector<std::string>& paths)
{
    std::vector<std::string_view> views(paths.begin(), paths.end());
    WritePaths(kInsert, listNumber, views.data(), views.size());
}

void RecoveryJournal::Removed(int listNumber, std::string_view path)
{
    WritePaths(kRemove, listNumber, &path, 1);
}

void RecoveryJournal::Removed(int listNumber, const std::vector<std::string>& paths)
{
    std::vector<std::string_view> views(paths.begin(), paths.end());
    WritePaths(kRemove, listNumber, views.data(), views.size());
}

void RecoveryJournal::Cleared(int listNumber)
{
    if (!out_)
        return;
    record_.clear();
    BeginRecord(record_, kClear, listNumber);
    WriteRecord();
}

void RecoveryJournal::Sync()
{
    if (out_ && !out_->Flush()) {
        Stop(true);
        return;
    }
    unsynced_ = false;
}

bool RecoveryJournal::IdleDue() const
{
    if (!out_)
        return false;
    if (unsynced_)
        return true;
    for (int n = 0; n < kListCount; ++n)
        if (lists_->List(n).Position() != positions_[static_cast<size_t>(n)])
            return true;
    return false;
}

void RecoveryJournal::Idle()
{
    for (int n = 0; n < kListCount && out_; ++n) {
        const int position = lists_->List(n).Position();
        if (position == positions_[static_cast<size_t>(n)])
            continue;
        record_.clear();
        BeginRecord(record_, kPosition, n);
        PutU32(record_, static_cast<uint32_t>(position));
        WriteRecord();
        positions_[static_cast<size_t>(n)] = position;
    }
    if (out_ && unsynced_)
        Sync();
    if (!out_ || size_ <= compactAt_)
        return;
    uint64_t snapshot = kFrameSize + kHeaderText.size();
    for (int n = 0; n < kListCount; ++n) {
        const ListModel& list = lists_->List(n);
        if (list.GetCount() == 0)
            continue;
        snapshot += 2 * kFrameSize + 8;
        for (const std::string& path : list.Paths())
            snapshot += 4 + path.size();
    }
    if (size_ <= kCompactFactor * snapshot)
        compactAt_ = std::max<uint64_t>(kCompactFactor * snapshot, compactFloor_);
    else if (!WriteSnapshot())
        compactAt_ = 2 * size_;  // tried again once it has grown as much again
}

}  // namespace lists
