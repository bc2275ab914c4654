// Times the sorter as a user meets it:
//   startup      process start until the frame shows 36 list windows with captions,
//                without arguments and with a folder of 10,000 image names; "painted":
//                until, besides, the frame is visible and no window in it waits for
//                paint (windows out of view or covered have nothing to paint);
//   load         a folder of 100,000 zero-byte .jpg files (random name order) on the
//                command line until list 0's caption shows its first entry, against
//                the floor: one enumeration of the folder plus one attribute query
//                per file, measured in the same run;
//   step         a held Down arrow over 10,000 entries (auto-repeat key downs, one
//                key up): time per step until the caption shows the last position;
//   journal      with the recovery journal on and off (this process holding the
//                journal's lock, as a second copy of the program would find it): the
//                100,000-file load, and list keys that send list 0's current image
//                to the other lists, time per send;
//   restore      in this process, a journal of 100,000 entries in 36 lists and
//                10,000 later changes read back into the lists, against opening a
//                catalog of the same lists.
//   sorter_bench PROGRAM DATA_FOLDER [STEPS]
// Start-up and load alone, each timed ROUNDS times, their medians printed with the least
// of the rounds; a baseline program (another build) is timed in each round too, before
// and after the program by turns, its lines starting with "baseline_": a before and after
// from one run on one machine.
//   sorter_bench --rounds ROUNDS PROGRAM DATA_FOLDER [BASELINE_PROGRAM]
#include <windows.h>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "app/recovery.h"
#include "framework/core/clock.h"
#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "lists/recovery_journal.h"
#include "tests/support/driver.h"

namespace ts = testing_support;

namespace {

// Steps of the held Down arrow, from the first of the 10,000 entries (a third
// argument may ask for fewer).
int kSteps = 9999;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The folder of `count` zero-byte .jpg files that run.sh made.
std::string Folder(const std::string& data, int count)
{
    return data + "\\jpg" + std::to_string(count);
}

double Floor(const std::string& folder)
{
    const auto start = Clock::now();
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    int files = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                GetFileAttributesA((folder + "\\" + found.cFileName).c_str());
                ++files;
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return files > 0 ? Ms(Clock::now() - start) : -1;
}

struct Run {
    ts::Process process;
    HWND frame = nullptr;
    HWND list0 = nullptr;
    double paintedMs = -1;
};

// The frame is on screen and neither it nor a window in it has an area left to paint.
// GetUpdateRect without erasing only reads the update region: it sends nothing.
bool Painted(HWND frame)
{
    if (!IsWindowVisible(frame) || GetUpdateRect(frame, nullptr, FALSE))
        return false;
    const auto windows = ts::ChildWindows(frame);
    return std::none_of(windows.begin(), windows.end(),
                        [](HWND w) { return GetUpdateRect(w, nullptr, FALSE); });
}

// Starts the program and waits until its 36 list windows show captions and list 0
// shows `firstCaption` (any caption starting with "0:" when empty).
double Start(Run& run, const std::wstring& program, const std::wstring& arguments, const std::wstring& prefix)
{
    const auto start = Clock::now();
    run.process = ts::Process::Start(program, arguments);
    run.frame = ts::WaitForWindow(run.process.Id(), L"CClsMainFrame", nullptr, 120000);
    if (!run.frame)
        return -1;
    const bool ready = ts::WaitUntil(
        [&] {
            const auto clients = ts::ChildWindows(run.frame, L"MDIClient");
            if (clients.empty())
                return false;
            const auto lists = ts::ChildWindows(clients[0], L"CClsLstWnd");
            if (lists.size() != 36)
                return false;
            for (HWND list : lists) {
                const std::wstring caption = ts::WindowText(list);
                if (caption.empty())
                    return false;
                if (caption[0] == L'0')
                    run.list0 = list;
            }
            return run.list0 && ts::WindowText(run.list0).rfind(prefix, 0) == 0;
        },
        300000);
    if (!ready)
        return -1;
    const double shown = Ms(Clock::now() - start);
    // Polled every few milliseconds: finer than the 20 ms of the driver's waits.
    for (int polls = 0; polls < 30000; ++polls, Sleep(5)) {
        if (Painted(run.frame)) {
            run.paintedMs = Ms(Clock::now() - start);
            break;
        }
    }
    return shown;
}

void Stop(Run& run)
{
    PostMessageW(run.frame, WM_CLOSE, 0, 0);
    ts::MessageBoxInfo box;
    if (ts::WaitForMessageBox(run.process.Id(), box, 3000))
        ts::AnswerMessageBox(box, IDYES);
    run.process.WaitExit(30000);
}

// The empty start-up and the 100,000-file load, timed once more, with the floor.
struct Startups {
    std::vector<double> empty, emptyPainted, load, loadPainted, floor;

