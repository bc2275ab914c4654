// The decisions of the list window's clear, clipboard and drag commands, over seams:
// the Win32 shell runs the dialogs, owns the clipboard and the OLE drag, and calls these.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/filesystem.h"
#include "lists/list_model.h"
#include "lists/transfer_data.h"

namespace lists {

// Where transfer data goes: the clipboard. Put places every non-empty block of
// `data`; false when the clipboard could not take it.
class TransferSink {
public:
    virtual ~TransferSink() = default;
    virtual bool Put(const TransferData& data) = 0;
};

// How transfer data is built: the process's `shell`/`USEWIDECHAR` value and the
// code page conversion.
struct TransferOptions {
    bool wideNames = true;
    AnsiToUtf16 widen = SystemAnsiToUtf16;
};

// `ClearWithConfirm` (F4, and the end of a cut): with `confirm` (CONFIRM/CLEARLIST)
// asks "リストの内容をクリアしてもよろしいですか？" and clears only on Yes. True when
// the list was cleared.
bool ClearWithConfirm(ListModel& list, bool confirm, intptr_t owner = 0);

// The clipboard commands of a list.
enum class ClipboardCommand {
    CopyShown,  // 32778: the current entry, "Preferred DropEffect" 5
    Copy,       // 57634: every entry, 5
    Cut,        // 57635: every entry, 2, then ClearWithConfirm
};

// Builds the command's data and puts it on the clipboard; nothing happens when there
// is nothing to transfer. A cut clears the list (with its confirmation) only once the
// clipboard holds the paths. True when the clipboard was filled.
bool RunClipboardCommand(ListModel& list, ClipboardCommand command, fw::FileSystem& fs,
                         const TransferOptions& options, TransferSink& clipboard, bool confirmClear,
                         intptr_t owner = 0);

// The conditional cut (32785) after its dialog ended with OK: the entries matching
// `condition` go to the clipboard with "Preferred DropEffect" 2 and leave the list,
// which then shows its first entry. Reports "%d個のファイルが該当しました。" with the
// number removed, or "条件に該当するファイルがありません" when nothing matched (the
// list and the clipboard stay as they were). When the clipboard refuses the data the
// list is left as it was and nothing is reported. Returns the number removed.
int ConditionalCut(ListModel& list, const LoadCondition& condition, fw::FileSystem& fs,
                   const TransferOptions& options, TransferSink& clipboard, intptr_t owner = 0);

// Paste: true when the clipboard's "Preferred DropEffect" block says the data was
// cut (the move bit is set), so the clipboard is emptied after the load. A missing or
// short block means copied data.
bool PastedDataWasCut(const void* preferredDropEffect, size_t size);

// The drop target's answers: the effect offered while data is dragged over a list
// and the effect reported for a drop.
uint32_t DragOverEffect(bool offersHDrop);
uint32_t DropEffect(bool offersHDrop);

// Where the right button was released after a drag this list started.
enum class DropLocation : int {
    OutsideFrame = 0,  // or while the drag still runs
    OtherWindow = 1,   // over the main frame, not over this list window
    ThisWindow = 2,
    NoDrag = 3,  // no drag took place
};

// What the list does after its drag.
enum class AfterDrag {
    RecheckMissing,   // RemoveMissing(true) and the recheck in 3 seconds
    Refresh,          // RefreshView
    ShowContextMenu,  // a short right click: the "編集(&E)" menu
    Nothing,
};
AfterDrag AfterDragAction(DropLocation location, uint32_t resultEffect);
// Applies AfterDragAction to the list; the context menu is left to the caller, which
// gets true when it is to be shown.
bool FinishDrag(ListModel& list, DropLocation location, uint32_t resultEffect);

}  // namespace lists
