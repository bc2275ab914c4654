// The slot table of a picture cache: keys, slots, the per-window limit, the
// least-recently-used choice and the entry states. Plain logic over a clock, a
// file lookup, window identities and opaque pictures, so that it runs anywhere.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/clock.h"

namespace thumbctl::cache {

enum class EntryState : int {
    kPending = 0,
    kReadyPicture = 1,
    kReadyBitmap = 2,
    kFailed = 3,
    kLoading = 4,
};

// A decoded picture. The entry owns it; destroying it releases the picture
// object or deletes the bitmap.
class Picture {
public:
    virtual ~Picture() = default;
    // The bitmap handle to hand out, or false when the picture is not a bitmap.
    virtual bool BitmapHandle(uintptr_t& handle) = 0;
    // The memory its pixels take, counted against the cache's memory budget.
    virtual size_t Bytes() { return 0; }
    // Whether its memory can take a later picture's pixels (see SlotTable::TakeSpare).
    virtual bool Reusable() const { return false; }
};

// One cached file request. Shared between the table and a loader working on
// it, so an entry dropped from the table while loading lives until its loader
// is done, and is released exactly once.
struct PictureEntry {
    std::string path;        // ANSI code page, at most 259 bytes
    uint64_t lastWrite = 0;  // FILETIME of the file when the entry was made
    uintptr_t owner = 0;     // window of the latest request
    std::atomic<EntryState> state{EntryState::kPending};
    std::unique_ptr<Picture> picture;  // guarded by the table lock
    uint32_t lastUse = 0;              // tick of the latest request
    uint64_t requestOrder = 0;         // count of requests to the table at the latest one
    bool current = false;              // latest request of its owner window
    size_t bytes = 0;                  // of the picture, guarded by the table lock
};

// The table lock: a Win32 mutex in the library (a loader thread can be
// terminated while it holds it), a standard mutex in native tests.
class TableLock {
public:
    virtual ~TableLock() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

class TableLockScope {
public:
    explicit TableLockScope(TableLock& lock) : lock_(lock) { lock_.Lock(); }
    ~TableLockScope() { lock_.Unlock(); }
    TableLockScope(const TableLockScope&) = delete;
    TableLockScope& operator=(const TableLockScope&) = delete;

private:
    TableLock& lock_;
};

class SlotTable {
public:
    struct Environment {
        fw::Clock& clock;
        // Whether the file exists, and its last-write time (FILETIME as one value).
        std::function<bool(const std::string& path, uint64_t& lastWrite)> lookup;
        TableLock& lock;
        std::function<void()> beep;  // MessageBeep(0xFFFFFFFF)
    };

    // What a test or a benchmark may look at.
    struct SlotView {
        bool used = false;
        std::string path;
        uint64_t lastWrite = 0;
        uintptr_t owner = 0;
        EntryState state = EntryState::kPending;
        uint32_t lastUse = 0;
        bool current = false;
        bool hasPicture = false;
    };

    // Sizes as for SetCacheSize (signed 16-bit, negative taken as 0).
    SlotTable(Environment env, int16_t slotCount, int16_t cacheOutLimit);
    ~SlotTable();
    SlotTable(const SlotTable&) = delete;
    SlotTable& operator=(const SlotTable&) = delete;

    // A request. On a hit that can be delivered, `deliver` runs with the bitmap
    // handle while the table is locked (the bitmap stays valid for that call)
    // and the result is true. A miss makes a pending entry and returns false.
    bool RequestBitmap(uintptr_t window, const std::string& path,
                       const std::function<void(uintptr_t)>& deliver);

    // Drops every entry (loading ones stay alive for their loader) and makes
    // `slotCount` empty slots.
    void SetCacheSize(int16_t slotCount, int16_t cacheOutLimit);

    // Drops every entry, at destruction of the cache.
    void Clear();

    // The most bytes the pictures of the table may take together (0: no limit).
    // Kept across SetCacheSize; applied as new pictures arrive.
    void SetMemoryBudget(uint64_t bytes);
    // The bytes of the pictures held, spare ones included.
    uint64_t HeldBytes();

    // A reusable picture the table let go that `fits` accepts, now the caller's, so
    // that its memory takes a new picture instead of memory never touched before; null
    // when none fits. A reusable picture freed to make room for a request is kept
    // spare (at most kSpares, the oldest going first) while it fits into the memory
    // budget beside the held ones; a new picture over the budget sheds spare ones
    // before it evicts any held one. SetCacheSize and Clear release them.
    static constexpr size_t kSpares = 2;
    std::unique_ptr<Picture> TakeSpare(const std::function<bool(Picture&)>& fits);
    // Whether a blank picture of `bytes` made ahead would serve: fewer than kSpares are
    // spare and none passes `fits`, no request waits, and it fits into the memory budget
    // beside the held ones.
    bool WantsSpare(size_t bytes, const std::function<bool(Picture&)>& fits);
    // Keeps such a picture spare while fewer than kSpares are.
    void AddSpare(std::unique_ptr<Picture> picture, size_t bytes);

    // The dispatcher's choice: the most recently requested pending entry (requests
    // within one clock tick keep their order), marked loading before the lock is
    // released. Null when nothing is pending.
    std::shared_ptr<PictureEntry> TakeNewestPending();

    // A loader's result: the state and (on success) the picture.
    void Publish(PictureEntry& entry, EntryState state, std::unique_ptr<Picture> picture);

    // The window of the latest request for an entry (it changes on every hit).
    uintptr_t OwnerOf(const PictureEntry& entry);

    std::vector<SlotView> Snapshot();
    size_t SlotCount();
    int CacheOutLimit();

private:
    bool Deliver(PictureEntry& entry, const std::function<void(uintptr_t)>& deliver);
    bool Free(size_t slot);  // false when the entry is loading
    void TrimPerWindow();
    bool ChooseSlot(size_t& slot);
    bool LeastRecentlyUsed(size_t& slot, const std::function<bool(const PictureEntry&)>& eligible) const;
    void DropAll();
    void KeepSpare(std::unique_ptr<Picture> picture, size_t bytes);
    uint64_t SumBytes() const;
    void KeepWithinBudget(const PictureEntry& arrived);

    Environment env_;
    std::vector<std::shared_ptr<PictureEntry>> slots_;
    struct Spare {
        std::unique_ptr<Picture> picture;
        size_t bytes = 0;
    };
    std::vector<Spare> spares_;  // oldest first
    int cacheOutLimit_ = 0;
    uint64_t budget_ = 0;
    uint64_t requests_ = 0;
};

}  // namespace thumbctl::cache
