// The slot policy with a fake clock, an in-memory file lookup and fake pictures. Most
// cases are scripts of requests and decodes, checked against the slots afterwards.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <vector>

#include "framework/core/ascii.h"
#include "tests/support/memory_filesystem.h"
#include "thumbctl/cache/slot_table.h"

namespace thumbctl::cache {
namespace {

constexpr size_t kMiB = size_t{1} << 20;
int g_releases = 0;

struct FakeClock final : fw::Clock {
    uint32_t Milliseconds() override { return now; }
    uint32_t now = 1000;
};

struct StdLock final : TableLock {
    void Lock() override { mutex.lock(); }
    void Unlock() override { mutex.unlock(); }
    std::mutex mutex;
};

// Its handle is the letter of its file.
struct FakePicture final : Picture {
    FakePicture(char f, bool b, size_t n = 0, bool r = false) : file(f), isBitmap(b), bytes(n), reusable(r) {}
    ~FakePicture() override { ++g_releases; }
    bool BitmapHandle(uintptr_t& handle) override { return handle = file, isBitmap; }
    size_t Bytes() override { return bytes; }
    bool Reusable() const override { return reusable; }
    const char file;
    const bool isBitmap;
    const size_t bytes;
    const bool reusable;
};

// Files a to h exist (written at 100; "A" names a in upper case); y and z have double-byte
// names that differ only in their trail byte ("ａ" and "Ａ"); x does not exist.
const std::string kFiles = "abcdefghyz";
std::string Path(char file)
{
    if (file == 'y' || file == 'z')
        return file == 'y' ? "C:\\\x82\x81.jpg" : "C:\\\x82\x60.jpg";
    return std::string("C:\\pics\\") + file + ".jpg";
}
char Letter(const std::string& path)
{
    for (char f : kFiles)
        if (fw::EqualsIgnoringAsciiCase(path, Path(f)))
            return f;
    return '?';
}

class SlotTableTest : public testing::Test {
protected:
    SlotTableTest()
    {
        g_releases = 0;
        for (char f : kFiles)
            files.AddFile(Path(f), "x", 100);
    }

    void Make(int16_t slots, int16_t limit)
    {
        auto lookup = [this](const std::string& path, uint64_t& lastWrite) {
            fw::FileInfo info;
            return files.Find(path, info) ? (lastWrite = info.lastWrite, true) : false;
        };
        table = std::make_unique<SlotTable>(SlotTable::Environment{clock, lookup, lock, [this] { ++beeps; }},
                                            slots, limit);
    }

    // Runs a script of space-separated steps and returns, per request, the file delivered
    // or '.' for a miss:
    //   1a   window 1 asks for file a at the next tick ("1A": in upper case; "1a=": within the same tick)
    //   d    the newest pending entry is decoded to a bitmap ("d300": of 300 MiB; "D": reusable)
    //   s    a spare picture is taken: its letter, or '.' for none, goes to the result
    //   Ba   a blank picture like a's of 100 MiB is offered: '+' when it was wanted and kept
    //   t    the newest pending entry is taken by a loader, which publishes it with "=2b":
    //        state 2 (EntryState's number) and a bitmap ('i': a picture that is none, '-': none)
    //   x    the loaders let their entries go
    //   n    every pending entry is taken; their letters go to `order`
    //   w    file a is written again (at 200)
    //   S42  SetCacheSize(4, 2)
    std::string Run(const std::string& script)
    {
        std::string got, step;
        for (std::istringstream steps(script); steps >> step;) {
            const char op = step[0];
            if (std::isdigit(static_cast<unsigned char>(op))) {
                clock.now += step.size() < 3 ? 10 : 0;
                uintptr_t handle = '.';
                table->RequestBitmap(0x1000 + op - '0', Path(step[1]), [&](uintptr_t h) { handle = h; });
                got += static_cast<char>(handle);
            } else if (op == 'd' || op == 'D') {
                if (auto e = table->TakeNewestPending())
                    table->Publish(*e, EntryState::kReadyBitmap,
                                   std::make_unique<FakePicture>(Letter(e->path), true,
                                                                 std::atoi(&step[1]) * kMiB, op == 'D'));
            } else if (op == 'B') {
                const auto like = [&](Picture& p) { return static_cast<FakePicture&>(p).file == step[1]; };
                const bool wanted = table->WantsSpare(100 * kMiB, like);
                table->AddSpare(std::make_unique<FakePicture>(step[1], true, 100 * kMiB, wanted), 100 * kMiB);
                got += wanted ? '+' : '-';
            } else if (op == 's') {
                const auto spare = table->TakeSpare([](Picture&) { return true; });
                got += spare ? static_cast<FakePicture&>(*spare).file : '.';
            } else if (op == 't') {
                loading.push_back(table->TakeNewestPending());
            } else if (op == '=') {
                PictureEntry& e = *loading.back();
                table->Publish(
                    e, static_cast<EntryState>(step[1] - '0'),
                    step[2] == '-' ? nullptr : std::make_unique<FakePicture>(Letter(e.path), step[2] == 'b'));
            } else if (op == 'x') {
                loading.clear();
            } else if (op == 'n') {
                while (auto e = table->TakeNewestPending())
                    order += Letter(e->path);
            } else if (op == 'w') {
                files.AddFile(Path('a'), "y", 200);
            } else if (op == 'S') {
                table->SetCacheSize(static_cast<int16_t>(step[1] - '0'), static_cast<int16_t>(step[2] - '0'));
            }
        }
        return got;
    }

