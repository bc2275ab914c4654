#include "app/main_frame.h"

#include <commctrl.h>
#include <oleauto.h>

#include <algorithm>

#include "VelmoraThumbCtl.h"
#include "app/app_dialogs.h"
#include "app/command_line.h"
#include "app/html_help.h"
#include "app/layout_store.h"
#include "app/recovery.h"
#include "app/tile.h"
#include "framework/ax/dispatch_call.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/win/string_table.h"
#include "lists/folder_loader.h"
#include "resources/lumsor/resource.h"
#include "thumbctl/server/interface.h"

namespace {

constexpr wchar_t kNotInstalled[] = L"サムネイル・コントロールがインストールされていない可能性があります。";
constexpr wchar_t kConfirmExit[] = L"終了してもよろしいですか？";

// The status bar's panes after the message pane: kana, caps, num and scroll lock.
struct Indicator {
    UINT text;
    int key;
};
constexpr Indicator kIndicators[] = {
    {IDS_INDICATOR_KANA, VK_KANA},
    {IDS_INDICATOR_CAPS, VK_CAPITAL},
    {IDS_INDICATOR_NUM, VK_NUMLOCK},
    {IDS_INDICATOR_SCRL, VK_SCROLL},
};
constexpr int kIndicatorWidth = 44;

// Hand-edited cache sizes are brought into the ranges the settings dialog allows,
// so that a garbage value cannot leave the cache without slots.
std::pair<short, short> CacheSizes(const app::ProfileSettings& settings)
{
    const int size = std::clamp(settings.Get(app::settings::kCacheSize), 8, 94);
    const int out = std::clamp(settings.Get(app::settings::kCacheOut), 2, std::min(64, size - 1));
    return {static_cast<short>(size), static_cast<short>(out)};
}

}  // namespace

CClsMainFrame::CClsMainFrame(fw::FileSystem& fs, fw::Profile& profile, std::string helpFile)
    : fs_(fs),
      helpFile_(std::move(helpFile)),
      settings_(profile),
      lists_(fs,
             [&] {
                 wchar_t folder[MAX_PATH] = L"";
                 GetCurrentDirectoryW(MAX_PATH, folder);
                 return app::ListStartOptions(settings_, fw::NarrowAnsi(folder));
             }()),
      journal_(fs, fw::SystemClock()),
      catalog_(lists_, fs, *this),
      keys_(lists_, *this)
{
    lists_.SetCurrentList(-1);
}

CClsMainFrame::~CClsMainFrame()
{
    Destroy();
    for (auto& window : windows_)
        window.reset();
    cache_ = nullptr;
}

CClsLstWnd* CClsMainFrame::ListWindow(int listNumber) const
{
    if (listNumber < 0 || listNumber >= lists::kListCount)
        return nullptr;
    return windows_[static_cast<size_t>(listNumber)].get();
}

bool CClsMainFrame::LoadFrame()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static const fw::WindowClass cls(instance, L"CClsMainFrame", CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                     nullptr, LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME)));
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    const std::wstring title = fw::LoadText(IDR_MAINFRAME);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                        WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    if (!Create(cls, nullptr, title.c_str(), style, WS_EX_CONTROLPARENT,
                RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT},
                reinterpret_cast<UINT_PTR>(menu))) {
        if (menu)
            DestroyMenu(menu);
        return false;
    }
    return true;
}

const fw::MessageMap& CClsMainFrame::Messages() const
{
    static const fw::MessageMap map = fw::MessageMapFor<CClsMainFrame>()
                                          .On<WM_CREATE>(&CClsMainFrame::OnCreate)
                                          .On<WM_CLOSE>(&CClsMainFrame::OnClose)
                                          .On<WM_DESTROY>(&CClsMainFrame::OnDestroy)
                                          .On<WM_SIZE>(&CClsMainFrame::OnSize)
                                          .On<WM_TIMER>(&CClsMainFrame::OnTimer)
                                          .On<WM_COMMAND>(&CClsMainFrame::OnCommand)
                                          .On<WM_INITMENUPOPUP>(&CClsMainFrame::OnInitMenuPopup)
                                          .OnMessage(WM_MENUSELECT, &CClsMainFrame::OnMenuSelect);
    return map;
}

