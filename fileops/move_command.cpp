#include "fileops/move_command.h"

#include "framework/core/path.h"
#include "framework/core/prompts.h"

namespace fileops {

namespace {

const wchar_t kNoFolder[] = L"フォルダを指定してください";
const wchar_t kCreateFolder[] = L"フォルダがありません。作成しますか？";
const wchar_t kCannotCreateFolder[] = L"フォルダが作成できません";
const wchar_t kNotFolder[] = L"ディレクトリではありません";
const wchar_t kNoTemplate[] = L"変名用テンプレートが空欄です";
const wchar_t kTextFilter[] = L"テキストファイル(*.TXT)|*.txt|すべて(*.*)|*.*||";
constexpr unsigned kSaveFlags = 0x6;  // OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT

void Trim(std::string& text)
{
    const char* space = " \t\r\n\v\f";
    text.erase(0, text.find_first_not_of(space));
    text.erase(text.find_last_not_of(space) + 1);
}

void Warn(const wchar_t* text, intptr_t owner)
{
    fw::Ask(text, fw::kMbOk | fw::kMbIconExclamation, owner);
}

}  // namespace

bool AcceptFolderSettings(MoveSettings& settings, fw::FileSystem& fs, intptr_t owner)
{
    Trim(settings.folder);
    if (settings.folder.empty()) {
        Warn(kNoFolder, owner);
        return false;
    }
    uint32_t attributes = fs.Attributes(settings.folder);
    if (attributes == fw::kAttrInvalid) {
        if (fw::Ask(kCreateFolder, fw::kMbYesNo | fw::kMbIconQuestion, owner) == fw::kIdYes &&
            !CreateFolderPath(settings.folder, fs)) {
            Warn(kCannotCreateFolder, owner);
            return false;
        }
    } else if (!(attributes & fw::kAttrDirectory)) {
        Warn(kNotFolder, owner);
        return false;
    }
    Trim(settings.pattern);
    if (settings.rename && settings.pattern.empty()) {
        Warn(kNoTemplate, owner);
        return false;
    }
    return true;
}

bool ChooseTextOutput(MoveSettings& settings, intptr_t owner)
{
    fw::FileChoice choice;
    choice.save = true;
    choice.filter = kTextFilter;
    choice.defaultExtension = L"TXT";
    choice.flags = kSaveFlags;
    std::string path;
    if (!fw::CurrentPrompts().ChooseFile(owner, choice, path))
        return false;
    settings.textPath = path;
    return true;
}

bool MoveOrCopy(lists::ListModel& list, MoveSettings& settings, fw::FileSystem& fs, MoveCommandHost& host)
{
    if (list.GetCount() == 0)
        return false;
    const std::string folder = fw::WithSeparator(settings.folder, list.Paths().Order().CodePage());
    list.LastFolder() = folder;
    host.SetSharedLastFolder(folder);

    MovePlan plan = MovePlan::Build(list.Paths().Paths(), folder, list.Filter(),
                                    settings.rename ? std::string_view(settings.pattern) : std::string_view(),
                                    fs, list.Paths().Order());
    Action action = settings.action == Action::Copy ? Action::Copy : Action::Move;
    if (!plan.Validate() || settings.details) {
        PreviewChoice choice = host.Preview(plan);
        if (choice == PreviewChoice::Cancel)
            return false;
        action = choice == PreviewChoice::Copy ? Action::Copy : Action::Move;
        settings.action = action;
        if (!plan.Validate())
            return false;  // the preview ends only on a valid plan; never run another
    }
    RunResult result = RunPlan(plan, action, fs, host);
    ApplyRun(list, plan, result, action, settings.reload);
    return true;
}

}  // namespace fileops
