#include "lists/folder_loader.h"

#include <algorithm>

#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/core/wait.h"

namespace lists {

namespace {

const wchar_t kAskSubfolders[] = L"サブディレクトリも読み込みますか？";

void ReportScanFailure(const std::wstring& text, const LoadEnvironment& env)
{
    fw::Ask(text, fw::kMbOk | fw::kMbIconHand, env.Owner());
}

// One folder scan: the pending folders, the answer and the paths accepted so far.
// Without a load environment it runs ahead of the windows: it stops at the first
// sub-folder met while the answer is NotAsked, and keeps its failure reports.
class FolderScan {
public:
    FolderScan(const fw::CodePage& codePage, const FilterPattern* filter, Answer& subfolders,
               const LoadCondition* condition, LoadEnvironment* env, std::function<bool()> escapePressed)
        : codePage_(codePage),
          filter_(filter),
          subfolders_(subfolders),
          condition_(condition),
          namePattern_(condition ? condition->namePattern : std::string(), codePage_),
          env_(env),
          escapePressed_(std::move(escapePressed))
    {
    }

    void Run(const std::string& folder, fw::FileSystem& fs)
    {
        pending_.push_back(folder);
        while (!pending_.empty() && !stalled_) {
            std::string dir = std::move(pending_.back());
            pending_.pop_back();
            ScanOne(std::move(dir), fs);
        }
    }

    bool Stalled() const { return stalled_; }
    std::vector<std::string> TakeAccepted() { return std::move(accepted_); }
    std::vector<std::wstring> TakeFailures() { return std::move(failures_); }

private:
    void ScanOne(std::string dir, fw::FileSystem& fs)
    {
        if (!fw::EndsWithSeparator(dir, codePage_))
            dir += '\\';
        const std::string pattern = dir + "*.*";
        uint32_t error = fs.Enumerate(pattern, [&](const fw::DirEntry& entry) {
            if (stalled_ || escapePressed_())
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
            if (!env_) {
                stalled_ = true;
                return false;
            }
            int id = fw::Ask(kAskSubfolders, fw::kMbYesNo | fw::kMbIconQuestion, env_->Owner());
            subfolders_ = id == fw::kIdYes ? Answer::Yes : Answer::No;
        }
        return subfolders_ == Answer::Yes;
    }

    bool Accepts(const std::string& path, uint32_t sizeLow) const
    {
        if (filter_ && !filter_->Matches(path))
            return false;
        return !condition_ || (namePattern_.Matches(path) && SizeWithinBounds(*condition_, sizeLow));
    }

    void ReportFailure(const std::string& pattern, const std::string& errorText)
    {
        std::wstring text =
            L"検索に失敗しました。\r\n" + fw::WidenAnsi(pattern) + L"\r\n" + fw::WidenAnsi(errorText);
        if (env_)
            ReportScanFailure(text, *env_);
        else
            failures_.push_back(std::move(text));
    }

    const fw::CodePage& codePage_;
    const FilterPattern* filter_;  // none: every file, filtered later
    Answer& subfolders_;
    const LoadCondition* condition_;
    FilterPattern namePattern_;
    LoadEnvironment* env_;
    std::function<bool()> escapePressed_;
    bool stalled_ = false;
    std::vector<std::string> pending_;  // last in, first out
    std::vector<std::string> accepted_;
    std::vector<std::wstring> failures_;
};

// A folder's accepted paths into the list as one batch; the new entry that sorts first
// is shown.
int InsertScanned(ListModel& list, std::vector<std::string> accepted)
{
    const int smallest = list.InsertMany(std::move(accepted)).smallestNewIndex;
    const int shown = smallest < 0 ? 0 : smallest;
    list.CompleteLoad(shown);
    return shown;
}

}  // namespace

int LoadFolder(ListModel& list, const std::string& folder, Answer& subfolders, const LoadCondition* condition,
               fw::FileSystem& fs, LoadEnvironment& env)
{
    fw::WaitScope wait(env);
    FolderScan scan(list.Paths().Order().CodePage(), &list.Filter(), subfolders, condition, &env,
                    [&env] { return env.EscapePressed(); });
    scan.Run(folder, fs);
    return InsertScanned(list, scan.TakeAccepted());
}

CommandLinePrescan::CommandLinePrescan(std::vector<std::string> tokens, fw::FileSystem& fs,
                                       const fw::CodePage& codePage, std::function<bool()> escapePressed)
    : tokens_(std::move(tokens)),
      fs_(fs),
      codePage_(codePage),
      escapePressed_(std::move(escapePressed)),
      thread_([this] { Run(); })
{
}

CommandLinePrescan::~CommandLinePrescan()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = true;
    }
    filterGiven_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void CommandLinePrescan::Run()
{
    const auto escapeOrAbandoned = [this] { return abandoned_ || escapePressed_(); };
    escapePressed_();  // forget an Escape pressed before the load
    for (const std::string& token : tokens_) {
        Token scanned;
        scanned.attributes = fs_.Attributes(token);
        if (scanned.attributes != fw::kAttrInvalid && (scanned.attributes & fw::kAttrDirectory)) {
            Answer subfolders = Answer::NotAsked;
            FolderScan scan(codePage_, nullptr, subfolders, nullptr, nullptr, escapeOrAbandoned);
            scan.Run(token, fs_);
            if (scan.Stalled())
                break;
            scanned.failures = scan.TakeFailures();
            scanned.accepted = scan.TakeAccepted();
        }
        scanned_.push_back(std::move(scanned));
    }
    std::unique_lock<std::mutex> lock(mutex_);
    filterGiven_.wait(lock, [this] { return filter_ || abandoned_; });
    if (abandoned_)
        return;
    const FilterPattern filter = *filter_;
    lock.unlock();
    for (Token& token : scanned_) {
        auto& paths = token.accepted;
        paths.erase(std::remove_if(paths.begin(), paths.end(),
                                   [&](const std::string& path) {
                                       return !filter.Matches(path) ||
                                              fs_.Attributes(path) == fw::kAttrInvalid;
                                   }),
                    paths.end());
    }
}

std::vector<CommandLinePrescan::Token> CommandLinePrescan::Finish(const FilterPattern& filter)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        filter_ = filter;
    }
    filterGiven_.notify_one();
    if (thread_.joinable())
        thread_.join();
    return std::move(scanned_);
}