const fw::CommandMap<CClsMainFrame>& CClsMainFrame::Commands()
{
    using F = CClsMainFrame;
    static const fw::CommandMap<F> map =
        fw::CommandMap<F>()
            .On(ID_TILE, &F::OnTile)
            .On(ID_CASCADE, &F::OnCascade)
            .On(ID_SHOW_ALL, &F::OnShowAll)
            .On(ID_REFRESH, &F::OnRefresh)
            .On(ID_RELOAD_IMAGES, &F::OnReloadImages)
            .On(ID_EXCLUDE, &F::OnExclude, &F::CanExclude)
            .On(ID_EDIT_UNDO, &F::OnUndo)
            .On(ID_FILE_NEW, &F::OnFileNew)
            .On(ID_FILE_OPEN, &F::OnFileOpen)
            .On(ID_FILE_SAVE, &F::OnFileSave)
            .On(ID_FILE_SAVE_AS, &F::OnFileSaveAs)
            .On(ID_LAYOUT_DIALOG, &F::OnLayoutDialog)
            .On(ID_LAYOUT_RESTORE, &F::OnLayoutRestore)
            .On(ID_LAYOUT_SAVE, &F::OnLayoutSave)
            .On(ID_AUTO_ADVANCE, &F::OnToggleAutoAdvance, nullptr, &F::IsAutoAdvancing)
            .On(ID_APP_EXIT, &F::OnExit)
            .On(ID_HELP_INDEX, &F::OnHelp)
            .On(ID_SETTINGS, &F::OnSettings)
            .On(ID_APP_ABOUT, &F::OnAbout);
    return map;
}

