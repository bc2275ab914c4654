#include "installer/uninstall_run.h"

#include <algorithm>

#include "framework/core/ascii.h"
#include "framework/core/codepage.h"
#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "installer/texts.h"

namespace installer {

namespace {

std::string Upper(std::string s)
{
    fw::SystemCodePage().ToUpper(s);
    return s;
}

bool IsFullPath(const std::string& path)
{
    const bool drive = path.size() > 3 && path[1] == ':' && path[2] == '\\' && fw::IsAsciiLetter(path[0]);
    if (!drive && !path.starts_with("\\\\"))
        return false;
    // No "." or ".." part, no empty part after the root.
    const fw::CodePage& codePage = fw::SystemCodePage();
    size_t start = drive ? 3 : 2;
    for (size_t i = start; i <= path.size();
         i = i < path.size() ? codePage.Next(path.data(), i, path.size()) : path.size() + 1) {
        if (i < path.size() && path[i] != '\\')
            continue;
        const std::string part = path.substr(start, i - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

UninstallPlan PlanUninstall(const InstallLog& log, const UninstallContext& context)
{
    UninstallPlan plan;
    plan.folders.assign(log.folders.rbegin(), log.folders.rend());
    std::vector<std::string> allowed;
    for (LoggedFolder& folder : plan.folders) {
        folder.path = PathAsLogged(folder.path);
        allowed.push_back(Upper(fw::WithoutSeparator(folder.path)));
    }
    for (const std::string& folder : context.extraFolders)
        allowed.push_back(Upper(fw::WithoutSeparator(PathAsLogged(folder))));
    const std::string script = Upper(PathAsLogged(context.runningScript));

    for (auto it = log.files.rbegin(); it != log.files.rend(); ++it) {
        UninstallEntry entry;
        entry.file = *it;
        std::string& path = entry.file.path;
        path = PathAsLogged(path);
        const std::string parent = Upper(fw::ParentOf(path));
        entry.refused =
            !IsFullPath(path) || std::find(allowed.begin(), allowed.end(), parent) == allowed.end();
        if (it->remove && it->shareGroup >= kNeverRemovedShareGroup)
            entry.share = ShareRule::Keep;
        else if (it->remove && it->shareGroup >= 1)
            entry.share = ShareRule::AskGroup;
        entry.deleteFile = it->remove && Upper(path) != script;
        plan.entries.push_back(std::move(entry));
    }
    plan.missingFiles = log.missingFiles;
    plan.missingFolders = log.missingFolders;
    return plan;
}

std::string InstallFolderOfCommand(const std::string& command, const std::string& parameter)
{
    std::string program = PathAsLogged(command);
    const std::string tail = " " + parameter;
    if (program.size() > tail.size() && program.ends_with(tail))
        program.resize(program.size() - tail.size());
    return fw::ParentOf(program);
}

std::wstring ShareQuestion(const LoggedFile& file)
{
    return text::Fill(text::kShareQuestion,
                      {fw::WidenAnsi(file.shareComment.empty() ? file.path : file.shareComment)});
}

bool UninstallRun::Decide(const UninstallEntry& entry)
{
    switch (entry.share) {
        case ShareRule::NotShared:
            return true;
        case ShareRule::Keep:
            return false;
        case ShareRule::AskGroup:
            break;
    }
    auto it = answers_.find(entry.file.shareGroup);
    if (it == answers_.end()) {
        const int answer =
            fw::CurrentPrompts().Message(view_.Owner(), ShareQuestion(entry.file), text::kShareCaption,
                                         fw::kMbYesNo | fw::kMbIconQuestion | fw::kMbDefButton2);
        it = answers_.emplace(entry.file.shareGroup, answer == fw::kIdYes).first;
    }
    return it->second;
}

void UninstallRun::Process(const UninstallEntry& entry, UninstallResult& result)
{
    const LoggedFile& f = entry.file;
    if (f.unregistration == Registration::Program) {
        const RunOutcome run = machine_.RunAndWait("open", f.path, f.unregistrationParameters);
        view_.AddLine(text::Fill(text::kUnregisteredExe, {text::Decimal(static_cast<long>(run.exitCode))}),
                      true);
    } else if (f.unregistration == Registration::Server) {
        const ServerOutcome server = machine_.CallServer(f.path, true);
        if (server.call == ServerCall::Called && server.result == 0) {
            view_.AddLine(text::kUnregisteredDll, true);
        } else if (server.call != ServerCall::NotLoaded) {
            fw::CurrentPrompts().Message(view_.Owner(),
                                         text::Fill(text::kUnregisterFailed, {fw::WidenAnsi(f.path)}),
                                         std::wstring(), kMbIconStop);
            result.failures.push_back({UninstallFailure::Kind::Unregister, f.path, f.number});
        }
    }
    if (entry.deleteFile && !machine_.DeleteFile(f.path)) {
        view_.AddLine(text::kDeleteFailed, true);
        result.failures.push_back({UninstallFailure::Kind::Delete, f.path, f.number});
    }
}

UninstallResult UninstallRun::Run(const UninstallPlan& plan)
{
    UninstallResult result;
    for (int number : plan.missingFiles)
        result.failures.push_back({UninstallFailure::Kind::MissingFile, {}, number});
    for (int number : plan.missingFolders)
        result.failures.push_back({UninstallFailure::Kind::MissingFolder, {}, number});

    const int total = static_cast<int>(plan.entries.size() + plan.folders.size());
    view_.SetRange(std::clamp(total - 1, 0, 0xFFFF));
    int position = 0;
    for (const UninstallEntry& entry : plan.entries) {
        if (!view_.Alive())
            break;
        view_.AddLine(fw::WidenAnsi(entry.file.path), true);
        if (entry.refused) {
            view_.AddLine(text::kDeleteFailed, true);
            result.failures.push_back({UninstallFailure::Kind::Refused, entry.file.path, entry.file.number});
        } else if (Decide(entry)) {
            Process(entry, result);
        }
        view_.SetPosition(std::min(++position, 0xFFFF));
        view_.Pump();
    }
    if (!plan.folders.empty() && view_.Alive())
        view_.AddLine(text::kRemovingFolders, true);
    for (const LoggedFolder& folder : plan.folders) {
        if (!view_.Alive())
            break;
        view_.AddLine(fw::WidenAnsi(folder.path), true);
        if (!machine_.RemoveFolder(folder.path)) {
            view_.AddLine(text::kDeleteFailed, true);
            result.failures.push_back({UninstallFailure::Kind::Folder, folder.path, folder.number});
        }
        view_.SetPosition(std::min(++position, 0xFFFF));
        view_.Pump();
    }

    machine_.DeleteFile(context_.runningScript);
    if (context_.ntFamily)
        machine_.DeleteAtRestart(context_.runningProgram);
    else
        RecordWininit(machine_, "NUL", machine_.ShortPath(context_.runningProgram));
    registry_.DeleteTree(fw::reg::Root::LocalMachine, UninstallKey(context_.applic));
    result.success = view_.Alive();
    return result;
}

}  // namespace installer