    void Measure(const std::wstring& program, const std::string& hundred)
    {
        {
            Run run;
            empty.push_back(Start(run, program, L"", L"0:   0/  0"));
            emptyPainted.push_back(run.paintedMs);
            Stop(run);
        }
        Floor(hundred);  // warm the file system's caches the program will find warm too
        floor.push_back(Floor(hundred));
        Run run;
        load.push_back(Start(run, program, fw::WidenAnsi("\"" + hundred + "\""), L"0:   1/100000"));
        loadPainted.push_back(run.paintedMs);
        Stop(run);
    }

    // The median of the rounds, and their least, which another load on the machine
    // stretches least.
    static void Line(const char* prefix, const char* name, std::vector<double> values, int decimals = 0)
    {
        std::sort(values.begin(), values.end());
        if (!values.empty())
            std::printf("%s%s %.*f (min %.*f)\n", prefix, name, decimals, values[values.size() / 2], decimals,
                        values.front());
    }

    void Print(const char* prefix) const
    {
        std::vector<double> ratio;
        for (size_t i = 0; i < load.size(); ++i)
            ratio.push_back(floor[i] > 0 && load[i] > 0 ? load[i] / floor[i] : -1.0);
        Line(prefix, "startup_empty_ms", empty);
        Line(prefix, "startup_empty_painted_ms", emptyPainted);
        Line(prefix, "load_100000_ms", load);
        Line(prefix, "load_100000_painted_ms", loadPainted);
        Line(prefix, "floor_100000_ms", floor);
        Line(prefix, "load_over_floor", ratio, 2);  // each round's load over that round's floor
    }
};

// --rounds: start-up and load alone, against a baseline program when one is given.
int CompareRounds(int rounds, const std::wstring& program, const std::string& data,
                  const std::wstring& baseline)
{
    const std::string hundred = Folder(data, 100000);
    Startups before, after;
    for (int round = 0; round < rounds; ++round) {
        // Each goes first in every other round: neither always follows the other's exit.
        const bool baselineFirst = round % 2 == 0;
        if (!baseline.empty() && baselineFirst)
            before.Measure(baseline, hundred);
        after.Measure(program, hundred);
        if (!baseline.empty() && !baselineFirst)
            before.Measure(baseline, hundred);
    }
    if (!baseline.empty())
        before.Print("baseline_");
    after.Print("");
    return 0;
}

constexpr int kSends = 1000;

// List keys pressed on list 0 of 100,000 entries: each sends the current image away.
double SendUs(Run& run)
{
    static const char keys[] = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const auto start = Clock::now();
    for (int i = 0; i < kSends; ++i) {
        const WPARAM key = static_cast<WPARAM>(keys[i % 35]);
        PostMessageW(run.frame, WM_KEYDOWN, key, 0x00000001);
        PostMessageW(run.frame, WM_KEYUP, key, 0xC0000001);
        if (i % 500 == 499)
            ts::WaitForInputProcessed(run.frame, 600000);
    }
    wchar_t last[32];
    std::swprintf(last, 32, L"0:   1/%d", 100000 - kSends);
    const bool done = ts::WaitForText(
        run.list0, [&](const std::wstring& caption) { return caption.rfind(last, 0) == 0; }, 600000);
    return done ? Ms(Clock::now() - start) * 1000.0 / kSends : -1.0;
}

// Answers every question yes, as a user who restores.
struct Quiet final : fw::Prompts {
    int Message(intptr_t, const std::wstring&, const std::wstring&, unsigned) override { return fw::kIdYes; }
};
struct NoHost final : app::CatalogHost {
    bool ChooseCatalogFile(bool, std::string&) override { return false; }
    void ApplyCacheSettings() override {}
};

// The journal and the catalog of the same lists: the 100,000 files spread over the 36
// lists, then 10,000 of them moved between lists.
void RestoreAgainstCatalog(const std::string& folder, const std::string& scratch)
{
    fw::FileSystem& fs = *fw::SystemFileSystem();
    std::vector<std::string> files;
    fs.Enumerate(folder + "\\*.*", [&](const fw::DirEntry& entry) {
        if (!(entry.info.attributes & fw::kAttrDirectory))
            files.push_back(folder + "\\" + entry.name);
        return true;
    });
    const std::string journalPath = scratch + "\\bench.journal";
    const std::string catalogPath = scratch + "\\bench-catalog.txt";
    {
        lists::ListSet lists(fs);
        lists::RecoveryJournal journal(fs, fw::SystemClock());
        if (!journal.Start(lists, journalPath))
            return;
        std::vector<std::vector<std::string>> parts(lists::kListCount);
        for (size_t i = 0; i < files.size(); ++i)
            parts[i % lists::kListCount].push_back(files[i]);
        for (int n = 0; n < lists::kListCount; ++n)
            lists.List(n).InsertAndSelectMany(std::move(parts[static_cast<size_t>(n)]));
        for (size_t i = 0; i < 10000; ++i) {
            const std::string& path = files[(i * 7919) % files.size()];
            for (int n = 0; n < lists::kListCount; ++n)
                if (lists.List(n).RemovePath(path) >= 0) {
                    lists.List((n + 1) % lists::kListCount).InsertAndSelect(path);
                    break;
                }
        }
        NoHost host;
        app::Catalog(lists, fs, host).Write(catalogPath);
        // Ends without Finish, as a killed run does: the journal stays.
    }
    // What the journal adds to one send: list 0's first entry removed and inserted into
    // another list, journal on against off.
    for (bool on : {false, true, false, true}) {
        lists::ListSet lists(fs);
        lists.List(0).InsertAndSelectMany(files);
        lists::RecoveryJournal journal(fs, fw::SystemClock());
        if (on && !journal.Start(lists, journalPath + ".send"))
            return;
        const auto start = Clock::now();
        for (int i = 0; i < 10000; ++i) {
            std::string path;
            lists.List(0).GetCurrentPath(path);
            lists.List(0).RemoveCurrent();
            lists.List(1 + i % 35).InsertAndSelect(std::move(path));
        }
        const double us = Ms(Clock::now() - start) * 1000.0 / 10000;
        std::printf("send_model_us %.2f (journal %s)\n", us, on ? "on" : "off");
        journal.Finish();
    }

    Quiet quiet;
    fw::Prompts* previous = fw::SetPrompts(&quiet);
    const auto timed = [](auto&& work) {
        const auto start = Clock::now();
        work();
        return Ms(Clock::now() - start);
    };
    double restore = 0, catalog = 0;
    for (int round = 0; round < 2; ++round) {  // the first round warms the caches
        lists::ListSet a(fs), b(fs);
        for (int n = 0; n < lists::kListCount; ++n)
            b.List(n).SetFilter("*");
        NoHost host;
        restore = timed([&] { app::OfferRecovery(fs, a, journalPath, 0); });
        catalog = timed([&] { app::Catalog(b, fs, host).Load(catalogPath); });
        if (a.TotalCount() != b.TotalCount())
            std::printf("restore gave %d entries, the catalog %d\n", a.TotalCount(), b.TotalCount());
    }
    fw::SetPrompts(previous);
    std::printf("restore_100000_ms %.0f\ncatalog_open_100000_ms %.0f\n", restore, catalog);
    fs.Remove(journalPath);
    fs.Remove(catalogPath);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 5 && std::string(argv[1]) == "--rounds")
        return CompareRounds(std::max(1, std::min(99, std::atoi(argv[2]))), fw::WidenAnsi(argv[3]), argv[4],
                             argc > 5 ? fw::WidenAnsi(argv[5]) : std::wstring());
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: sorter_bench PROGRAM DATA_FOLDER [STEPS]\n"
                     "       sorter_bench --rounds ROUNDS PROGRAM DATA_FOLDER [BASELINE_PROGRAM]\n");
        return 2;
    }
    const std::wstring program = fw::WidenAnsi(argv[1]);
    const std::string data = argv[2];
    if (argc > 3)
        kSteps = std::max(1, std::min(9999, std::atoi(argv[3])));

    {
        Run run;
        std::printf("startup_empty_ms %.0f\n", Start(run, program, L"", L"0:   0/  0"));
        std::printf("startup_empty_painted_ms %.0f\n", run.paintedMs);
        Stop(run);
    }
    const std::string ten = Folder(data, 10000);
    {
        Run run;
        std::printf("startup_10000_ms %.0f\n",
                    Start(run, program, fw::WidenAnsi("\"" + ten + "\""), L"0:   1/10000"));
        // Held Down arrow: auto-repeated key downs, then one key up.
        const auto start = Clock::now();
        // (in batches: a thread's queue holds at most 10,000 posted messages)
        for (int i = 0; i < kSteps; ++i) {
            PostMessageW(run.frame, WM_KEYDOWN, VK_DOWN, 0x40000001);
            if (i % 1000 == 999)
                ts::WaitForInputProcessed(run.frame, 600000);
        }
        PostMessageW(run.frame, WM_KEYUP, VK_DOWN, 0xC0000001);
        wchar_t last[32];
        std::swprintf(last, 32, L"0: %3d/10000", kSteps + 1);
        const bool done = ts::WaitForText(
            run.list0, [&](const std::wstring& caption) { return caption.rfind(last, 0) == 0; }, 600000);
        if (!done)
            std::printf("last caption: %s\n", fw::NarrowAnsi(ts::WindowText(run.list0)).c_str());
        std::printf("step_us %.1f (%d steps)\n", done ? Ms(Clock::now() - start) * 1000.0 / kSteps : -1.0,
                    kSteps);
        Stop(run);
    }
    const std::string hundred = Folder(data, 100000);
    Floor(hundred);  // warm the file system's caches the program will find warm too
    const double floor = Floor(hundred);
    {
        Run run;
        const double load = Start(run, program, fw::WidenAnsi("\"" + hundred + "\""), L"0:   1/100000");
        std::printf("load_100000_ms %.0f\nload_100000_painted_ms %.0f\nfloor_100000_ms %.0f\n", load,
                    run.paintedMs, floor);
        std::printf("load_over_floor %.2f\n", floor > 0 ? load / floor : -1.0);
        std::printf("send_us %.1f (%d sends, journal on)\n", SendUs(run), kSends);
        Stop(run);
    }
    {
        // The journal's lock held here: the program runs as a second copy, unjournaled.
        std::string lockName;
        const std::string programPath = fw::NarrowAnsi(program);
        app::JournalPath(programPath, programPath, &lockName);
        fw::UniqueHandle lock(CreateMutexA(nullptr, FALSE, lockName.c_str()));
        Run run;
        const double load = Start(run, program, fw::WidenAnsi("\"" + hundred + "\""), L"0:   1/100000");
        std::printf("load_100000_ms %.0f (journal off)\n", load);
        std::printf("send_us %.1f (%d sends, journal off)\n", SendUs(run), kSends);
        Stop(run);
    }
    RestoreAgainstCatalog(hundred, fw::NarrowAnsi(fw::ParentOf(program)));
    return 0;
}
