// The slot policy with a fake clock, an in-memory file lookup and fake pictures.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/memory_filesystem.h"
#include "thumbctl/cache/slot_table.h"

namespace thumbctl::cache {
namespace {

class FakeClock final : public fw::Clock {
public:
    uint32_t Milliseconds() override { return now.load(); }
    std::atomic<uint32_t> now{1000};
};

class StdLock final : public TableLock {
public:
    void Lock() override { mutex_.lock(); }
    void Unlock() override { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

std::atomic<int> g_beeps{0};
std::atomic<int> g_pictureReleases{0};

class FakePicture final : public Picture {
public:
    FakePicture(uintptr_t handle, bool isBitmap, size_t bytes = 0)
        : handle_(handle), isBitmap_(isBitmap), bytes_(bytes)
    {
    }
    ~FakePicture() override { ++g_pictureReleases; }
    bool BitmapHandle(uintptr_t& handle) override
    {
        handle = handle_;
        return isBitmap_;
    }
    size_t Bytes() override { return bytes_; }

private:
    uintptr_t handle_;
    bool isBitmap_;
    size_t bytes_;
};

constexpr uintptr_t kW1 = 0x1001;
constexpr uintptr_t kW2 = 0x1002;
constexpr uintptr_t kW3 = 0x1003;

class SlotTableTest : public testing::Test {
protected:
    SlotTableTest()
    {
        g_beeps = 0;
        g_pictureReleases = 0;
        for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"})
            files.AddFile(Path(name), "x", 100);
    }

    static std::string Path(const std::string& name) { return "C:\\pics\\" + name + ".jpg"; }

    std::unique_ptr<SlotTable> Make(int16_t slots, int16_t limit)
    {
        return std::make_unique<SlotTable>(SlotTable::Environment{clock, Lookup(), lock, [] { ++g_beeps; }},
                                           slots, limit);
    }

    // A request at the next tick; true when delivered (the handle in `handle`).
    bool Request(SlotTable& t, uintptr_t window, const std::string& path, uintptr_t* handle = nullptr)
    {
        clock.now += 10;
        return t.RequestBitmap(window, path, [&](uintptr_t h) {
            if (handle)
                *handle = h;
        });
    }

    // What the dispatcher and a loader do for the newest pending entry.
    std::shared_ptr<PictureEntry> Decode(SlotTable& t, uintptr_t handle, bool isBitmap = true,
                                         EntryState state = EntryState::kReadyBitmap, size_t bytes = 0)
    {
        auto entry = t.TakeNewestPending();
        if (entry)
            t.Publish(*entry, state, std::make_unique<FakePicture>(handle, isBitmap, bytes));
        return entry;
    }

    std::function<bool(const std::string&, uint64_t&)> Lookup()
    {
        return [this](const std::string& path, uint64_t& lastWrite) {
            fw::FileInfo info;
            if (!files.Find(path, info))
                return false;
            lastWrite = info.lastWrite;
            return true;
        };
    }

    static size_t Used(SlotTable& t)
    {
        size_t n = 0;
        for (const auto& v : t.Snapshot())
            n += v.used ? 1 : 0;
        return n;
    }

    static std::vector<std::string> Paths(SlotTable& t)
    {
        std::vector<std::string> paths;
        for (const auto& v : t.Snapshot())
            paths.push_back(v.used ? v.path : "-");
        return paths;
    }

    FakeClock clock;
    testing_support::MemoryFileSystem files;
    StdLock lock;
};

TEST_F(SlotTableTest, FirstRequestFailsAndLeavesAPendingCurrentEntry)
{
    auto t = Make(8, 2);
    EXPECT_FALSE(Request(*t, kW1, Path("a")));
    auto v = t->Snapshot();
    ASSERT_TRUE(v[0].used);
    EXPECT_EQ(Path("a"), v[0].path);
    EXPECT_EQ(100u, v[0].lastWrite);
    EXPECT_EQ(kW1, v[0].owner);
    EXPECT_EQ(EntryState::kPending, v[0].state);
    EXPECT_EQ(clock.now.load(), v[0].lastUse);
    EXPECT_TRUE(v[0].current);
    EXPECT_FALSE(v[0].hasPicture);
    EXPECT_FALSE(v[1].used);
}

TEST_F(SlotTableTest, ReadyEntryHitsWithTheSameHandleEachTime)
{
    auto t = Make(8, 2);
    EXPECT_FALSE(Request(*t, kW1, Path("a")));
    Decode(*t, 0xB1);
    for (int i = 0; i < 3; ++i) {
        uintptr_t handle = 0;
        EXPECT_TRUE(Request(*t, i == 2 ? kW2 : kW1, Path("a"), &handle));
        EXPECT_EQ(0xB1u, handle);
    }
    auto v = t->Snapshot();
    EXPECT_EQ(kW2, v[0].owner);
    EXPECT_EQ(clock.now.load(), v[0].lastUse);
    EXPECT_FALSE(v[1].used);
}

TEST_F(SlotTableTest, MissingFileChangesNothing)
{
    auto t = Make(4, 2);
    Request(*t, kW1, Path("a"));
    auto before = t->Snapshot();
    EXPECT_FALSE(Request(*t, kW1, "C:\\pics\\missing.jpg"));
    auto after = t->Snapshot();
    ASSERT_EQ(before.size(), after.size());
    EXPECT_TRUE(after[0].current);
    EXPECT_EQ(before[0].lastUse, after[0].lastUse);
    EXPECT_FALSE(after[1].used);
}

TEST_F(SlotTableTest, KeyIsPathIgnoringAsciiCaseAndLastWriteTime)
{
    auto t = Make(8, 8);
    Request(*t, kW1, "C:\\pics\\a.jpg");
    Decode(*t, 0xA1);
    uintptr_t handle = 0;
    EXPECT_TRUE(Request(*t, kW1, "c:\\PICS\\A.JPG", &handle));
    EXPECT_EQ(0xA1u, handle);

    files.AddFile(Path("a"), "y", 200);  // rewritten
    EXPECT_FALSE(Request(*t, kW1, Path("a")));
    auto v = t->Snapshot();
    ASSERT_TRUE(v[1].used);
    EXPECT_EQ(200u, v[1].lastWrite);
    EXPECT_EQ(100u, v[0].lastWrite);  // the old contents stay until evicted
    EXPECT_EQ(EntryState::kReadyBitmap, v[0].state);

    // Double-byte letters are not folded: a different key.
    files.AddFile("C:\\\x82\x81.jpg", "z", 5);
    files.AddFile("C:\\\x82\x60.jpg", "z", 5);
    Request(*t, kW1, "C:\\\x82\x81.jpg");
    EXPECT_FALSE(Request(*t, kW1, "C:\\\x82\x60.jpg"));
    EXPECT_EQ(4u, Used(*t));
}

TEST_F(SlotTableTest, RequestMovesTheCurrentMarkOfItsWindowOnly)
{
    auto t = Make(8, 8);
    Request(*t, kW1, Path("a"));
    Request(*t, kW2, Path("b"));
    Request(*t, kW1, Path("c"));
    auto v = t->Snapshot();
    EXPECT_FALSE(v[0].current);
    EXPECT_TRUE(v[1].current);
    EXPECT_TRUE(v[2].current);
}

TEST_F(SlotTableTest, TrimAndEvictionFreeTheLeastRecentlyUsed)
{
    // Requests as window digit and file letter; the slots afterwards.
    const struct {
        const char* name;
        int16_t slots, limit;
        const char* requests;
        const char* expected;
    } cases[] = {
        {"a window holds one more than its limit", 4, 2, "1a 1b 1c", "abc-"},
        {"the next request frees its oldest", 4, 2, "1a 1b 1c 1d", "dbc-"},
        {"a hit renews an entry", 4, 2, "1a 1b 1c 1d 1b 1e", "dbe-"},
        // a is freed at slot 0, after which b and c count one entry fewer and stay.
        {"another window's request trims the first one too", 6, 2, "1a 1b 1c 2d", "dbc---"},
        {"a zero limit frees the oldest of every window", 4, 0, "1a 2b 3c", "c---"},
        // The hit makes a current; d takes its mark, so b is the oldest unmarked.
        {"a full table evicts the oldest unmarked entry", 3, 10, "1a 1b 2c 1a 1d", "adc"},
        {"a full table evicts the only unmarked entry", 3, 10, "1a 1b 2c 1a 1d 3e", "edc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = Make(c.slots, c.limit);
        for (const char* r = c.requests; *r; r += r[2] ? 3 : 2)
            Request(*t, kW1 + static_cast<uintptr_t>(r[0] - '1'), Path(std::string(1, r[1])));
        std::vector<std::string> expected;
        for (const char* e = c.expected; *e; ++e)
            expected.push_back(*e == '-' ? "-" : Path(std::string(1, *e)));
        EXPECT_EQ(expected, Paths(*t));
    }
    EXPECT_EQ(0, g_beeps.load());
}

TEST_F(SlotTableTest, LoadingEntriesRefuseTrimAndEviction)
{
    auto t = Make(2, 0);
    Request(*t, kW1, Path("a"));
    auto loading = t->TakeNewestPending();
    ASSERT_TRUE(loading);
    Request(*t, kW1, Path("b"));
    EXPECT_EQ((std::vector<std::string>{Path("a"), Path("b")}), Paths(*t));
    EXPECT_EQ(0, g_beeps.load());
}

TEST_F(SlotTableTest, NoFreeableSlotBeepsAndFails)
{
    auto t = Make(2, 10);
    Request(*t, kW1, Path("a"));
    auto loading = t->TakeNewestPending();
    Request(*t, kW1, Path("b"));  // a not current but loading, b current
    auto before = Paths(*t);
    EXPECT_FALSE(Request(*t, kW2, Path("c")));
    EXPECT_EQ(1, g_beeps.load());
    EXPECT_EQ(before, Paths(*t));
}

TEST_F(SlotTableTest, NewestPendingRequestIsDecodedFirst)
{
    auto t = Make(8, 8);
    Request(*t, kW1, Path("a"));
    Request(*t, kW2, Path("b"));
    Request(*t, kW3, Path("c"));
    Request(*t, kW1, Path("a"));  // asked again: the newest now
    std::vector<std::string> order;
    while (auto e = t->TakeNewestPending())
        order.push_back(e->path);
    EXPECT_EQ((std::vector<std::string>{Path("a"), Path("c"), Path("b")}), order);
    for (const auto& v : t->Snapshot()) {
        EXPECT_TRUE(!v.used || v.state == EntryState::kLoading);
    }
}

TEST_F(SlotTableTest, RequestsWithinOneTickAreDecodedNewestFirst)
{
    // A list window asks for the file after the shown one, then for the shown one,
    // within one millisecond: the shown one, in the later slot, is decoded first.
    auto t = Make(8, 8);
    t->RequestBitmap(kW1, Path("b"), [](uintptr_t) {});
    t->RequestBitmap(kW1, Path("a"), [](uintptr_t) {});
    t->RequestBitmap(kW2, Path("c"), [](uintptr_t) {});
    t->RequestBitmap(kW1, Path("b"), [](uintptr_t) {});  // asked again: the newest now
    std::vector<std::string> order;
    while (auto e = t->TakeNewestPending())
        order.push_back(e->path);
    EXPECT_EQ((std::vector<std::string>{Path("b"), Path("c"), Path("a")}), order);
}

TEST_F(SlotTableTest, PendingEntryWithTickZeroIsStillDecoded)
{
    auto t = Make(2, 2);
    clock.now = 0u - 10u;  // the next request happens at tick 0
    Request(*t, kW1, Path("a"));
    auto e = t->TakeNewestPending();
    ASSERT_TRUE(e);
    EXPECT_EQ(0u, e->lastUse);
}

struct DeliveryCase {
    const char* name;
    EntryState state;
    bool withPicture;
    bool isBitmap;
    bool delivered;
};

TEST_F(SlotTableTest, DeliversOnlyReadyBitmaps)
{
    const DeliveryCase cases[] = {
        {"ready picture, bitmap", EntryState::kReadyPicture, true, true, true},
        {"ready bitmap", EntryState::kReadyBitmap, true, true, true},
        {"ready picture, icon", EntryState::kReadyPicture, true, false, false},
        {"ready state without bitmap yet", EntryState::kReadyBitmap, false, true, false},
        {"failed", EntryState::kFailed, false, true, false},
        {"failed with picture", EntryState::kFailed, true, true, false},
    };
    for (const DeliveryCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = Make(4, 4);
        Request(*t, kW1, Path("a"));
        auto e = t->TakeNewestPending();
        t->Publish(*e, c.state, c.withPicture ? std::make_unique<FakePicture>(0xC0, c.isBitmap) : nullptr);
        uintptr_t handle = 0;
        EXPECT_EQ(c.delivered, Request(*t, kW1, Path("a"), &handle));
        EXPECT_EQ(c.delivered ? 0xC0u : 0u, handle);
    }
    auto t = Make(4, 4);
    Request(*t, kW1, Path("a"));
    EXPECT_FALSE(Request(*t, kW1, Path("a")));  // pending
    t->TakeNewestPending();
    EXPECT_FALSE(Request(*t, kW1, Path("a")));  // loading
}

TEST_F(SlotTableTest, SetCacheSizeDropsEverythingEvenWithUnchangedSizes)
{
    auto t = Make(4, 2);
    Request(*t, kW1, Path("a"));
    Decode(*t, 0xA1);
    Request(*t, kW1, Path("b"));
    t->SetCacheSize(4, 2);
    EXPECT_EQ((std::vector<std::string>{"-", "-", "-", "-"}), Paths(*t));
    EXPECT_EQ(1, g_pictureReleases.load());
    EXPECT_EQ(2, t->CacheOutLimit());
    EXPECT_FALSE(Request(*t, kW1, Path("a")));  // decoded again

    t->SetCacheSize(6, 3);
    EXPECT_EQ(6u, t->SlotCount());
    EXPECT_EQ(3, t->CacheOutLimit());
}

TEST_F(SlotTableTest, NegativeSizesAreZeroAndEveryMissBeeps)
{
    auto t = Make(-5, -1);
    EXPECT_EQ(0u, t->SlotCount());
    EXPECT_EQ(0, t->CacheOutLimit());
    EXPECT_FALSE(Request(*t, kW1, Path("a")));
    EXPECT_EQ(1, g_beeps.load());
}

TEST_F(SlotTableTest, EntryDroppedWhileLoadingIsReleasedOnceWhenItsLoaderEnds)
{
    auto t = Make(4, 2);
    Request(*t, kW1, Path("a"));
    auto loading = t->TakeNewestPending();
    t->SetCacheSize(4, 2);
    EXPECT_EQ((std::vector<std::string>{"-", "-", "-", "-"}), Paths(*t));
    t->Publish(*loading, EntryState::kReadyBitmap, std::make_unique<FakePicture>(1, true));
    EXPECT_EQ(0, g_pictureReleases.load());
    loading.reset();
    EXPECT_EQ(1, g_pictureReleases.load());
    t.reset();
    EXPECT_EQ(1, g_pictureReleases.load());
}

TEST_F(SlotTableTest, MemoryBudgetEvictsTheLeastRecentlyUsedPicturesButNeverTheShownOnes)
{
    constexpr size_t kMiB = size_t{1} << 20;
    auto t = Make(8, 8);
    t->SetMemoryBudget(250 * kMiB);
    // W1 shows a, W2 shows b; W1 walks on through c, d, e (100 MiB each).
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        Request(*t, std::string(name) == "b" ? kW2 : kW1, Path(name));
        Decode(*t, 1, true, EntryState::kReadyBitmap, 100 * kMiB);
    }
    // a, c and d went, oldest first (their slots were reused); b is W2's
    // picture on screen and e W1's.
    EXPECT_EQ((std::vector<std::string>{"-", Path("b"), Path("e"), "-", "-", "-", "-", "-"}), Paths(*t));
    EXPECT_EQ(200 * kMiB, t->HeldBytes());
    EXPECT_EQ(0, g_beeps.load());

    // One picture larger than the whole budget still arrives and is delivered.
    files.AddFile(Path("huge"), "x", 100);
    Request(*t, kW1, Path("huge"));
    Decode(*t, 7, true, EntryState::kReadyBitmap, 400 * kMiB);
    uintptr_t handle = 0;
    EXPECT_TRUE(Request(*t, kW1, Path("huge"), &handle));
    EXPECT_EQ(7u, handle);
    EXPECT_EQ(500 * kMiB, t->HeldBytes());  // b and the huge one are both on screen

    // Entries without a picture cost nothing; SetCacheSize keeps the budget.
    t->SetCacheSize(8, 8);
    for (const char* name : {"a", "b", "c"}) {
        Request(*t, kW1, Path(name));
        Decode(*t, 1, true, EntryState::kReadyBitmap, 100 * kMiB);
    }
    EXPECT_EQ(200 * kMiB, t->HeldBytes());

    // Without a budget nothing is evicted for its size.
    t->SetMemoryBudget(0);
    Request(*t, kW1, Path("d"));
    Decode(*t, 1, true, EntryState::kReadyBitmap, 900 * kMiB);
    EXPECT_EQ(1100 * kMiB, t->HeldBytes());
}

TEST_F(SlotTableTest, CallersDispatcherAndResizesOnSeveralThreads)
{
    auto t = Make(6, 2);
    std::atomic<bool> stop{false};
    std::atomic<int> made{0};
    std::thread dispatcher([&] {
        while (!stop) {
            if (auto e = t->TakeNewestPending()) {
                ++made;
                t->Publish(*e, EntryState::kReadyBitmap, std::make_unique<FakePicture>(7, true));
            }
        }
    });
    std::vector<std::thread> callers;
    std::atomic<int> hits{0};
    for (int k = 0; k < 3; ++k) {
        callers.emplace_back([&, k] {
            const char* names[] = {"a", "b", "c", "d", "e", "f", "g", "h"};
            // Until this caller saw some hits (bounded): the dispatcher thread
            // may start late on a loaded machine.
            int mine = 0;
            for (int i = 0; i < 200000 && (mine < 20 || i < 2000); ++i) {
                uintptr_t handle = 0;
                if (Request(*t, 0x2000 + k, Path(names[2 * k + i % 2]), &handle)) {
                    EXPECT_EQ(7u, handle);
                    ++mine;
                }
                if (k == 0 && i % 250 == 0)
                    t->SetCacheSize(static_cast<int16_t>(6 + i % 3), 2);
            }
            hits += mine;
        });
    }
    for (auto& c : callers)
        c.join();
    stop = true;
    dispatcher.join();
    t.reset();
    EXPECT_GT(hits.load(), 0);
    EXPECT_EQ(made.load(), g_pictureReleases.load());
}

}  // namespace
}  // namespace thumbctl::cache