    // One letter a slot: '-' empty, upper case for the current request of its window.
    std::string Slots()
    {
        std::string s;
        for (const auto& v : table->Snapshot())
            s += !v.used ? '-' : v.current ? static_cast<char>(std::toupper(Letter(v.path))) : Letter(v.path);
        return s;
    }

    FakeClock clock;
    testing_support::MemoryFileSystem files;
    StdLock lock;
    int beeps = 0;
    std::unique_ptr<SlotTable> table;
    std::vector<std::shared_ptr<PictureEntry>> loading;
    std::string order;
};

TEST_F(SlotTableTest, ScriptsOfRequestsAndDecodesLeaveTheirSlots)
{
    const struct {
        const char* name;
        int16_t slots, limit;
        const char *script, *got, *after;  // after: the slots
        int beeps = 0;
        const char* order = "";
        uint32_t startTick = 1000;
        int releases = -1;  // pictures released by the end (-1: not counted)
    } cases[] = {
        // clang-format off
        {"a miss makes a pending current entry", 4, 2, "1a", ".", "A---"},
        {"a decoded entry hits with its bitmap for any window", 4, 2, "1a d 1a 2a", ".aa", "A---"},
        {"a hit moves the entry to the window that asked", 4, 2, "1a d 2a 1b", ".a.", "AB--"},
        {"a request clears only its own window's mark", 4, 4, "1a 2b 1c", "...", "aBC-"},
        {"a missing file changes nothing", 4, 2, "1a 1x", "..", "A---"},
        {"keys ignore ASCII case", 4, 2, "1a d 1A", ".a", "A---"},
        {"a rewritten file is a new entry; the old one stays", 4, 4, "1a d w 1a", "..", "aA--"},
        {"double-byte letters are not folded", 4, 4, "1y 1z", "..", "yZ--"},
        {"a window holds one more than its limit", 4, 2, "1a 1b 1c", "...", "abC-"},
        {"the next request frees its oldest", 4, 2, "1a 1b 1c 1d", "....", "Dbc-"},
        {"a hit renews an entry", 4, 2, "1a 1b 1c 1d 1b 1e", "......", "dbE-"},
        {"another window's request trims the first one too", 6, 2, "1a 1b 1c 2d", "....", "DbC---"},
        {"a zero limit frees the oldest of every window", 4, 0, "1a 2b 3c", "...", "C---"},
        {"a full table evicts the oldest unmarked entry", 3, 10, "1a 1b 2c 1a 1d", ".....", "aDC"},
        {"a full table evicts the only unmarked entry", 3, 10, "1a 1b 2c 1a 1d 3e", "......", "EDC"},
        {"loading entries are neither trimmed nor evicted", 2, 0, "1a t 1b", "..", "aB"},
        {"no freeable slot beeps and fails", 2, 10, "1a t 1b 2c", "...", "aB", 1},
        {"no slots at all: every miss beeps", -5, -1, "1a", ".", "", 1},
        {"SetCacheSize drops everything, even at the same sizes", 4, 2, "1a d 1b S42 1a", "...", "A---"},
        {"SetCacheSize takes the new sizes", 4, 2, "1a S63 1a 1b 1c 1d", ".....", "abcD--"},
        {"the newest pending request is decoded first", 8, 8, "1a 2b 3c 1a n", "....", "ABC-----", 0, "acb"},
        {"requests within one tick keep their order", 8, 8, "1b= 1a= 2c= 1b= n", "....", "BaC-----", 0, "bca"},
        {"a request at tick 0 is still decoded", 2, 2, "1a n", ".", "A-", 0, "a", 0u - 10u},
        {"a loading entry is not delivered", 4, 4, "1a t 1a", "..", "A---"},
        {"a ready bitmap is delivered", 4, 4, "1a t =2b 1a", ".a", "A---"},
        {"a ready picture that is a bitmap is delivered", 4, 4, "1a t =1b 1a", ".a", "A---"},
        {"a ready picture that is no bitmap is not", 4, 4, "1a t =1i 1a", "..", "A---"},
        {"a ready state without a picture is not", 4, 4, "1a t =2- 1a", "..", "A---"},
        {"a failure is not", 4, 4, "1a t =3- 1a", "..", "A---"},
        {"a failure with a picture is not", 4, 4, "1a t =3b 1a", "..", "A---"},
        {"a pending entry with a picture is not", 4, 4, "1a t =0b 1a", "..", "A---"},
        {"SetCacheSize releases dropped pictures", 4, 2, "1a d 1b t S42 =2b", "..", "----", 0, "", 1000, 1},
        {"a dropped loading entry goes with its loader", 4, 2, "1a d 1b t S42 =2b x", "..", "----", 0, "", 1000, 2},
        {"a reusable picture let go for a request is spare", 4, 2, "1a D 1b D 1c D 1d s s", "....a.", "Dbc-"},
        {"others are released", 4, 2, "1a d 1b d 1c d 1d s", ".....", "Dbc-", 0, "", 1000, 1},
        {"two spares at most, the newest taken first", 3, 1, "1a D 1b D 1c D 1d D 1e s s s", ".....cb.", "Ed-"},
        {"a blank is wanted while no request waits and no spare fits", 4, 2, "1a D Ba Bb Bc s", ".++-b", "A---"},
        {"not while a request waits", 4, 2, "1a Ba", ".-", "A---"},
        {"nor beside a spare that fits", 4, 2, "1a D 1b D 1c D 1d D Ba", "....-", "Dbc-"},
        {"SetCacheSize releases spares", 4, 2, "1a D 1b D 1c D 1d S42 s", ".....", "----", 0, "", 1000, 3},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clock.now = c.startTick;
        loading.clear();
        table.reset();
        beeps = g_releases = 0;
        order.clear();
        Make(c.slots, c.limit);
        EXPECT_EQ(c.got, Run(c.script));
        EXPECT_EQ(c.after, Slots());
        EXPECT_EQ(c.beeps, beeps);
        EXPECT_EQ(c.order, order);
        EXPECT_EQ(c.releases < 0 ? g_releases : c.releases, g_releases);
    }
}

TEST_F(SlotTableTest, MemoryBudgetEvictsTheLeastRecentlyUsedPicturesButNeverTheShownOnes)
{
    Make(8, 8);
    table->SetMemoryBudget(250 * kMiB);
    // W1 walks a, c, d, e while W2 shows b: a, c and d go, oldest first.
    Run("1a d100 2b d100 1c d100 1d d100 1e d100");
    EXPECT_EQ("-BE-----", Slots());
    EXPECT_EQ(200 * kMiB, table->HeldBytes());
    // One picture larger than the whole budget still arrives and is delivered; e goes.
    EXPECT_EQ(".h", Run("1h d400 1h"));
    EXPECT_EQ("HB------", Slots());
    EXPECT_EQ(500 * kMiB, table->HeldBytes());
    // Entries without a picture cost nothing; SetCacheSize keeps the budget.
    Run("S88 1a d100 1b d100 1c 1d d100");
    EXPECT_EQ(200 * kMiB, table->HeldBytes());
    // Without a budget nothing is evicted for its size.
    table->SetMemoryBudget(0);
    Run("1e d900");
    EXPECT_EQ(1100 * kMiB, table->HeldBytes());
    EXPECT_EQ(0, beeps);
    // Spares count: a beside h does not fit; c over the budget sheds a, not b; no room for x.
    Make(8, 1);
    table->SetMemoryBudget(250 * kMiB);
    EXPECT_EQ(".........-", Run("2h D200 1a D60 1b 1c s S81 1a D100 1b D100 1c D100 s Bx"));
    EXPECT_EQ(200 * kMiB, table->HeldBytes());
}

}  // namespace
}  // namespace thumbctl::cache
