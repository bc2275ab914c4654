#include "thumbctl/cache/slot_table.h"

#include <algorithm>

#include "framework/core/ascii.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {

SlotTable::SlotTable(Environment env, int16_t slotCount, int16_t cacheOutLimit) : env_(std::move(env))
{
    SetCacheSize(slotCount, cacheOutLimit);
}

SlotTable::~SlotTable()
{
    Clear();
}

bool SlotTable::RequestBitmap(uintptr_t window, const std::string& path,
                              const std::function<void(uintptr_t)>& deliver)
{
    uint64_t lastWrite = 0;
    if (!env_.lookup(path, lastWrite))
        return false;

    // The lock covers the whole request, so several caller threads are safe.
    TableLockScope lock(env_.lock);
    const uint32_t now = env_.clock.Milliseconds();

    for (auto& entry : slots_) {
        if (entry && entry->owner == window)
            entry->current = false;
    }

    for (auto& entry : slots_) {
        if (entry && entry->lastWrite == lastWrite && fw::EqualsIgnoringAsciiCase(entry->path, path)) {
            // A hit renews the request whatever the state: a pending entry asked
            // for again becomes the newest and is decoded first.
            entry->lastUse = now;
            entry->requestOrder = ++requests_;
            entry->owner = window;
            entry->current = true;
            return Deliver(*entry, deliver);
        }
    }

    TrimPerWindow();
    size_t slot = 0;
    if (!ChooseSlot(slot)) {
        env_.beep();
        return false;
    }
    auto entry = std::make_shared<PictureEntry>();
    entry->path = path;
    entry->lastWrite = lastWrite;
    entry->owner = window;
    entry->state = EntryState::kPending;
    entry->lastUse = now;
    entry->requestOrder = ++requests_;
    entry->current = true;
    slots_[slot] = std::move(entry);
    return false;
}

bool SlotTable::Deliver(PictureEntry& entry, const std::function<void(uintptr_t)>& deliver)
{
    EntryState state = entry.state.load();
    if ((state != EntryState::kReadyPicture && state != EntryState::kReadyBitmap) || !entry.picture)
        return false;
    uintptr_t handle = 0;
    if (!entry.picture->BitmapHandle(handle))
        return false;
    deliver(handle);
    return true;
}

bool SlotTable::Free(size_t slot)
{
    if (!slots_[slot])
        return true;
    if (slots_[slot]->state.load() == EntryState::kLoading)
        return false;
    // The entry may live on with a loader that let it go; its picture is the table's.
    const std::shared_ptr<PictureEntry> entry = std::move(slots_[slot]);
    KeepSpare(std::move(entry->picture), entry->bytes);
    return true;
}

void SlotTable::KeepSpare(std::unique_ptr<Picture> picture, size_t bytes)
{
    if (!picture || !picture->Reusable())
        return;
    if (spares_.size() == kSpares)
        spares_.erase(spares_.begin());
    if (budget_ != 0 && SumBytes() + bytes > budget_)
        return;
    spares_.push_back(Spare{std::move(picture), bytes});
}

bool SlotTable::WantsSpare(size_t bytes, const std::function<bool(Picture&)>& fits)
{
    TableLockScope lock(env_.lock);
    if (spares_.size() == kSpares)
        return false;
    for (const Spare& spare : spares_) {
        if (fits(*spare.picture))
            return false;
    }
    for (const auto& e : slots_) {
        if (e && e->state.load() == EntryState::kPending)
            return false;
    }
    return budget_ == 0 || SumBytes() + bytes <= budget_;
}

void SlotTable::AddSpare(std::unique_ptr<Picture> picture, size_t bytes)
{
    TableLockScope lock(env_.lock);
    if (spares_.size() < kSpares)  // the spares let go are as good
        KeepSpare(std::move(picture), bytes);
}

std::unique_ptr<Picture> SlotTable::TakeSpare(const std::function<bool(Picture&)>& fits)
{
    TableLockScope lock(env_.lock);
    for (auto s = spares_.rbegin(); s != spares_.rend(); ++s) {
        if (fits(*s->picture)) {
            std::unique_ptr<Picture> taken = std::move(s->picture);
            spares_.erase(std::next(s).base());
            return taken;
        }
    }
    return nullptr;
}

void SlotTable::TrimPerWindow()
{
    const size_t n = slots_.size();
    for (size_t k = 0; k < n; ++k) {
        if (!slots_[k])
            continue;
        const uintptr_t owner = slots_[k]->owner;
        size_t candidate = k;
        int count = 0;
        for (size_t j = 0; j < n; ++j) {
            if (j == k || !slots_[j] || slots_[j]->owner != owner)
                continue;
            ++count;
            if (slots_[j]->lastUse < slots_[candidate]->lastUse)
                candidate = j;
        }
        if (count >= cacheOutLimit_)
            Free(candidate);
    }
}

