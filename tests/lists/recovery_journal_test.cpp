// The recovery journal: what a journal cut or damaged anywhere gives back, when it
// reaches the disk, and that a failing disk never stops the sorting.
#include <functional>
#include <random>

#include "lists/recovery_journal.h"
#include "tests/lists/list_fixture.h"

namespace lists_test {
namespace {

struct Clock final : fw::Clock {
    uint32_t Milliseconds() override { return now; }
    uint32_t now = 0;
};

constexpr char kJournal[] = "C:\\prog\\Lumsor20.journal";

// The lists as the journal must give them back: entries and positions.
using Positions = std::array<int, lists::kListCount>;
using State = std::pair<std::vector<Paths>, Positions>;

class JournalTest : public ListsTest {
protected:
    JournalTest() { fs.AddFolder("C:\\prog"); }
    std::string File()
    {
        std::string bytes;
        fs.ReadAll(kJournal, bytes);
        return bytes;
    }
    // The entries now, with `positions` (default: the current ones).
    State Now(const Positions* positions = nullptr)
    {
        State state{{}, {}};
        for (int n = 0; n < lists::kListCount; ++n) {
            state.first.push_back(lists.List(n).Paths().Paths());
            state.second[static_cast<size_t>(n)] = positions ? (*positions)[n] : lists.List(n).Position();
        }
        return state;
    }
    static State Read(std::string_view bytes, size_t* unreadable = nullptr)
    {
        lists::JournalContents contents = lists::ReadJournal(bytes, lists::PathOrder::System());
        State state{{}, contents.positions};
        for (const lists::SortedPathSet& list : contents.lists)
            state.first.push_back(list.Paths());
        if (unreadable)
            *unreadable = contents.unreadable;
        return state;
    }

