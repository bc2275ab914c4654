#include "lists/list_commands.h"

#include <string>

#include "framework/core/prompts.h"

namespace lists {

namespace {

const wchar_t kAskClear[] = L"リストの内容をクリアしてもよろしいですか？";
const wchar_t kNothingMatched[] = L"条件に該当するファイルがありません";

}  // namespace

bool ClearWithConfirm(ListModel& list, bool confirm, intptr_t owner)
{
    if (confirm && fw::Ask(kAskClear, fw::kMbYesNo | fw::kMbIconQuestion, owner) != fw::kIdYes)
        return false;
    list.ClearList();
    return true;
}

bool RunClipboardCommand(ListModel& list, ClipboardCommand command, fw::FileSystem& fs,
                         const TransferOptions& options, TransferSink& clipboard, bool confirmClear,
                         intptr_t owner)
{
    const TransferMode mode =
        command == ClipboardCommand::CopyShown ? TransferMode::CurrentEntry : TransferMode::AllEntries;
    TransferData data;
    if (!BuildTransferData(list, mode, nullptr, fs, options.wideNames, data, options.widen))
        return false;
    const bool cut = command == ClipboardCommand::Cut;
    data.preferredDropEffect = DropEffectBlock(cut ? kCutCommandEffect : kCopyCommandEffect);
    if (!clipboard.Put(data))
        return false;
    if (cut)
        ClearWithConfirm(list, confirmClear, owner);
    return true;
}

int ConditionalCut(ListModel& list, const LoadCondition& condition, fw::FileSystem& fs,
                   const TransferOptions& options, TransferSink& clipboard, intptr_t owner)
{
    TransferData data;
    if (!BuildTransferData(list, TransferMode::AllEntries, &condition, fs, options.wideNames, data,
                           options.widen)) {
        fw::Ask(kNothingMatched, fw::kMbOk, owner);
        return 0;
    }
    data.preferredDropEffect = DropEffectBlock(kCutCommandEffect);
    if (!clipboard.Put(data))
        return 0;
    const int removed = list.RemoveMatching(condition);
    if (removed > 0)
        fw::Ask(std::to_wstring(removed) + L"個のファイルが該当しました。", fw::kMbOk, owner);
    else
        fw::Ask(kNothingMatched, fw::kMbOk, owner);
    return removed;
}

bool PastedDataWasCut(const void* preferredDropEffect, size_t size)
{
    uint32_t effect = 0;
    return ReadDropEffect(preferredDropEffect, size, effect) && (effect & kDropEffectMove) != 0;
}

uint32_t DragOverEffect(bool offersHDrop)
{
    return offersHDrop ? kDropEffectCopy | kDropEffectLink : kDropEffectNone;
}

uint32_t DropEffect(bool offersHDrop)
{
    return offersHDrop ? kDropEffectLink : kDropEffectNone;
}

AfterDrag AfterDragAction(DropLocation location, uint32_t resultEffect)
{
    if (location == DropLocation::OutsideFrame || resultEffect == kDropEffectMove)
        return AfterDrag::RecheckMissing;
    switch (location) {
        case DropLocation::OtherWindow:
            return AfterDrag::Refresh;
        case DropLocation::NoDrag:
            return AfterDrag::ShowContextMenu;
        default:
            return AfterDrag::Nothing;
    }
}

bool FinishDrag(ListModel& list, DropLocation location, uint32_t resultEffect)
{
    switch (AfterDragAction(location, resultEffect)) {
        case AfterDrag::RecheckMissing:
            list.RemoveMissing(true);
            list.StartRecheckTimer(kRecheckDelayMs);
            return false;
        case AfterDrag::Refresh:
            list.RefreshView();
            return false;
        case AfterDrag::ShowContextMenu:
            return true;
        case AfterDrag::Nothing:
            return false;
    }
    return false;
}

}  // namespace lists