bool SlotTable::ChooseSlot(size_t& slot)
{
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i]) {
            slot = i;
            return true;
        }
    }
    return LeastRecentlyUsed(slot, [](const PictureEntry&) { return true; }) && Free(slot);
}

// The eviction rule: the entry with the smallest last-use tick among those that
// carry no current mark, are not loading and pass `eligible`.
bool SlotTable::LeastRecentlyUsed(size_t& slot,
                                  const std::function<bool(const PictureEntry&)>& eligible) const
{
    uint32_t best = 0xFFFFFFFFu;
    bool found = false;
    for (size_t i = 0; i < slots_.size(); ++i) {
        const auto& e = slots_[i];
        if (!e || e->current || e->state.load() == EntryState::kLoading || !eligible(*e))
            continue;
        if (e->lastUse < best) {
            best = e->lastUse;
            slot = i;
            found = true;
        }
    }
    return found;
}

void SlotTable::DropAll()
{
    // A loading entry leaves the table too; its loader holds the last reference.
    for (auto& entry : slots_)
        entry.reset();
    spares_.clear();
}

void SlotTable::SetCacheSize(int16_t slotCount, int16_t cacheOutLimit)
{
    TableLockScope lock(env_.lock);
    DropAll();
    slots_.assign(static_cast<size_t>(std::max<int>(slotCount, 0)), nullptr);
    cacheOutLimit_ = std::max<int>(cacheOutLimit, 0);
}

void SlotTable::Clear()
{
    TableLockScope lock(env_.lock);
    DropAll();
}

std::shared_ptr<PictureEntry> SlotTable::TakeNewestPending()
{
    TableLockScope lock(env_.lock);
    std::shared_ptr<PictureEntry> chosen;
    for (const auto& e : slots_) {
        if (e && e->state.load() == EntryState::kPending &&
            (!chosen || e->requestOrder > chosen->requestOrder))
            chosen = e;
    }
    if (chosen)
        chosen->state = EntryState::kLoading;
    return chosen;
}

void SlotTable::Publish(PictureEntry& entry, EntryState state, std::unique_ptr<Picture> picture)
{
    std::unique_ptr<Picture> old;
    // Asked before the picture is shared: nobody else can reach it yet.
    const size_t bytes = picture ? picture->Bytes() : 0;
    {
        TableLockScope lock(env_.lock);
        if (picture) {
            old = std::move(entry.picture);
            entry.picture = std::move(picture);
            entry.bytes = bytes;
        }
        entry.state = state;
        if (bytes)
            KeepWithinBudget(entry);
    }
}

void SlotTable::SetMemoryBudget(uint64_t bytes)
{
    TableLockScope lock(env_.lock);
    budget_ = bytes;
}

uint64_t SlotTable::HeldBytes()
{
    TableLockScope lock(env_.lock);
    return SumBytes();
}

uint64_t SlotTable::SumBytes() const
{
    uint64_t sum = 0;
    for (const auto& e : slots_) {
        if (e && e->picture)
            sum += e->bytes;
    }
    for (const Spare& s : spares_)
        sum += s.bytes;
    return sum;
}

// Evicts by the same least-recently-used rule as a full table: never a current
// request (the pictures on screen), never a loading entry, never the picture
// that just arrived, so one picture larger than the whole budget still shows.
void SlotTable::KeepWithinBudget(const PictureEntry& arrived)
{
    if (budget_ == 0)
        return;
    uint64_t held = SumBytes();
    while (held > budget_ && !spares_.empty()) {
        held -= spares_.front().bytes;
        spares_.erase(spares_.begin());
    }
    size_t victim = 0;
    while (held > budget_ &&
           LeastRecentlyUsed(victim, [&](const PictureEntry& e) { return e.picture && &e != &arrived; })) {
        held -= slots_[victim]->bytes;
        slots_[victim].reset();
    }
}

uintptr_t SlotTable::OwnerOf(const PictureEntry& entry)
{
    TableLockScope lock(env_.lock);
    return entry.owner;
}

std::vector<SlotTable::SlotView> SlotTable::Snapshot()
{
    TableLockScope lock(env_.lock);
    std::vector<SlotView> views(slots_.size());
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i])
            continue;
        const PictureEntry& e = *slots_[i];
        views[i] = SlotView{true,           e.path,    e.lastWrite, e.owner,
                            e.state.load(), e.lastUse, e.current,   e.picture != nullptr};
    }
    return views;
}

size_t SlotTable::SlotCount()
{
    TableLockScope lock(env_.lock);
    return slots_.size();
}

int SlotTable::CacheOutLimit()
{
    TableLockScope lock(env_.lock);
    return cacheOutLimit_;
}

}  // namespace thumbctl::cache