    Clock clock;
};

// Random sorting, killed after any change and at every byte of the change being
// written: the journal gives back the lists as they were after the last whole record,
// positions as last recorded, through compactions.
TEST_F(JournalTest, GivesBackTheListsOfTheLastWholeRecordWhereverTheRunStopped)
{
    int compactions = 0;
    for (unsigned seed : {1u, 2u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        auto path = [&] {
            return "C:\\p\\" + std::string(pick(3) ? "" : "\x83\x5c") + std::to_string(pick(8));
        };
        for (int i = 0; i < 6; ++i)
            fs.AddFile("C:\\p\\" + std::to_string(i));
        for (int n = 0; n < lists::kListCount; ++n)
            lists.List(n).ClearList();
        lists::RecoveryJournal journal(fs, clock, 256);
        ASSERT_TRUE(journal.Start(lists, kJournal));
        Positions recorded = Now().second;
        std::string before = File();
        State beforeState = Now(&recorded);
        ASSERT_EQ(Read(before), beforeState);
        // Random changes; the last one is a quiet moment, which records the positions.
        const std::function<void(lists::ListModel&)> changes[] = {
            [&](auto& list) { list.InsertAndSelect(path()); },
            [&](auto& list) { list.RemovePath(path()); },
            [&](auto& list) { list.RemoveCurrent(); },
            [&](auto& list) { list.ClearList(); },
            [&](auto& list) {
                list.InsertAndSelectMany({path(), path(), path()});
            },
            [&](auto& list) { list.MoveBy(pick(5) - 2, false); },
            [&](auto& list) { list.RemoveMissing(false); },
            [&](auto&) { clock.now += 500, journal.Idle(), recorded = Now().second; },
        };
        for (int step = 0; step < 200; ++step) {
            lists::ListModel& list = lists.List(pick(3) ? pick(3) : pick(lists::kListCount));
            const int op = pick(8);
            changes[op](list);
            const std::string after = File();
            const State afterState = Now(&recorded);
            ASSERT_EQ(Read(after), afterState) << "step " << step;
            if (after.compare(0, before.size(), before) != 0) {
                ++compactions;
            } else {
                for (size_t cut = before.size(); cut < after.size(); ++cut) {
                    size_t unreadable = 99;
                    const State read = Read(std::string_view(after).substr(0, cut), &unreadable);
                    EXPECT_EQ(unreadable, 0u);
                    // An idle step writes several positions; any of them may be whole.
                    if (op == 7)
                        ASSERT_EQ(read.first, beforeState.first) << "step " << step << " cut " << cut;
                    else
                        ASSERT_EQ(read, beforeState) << "step " << step << " cut " << cut;
                }
            }
            before = after;
            beforeState = afterState;
        }
        ASSERT_EQ(journal.Size(), File().size());
        journal.Finish();
        lists.List(0).InsertAndSelect("C:\\after the end");
        EXPECT_FALSE(journal.Failed() || fs.Exists(kJournal));
    }
    EXPECT_GT(compactions, 0);
}

// Damage before the last record ends what is read there and counts every change from it
// on; a file that is no journal gives nothing back.
TEST_F(JournalTest, StopsAtDamageAndCountsTheChangesItCouldNotRead)
{
    lists::RecoveryJournal journal(fs, clock);
    ASSERT_TRUE(journal.Start(lists, kJournal));
    std::vector<size_t> ends{File().size()};
    std::vector<State> states{Now()};
    for (int i = 0; i < 6; ++i) {
        list().InsertAndSelect("C:\\" + std::to_string(i));
        ends.push_back(File().size());
        states.push_back(Now());
    }
    const std::string whole = File();
    // The byte changed, the changes restored and those that could not be read.
    const std::tuple<size_t, size_t, size_t> rows[] = {
        {0, 0, 6}, {ends[0] - 1, 0, 6}, {ends[0], 0, 6}, {ends[2] + 2, 2, 4}, {ends[4] + 13, 4, 2}};
    for (const auto& [at, restored, lost] : rows) {
        std::string damaged = whole;
        damaged[at] ^= 0x40;
        size_t unreadable = 0;
        const State read = Read(damaged, &unreadable);
        EXPECT_EQ(std::pair(read.first, unreadable), std::pair(states[restored].first, lost)) << at;
    }
    // A whole record for a list there is none of.
    std::string beyond = whole;
    beyond[ends[2] + 3] = static_cast<char>(lists::kListCount);
    const std::string_view frame(beyond.data() + ends[2], ends[3] - ends[2]);
    const uint32_t crc = lists::Crc32(frame.substr(12), lists::Crc32(frame.substr(2, 6)));
    for (int i = 0; i < 4; ++i)
        beyond[ends[2] + 8 + static_cast<size_t>(i)] = static_cast<char>(crc >> (8 * i));
    size_t unreadable = 0;
    EXPECT_EQ(Read(beyond, &unreadable).first, states[2].first);
    EXPECT_EQ(unreadable, 4u);
    for (std::string_view other : {"", "*0\r\nC:\\a.jpg\r\n"}) {
        EXPECT_EQ(Read(other, &unreadable).first, states[0].first);
        EXPECT_EQ(unreadable, 0u);
    }
}

// Changes reach the disk within the interval while they arrive and at the next quiet
// moment; a list position that moved waits for that moment.
TEST_F(JournalTest, ForcesChangesToTheDiskWithinTheIntervalAndWhenIdle)
{
    lists::RecoveryJournal journal(fs, clock);
    ASSERT_TRUE(journal.Start(lists, kJournal));
    const size_t start = fs.Flushes();
    EXPECT_FALSE(journal.IdleDue());
    for (uint32_t at : {0u, 700u, 1900u}) {
        clock.now = 10000 + at;
        list().InsertAndSelect("C:\\" + std::to_string(at));
    }
    EXPECT_EQ(fs.Flushes(), start);
    EXPECT_TRUE(journal.IdleDue());
    clock.now = 10000 + lists::RecoveryJournal::kSyncIntervalMs;
    list().InsertAndSelect("C:\\late");
    EXPECT_EQ(fs.Flushes(), start + 1);
    list().MoveBy(1, false);
    EXPECT_TRUE(journal.IdleDue());
    journal.Idle();
    EXPECT_EQ(fs.Flushes(), start + 2);
    EXPECT_FALSE(journal.IdleDue());
    EXPECT_EQ(Read(File()), Now());
}

// A write that fails stops the journal where it was whole while the lists go on; a
// journal that cannot be replaced by its compaction goes on in the old file.
TEST_F(JournalTest, AFailingDiskNeverStopsTheSortingNorLeavesAJournalThatReadsWrong)
{
    lists::RecoveryJournal journal(fs, clock, 256);
    ASSERT_TRUE(journal.Start(lists, kJournal));
    for (int i = 0; i < 40; ++i)
        list().InsertAndSelect("C:\\folder\\" + std::to_string(i));
    list().ClearList();
    list().InsertAndSelect("C:\\kept");
    fs.FailReplace(true);
    journal.Idle();
    EXPECT_TRUE(journal.Active());
    EXPECT_FALSE(fs.Exists(std::string(kJournal) + ".new"));
    list().InsertAndSelect("C:\\after");
    EXPECT_EQ(Read(File()).first, Now().first);

    const State whole = Now();
    fs.FailWritesAfter(5);
    EXPECT_TRUE(list().InsertAndSelect("C:\\lost"));
    EXPECT_TRUE(journal.Failed());
    EXPECT_FALSE(journal.Active());
    EXPECT_TRUE(list().InsertAndSelect("C:\\still sorting"));
    EXPECT_EQ(Read(File()).first, whole.first);

    fs.FailCreate(true);
    lists::RecoveryJournal none(fs, clock);
    EXPECT_FALSE(none.Start(lists, "C:\\prog\\other.journal"));
    EXPECT_TRUE(list().InsertAndSelect("C:\\unjournaled"));
}

}  // namespace
}  // namespace lists_test
