#include "installer/install_run.h"

#include <algorithm>

#include "framework/core/codepage.h"
#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "installer/texts.h"

namespace installer {

namespace {

using text::Fill;

InstallStep Simple(StepKind kind, const std::string& target = std::string())
{
    InstallStep step;
    step.kind = kind;
    step.target = target;
    return step;
}

fw::reg::Value TextValue(const char* name, const std::string& text)
{
    fw::reg::Value value;
    value.name = name;
    value.text = text;
    return value;
}

std::string LinkName(const std::string& folder, const std::string& description)
{
    return fw::JoinPath(folder, description + ".lnk");
}

}  // namespace

std::string SystemFolders::Base(BaseFolder base, const std::string& installFolder) const
{
    switch (base) {
        case BaseFolder::Documents:
            return documents;
        case BaseFolder::WindowsRoot:
            return windowsRoot;
        case BaseFolder::Windows:
            return windows;
        case BaseFolder::System:
            return system;
        case BaseFolder::InstallFolder:
            break;
    }
    return installFolder;
}

InstallChoices InstallChoices::Defaults(const SetupScript& script, const std::string& windowsDirectory)
{
    InstallChoices c;
    c.installFolder = DefaultInstallFolder(windowsDirectory, script.target);
    c.groupName = script.target.groupName;
    c.desktop = script.target.desktop;
    c.startMenu = script.target.startMenu;
    c.privateLinks = script.target.privateLinks;
    c.uninstallEntry = script.uninstall.uninstallEntry;
    for (const Component& component : script.components)
        c.selected.push_back(component.isDefault);
    return c;
}

InstallPlan PlanInstall(const SetupScript& script, const InstallChoices& choices,
                        const SystemFolders& folders)
{
    InstallPlan plan;
    plan.installFolder = PathAsLogged(choices.installFolder);
    const std::string& installFolder = plan.installFolder;
    plan.logPath = PathAsLogged(fw::JoinPath(installFolder, script.uninstall.logFile));
    plan.uninstallerPath = PathAsLogged(fw::JoinPath(installFolder, script.uninstall.exeFile));
    const bool personal = choices.privateLinks || !folders.ntFamily;

    for (size_t i = 0; i < script.components.size(); ++i) {
        if (i >= choices.selected.size() || !choices.selected[i])
            continue;
        const Component& component = script.components[i];
        plan.total += static_cast<int>(component.files.size());
        InstallStep heading;
        heading.kind = StepKind::Component;
        heading.name = component.name;
        plan.steps.push_back(heading);
        std::string folder = folders.Base(component.baseFolder, installFolder);
        if (!component.directory.empty())
            folder = fw::JoinPath(folder, component.directory);
        folder = PathAsLogged(folder);
        for (const FileEntry& entry : component.files) {
            InstallStep step;
            step.counts = true;
            step.entry = entry;
            step.kind = entry.Kind() == FileAction::Verb ? StepKind::Verb : StepKind::File;
            if (step.kind == StepKind::File && !entry.file.empty()) {
                step.folder = folder;
                step.target = PathAsLogged(fw::JoinPath(folder, entry.InstalledName()));
            }
            plan.steps.push_back(std::move(step));
        }
    }

    if (choices.desktop) {
        plan.steps.push_back(Simple(StepKind::DesktopHeading));
        const std::string& desktop = personal ? folders.desktopUser : folders.desktopAll;
        for (const Shortcut& link : script.desktop) {
            InstallStep step;
            step.kind = StepKind::Desktop;
            step.name = link.description;
            step.target = PathAsLogged(fw::JoinPath(installFolder, link.file));
            step.linkFile = LinkName(desktop, link.description);
            step.parameters = link.param;
            plan.steps.push_back(std::move(step));
        }
    }

    if (choices.startMenu) {
        plan.steps.push_back(Simple(StepKind::StartMenuHeading));
        const std::string& programs = personal ? folders.programsUser : folders.programsAll;
        const std::string& startup = personal ? folders.startupUser : folders.startupAll;
        for (const Shortcut& link : script.startMenu) {
            InstallStep step;
            step.kind = StepKind::StartMenu;
            step.name = link.description;
            step.target = PathAsLogged(fw::JoinPath(installFolder, link.file));
            step.parameters = link.param;
            step.startup = link.startup;
            if (link.startup) {
                step.linkFile = LinkName(startup, link.description);
            } else {
                step.folder = fw::JoinPath(programs, choices.groupName);
                if (!link.directory.empty())
                    step.folder = fw::JoinPath(step.folder, link.directory);
                step.folder = PathAsLogged(step.folder);
                step.linkFile = LinkName(step.folder, link.description);
            }
            plan.steps.push_back(std::move(step));
        }
    }

    if (script.uninstall.log) {
        plan.steps.push_back(Simple(StepKind::LogItself, plan.logPath));
        if (script.uninstall.uninstaller)
            plan.steps.push_back(Simple(StepKind::Uninstaller, plan.uninstallerPath));
        plan.steps.push_back(Simple(StepKind::FinishLog));
    }
    return plan;
}

int InstallRun::Box(const std::wstring& message, unsigned flags)
{
    return fw::CurrentPrompts().Message(view_.Owner(), message, std::wstring(), flags | kMbIconStop);
}

void InstallRun::LogFolder(const std::string& folder)
{
    if (log_)
        log_->AddFolder(folder);
}

bool InstallRun::CreateFolders(const std::string& folder)
{
    std::vector<std::string> made;
    const bool ok = machine_.FolderExists(folder) ||
                    fw::CreateFolderPath(
                        folder, [this](const std::string& level) { return machine_.FolderExists(level); },
                        [this, &made](const std::string& level) {
                            return machine_.CreateFolder(level) && (made.push_back(level), true);
                        });
    // Logged once made, so that the log's own folder exists when the levels above it are written.
    for (const std::string& level : made)
        LogFolder(level);
    if (ok)
        LogFolder(folder);
    return ok;
}

InstallRun::Outcome InstallRun::RunVerb(const InstallStep& step)
{
    const FileEntry& e = step.entry;
    Line(Fill(L"%s:%s", {fw::WidenAnsi(e.action), fw::WidenAnsi(e.file)}), false);
    const RunOutcome run = machine_.RunAndWait(e.action, e.file, e.exeParam);
    if (!run.started) {
        const int answer = Box(Fill(text::kVerbNotStarted, {fw::WidenAnsi(e.action), fw::WidenAnsi(e.file),
                                                            fw::WidenAnsi(e.exeParam)}),
                               kMbRetryCancel);
        return answer == kIdRetry ? Outcome::Go : Outcome::Fail;
    }
    if (!e.AcceptsExitCode(run.exitCode)) {
        Box(Fill(text::kVerbFailed, {fw::WidenAnsi(e.action), fw::WidenAnsi(e.file),
                                     fw::WidenAnsi(e.exeParam), text::Hex(run.exitCode)}),
            fw::kMbOk);
        return Outcome::Fail;
    }
    return Outcome::Go;
}

bool InstallRun::ReplaceInUse(const std::vector<ReplaceStep>& steps)
{
    bool ok = false;
    const ReplaceStep* movedAside = nullptr;
    for (const ReplaceStep& step : steps) {
        switch (step.op) {
            case ReplaceOp::MoveAside:
                if (machine_.MoveReplacing(step.path, step.other))
                    movedAside = &step;
                break;
            case ReplaceOp::DeleteAtRestart:
                machine_.DeleteAtRestart(step.path);
                break;
            case ReplaceOp::DeleteAgain:
                if (machine_.DeleteFile(step.path))
                    return machine_.CopyFile(step.other, step.path);
                break;
            case ReplaceOp::Copy:
                ok = machine_.CopyFile(step.path, step.other);
                if (!ok) {
                    // The old file goes back; where that fails it stays beside, unscheduled.
                    if (movedAside && !machine_.FileExists(movedAside->path))
                        machine_.MoveReplacing(movedAside->other, movedAside->path);
                    return false;
                }
                break;
            case ReplaceOp::RecordRename:
                RecordWininit(machine_, machine_.ShortPath(step.path), machine_.ShortPath(step.other));
                restartNeeded_ = true;
                ok = true;
                break;
            case ReplaceOp::KeepOld:
                ok = true;
                break;
        }
    }
    return ok;
}

bool InstallRun::CopyOnce(const std::string& source, const std::string& target, InUseRule inUse)
{
    if (machine_.FileExists(target) && !machine_.DeleteFile(target) && inUse != InUseRule::Fail) {
        if (ReplaceInUse(PlanInUseReplacement(folders_.ntFamily, inUse, source, target)))
            return true;
    }
    return machine_.CopyFile(source, target);
}

// True when the entry goes on (copied or ignored); false when the user aborts.
bool InstallRun::CopyLoop(const InstallStep& step)
{
    const FileEntry& e = step.entry;
    for (;;) {
        if (CopyOnce(e.file, step.target, e.fileInUse))
            return true;
        const uint32_t code = machine_.LastError();
        const std::wstring what =
            Fill(text::kCopyFailed, {fw::WidenAnsi(e.file), fw::WidenAnsi(step.target)});
        const int answer = Box(Fill(text::kSystemError, {what, fw::WidenAnsi(machine_.ErrorText(code)),
                                                         text::Decimal(static_cast<long>(code))}),
                               kMbAbortRetryIgnore);
        if (answer == kIdIgnore)
            return true;
        if (answer != kIdRetry)
            return false;
    }
}

InstallRun::Outcome InstallRun::RunFile(const InstallStep& step)
{
    const FileEntry& e = step.entry;
    if (!CreateFolders(step.folder)) {
        Box(Fill(text::kFolderFailed, {fw::WidenAnsi(step.folder)}), fw::kMbOk);
        return Outcome::Fail;
    }

    const bool copyAction = e.Kind() == FileAction::Copy;
    bool copied = false;
    if (copyAction) {
        const bool exists = machine_.FileExists(step.target);
        const bool check = exists && e.existingFile == ExistingFileRule::ReplaceUnlessNewer;
        copied = ShouldCopy(e.existingFile, exists, check ? machine_.Version(e.file) : std::nullopt,
                            check ? machine_.Version(step.target) : std::nullopt);
        if (copied && !CopyLoop(step))
            return Outcome::Fail;
    }

    bool registered = false;
    Outcome outcome = Outcome::Go;
    if (machine_.FileExists(step.target)) {
        if (e.registration == Registration::Server) {
            const ServerOutcome server = machine_.CallServer(step.target, false);
            if (server.call == ServerCall::Called && server.result != 0)
                Box(Fill(text::kRegisterFailed, {fw::WidenAnsi(step.target)}), fw::kMbOk);
            registered = server.call == ServerCall::Called && server.result == 0;
        } else if (e.registration == Registration::Program) {
            const RunOutcome run = machine_.RunAndWait("open", step.target, e.registrationParameters);
            if (!run.started) {
                Box(Fill(text::kSelfExecNotStarted,
                         {fw::WidenAnsi(step.target), fw::WidenAnsi(e.registrationParameters)}),
                    fw::kMbOk);
                outcome = Outcome::Fail;
            } else if (!e.AcceptsExitCode(run.exitCode)) {
                Box(Fill(text::kSelfExecFailed,
                         {fw::WidenAnsi(step.target), fw::WidenAnsi(e.registrationParameters),
                          text::Hex(run.exitCode)}),
                    fw::kMbOk);
                outcome = Outcome::Fail;
            } else {
                registered = true;
            }
        }
    }

    // Logged even when the registration failed the run: the file is there.
    if (log_)
        log_->AddComponentFile(e, step.target);
    const wchar_t* status = !copyAction ? L"NONE" : copied ? L"WRITE" : L"SKIP";
    Line(Fill(L"%s%s %s/%s",
              {status, registered ? L"(REGIST)" : L"", fw::WidenAnsi(e.file), fw::WidenAnsi(step.target)}),
         true);
    return outcome;
}

void InstallRun::RunDesktop(const InstallStep& step)
{
    if (machine_.FolderExists(installFolder_)) {
        const long hr =
            machine_.CreateShortcut({step.target, step.parameters, step.linkFile, step.name, installFolder_});
        if (hr != 0)
            Box(Fill(text::kDesktopFailed,
                     {fw::WidenAnsi(step.target), fw::WidenAnsi(step.linkFile), fw::WidenAnsi(step.name)}),
                fw::kMbOk);
        else if (log_)
            log_->AddFile(step.linkFile);
    }
    Line(fw::WidenAnsi(step.target), false);
}

bool InstallRun::RunStartMenu(const InstallStep& step)
{
    if (!machine_.FolderExists(installFolder_)) {
        Line(fw::WidenAnsi(step.target), false);
        return true;
    }
    if (step.startup) {
        const int answer = fw::CurrentPrompts().Message(
            view_.Owner(), text::kStartupQuestion, text::kStartupCaption, fw::kMbYesNo | fw::kMbIconQuestion);
        if (answer != fw::kIdYes)
            return true;
    } else {
        if (!CreateFolders(step.folder)) {
            Box(Fill(text::kStartMenuFolderFailed,
                     {fw::WidenAnsi(step.target), fw::WidenAnsi(step.folder), fw::WidenAnsi(step.name)}),
                fw::kMbOk);
            return false;
        }
    }
    const long hr =
        machine_.CreateShortcut({step.target, step.parameters, step.linkFile, step.name, installFolder_});
    if (hr != 0)
        Box(Fill(text::kStartMenuFailed,
                 {fw::WidenAnsi(step.target), fw::WidenAnsi(step.linkFile), fw::WidenAnsi(step.name)}),
            fw::kMbOk);
    else if (log_)
        log_->AddFile(step.linkFile);
    Line(fw::WidenAnsi(step.target), false);
    return true;
}

void InstallRun::RunUninstaller(const InstallPlan& plan)
{
    Line(text::kUninstallerHeading, true);
    if (!machine_.CopyFile(script_.uninstall.exeFile, plan.uninstallerPath)) {
        const uint32_t code = machine_.LastError();
        Box(Fill(text::kSystemError, {text::kUninstallerCopyFailed, fw::WidenAnsi(machine_.ErrorText(code)),
                                      text::Decimal(static_cast<long>(code))}),
            fw::kMbOk);
        return;
    }
    if (log_)
        log_->AddFile(plan.uninstallerPath);
    if (!choices_.uninstallEntry)
        return;
    Line(text::kUninstallEntryHeading, true);
    const std::string key = UninstallKey(script_.look.applic);
    using fw::reg::Root;
    registry_.CreateKey(Root::LocalMachine, key);
    registry_.SetValue(Root::LocalMachine, key,
                       TextValue("DisplayName", fw::Utf8FromWide(fw::WidenAnsi(script_.look.title))));
    const std::string command = plan.uninstallerPath + " " + script_.uninstall.exeParam;
    registry_.SetValue(Root::LocalMachine, key,
                       TextValue("UninstallString", fw::Utf8FromWide(fw::WidenAnsi(command))));
}

InstallResult InstallRun::Run()
{
    const InstallPlan plan = PlanInstall(script_, choices_, folders_);
    installFolder_ = plan.installFolder;
    machine_.DeleteFile(plan.logPath);
    if (script_.uninstall.log) {
        logFile_ = machine_.OpenLog(plan.logPath);
        if (logFile_)
            log_ = std::make_unique<LogWriter>(*logFile_);
        if (!CreateFolders(plan.installFolder)) {
            Box(Fill(text::kFolderFailed, {fw::WidenAnsi(plan.installFolder)}), fw::kMbOk);
            return {false, restartNeeded_};
        }
    }
    view_.SetRange(std::clamp(plan.total - 1, 0, 0xFFFF));
    int position = 0;
    bool startMenuOn = true;

    for (const InstallStep& step : plan.steps) {
        if (step.counts) {
            if (!view_.Alive())
                return {false, restartNeeded_};
            view_.SetPosition(std::min(position++, 0xFFFF));
        }
        Outcome outcome = Outcome::Go;
        switch (step.kind) {
            case StepKind::Component:
                Line(Fill(text::kInstallingComponent, {fw::WidenAnsi(step.name)}), false);
                break;
            case StepKind::Verb:
                if (!step.entry.file.empty())
                    outcome = RunVerb(step);
                break;
            case StepKind::File:
                if (!step.entry.file.empty())
                    outcome = RunFile(step);
                break;
            case StepKind::DesktopHeading:
                Line(text::kDesktopHeading, true);
                break;
            case StepKind::Desktop:
                RunDesktop(step);
                break;
            case StepKind::StartMenuHeading:
                Line(text::kStartMenuHeading, true);
                break;
            case StepKind::StartMenu:
                if (startMenuOn)
                    startMenuOn = RunStartMenu(step);
                break;
            case StepKind::LogItself:
                if (log_)
                    log_->AddFile(step.target);
                break;
            case StepKind::Uninstaller:
                RunUninstaller(plan);
                break;
            case StepKind::FinishLog:
                if (log_)
                    log_->Finish(script_.look);
                break;
        }
        if (outcome == Outcome::Fail)
            return {false, restartNeeded_};
        if (step.counts) {
            // "中止" destroys the page: the run stops here, after a whole entry.
            view_.Pump();
            if (!view_.Alive())
                return {false, restartNeeded_};
        }
    }
    if (!view_.Alive())
        return {false, restartNeeded_};
    Line(text::kInstallDone, true);
    return {true, restartNeeded_};
}

}  // namespace installer
