#include "fileops/preview_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "framework/ax/dispatch_call.h"
#include "framework/core/text.h"
#include "framework/win/system_library.h"
#include "framework/win/wait_cursor.h"
#include "resources/lumsor/fileops_res.h"

using fileops::PreviewChoice;

namespace {

// The end codes of the dialog.
constexpr INT_PTR kEndCopy = IDOK;
constexpr INT_PTR kEndMove = IDYES;

// The thumbnail control's Caption property (the standard DISPID_CAPTION).
constexpr DISPID kCaption = -518;

struct Column {
    const wchar_t* title;
    int width;
};
constexpr Column kColumns[] = {
    {L"コピー・移動ファイル名", 150}, {L"現存ファイル", 150}, {L"元ファイル名", 600}};

struct Thumbnail {
    int id;
    const wchar_t* caption;
};
constexpr Thumbnail kThumbnails[] = {{IDC_PREVIEW_SOURCE_THUMB, L"THUMB1"},
                                     {IDC_PREVIEW_EXISTING_THUMB, L"THUMB2"}};

// How each control follows the dialog's size: moves right / down, grows wide / high.
struct AnchorRule {
    int id;
    bool moveX, moveY, sizeX, sizeY;
};
constexpr AnchorRule kAnchorRules[] = {
    {IDC_PREVIEW_LIST, false, false, true, true},
    {IDOK, true, true, false, false},
    {IDCANCEL, true, true, false, false},
    {IDC_PREVIEW_MOVE, true, true, false, false},
    {IDC_PREVIEW_EXCLUDE, true, false, false, false},
    {IDC_PREVIEW_RENAME, true, false, false, false},
    {IDC_PREVIEW_CHECK, true, false, false, false},
    {IDC_PREVIEW_BATCH, true, false, false, false},
};

void SetItemTextW(HWND list, int item, int column, const std::wstring& text)
{
    LVITEMW lvi{};
    lvi.iSubItem = column;
    lvi.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
}

void SetItemSelected(HWND list, int item, bool selected)
{
    LVITEMW lvi{};
    lvi.stateMask = LVIS_SELECTED;
    lvi.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
}

}  // namespace

PreviewChoice CClsPreviewDlg::Run(HWND owner)
{
    fw::InitCommonControls(ICC_LISTVIEW_CLASSES);
    switch (RunModal(GetModuleHandleW(nullptr), IDD_PREVIEW, owner)) {
        case kEndCopy:
            return PreviewChoice::Copy;
        case kEndMove:
            return PreviewChoice::Move;
        default:
            return PreviewChoice::Cancel;
    }
}

HWND CClsPreviewDlg::List() const
{
    return Item(IDC_PREVIEW_LIST);
}

bool CClsPreviewDlg::OnInitDialog()
{
    FillList();
    CreateThumbnails();
    RecordAnchors();
    ShowCheck();
    return true;
}

void CClsPreviewDlg::FillList()
{
    HWND list = List();
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (size_t c = 0; c < std::size(kColumns); ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumns[c].width;
        column.pszText = const_cast<wchar_t*>(kColumns[c].title);
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    const std::vector<fileops::PlanRow>& rows = plan_.Rows();
    SendMessageW(list, LVM_SETITEMCOUNT, rows.size(), 0);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::wstring name = fw::WidenAnsi(rows[i].newName);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(name.c_str());
        item.lParam = static_cast<LPARAM>(i);
        const int index =
            static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        SetItemTextW(list, index, 1, fw::WidenAnsi(rows[i].existingName));
        SetItemTextW(list, index, 2, fw::WidenAnsi(rows[i].source));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void CClsPreviewDlg::CreateThumbnails()
{
    for (size_t i = 0; i < std::size(kThumbnails); ++i) {
        HWND place = Item(kThumbnails[i].id);
        RECT rect{};
        GetWindowRect(place, &rect);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
        DestroyWindow(place);
        if (FAILED(thumbs_[i].Create(Handle(), rect, kThumbnails[i].id, WS_VISIBLE)))
            continue;  // no thumbnails without the control; the list works alone
        VARIANT caption;
        VariantInit(&caption);
        caption.vt = VT_BSTR;
        caption.bstrVal = SysAllocString(kThumbnails[i].caption);
        fw::ax::PutProperty(thumbs_[i].ControlDispatch(), kCaption, caption);
        VariantClear(&caption);
        if (cache_)
            thumbs_[i].IPictureCache(cache_);
    }
}

void CClsPreviewDlg::RecordAnchors()
{
    RECT client{};
    GetClientRect(Handle(), &client);
    client_ = {client.right, client.bottom};
    RECT window{};
    GetWindowRect(Handle(), &window);
    minimum_ = {window.right - window.left, window.bottom - window.top};
    for (const AnchorRule& rule : kAnchorRules) {
        Anchor anchor{rule.id, rule.moveX, rule.moveY, rule.sizeX, rule.sizeY, {}};
        GetWindowRect(Item(rule.id), &anchor.rect);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&anchor.rect), 2);
        anchors_.push_back(anchor);
    }
}

void CClsPreviewDlg::ApplyAnchors(int width, int height)
{
    if (anchors_.empty())
        return;
    const int dx = width - client_.cx;
    const int dy = height - client_.cy;
    HDWP positions = BeginDeferWindowPos(static_cast<int>(anchors_.size()));
    for (const Anchor& a : anchors_) {
        const int x = a.rect.left + (a.moveX ? dx : 0);
        const int y = a.rect.top + (a.moveY ? dy : 0);
        const int w = a.rect.right - a.rect.left + (a.sizeX ? dx : 0);
        const int h = a.rect.bottom - a.rect.top + (a.sizeY ? dy : 0);
        if (positions)
            positions =
                DeferWindowPos(positions, Item(a.id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions)
        EndDeferWindowPos(positions);
    InvalidateRect(Handle(), nullptr, TRUE);
}

size_t CClsPreviewDlg::RowOf(int item) const
{
    LVITEMW lvi{};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    if (item < 0 || !SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)))
        return plan_.Rows().size();
    return static_cast<size_t>(lvi.lParam);
}

