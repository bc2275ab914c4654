// Loading into lists, moving paths between lists and catalog reading and writing at
// 100,000 paths, each next to std::sort of the same paths under the same order.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "tests/support/memory_filesystem.h"
#include "framework/core/prompts.h"
#include "lists/drop_loader.h"
#include "lists/folder_loader.h"
#include "lists/list_commands.h"
#include "lists/list_set.h"

namespace {

constexpr size_t kPaths = 100000;

// Paths as a photo collection has them: folders with ASCII and double-byte names,
// mixed case, in random order.
const std::vector<std::string>& RandomPaths()
{
    static const std::vector<std::string> paths = [] {
        std::mt19937 rng(42);
        const char* const folders[] = {"Photos",        "photos\\2023",   "\x8E\xCA\x90\x5E",
                                       "\x95\x5C\\sub", "DCIM\\100CANON", "Scans_old",
                                       "a.b",           "[tmp]"};
        std::vector<std::string> out;
        out.reserve(kPaths);
        for (size_t i = 0; i < kPaths; ++i) {
            std::string path = "C:\\";
            path += folders[rng() % std::size(folders)];
            path += "\\";
            path += (rng() % 2) ? "IMG_" : "img_";
            path += std::to_string(i * 7919 % 1000003);
            path += (rng() % 3) ? ".jpg" : ".JPG";
            out.push_back(std::move(path));
        }
        std::shuffle(out.begin(), out.end(), rng);
        return out;
    }();
    return paths;
}

void BM_StdSortPaths(benchmark::State& state)
{
    const lists::PathOrder& order = lists::PathOrder::System();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> copy = RandomPaths();
        state.ResumeTiming();
        std::sort(copy.begin(), copy.end(), order);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_StdSortPaths)->Unit(benchmark::kMillisecond);

void BM_InsertIntoOneList(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> copy = RandomPaths();
        lists::SortedPathSet set;
        state.ResumeTiming();
        set.InsertMany(std::move(copy));
        benchmark::DoNotOptimize(set.Count());
    }
}
BENCHMARK(BM_InsertIntoOneList)->Unit(benchmark::kMillisecond);

// 100,000 paths spread over lists 1-35; list 0 has just loaded half of them again and
// takes them out of the others.
void BM_RemoveFromOtherLists(benchmark::State& state)
{
    testing_support::MemoryFileSystem fs;
    const std::vector<std::string>& paths = RandomPaths();
    for (auto _ : state) {
        state.PauseTiming();
        lists::ListSet set(fs);
        std::vector<std::vector<std::string>> parts(lists::kListCount);
        for (size_t i = 0; i < paths.size(); ++i) {
            parts[1 + i % (lists::kListCount - 1)].push_back(paths[i]);
            if (i % 2 == 0)
                parts[0].push_back(paths[i]);
        }
        for (int n = 0; n < lists::kListCount; ++n)
            set.List(n).InsertMany(std::move(parts[static_cast<size_t>(n)]));
        state.ResumeTiming();
        set.RemoveFromOtherLists(0, set.List(0).Paths());
        benchmark::DoNotOptimize(set.TotalCount());
    }
}
BENCHMARK(BM_RemoveFromOtherLists)->Unit(benchmark::kMillisecond);

