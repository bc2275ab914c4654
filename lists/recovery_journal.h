// The recovery journal: every change of the 36 lists is appended to a file as it
// happens, so that the lists survive a crash, a kill or a power cut and can be offered
// back at the next start.
//
// The file is a sequence of records:
//   'L' 'J' type list | payload length (u32) | CRC-32 of type to payload (u32) | payload
// (little-endian), beginning with a header record. Types:
//   'H' header: the text "Lumsor20 journal 1";
//   'I' insert, 'R' remove: a path count (u32), then each path as its length (u32) and
//       its bytes; an insert offers the paths in order, as the list's InsertMany does;
//   'C' clear; 'P' position: the list's current index (u32).
// A snapshot is the header followed by an insert and a position record for every list
// that holds entries. Records are only ever appended; a record cut short or damaged
// ends what can be read.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/clock.h"
#include "framework/core/filesystem.h"
#include "lists/list_set.h"

namespace lists {

// What a journal file holds, replayed.
struct JournalContents {
    explicit JournalContents(const PathOrder& order);

    std::vector<SortedPathSet> lists;  // kListCount sets
    std::array<int, kListCount> positions{};
    size_t changes = 0;     // records read after the header
    size_t unreadable = 0;  // records that could not be read (damage before the last one)

    size_t TotalEntries() const;
};

// Replays `bytes` from the start up to the first record that is cut short or damaged.
// A damaged record followed by readable ones counts with them as unreadable; a cut or
// damaged last record is a write the end of the run interrupted and counts as nothing.
JournalContents ReadJournal(std::string_view bytes, const PathOrder& order);

// CRC-32 (the zlib polynomial) of `bytes`, continuing from `crc`.
uint32_t Crc32(std::string_view bytes, uint32_t crc = 0);

class RecoveryJournal final : public ListChangeLog {
public:
    // A power cut loses at most this much of the last changes.
    static constexpr uint32_t kSyncIntervalMs = 2000;
    // A journal smaller than this is never rewritten, whatever the lists hold.
    static constexpr uint64_t kCompactFloor = 1u << 20;

    RecoveryJournal(fw::FileSystem& fs, fw::Clock& clock, uint64_t compactFloor = kCompactFloor);
    ~RecoveryJournal() override;
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    // Starts the journal at `path` as a snapshot of `lists`, replacing a file there in
    // one step, and records their changes from then on. False when it cannot be
    // written; the lists then run without a journal.
    bool Start(ListSet& lists, const std::string& path);
    // Whether Idle has anything to do: changes not yet on the disk or a list whose
    // position moved since it was recorded.
    bool IdleDue() const;
    // Work for a quiet moment: positions that moved are recorded, what was written is
    // forced to the disk, and a journal grown past a few snapshots is rewritten as one
    // (the old file stays valid until the new one is complete).
    void Idle();
    // The end of a normal run: recording stops and the file is removed.
    void Finish();

    // Recording (false before Start, after Finish and after a failed write).
    bool Active() const { return out_ != nullptr; }
    // True once a write failed: recording stopped and the file ends before that change.
    bool Failed() const { return failed_; }
    uint64_t Size() const { return size_; }

    // ListChangeLog
    void Inserted(int listNumber, std::string_view path) override;
    void Inserted(int listNumber, const std::vector<std::string>& paths) override;
    void Removed(int listNumber, std::string_view path) override;
    void Removed(int listNumber, const std::vector<std::string>& paths) override;
    void Cleared(int listNumber) override;

private:
    // Ends the record begun in record_ and writes it.
    void WriteRecord();
    void WritePaths(char type, int listNumber, const std::string_view* paths, size_t count);
    // Writes a snapshot of the lists to a file beside the journal and puts it in the
    // journal's place. False (the journal as it was) when that fails.
    bool WriteSnapshot();
    void Stop(bool failed);
    void Sync();

    fw::FileSystem& fs_;
    fw::Clock& clock_;
    ListSet* lists_ = nullptr;
    std::string path_;
    std::unique_ptr<fw::OutputFile> out_;
    std::string record_;
    std::array<int, kListCount> positions_{};
    uint64_t size_ = 0;
    const uint64_t compactFloor_;
    uint64_t compactAt_ = 0;      // a size past which Idle considers compaction
    uint32_t unsyncedSince_ = 0;  // when the oldest change not on the disk was written
    bool unsynced_ = false;
    bool failed_ = false;
};

}  // namespace lists
