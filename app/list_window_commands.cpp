// The list window's commands: loading by folder and by file dialog, clearing, opening
// and properties of the current file, the clipboard and drag and drop.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include "app/list_dialogs.h"
#include "app/list_window.h"
#include "framework/com/data_object.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/core/wait.h"
#include "lists/drop_loader.h"
#include "lists/list_commands.h"
#include "lists/properties_text.h"
#include "lists/transfer_data.h"
#include "resources/lumsor/resource.h"
#include "thumbctl/server/interface.h"

namespace {

// The clipboard as the list commands see it: an OLE data object with the blocks of
// the transfer data, rendered for other programs on request.
class OleClipboard final : public lists::TransferSink {
public:
    bool Put(const lists::TransferData& data) override
    {
        fw::com::ComPtr<IDataObject> object = Make(data);
        return object && SUCCEEDED(OleSetClipboard(object.Get()));
    }

    // A data object with the transfer formats in their order; a drag carries the same.
    static fw::com::ComPtr<IDataObject> Make(const lists::TransferData& data)
    {
        fw::com::ComPtr<IDataObject> made;
        if (FAILED(fw::com::Make<fw::com::DataObject>(made)) ||
            !Fill(*static_cast<fw::com::DataObject*>(made.Get()), data))
            return nullptr;
        return made;
    }

private:
    static bool Fill(fw::com::DataObject& object, const lists::TransferData& data)
    {
        static const CLIPFORMAT fileName = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"FileName"));
        static const CLIPFORMAT effect =
            static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Preferred DropEffect"));
        return (data.fileName.empty() || object.Set(fileName, data.fileName)) &&
               object.Set(CF_HDROP, data.hdrop) && object.Set(CF_TEXT, data.text) &&
               (data.preferredDropEffect.empty() || object.Set(effect, data.preferredDropEffect));
    }
};