// One folder of 100,000 files whose listing costs nothing but the callbacks, so that
// loading it measures the loader alone: the floor is one sort of the names.
class FlatFolder final : public fw::FileSystem {
public:
    FlatFolder()
    {
        for (size_t i = 0; i < kPaths; ++i) {
            fw::DirEntry entry;
            entry.name = "IMG_" + std::to_string(i * 7919 % 1000003) + ((i % 3) ? ".jpg" : ".JPG");
            entry.info = fw::FileInfo{fw::kAttrArchive, 1000, 1};
            entries_.push_back(std::move(entry));
        }
    }
    uint32_t Attributes(const std::string&) override { return fw::kAttrDirectory; }
    bool Find(const std::string&, fw::FileInfo&) override { return false; }
    uint32_t Enumerate(const std::string&, const std::function<bool(const fw::DirEntry&)>& onEntry) override
    {
        for (const fw::DirEntry& entry : entries_)
            if (!onEntry(entry))
                break;
        return 0;
    }
    bool ReadAll(const std::string&, std::string&) override { return false; }
    std::unique_ptr<fw::OutputFile> Create(const std::string&) override { return nullptr; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    std::string ErrorText(uint32_t) override { return std::string(); }

private:
    std::vector<fw::DirEntry> entries_;
};

class NoEscape final : public lists::LoadEnvironment {
public:
    bool EscapePressed() override { return false; }
};

void BM_LoadFolder(benchmark::State& state)
{
    FlatFolder fs;
    NoEscape env;
    for (auto _ : state) {
        state.PauseTiming();
        lists::ListSet set(fs);
        set.List(0).SetFilter("*.jpg;*.png");
        lists::Answer answer = lists::Answer::No;
        state.ResumeTiming();
        int shown = lists::LoadFolder(set.List(0), "C:\\Photos", answer, nullptr, fs, env);
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_LoadFolder)->Unit(benchmark::kMillisecond);

// 10,000 files pasted into list 0 while the 36 lists hold 100,000 entries: the load,
// taking the whole of list 0 out of the other lists, and the view.
void BM_PasteIntoLists(benchmark::State& state)
{
    const std::vector<std::string>& paths = RandomPaths();
    testing_support::MemoryFileSystem fs;
    std::vector<std::string> pasted;
    for (size_t i = 0; i < 10000; ++i) {
        pasted.push_back("D:\\Pasted\\photo" + std::to_string(i) + ".jpg");
        fs.AddFile(pasted.back());
    }
    NoEscape env;
    for (auto _ : state) {
        state.PauseTiming();
        lists::ListSet set(fs);
        std::vector<std::vector<std::string>> parts(lists::kListCount);
        for (size_t i = 0; i < paths.size(); ++i)
            parts[i % lists::kListCount].push_back(paths[i]);
        for (int n = 0; n < lists::kListCount; ++n) {
            set.List(n).SetFilter("*.jpg");
            set.List(n).InsertMany(std::move(parts[static_cast<size_t>(n)]));
        }
        std::string shared;
        state.ResumeTiming();
        int shown = lists::LoadDroppedFiles(set.List(0), pasted, false, shared, fs, env);
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_PasteIntoLists)->Unit(benchmark::kMillisecond);

// The report at the end of the cut is answered at once.
class SilentPrompts final : public fw::Prompts {
public:
    int Message(intptr_t, const std::wstring&, const std::wstring&, unsigned) override { return fw::kIdOk; }
};

class NullClipboard final : public lists::TransferSink {
public:
    bool Put(const lists::TransferData& data) override
    {
        benchmark::DoNotOptimize(data.hdrop.size());
        return true;
    }
};

// A conditional cut with a size bound over a list of 100,000 entries, a third of
// which are large enough to match.
void BM_ConditionalCut(benchmark::State& state)
{
    const std::vector<std::string>& paths = RandomPaths();
    testing_support::MemoryFileSystem fs;
    for (size_t i = 0; i < paths.size(); ++i)
        fs.AddFile(paths[i], std::string(), 1, i % 3 == 0 ? 200 * 1024 : 10 * 1024);
    lists::LoadCondition condition;
    condition.minimumOn = true;
    condition.minimumKBytes = 100;
    NullClipboard clipboard;
    SilentPrompts prompts;
    fw::Prompts* previous = fw::SetPrompts(&prompts);
    for (auto _ : state) {
        state.PauseTiming();
        lists::ListSet set(fs);
        set.List(0).InsertMany(paths);
        state.ResumeTiming();
        int cut = lists::ConditionalCut(set.List(0), condition, fs, lists::TransferOptions{false}, clipboard);
        benchmark::DoNotOptimize(cut);
    }
    fw::SetPrompts(previous);
}
BENCHMARK(BM_ConditionalCut)->Unit(benchmark::kMillisecond);

class NoDialogs final : public app::CatalogHost {
public:
    bool ChooseCatalogFile(bool, std::string&) override { return false; }
    void ApplyCacheSettings() override {}
};

// A file system holding the 100,000 files and a catalog naming them over 36 lists.
struct CatalogFixture {
    CatalogFixture()
    {
        const std::vector<std::string>& paths = RandomPaths();
        std::string text;
        for (size_t i = 0; i < paths.size(); ++i) {
            fs.AddFile(paths[i]);
            if (i % (kPaths / lists::kListCount + 1) == 0)
                text += "*" + std::to_string(i / (kPaths / lists::kListCount + 1)) + "\r\n";
            text += paths[i] + "\r\n";
        }
        fs.AddFile("C:\\catalog.txt", text);
    }
    testing_support::MemoryFileSystem fs;
};

void Prepare(lists::ListSet& set)
{
    for (int n = 0; n < lists::kListCount; ++n)
        set.List(n).SetFilter("*.jpg;*.jpeg;*.bmp;*.png");
}

void BM_CatalogRead(benchmark::State& state)
{
    CatalogFixture fixture;
    NoDialogs host;
    for (auto _ : state) {
        state.PauseTiming();
        lists::ListSet set(fixture.fs);
        Prepare(set);
        app::Catalog catalog(set, fixture.fs, host);
        state.ResumeTiming();
        catalog.Load("C:\\catalog.txt");
        benchmark::DoNotOptimize(set.TotalCount());
    }
    state.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(kPaths),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CatalogRead)->Unit(benchmark::kMillisecond);

void BM_CatalogWrite(benchmark::State& state)
{
    CatalogFixture fixture;
    NoDialogs host;
    lists::ListSet set(fixture.fs);
    Prepare(set);
    app::Catalog catalog(set, fixture.fs, host);
    catalog.Load("C:\\catalog.txt");
    for (auto _ : state) {
        bool ok = catalog.Write("C:\\out.txt");
        benchmark::DoNotOptimize(ok);
    }
    state.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(kPaths),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CatalogWrite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