std::vector<int> CClsPreviewDlg::SelectedItems() const
{
    std::vector<int> items;
    int item = -1;
    const int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    while (static_cast<int>(items.size()) < count &&
           (item = static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, item, LVNI_SELECTED))) >= 0)
        items.push_back(item);
    return items;
}

void CClsPreviewDlg::ShowName(int item)
{
    const size_t row = RowOf(item);
    if (row < plan_.Rows().size())
        SetItemTextW(List(), item, 0, fw::WidenAnsi(plan_.Rows()[row].newName));
}

void CClsPreviewDlg::ShowFocused()
{
    const int item =
        static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const size_t row = RowOf(item);
    std::string paths[2];
    if (row < plan_.Rows().size()) {
        const fileops::PlanRow& r = plan_.Rows()[row];
        if (!r.newName.empty())
            paths[0] = r.source;
        if (!r.existingName.empty())
            paths[1] = plan_.Folder() + r.existingName;
    }
    for (size_t i = 0; i < std::size(thumbs_); ++i) {
        if (paths[i] == shown_[i] || !thumbs_[i].ControlDispatch())
            continue;
        shown_[i] = paths[i];
        thumbs_[i].displayFile(paths[i]);
    }
}

void CClsPreviewDlg::ShowCheck()
{
    bool valid = false;
    {
        fw::WaitCursor wait(fw::WaitCursor::kNow);
        valid = fileops::CheckPlan(plan_, reinterpret_cast<intptr_t>(Handle()));
    }
    HWND list = List();
    SetItemSelected(list, -1, false);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; !valid && item < count; ++item) {
        const size_t row = RowOf(item);
        if (row < plan_.Rows().size() && plan_.Rows()[row].invalid)
            SetItemSelected(list, item, true);
    }
}

void CClsPreviewDlg::Finish(INT_PTR code)
{
    if (SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0)) {
        SetFocus(List());  // Enter while a name is edited ends the edit, not the dialog
        return;
    }
    bool valid = false;
    {
        fw::WaitCursor wait(fw::WaitCursor::kNow);
        valid = plan_.Validate();
    }
    if (valid)
        End(code);
    else
        ShowCheck();
}

void CClsPreviewDlg::OnOk()
{
    Finish(kEndCopy);
}

void CClsPreviewDlg::Exclude()
{
    const std::vector<int> items = SelectedItems();
    std::vector<size_t> rows;
    for (int item : items)
        rows.push_back(RowOf(item));
    plan_.Exclude(rows);
    for (int item : items)
        ShowName(item);
    ShowFocused();
}

void CClsPreviewDlg::StartRename()
{
    const int item =
        static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item < 0 || !plan_.CanEditName(RowOf(item)))
        return;
    SetFocus(List());
    SendMessageW(List(), LVM_EDITLABELW, static_cast<WPARAM>(item), 0);
}

void CClsPreviewDlg::BatchRename()
{
    const std::vector<int> items = SelectedItems();
    if (items.empty() || template_.Run(Handle()) != IDOK)
        return;
    std::vector<size_t> rows;
    for (int item : items)
        rows.push_back(RowOf(item));
    plan_.BatchRename(rows, template_.pattern, template_.sequence, fs_);
    for (int item : items)
        ShowName(item);
    ShowFocused();
}

bool CClsPreviewDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_PREVIEW_EXCLUDE:
            Exclude();
            return true;
        case IDC_PREVIEW_RENAME:
            StartRename();
            return true;
        case IDC_PREVIEW_BATCH:
            BatchRename();
            return true;
        case IDC_PREVIEW_CHECK:
            ShowCheck();
            return true;
        case IDC_PREVIEW_MOVE:
            Finish(kEndMove);
            return true;
        default:
            return false;
    }
}

bool CClsPreviewDlg::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_PREVIEW_LIST)
        return false;
    switch (header.code) {
        case LVN_ITEMCHANGED:
            ShowFocused();
            return true;
        case LVN_BEGINLABELEDITW: {
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            result = plan_.CanEditName(RowOf(info.item.iItem)) ? FALSE : TRUE;
            return true;
        }
        case LVN_ENDLABELEDITW: {
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            result = FALSE;  // the text shown is set here, from the plan
            if (info.item.pszText &&
                fileops::EndNameEdit(plan_, RowOf(info.item.iItem), fw::NarrowAnsiPath(info.item.pszText),
                                     reinterpret_cast<intptr_t>(Handle()))) {
                ShowName(info.item.iItem);
                ShowFocused();
            }
            return true;
        }
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (key.wVKey == VK_DELETE)
                Exclude();
            else if (key.wVKey == VK_F2)
                StartRename();
            else if (key.wVKey == 'A' && GetKeyState(VK_CONTROL) < 0)
                SetItemSelected(List(), -1, true);
            return true;
        }
        default:
            return false;
    }
}

bool CClsPreviewDlg::OnMessage(UINT message, WPARAM, LPARAM lp, LRESULT& result)
{
    switch (message) {
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lp), result);
        case WM_SIZE:
            ApplyAnchors(LOWORD(lp), HIWORD(lp));
            return false;
        case WM_GETMINMAXINFO:
            if (minimum_.x > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lp);
                info->ptMinTrackSize = minimum_;
            }
            result = 0;
            return true;
        default:
            return false;
    }
}
