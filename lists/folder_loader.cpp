#include "lists/folder_loader.h"

#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/core/wait.h"

namespace lists {

namespace {

const wchar_t kAskSubfolders[] = L"サブディレクトリも読み込みますか？";

// One folder scan: the pending folders, the answer and the paths accepted so far.
class FolderScan {
public:
    FolderScan(ListModel& list, Answer& subfolders, const LoadCondition* condition, LoadEnvironment& env)
        : list_(list),
          codePage_(list.Paths().Order().CodePage()),
          subfolders_(subfolders),
          condition_(condition),
          namePattern_(condition ? condition->namePattern : std::string(), codePage_),
          env_(env)
    {
    }

    void Run(const std::string& folder, fw::FileSystem& fs)
    {
        pending_.push_back(folder);
        while (!pending_.empty()) {
            std::string dir = std::move(pending_.back());
            pending_.pop_back();
            ScanOne(std::move(dir), fs);
        }
    }

    std::vector<std::string> TakeAccepted() { return std::move(accepted_); }

private:
    void ScanOne(std::string dir, fw::FileSystem& fs)
    {
        if (!fw::EndsWithSeparator(dir, codePage_))
            dir += '\\';
        const std::string pattern = dir + "*.*";
        uint32_t error = fs.Enumerate(pattern, [&](const fw::DirEntry& entry) {
            if (env_.EscapePressed())
                return false;
            OnEntry(dir, entry);
            return true;
        });
        if (error != 0)
            ReportFailure(pattern, fs.ErrorText(error));
    }

    void OnEntry(const std::string& dir, const fw::DirEntry& entry)
    {
        const uint32_t attributes = entry.info.attributes;
        const bool folder = (attributes & fw::kAttrDirectory) && !(attributes & fw::kAttrSystem);
        if (folder) {
            if (!entry.name.empty() && entry.name[0] != '.' && WantSubfolders())
                pending_.push_back(dir + entry.name);
            return;
        }
        std::string path = dir + entry.name;
        if (Accepts(path, entry.info.sizeLow))
            accepted_.push_back(std::move(path));
    }

    bool WantSubfolders()
    {
        if (subfolders_ == Answer::NotAsked) {
            int id = fw::Ask(kAskSubfolders, fw::kMbYesNo | fw::kMbIconQuestion, env_.Owner());
            subfolders_ = id == fw::kIdYes ? Answer::Yes : Answer::No;
        }
        return subfolders_ == Answer::Yes;
    }

    bool Accepts(const std::string& path, uint32_t sizeLow) const
    {
        if (!list_.FilterAccepts(path))
            return false;
        return !condition_ || (namePattern_.Matches(path) && SizeWithinBounds(*condition_, sizeLow));
    }

    void ReportFailure(const std::string& pattern, const std::string& errorText) const
    {
        std::wstring text =
            L"検索に失敗しました。\r\n" + fw::WidenAnsi(pattern) + L"\r\n" + fw::WidenAnsi(errorText);
        fw::Ask(text, fw::kMbOk | fw::kMbIconHand, env_.Owner());
    }

    ListModel& list_;
    const fw::CodePage& codePage_;
    Answer& subfolders_;
    const LoadCondition* condition_;
    FilterPattern namePattern_;
    LoadEnvironment& env_;
    std::vector<std::string> pending_;  // last in, first out
    std::vector<std::string> accepted_;
};

}  // namespace

int LoadFolder(ListModel& list, const std::string& folder, Answer& subfolders, const LoadCondition* condition,
               fw::FileSystem& fs, LoadEnvironment& env)
{
    fw::WaitScope wait(env);
    FolderScan scan(list, subfolders, condition, env);
    scan.Run(folder, fs);
    const int smallest = list.InsertMany(scan.TakeAccepted()).smallestNewIndex;
    const int shown = smallest < 0 ? 0 : smallest;
    list.CompleteLoad(shown);
    return shown;
}

void LoadCommandLine(ListModel& list0, const std::vector<std::string>& tokens, fw::FileSystem& fs,
                     LoadEnvironment& env)
{
    env.EscapePressed();  // forget an Escape pressed before the load
    Answer subfolders = Answer::NotAsked;
    for (const std::string& token : tokens) {
        const uint32_t attributes = fs.Attributes(token);
        if (attributes == fw::kAttrInvalid)
            continue;
        if (attributes & fw::kAttrDirectory)
            LoadFolder(list0, token, subfolders, nullptr, fs, env);
        else if (list0.FilterAccepts(token))
            list0.InsertAndSelect(token);
    }
    list0.RemoveMissing(false);
    list0.NotifyLoaded();
    list0.UpdateView(0);
}

}  // namespace lists