void LoadCommandLine(ListModel& list0, const std::vector<std::string>& tokens, fw::FileSystem& fs,
                     LoadEnvironment& env, CommandLinePrescan* prescan)
{
    Answer subfolders = Answer::NotAsked;
    size_t next = 0;
    bool checked = false;
    if (prescan) {
        std::vector<CommandLinePrescan::Token> scanned = prescan->Finish(list0.Filter());
        checked = scanned.size() == tokens.size();
        if (checked)
            list0.RemoveMissing(false);  // what list 0 held before; the scan checked what it found
        for (; next < scanned.size(); ++next) {
            CommandLinePrescan::Token& token = scanned[next];
            if (token.attributes == fw::kAttrInvalid)
                continue;
            if (token.attributes & fw::kAttrDirectory) {
                fw::WaitScope wait(env);
                for (const std::wstring& failure : token.failures)
                    ReportScanFailure(failure, env);
                InsertScanned(list0, std::move(token.accepted));
            } else if (list0.FilterAccepts(tokens[next])) {
                list0.InsertAndSelect(tokens[next]);
            }
        }
    } else {
        env.EscapePressed();  // forget an Escape pressed before the load
    }
    for (; next < tokens.size(); ++next) {
        const std::string& token = tokens[next];
        const uint32_t attributes = fs.Attributes(token);
        if (attributes == fw::kAttrInvalid)
            continue;
        if (attributes & fw::kAttrDirectory)
            LoadFolder(list0, token, subfolders, nullptr, fs, env);
        else if (list0.FilterAccepts(token))
            list0.InsertAndSelect(token);
    }
    if (!checked)
        list0.RemoveMissing(false);
    list0.NotifyLoaded();
    list0.UpdateView(0);
}

}  // namespace lists
