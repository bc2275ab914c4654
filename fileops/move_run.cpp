#include "fileops/move_run.h"

#include <algorithm>

#include "framework/core/path.h"
#include "framework/core/text.h"
#include "framework/core/prompts.h"

namespace fileops {

namespace {

const wchar_t kReadOnly[] = L"\r\nは、読み込み専用属性のため上書きできません";
const wchar_t kCannotCreate[] = L"ファイルが作成できません";
const wchar_t kWriteFailed[] = L"ファイル書き込みに失敗しました。";
constexpr int kStagingTries = 100;

void Warn(const std::wstring& text, intptr_t owner)
{
    fw::Ask(text, fw::kMbOk | fw::kMbIconExclamation, owner);
}

std::wstring FailureText(const std::string& source, const std::string& destination, const std::string& error)
{
    return L"元:" + fw::WidenAnsi(source) + L"\r\n先:" + fw::WidenAnsi(destination) + L"\r\n" +
           fw::WidenAnsi(error);
}

// A name in `folder` that nothing holds yet, for a file being put together; the
// caller must still create it with an operation that refuses an existing file.
std::string FreeName(fw::FileSystem& fs, const std::string& folder, const char* stem, int& attempt)
{
    for (; attempt < kStagingTries; ++attempt) {
        std::string path = folder + stem + std::to_string(attempt) + ".tmp";
        if (fs.Attributes(path) == fw::kAttrInvalid)
            return path;
    }
    return std::string();
}

// Copies `source` over `destination`: a complete copy beside the destination, then
// renamed over it in one step. On failure the destination is as it was.
uint32_t CopyOver(fw::FileSystem& fs, const std::string& source, const std::string& destination,
                  const fw::CodePage& cp)
{
    const std::string folder = destination.substr(0, fw::LastSeparator(destination, cp) + 1);
    uint32_t code = fw::kErrorFileExists;
    std::string staged;
    for (int attempt = 0; code == fw::kErrorFileExists; ++attempt) {
        staged = FreeName(fs, folder, "~mv", attempt);
        if (staged.empty())
            return code;
        code = fs.CopyNew(source, staged);
    }
    if (code != 0)
        return code;
    code = fs.MoveTo(staged, destination, true);
    if (code != 0) {
        fs.SetAttributes(staged, fw::kAttrNormal);  // a read-only source gave a read-only copy
        fs.Delete(staged);
    }
    return code;
}

// Moves `source` over `destination`: renamed over it in one step, or, across
// volumes, copied over it and then deleted. A source that cannot be deleted stays
// (the file is then in both places and the row is reported as failed).
uint32_t MoveOver(fw::FileSystem& fs, const std::string& source, const std::string& destination,
                  const fw::CodePage& cp)
{
    uint32_t code = fs.MoveTo(source, destination, true);
    if (code != fw::kErrorNotSameDevice)
        return code;
    code = CopyOver(fs, source, destination, cp);
    return code != 0 ? code : fs.Delete(source);
}

OverwriteAnswer Decide(OverwriteAnswer& standing, RunHost& host, const std::string& source,
                       const std::string& destination)
{
    if (standing == OverwriteAnswer::OverwriteAll || standing == OverwriteAnswer::SkipAll)
        return standing;
    standing = host.AskOverwrite(source, destination);
    switch (standing) {
        case OverwriteAnswer::Overwrite:
        case OverwriteAnswer::OverwriteAll:
        case OverwriteAnswer::SkipAll:
            return standing;
        default:
            return standing = OverwriteAnswer::Skip;  // closed without an answer
    }
}

}  // namespace

std::wstring OverwriteQuestion(const std::string& source, const std::string& destination)
{
    return L"ファイルはすでに存在しています。\r\n元:" + fw::WidenAnsi(source) + L"\r\n先:" +
           fw::WidenAnsi(destination);
}

RunResult RunPlan(MovePlan& plan, Action action, fw::FileSystem& fs, RunHost& host)
{
    const fw::CodePage& cp = plan.Order().CodePage();
    RunResult result;
    OverwriteAnswer standing = OverwriteAnswer::None;
    for (PlanRow& row : plan.Rows())
        row.completed = false;
    host.EscapePressed();  // forget presses from before the run

    for (PlanRow& row : plan.Rows()) {
        if (host.EscapePressed()) {
            result.escaped = true;
            break;
        }
        host.ShowWait();
        if (row.newName.empty() || row.ExistingOnly())
            continue;
        const std::string& source = row.source;
        const std::string destination = plan.Folder() + row.newName;
        if (plan.Order().Equal(source, destination)) {
            row.completed = true;
            continue;
        }

        // Where the folder had no file of this name when the plan was made, the plain
        // move or copy that never replaces is tried first: in a large folder it spares a
        // look-up that costs as much as the move itself. A name with '~' may be a short
        // name of the source itself, and any failure takes the careful way below.
        if (row.existingName.empty() && row.newName.find('~') == std::string::npos &&
            (action == Action::Move ? fs.MoveTo(source, destination, false)
                                    : fs.CopyNew(source, destination)) == 0) {
            result.arrived.push_back(plan.Folder() + std::string(NameKey(row.newName, cp)));
            row.completed = true;
            continue;
        }

        bool overwrite = false;
        const uint32_t attributes = fs.Attributes(destination);
        if (attributes != fw::kAttrInvalid) {
            if (fs.SameFile(source, destination)) {
                row.completed = true;  // the source itself by another spelling
                continue;
            }
            if (attributes & fw::kAttrDirectory) {
                Warn(FailureText(source, destination, fs.ErrorText(fw::kErrorAlreadyExists)), host.Owner());
                continue;
            }
            if (attributes & fw::kAttrReadOnly) {
                Warn(fw::WidenAnsi(destination) + kReadOnly, host.Owner());
                continue;
            }
            OverwriteAnswer answer = Decide(standing, host, source, destination);
            if (answer != OverwriteAnswer::Overwrite && answer != OverwriteAnswer::OverwriteAll)
                continue;
            overwrite = true;
        }

        uint32_t code = 0;
        if (action == Action::Move)
            code = overwrite ? MoveOver(fs, source, destination, cp) : fs.MoveTo(source, destination, false);
        else
            code = overwrite ? CopyOver(fs, source, destination, cp) : fs.CopyNew(source, destination);
        if (code != 0) {
            Warn(FailureText(source, destination, fs.ErrorText(code)), host.Owner());
            continue;
        }
        // The name the file system gave it: Windows drops trailing dots and spaces, and
        // the list must not hold a second spelling of the file.
        result.arrived.push_back(plan.Folder() + std::string(NameKey(row.newName, cp)));
        row.completed = true;
    }
    return result;
}

void ApplyRun(lists::ListModel& list, const MovePlan& plan, const RunResult& result, Action action,
              bool reload)
{
    if (action == Action::Move) {
        std::vector<std::string> done;
        for (const PlanRow& row : plan.Rows())
            if (row.completed)
                done.push_back(row.source);
        lists::SortedPathSet gone(list.Paths().Order());
        gone.InsertMany(std::move(done));
        list.RemovePaths(gone);
    }
    if (reload && !result.arrived.empty()) {
        list.InsertMany(result.arrived);
        list.NotifyLoaded();
    }
    list.RemoveMissing(true);
    list.RefreshView();
}

bool WriteListFile(lists::ListModel& list, const std::string& path, fw::FileSystem& fs, intptr_t owner)
{
    const fw::CodePage& cp = list.Paths().Order().CodePage();
    const std::string folder = path.substr(0, fw::LastSeparator(path, cp) + 1);
    int attempt = 0;
    const std::string temp = FreeName(fs, folder, "~lst", attempt);
    std::unique_ptr<fw::OutputFile> out = temp.empty() ? nullptr : fs.Create(temp);
    if (!out) {
        Warn(kCannotCreate, owner);
        return false;
    }
    bool written = list.WriteList(*out);
    written = out->Close() && written;
    out.reset();
    if (!written) {
        fs.Remove(temp);
        Warn(kWriteFailed, owner);
        return false;
    }
    if (!fs.Replace(temp, path)) {
        fs.Remove(temp);
        Warn(kCannotCreate, owner);
        return false;
    }
    return true;
}

std::string RecycleBuffer(const lists::ListModel& list)
{
    std::string buffer;
    for (const std::string& path : list.Paths()) {
        buffer += path;
        buffer.push_back('\0');
    }
    buffer.push_back('\0');
    return buffer;
}

void RecycleList(lists::ListModel& list, Recycler& recycler, intptr_t owner)
{
    recycler.Recycle(RecycleBuffer(list), owner);
    list.RemoveMissing(true);
}

bool CreateFolderPath(const std::string& path, fw::FileSystem& fs)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    size_t end = 0;  // at most kMaxPathBytes, never half of a double-byte character
    while (end < path.size() && cp.Next(path.data(), end, path.size()) <= kMaxPathBytes)
        end = cp.Next(path.data(), end, path.size());
    if (end == 0)
        return false;
    const auto isFolder = [&](const std::string& level) {
        const uint32_t attributes = fs.Attributes(level);
        return attributes != fw::kAttrInvalid && (attributes & fw::kAttrDirectory);
    };
    const auto create = [&](const std::string& level) { return fs.MakeFolder(level) == 0; };
    return fw::CreateFolderPath(std::string_view(path).substr(0, end), isFolder, create, cp);
}

}  // namespace fileops

#ifndef _WIN32
namespace fileops {

Recycler* SystemRecycler()
{
    return nullptr;
}

}  // namespace fileops
#endif