bool CClsMainFrame::OnCreate(const CREATESTRUCTW&)
{
    if (!CreateClient() || !CreateStatusBar())
        return false;
    CreatePictureCache();
    // The windows are created and placed without painting; they draw once at the end.
    // They are made where the working layout puts them, so that restoring it moves none.
    SendMessageW(Client(), WM_SETREDRAW, FALSE, 0);
    const bool restoring = !settings_.GetFlag(app::settings::kLayoutNoSave);
    const WorkingPlacement layout = restoring ? ReadWorkingPlacement() : WorkingPlacement{};
    if (!CreateListWindows(restoring ? &layout : nullptr)) {
        fw::Ask(kNotInstalled, fw::kMbOk, reinterpret_cast<intptr_t>(Handle()));
        return false;
    }
    Activate(0);
    lists_.SetCurrentList(0);
    if (restoring) {
        ApplyWorkingPlacement(layout);
    } else {
        const app::CellSize cell = app::ReadCellSize(settings_);
        SetWindowPos(windows_[0]->Handle(), nullptr, 0, 0, cell.width, cell.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
        TileToWindowSize();
    }
    SendMessageW(Client(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(Client(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return true;
}

bool CClsMainFrame::CreateStatusBar()
{
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0,
                              Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!status_)
        return false;
    SetStatusText(std::wstring());
    return true;
}

void CClsMainFrame::CreatePictureCache()
{
    if (FAILED(CoCreateInstance(CLSID_VelmoraPictureCache, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IVelmoraPictureCache, cache_.PutVoid())))
        return;  // the program runs without a shared cache
    ApplyCacheSettings();
}

// The windows come without their controls but list 0's, which every list's filter
// is read from (and which tells whether the control is installed at all); the others
// attach theirs when they come into view.
bool CClsMainFrame::CreateListWindows(const WorkingPlacement* placement)
{
    for (int n = 0; n < lists::kListCount; ++n) {
        auto window = std::make_unique<CClsLstWnd>(lists_.List(n), *this);
        const RECT rect = placement ? placement->lists[static_cast<size_t>(n)] : RECT{0, 0, 100, 100};
        if (!window->Create(Client(), cache_.Get(), rect) || (n == 0 && !window->AttachControl()))
            return false;
        windows_[static_cast<size_t>(n)] = std::move(window);
    }
    const std::string filter = windows_[0]->Control().FilterExtention();
    for (int n = 0; n < lists::kListCount; ++n)
        lists_.List(n).SetFilter(filter);
    return true;
}

void CClsMainFrame::ApplyCacheSettings()
{
    if (!cache_)
        return;
    fw::com::ComPtr<IDispatch> dispatch;
    if (FAILED(cache_.As(dispatch)))
        return;
    const auto [size, out] = CacheSizes(settings_);
    VARIANT args[2];
    V_VT(&args[0]) = V_VT(&args[1]) = VT_I2;
    V_I2(&args[0]) = size;
    V_I2(&args[1]) = out;
    fw::ax::CallMethod(dispatch.Get(), thumbctl::kCacheSetCacheSize, args, nullptr, LOCALE_SYSTEM_DEFAULT);
}

void CClsMainFrame::OnClose()
{
    if (lists_.TotalCount() > 0 && fw::Ask(kConfirmExit, fw::kMbYesNo | fw::kMbIconQuestion,
                                           reinterpret_cast<intptr_t>(Handle())) != fw::kIdYes)
        return;
    if (!settings_.GetFlag(app::settings::kLayoutNoSave))
        SaveWorkingLayout();
    DestroyWindow(Handle());
}

void CClsMainFrame::OnDestroy()
{
    KillTimer(Handle(), kAutoAdvanceTimer);
    KillTimer(Handle(), kJournalTimer);
    journal_.Finish();
    PostQuitMessage(0);
}

void CClsMainFrame::OnSize(UINT, int width, int height)
{
    if (!status_ || !Client())
        return;
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(status_, &bar);
    const int barHeight = IsWindowVisible(status_) ? bar.bottom - bar.top : 0;
    int edges[5];
    const int count = static_cast<int>(std::size(edges));
    for (int i = 0; i < count; ++i)
        edges[i] = std::max(0, width - (count - 1 - i) * kIndicatorWidth);
    edges[count - 1] = -1;
    SendMessageW(status_, SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges));
    MoveWindow(Client(), 0, 0, width, std::max(0, height - barHeight), TRUE);
}

void CClsMainFrame::SetStatusText(const std::wstring& text)
{
    if (status_)
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CClsMainFrame::SetStatusText(const std::string& text)
{
    SetStatusText(fw::WidenAnsi(text));
}

void CClsMainFrame::OnIdle()
{
    if (!status_)
        return;
    const int current = lists_.CurrentList();
    if (const CClsLstWnd* window = ListWindow(current); window && GetKeyState(VK_SHIFT) >= 0) {
        wchar_t caption[600] = L"";
        GetWindowTextW(window->Handle(), caption, 600);
        const std::wstring text = caption + journalNote_;
        wchar_t shown[700] = L"";
        if (SendMessageW(status_, SB_GETTEXTLENGTHW, 0, 0) < 700)
            SendMessageW(status_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown));
        if (text != shown)
            SetStatusText(text);
    }
    if (journal_.Failed())
        journalNote_ = app::kJournalFailed;
    else if (!journalTimer_ && journal_.IdleDue())
        journalTimer_ =
            SetTimer(Handle(), kJournalTimer, lists::RecoveryJournal::kSyncIntervalMs, nullptr) != 0;
    for (size_t i = 0; i < std::size(kIndicators); ++i) {
        const bool on = (GetKeyState(kIndicators[i].key) & 1) != 0;
        const std::wstring text = on ? fw::LoadText(kIndicators[i].text) : std::wstring();
        wchar_t shown[16] = L"";
        if (SendMessageW(status_, SB_GETTEXTLENGTHW, i + 1, 0) < 16)
            SendMessageW(status_, SB_GETTEXTW, i + 1, reinterpret_cast<LPARAM>(shown));
        if (text != shown)
            SendMessageW(status_, SB_SETTEXTW, i + 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

LRESULT CClsMainFrame::OnMenuSelect(UINT message, WPARAM wp, LPARAM lp)
{
    // The status bar shows the prompt of the highlighted command.
    const UINT id = LOWORD(wp);
    const UINT flags = HIWORD(wp);
    if (!(flags & (MF_POPUP | MF_SEPARATOR)) && lp) {
        std::wstring prompt = fw::LoadText(id);
        prompt = prompt.substr(0, prompt.find(L'\n'));
        SetStatusText(prompt);
    }
    return DefaultProcedure(message, wp, lp);
}

bool CClsMainFrame::PreTranslate(MSG& msg)
{
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        // A held key repeats faster than a caption paints under some systems: while
        // more keys wait, the lists only remember what to show. A release shows the
        // image stepped to; the caption and scroll position remembered meanwhile
        // follow it instead of going before it, once no more keys wait.
        const bool burst = KeysWaiting();
        if (burst || msg.message != WM_KEYUP)
            SetViewDeferral(burst);
        const bool consumed =
            keys_.PreTranslate(static_cast<unsigned>(msg.wParam), msg.message == WM_KEYDOWN, shift, ctrl);
        if (!burst && !KeysWaiting())
            SetViewDeferral(false);
        if (consumed)
            return true;
    }
    SetViewDeferral(false);
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        if (Client() && TranslateMDISysAccel(Client(), &msg))
            return true;
        if (accelerators_ && TranslateAcceleratorW(Handle(), accelerators_, &msg))
            return true;
    }
    return false;
}

bool CClsMainFrame::KeysWaiting()
{
    MSG next{};
    return PeekMessageW(&next, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) != FALSE;
}

void CClsMainFrame::SetViewDeferral(bool defer)
{
    if (defer == deferringViews_)
        return;
    deferringViews_ = defer;
    for (const auto& window : windows_)
        if (window)
            window->DeferViewUpdates(defer);
}

void CClsMainFrame::OnCommand(UINT id, UINT, HWND)
{
    if (CClsLstWnd* window = ListWindow(lists_.CurrentList()); window && window->RouteCommand(id))
        return;
    if (Commands().Execute(*this, id))
        return;
    PassOn();
}

fw::CommandState CClsMainFrame::StateOf(UINT id) const
{
    if (const CClsLstWnd* window = ListWindow(lists_.CurrentList())) {
        const fw::CommandState state = window->CommandStateOf(id);
        if (state.known)
            return state;
    }
    const fw::CommandState state = Commands().State(*this, id);
    if (state.known || id >= 0xF000)
        return state;
    return {true, false, false};  // nobody handles it: shown disabled
}

void CClsMainFrame::OnInitMenuPopup(HMENU popup, UINT, bool windowMenu)
{
    PassOn();
    if (!windowMenu)
        fw::UpdateMenuItems(popup, [this](UINT id) { return StateOf(id); });
}

void CClsMainFrame::OnTimer(UINT_PTR id)
{
    if (id == kJournalTimer) {
        KillTimer(Handle(), kJournalTimer);
        journalTimer_ = false;
        journal_.Idle();
        return;
    }
    if (id == kAutoAdvanceTimer && autoAdvance_) {
        PostMessageW(Handle(), WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(Handle(), WM_KEYUP, VK_DOWN, 0);
    }
    PassOn();
}

void CClsMainFrame::OnToggleAutoAdvance()
{
    if (autoAdvance_) {
        StopAutoAdvance();
        return;
    }
    autoAdvance_ = 1;
    SetTimer(Handle(), kAutoAdvanceTimer, kAutoAdvanceMs, nullptr);
}

void CClsMainFrame::StopAutoAdvance()
{
    KillTimer(Handle(), kAutoAdvanceTimer);
    autoAdvance_ = 0;
}

void CClsMainFrame::OnExit()
{
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void CClsMainFrame::OnRefresh()
{
    for (int n = 0; n < lists::kListCount; ++n) {
        lists_.List(n).RemoveMissing(false);
        lists_.List(n).RefreshView();
    }
}

void CClsMainFrame::OnReloadImages()
{
    ApplyCacheSettings();
    OnRefresh();
}

bool CClsMainFrame::CanExclude() const
{
    const int current = lists_.CurrentList();
    return current >= 0 && current < lists::kListCount && lists_.List(current).GetCount() >= 1;
}

void CClsMainFrame::OnExclude()
{
    lists::ListModel& list = lists_.List(lists_.CurrentList());
    list.RemoveCurrent();
    list.RefreshView();
}

void CClsMainFrame::OnUndo()
{
    keys_.Undo(true, false);
    keys_.Undo(false, false);
}

void CClsMainFrame::OnCascade()
{
    SendMessageW(Client(), WM_MDICASCADE, 0, 0);
}

void CClsMainFrame::OnShowAll()
{
    for (const auto& window : windows_)
        if (IsIconic(window->Handle()))
            SendMessageW(Client(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(window->Handle()), 0);
    SendMessageW(Client(), WM_MDITILE, 0, 0);
    TileToWindowSize();
}

void CClsMainFrame::OnTile()
{
    TileToWindowSize();
}

void CClsMainFrame::OnHelp()
{
    app::ShowHelp(Handle(), helpFile_);
}

// FrameWindows

bool CClsMainFrame::IsListMinimized(int list) const
{
    return IsIconic(windows_[static_cast<size_t>(list)]->Handle()) != FALSE;
}

bool CClsMainFrame::IsListMaximized(int list) const
{
    return IsZoomed(windows_[static_cast<size_t>(list)]->Handle()) != FALSE;
}

void CClsMainFrame::Activate(int list)
{
    SendMessageW(Client(), WM_MDIACTIVATE,
                 reinterpret_cast<WPARAM>(windows_[static_cast<size_t>(list)]->Handle()), 0);
}

app::WindowRect CClsMainFrame::NormalRect(int list) const
{
    WINDOWPLACEMENT wp = fw::Placement(windows_[static_cast<size_t>(list)]->Handle());
    const RECT& r = wp.rcNormalPosition;
    return {r.left, r.top, r.right, r.bottom};
}

void CClsMainFrame::MoveWindowTo(int list, const app::WindowRect& r)
{
    MoveWindow(windows_[static_cast<size_t>(list)]->Handle(), r.left, r.top, r.right - r.left,
               r.bottom - r.top, TRUE);
}

void CClsMainFrame::Beep()
{
    MessageBeep(MB_ICONEXCLAMATION);
}

void CClsMainFrame::OpenWindowMenu(int list)
{
    HWND window = windows_[static_cast<size_t>(list)]->Handle();
    SetFocus(window);
    SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
}

void CClsMainFrame::ShowContextMenu(int list)
{
    windows_[static_cast<size_t>(list)]->ShowContextMenu();
}

void CClsMainFrame::ToggleMaximize(int list)
{
    HWND window = windows_[static_cast<size_t>(list)]->Handle();
    SendMessageW(Client(), IsZoomed(window) ? WM_MDIRESTORE : WM_MDIMAXIMIZE,
                 reinterpret_cast<WPARAM>(window), 0);
}

void CClsMainFrame::RestoreIfMaximized(int list)
{
    HWND window = windows_[static_cast<size_t>(list)]->Handle();
    if (IsZoomed(window))
        SendMessageW(Client(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(window), 0);
}

// CatalogHost

bool CClsMainFrame::ChooseCatalogFile(bool save, std::string& path)
{
    fw::FileChoice choice;
    choice.save = save;
    choice.filter = app::kCatalogFilter;
    choice.defaultExtension = app::kCatalogDefaultExtension;
    choice.flags = app::kCatalogDialogFlags;
    choice.initialPath = catalog_.Path();
    return fw::CurrentPrompts().ChooseFile(reinterpret_cast<intptr_t>(Handle()), choice, path);
}

void CClsMainFrame::BeginWait()
{
    wait_.Begin();
}

void CClsMainFrame::EndWait()
{
    wait_.End();
}

void CClsMainFrame::StartRecovery(const std::string& path, bool owned)
{
    if (!owned) {
        journalNote_ = app::kJournalInUse;
        return;
    }
    app::OfferRecovery(fs_, lists_, path, reinterpret_cast<intptr_t>(Handle()));
    if (!journal_.Start(lists_, path))
        journalNote_ = app::kJournalFailed;
}

void CClsMainFrame::MaximizeFirstList()
{
    if (const CClsLstWnd* list0 = ListWindow(0); list0 && list0->Handle())
        SendMessageW(Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(list0->Handle()), 0);
}

void CClsMainFrame::LoadCommandLine(const std::string& commandLine, lists::CommandLinePrescan* prescan)
{
    CClsLstWnd* list0 = ListWindow(0);
    if (!list0 || !list0->Handle())
        return;
    SendMessageW(Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(list0->Handle()), 0);
    lists::LoadCommandLine(lists_.List(0), prescan ? prescan->Tokens() : app::SplitCommandLine(commandLine),
                           fs_, *this, prescan);
}

void CClsMainFrame::OnSettings()
{
    const app::SettingsValues read = app::ReadSettings(settings_);
    CClsSettingsDlg dialog(read);
    if (dialog.RunModal(GetModuleHandleW(nullptr), IDD_SETTINGS, Handle()) != IDOK)
        return;
    const app::SettingsPlan plan = app::PlanSettingsWrites(read, dialog.Values());
    app::WriteSettings(settings_, plan.cacheWrites);
    if (!plan.cacheWrites.empty()) {
        ApplyCacheSettings();
        OnRefresh();
    }
    app::WriteSettings(settings_, plan.writes);
}

void CClsMainFrame::OnAbout()
{
    CClsAboutDlg dialog;
    dialog.RunModal(GetModuleHandleW(nullptr), IDD_ABOUT, Handle());
}
