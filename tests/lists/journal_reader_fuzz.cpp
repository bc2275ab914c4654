// Fuzzes the journal reader: any file gives sorted, duplicate-free lists and valid
// positions, and those lists journaled afresh read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lists/recovery_journal.h"
#include "tests/support/memory_filesystem.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Clock final : fw::Clock {
    uint32_t Milliseconds() override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const lists::PathOrder& order = lists::PathOrder::System();
    lists::JournalContents read =
        lists::ReadJournal(std::string_view(reinterpret_cast<const char*>(data), size), order);
    testing_support::MemoryFileSystem fs;
    fs.AddFolder("C:\\p");
    lists::ListSet set(fs);
    for (int n = 0; n < lists::kListCount; ++n) {
        const std::vector<std::string>& paths = read.lists[static_cast<size_t>(n)].Paths();
        for (size_t i = 1; i < paths.size(); ++i)
            Check(order.Compare(paths[i - 1], paths[i]) < 0);
        Check(read.positions[static_cast<size_t>(n)] >= 0);
        set.List(n).Restore(read.lists[static_cast<size_t>(n)], read.positions[static_cast<size_t>(n)]);
    }
    Clock clock;
    lists::RecoveryJournal journal(fs, clock);
    Check(journal.Start(set, "C:\\p\\j"));
    std::string bytes;
    Check(fs.ReadAll("C:\\p\\j", bytes));
    lists::JournalContents again = lists::ReadJournal(bytes, order);
    Check(again.unreadable == 0);
    for (int n = 0; n < lists::kListCount; ++n) {
        Check(again.lists[static_cast<size_t>(n)].Paths() == read.lists[static_cast<size_t>(n)].Paths());
        Check(again.positions[static_cast<size_t>(n)] == set.List(n).Position());
    }
    return 0;
}