// The block of one format of a data object, copied out; empty when it has none.
std::string Block(IDataObject* data, CLIPFORMAT format)
{
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || data->GetData(&request, &medium) != S_OK)
        return std::string();
    std::string bytes;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        if (const void* p = GlobalLock(medium.hGlobal)) {
            bytes.assign(static_cast<const char*>(p), GlobalSize(medium.hGlobal));
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

uint64_t FileTimeValue(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

const fw::CommandMap<CClsLstWnd>& CClsLstWnd::Commands()
{
    using W = CClsLstWnd;
    static const fw::CommandMap<W> map = fw::CommandMap<W>()
                                             .On(ID_LOAD_FOLDER, &W::OnLoadFolder)
                                             .On(ID_LOAD_FILES, &W::OnLoadFiles)
                                             .On(ID_CLEAR_LIST, &W::OnClear, &W::HasEntries)
                                             .On(ID_OPEN_FILE, &W::OnOpenFile, &W::HasEntries)
                                             .On(ID_COPY_SHOWN, &W::OnCopyShown, &W::HasEntries)
                                             .On(ID_CUT_CONDITIONAL, &W::OnConditionalCut, &W::HasEntries)
                                             .On(ID_PROPERTIES, &W::OnProperties, &W::HasEntries)
                                             .On(ID_EDIT_COPY, &W::OnCopy, &W::HasEntries)
                                             .On(ID_EDIT_CUT, &W::OnCut, &W::HasEntries)
                                             .On(ID_EDIT_PASTE, &W::OnPaste, &W::ClipboardHasFiles)
                                             .On(ID_MOVE_LIST, &W::OnMoveList, &W::HasEntries);
    return map;
}

bool CClsLstWnd::ClipboardHasFiles() const
{
    return IsClipboardFormatAvailable(CF_HDROP) != FALSE;
}

void CClsLstWnd::BeginWait()
{
    wait_.Begin();
}

void CClsLstWnd::EndWait()
{
    wait_.End();
}

void CClsLstWnd::OnLoadFolder()
{
    std::string& lastFolder = model_.LastFolder();
    if (lastFolder.empty())
        lastFolder = host_.SharedLastFolder();
    lists::LoadCondition& condition = model_.Condition();
    condition.folder = lastFolder;
    condition.title = fw::NarrowAnsi(L"フォルダを指定して読み込み - 対象画像の条件設定");
    CClsCondDlg dialog(condition);
    if (dialog.RunModal(GetModuleHandleW(nullptr), IDD_CONDITION, Handle()) != IDOK)
        return;
    lists::Answer subfolders = condition.subfolders ? lists::Answer::Yes : lists::Answer::No;
    lastFolder = condition.folder;
    host_.SharedLastFolder() = condition.folder;
    GetAsyncKeyState(VK_ESCAPE);
    lists::LoadFolder(model_, condition.folder, subfolders, &condition, host_.Files(), *this);
}

void CClsLstWnd::OnLoadFiles()
{
    fw::FileChoice choice;
    AttachControl();
    choice.filter = L"画像ファイル|" + fw::WidenAnsi(control_.FilterExtention()) + L"|すべて|*.*||";
    choice.flags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    std::vector<std::string> chosen;
    if (!fw::CurrentPrompts().ChooseFiles(Owner(), choice, chosen))
        return;
    const auto inserted = model_.InsertMany(std::move(chosen));
    model_.CompleteLoad(inserted.smallestNewIndex);
}

void CClsLstWnd::OnMoveList()
{
    fileops::RunMoveListCommand(Handle(), model_, moveState_, host_.SharedLastFolder(), host_.Files(),
                                cache_);
}

void CClsLstWnd::OnClear()
{
    lists::ClearWithConfirm(model_, host_.ConfirmClear(), Owner());
}

void CClsLstWnd::OnOpenFile()
{
    std::string path;
    if (!model_.GetCurrentPath(path))
        return;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(Handle(), "OPEN", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        fw::Ask(L"ファイルを開けませんでした。", fw::kMbOk, Owner());
}

void CClsLstWnd::OnProperties()
{
    std::string path;
    if (!model_.GetCurrentPath(path))
        return;
    lists::FileProperties file;
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        file.found = true;
        file.attributes = found.dwFileAttributes;
        file.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        file.lastWrite = fw::ToLocalTime(FileTimeValue(found.ftLastWriteTime));
        file.created = fw::ToLocalTime(FileTimeValue(found.ftCreationTime));
    }
    CClsPropertiesDlg dialog(lists::PropertiesText(path, file, fw::WidenAnsi));
    dialog.RunModal(GetModuleHandleW(nullptr), IDD_PROPERTIES, Handle());
}

void CClsLstWnd::OnCopyShown()
{
    OleClipboard clipboard;
    lists::RunClipboardCommand(model_, lists::ClipboardCommand::CopyShown, host_.Files(),
                               {host_.WideDropNames()}, clipboard, host_.ConfirmClear(), Owner());
}

void CClsLstWnd::OnCopy()
{
    OleClipboard clipboard;
    lists::RunClipboardCommand(model_, lists::ClipboardCommand::Copy, host_.Files(), {host_.WideDropNames()},
                               clipboard, host_.ConfirmClear(), Owner());
}

void CClsLstWnd::OnCut()
{
    OleClipboard clipboard;
    lists::RunClipboardCommand(model_, lists::ClipboardCommand::Cut, host_.Files(), {host_.WideDropNames()},
                               clipboard, host_.ConfirmClear(), Owner());
}

void CClsLstWnd::OnConditionalCut()
{
    lists::LoadCondition condition;
    condition.title = fw::NarrowAnsi(L"画像の切り取り - 対象画像の条件設定");
    CClsCondDlg dialog(condition);
    if (dialog.RunModal(GetModuleHandleW(nullptr), IDD_CONDITION, Handle()) != IDOK)
        return;
    fw::WaitScope wait(*this);
    OleClipboard clipboard;
    lists::ConditionalCut(model_, condition, host_.Files(), {host_.WideDropNames()}, clipboard, Owner());
}

void CClsLstWnd::OnPaste()
{
    IDataObject* raw = nullptr;
    if (FAILED(OleGetClipboard(&raw)) || !raw)
        return;
    fw::com::ComPtr<IDataObject> data = fw::com::ComPtr<IDataObject>::Attach(raw);
    static const CLIPFORMAT effect =
        static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Preferred DropEffect"));
    const std::string hdrop = Block(data.Get(), CF_HDROP);
    if (hdrop.empty())
        return;
    const std::string preferred = Block(data.Get(), effect);
    const bool cut = lists::PastedDataWasCut(preferred.data(), preferred.size());
    data = nullptr;
    LoadDropped(lists::ParseHDrop(hdrop.data(), hdrop.size(), lists::SystemUtf16ToAnsi));
    if (cut && OpenClipboard(Handle())) {
        EmptyClipboard();
        CloseClipboard();
    }
}

void CClsLstWnd::LoadDropped(const std::vector<std::string>& paths)
{
    lists::LoadDroppedFiles(model_, paths, host_.ConfirmDropFolder(), host_.SharedLastFolder(), host_.Files(),
                            *this);
}

void CClsLstWnd::LoadDrop(HGLOBAL drop)
{
    std::vector<std::string> paths;
    if (const void* p = GlobalLock(drop)) {
        paths = lists::ParseHDrop(p, GlobalSize(drop), lists::SystemUtf16ToAnsi);
        GlobalUnlock(drop);
    }
    GlobalFree(drop);
    LoadDropped(paths);
}

void CClsLstWnd::OnDropFiles(HDROP drop)
{
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH] = "";
        const UINT n = DragQueryFileA(drop, i, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            paths.emplace_back(path, n);
    }
    DragFinish(drop);
    LoadDropped(paths);
}

void CClsLstWnd::ActivateAfterDrop()
{
    SendMessageW(GetParent(Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Handle()), 0);
    ShowWindow(Handle(), SW_SHOW);
}

void CClsLstWnd::OnControlEvent(DISPID id)
{
    if (id == thumbctl::kEventRClick)
        OnRightClick();
}

void CClsLstWnd::OnRightClick()
{
    dropLocation_ = static_cast<int>(lists::DropLocation::NoDrag);
    const bool all = GetKeyState(VK_SHIFT) < 0;
    lists::TransferData data;
    DWORD effect = DROPEFFECT_NONE;
    if (lists::BuildTransferData(model_,
                                 all ? lists::TransferMode::AllEntries : lists::TransferMode::CurrentEntry,
                                 nullptr, host_.Files(), host_.WideDropNames(), data)) {
        fw::com::ComPtr<IDataObject> object = OleClipboard::Make(data);
        if (object && dropSource_) {
            host_.SetStatusText(all ? L"マルチドラッグモード" : L"シングルドラッグモード");
            POINT start{};
            GetCursorPos(&start);
            if (DragBegins(Handle(), start))
                DoDragDrop(object.Get(), dropSource_.Get(),
                           DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        }
    }
    if (lists::FinishDrag(model_, static_cast<lists::DropLocation>(dropLocation_), effect))
        ShowContextMenu();
}
