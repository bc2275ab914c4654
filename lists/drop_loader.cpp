#include "lists/drop_loader.h"

#include "framework/core/prompts.h"
#include "framework/core/wait.h"
#include "lists/transfer_data.h"

namespace lists {

namespace {

const wchar_t kAskFolders[] = L"ディレクトリが含まれています。\r\n読み込みますか？";

// The smallest index of a load so far, -1 for none.
void TakeCandidate(int& smallest, int candidate)
{
    if (candidate >= 0 && (smallest < 0 || candidate < smallest))
        smallest = candidate;
}

}  // namespace

int LoadDroppedFiles(ListModel& list, const std::vector<std::string>& dropped, bool confirmFolders,
                     std::string& sharedLastFolder, fw::FileSystem& fs, LoadEnvironment& env)
{
    Answer folders = Answer::NotAsked;
    Answer subfolders = Answer::NotAsked;
    if (!confirmFolders)
        folders = subfolders = Answer::Yes;
    if (dropped.size() == 1)
        folders = Answer::Yes;

    fw::WaitScope wait(env);
    env.EscapePressed();  // forget an Escape pressed before the drop
    int smallest = -1;
    // Consecutive files go in as one batch; a batch is flushed before a folder is
    // loaded, so every index is the one the single inserts would have given.
    std::vector<std::string> files;
    auto flushFiles = [&] {
        if (!files.empty())
            TakeCandidate(smallest, list.InsertMany(std::move(files)).smallestNewIndex);
        files.clear();
    };
    for (const std::string& path : dropped) {
        if (env.EscapePressed())
            break;
        if (path.empty() || path.size() > kMaxPathBytes)
            continue;
        const uint32_t attributes = fs.Attributes(path);
        if (attributes == fw::kAttrInvalid)
            continue;
        const bool folder = (attributes & fw::kAttrDirectory) && !(attributes & fw::kAttrSystem);
        if (!folder) {
            if (list.FilterAccepts(path))
                files.push_back(path);
            continue;
        }
        if (folders == Answer::NotAsked) {
            int id = fw::Ask(kAskFolders, fw::kMbYesNo | fw::kMbIconQuestion, env.Owner());
            folders = id == fw::kIdYes ? Answer::Yes : Answer::No;
        }
        if (folders != Answer::Yes)
            continue;
        flushFiles();
        TakeCandidate(smallest, LoadFolder(list, path, subfolders, nullptr, fs, env));
        list.LastFolder() = path;
        sharedLastFolder = path;
    }
    flushFiles();
    const int shown = smallest < 0 ? 0 : smallest;
    list.CompleteLoad(shown);
    return shown;
}

}  // namespace lists
