// Moves 10,000 files within one volume with the move command (details off, so no
// preview: plan, check, run with the Escape poll and wait cursor per row, list
// update) and, as the floor measured in the same run, with a bare loop of MoveFileA
// over as many files. Each is timed twice, alternating; the better time counts.
//   fileops_win_bench [count]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/move_list_command.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Scratch()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "fileops_bench" + std::to_string(GetCurrentProcessId());
}

std::vector<std::string> MakeFiles(const std::string& folder, int count)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\img%06d.jpg", i);
        paths.push_back(folder + name);
        HANDLE file = CreateFileA(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        CloseHandle(file);
    }
    return paths;
}

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

double Floor(const std::string& root, int count)
{
    const std::vector<std::string> paths = MakeFiles(root + "\\floor_src", count);
    CreateDirectoryA((root + "\\floor_dst").c_str(), nullptr);
    const auto start = Clock::now();
    for (const std::string& path : paths)
        MoveFileA(path.c_str(), (root + "\\floor_dst" + path.substr(path.rfind('\\'))).c_str());
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    RemoveFolder(root + "\\floor_src");
    RemoveFolder(root + "\\floor_dst");
    return ms;
}

double Command(const std::string& root, int count, int& left)
{
    const std::vector<std::string> paths = MakeFiles(root + "\\cmd_src", count);
    CreateDirectoryA((root + "\\cmd_dst").c_str(), nullptr);
    fw::FileSystem& fs = *fw::SystemFileSystem();
    lists::ListModel list(0, fs);
    list.InsertMany(paths);
    fileops::MoveSettings settings;
    settings.folder = root + "\\cmd_dst";
    settings.details = false;
    std::string shared;
    fileops::WindowMoveHost host(nullptr, fs, shared);
    const auto start = Clock::now();
    fileops::MoveOrCopy(list, settings, fs, host);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    left = list.GetCount();
    RemoveFolder(root + "\\cmd_src");
    RemoveFolder(root + "\\cmd_dst");
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::string root = Scratch();
    CreateDirectoryA(root.c_str(), nullptr);
    double floor = 1e300;
    double command = 1e300;
    int left = 0;
    for (int round = 0; round < 2; ++round) {
        floor = std::min(floor, Floor(root, count));
        command = std::min(command, Command(root, count, left));
    }
    RemoveDirectoryA(root.c_str());
    std::printf(
        "files %d\nfloor_movefile_ms %.1f\ncommand_ms %.1f\nratio %.3f (target <= 1.2)\nleft_in_list %d\n",
        count, floor, command, command / floor, left);
    return left == 0 ? 0 : 1;
}
