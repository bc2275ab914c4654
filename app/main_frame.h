// CClsMainFrame: the sorter's main window. An MDI frame holding the 36 list windows,
// the status bar and the one picture cache reference; it looks at every key first
// (keyboard sorting), routes every command to the current list window before its
// own handlers, arranges the windows and keeps the layouts and the catalog.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/catalog.h"
#include "app/key_sorter.h"
#include "app/profile_settings.h"
#include "framework/com/com_ptr.h"
#include "framework/win/commands.h"
#include "framework/win/mdi.h"
#include "framework/win/wait_cursor.h"
#include "lists/folder_loader.h"
#include "lists/list_set.h"
#include "lists/recovery_journal.h"
#include "app/list_window.h"

class CClsMainFrame final : public fw::MdiFrame,
                            public ListWindowHost,
                            public app::FrameWindows,
                            public app::CatalogHost,
                            public lists::LoadEnvironment {
public:
    static constexpr UINT_PTR kAutoAdvanceTimer = 1;
    static constexpr UINT kAutoAdvanceMs = 3000;
    static constexpr UINT_PTR kJournalTimer = 2;

    CClsMainFrame(fw::FileSystem& fs, fw::Profile& profile, std::string helpFile);
    ~CClsMainFrame() override;

    // Creates the frame from resource 128 with its list windows and restores the
    // working layout. False when the program cannot run (the message was shown).
    bool LoadFrame();

    // The frame's look at every message of the loop: keyboard sorting, then the MDI
    // keys and the accelerators. True when the message was consumed.
    bool PreTranslate(MSG& msg);
    // The idle update of the status bar: the current list's caption (unless Shift is
    // held) and the key indicators.
    void OnIdle();

    // Offers back the lists a journal at `path` holds from a run that did not end
    // normally, then journals every change there. `owned`: no other running copy of the
    // program writes that journal (else the lists run without one, as the status bar says).
    void StartRecovery(const std::string& path, bool owned);

    // Loads the command line's files and folders into list window 0, taking over from
    // `prescan` (made for the same command line) when there is one.
    void LoadCommandLine(const std::string& commandLine, lists::CommandLinePrescan* prescan = nullptr);
    // Maximises list window 0, which the command line fills, before the frame is first
    // shown: the windows behind it are then never painted, nor their controls made.
    void MaximizeFirstList();

    int CurrentList() const { return lists_.CurrentList(); }
    CClsLstWnd* ListWindow(int listNumber) const;

    // ListWindowHost
    HWND FrameWindow() const override { return Handle(); }
    HWND ActiveListWindow() const override { return ActiveChild(); }
    void SetCurrentList(int listNumber) override { lists_.SetCurrentList(listNumber); }
    void SetStatusText(const std::wstring& text) override;
    std::string& SharedLastFolder() override { return lists_.SharedLastFolder(); }
    fw::FileSystem& Files() override { return fs_; }
    bool ConfirmClear() const override { return settings_.GetFlag(app::settings::kConfirmClearList); }
    bool ConfirmDropFolder() const override { return settings_.GetFlag(app::settings::kConfirmDropFolder); }
    bool WideDropNames() const override { return wideDropNames_ != 0; }
    void SetWideDropNames(int value) { wideDropNames_ = value; }

    // FrameWindows
    bool IsListMinimized(int list) const override;
    bool IsListMaximized(int list) const override;
    void Activate(int list) override;
    app::WindowRect NormalRect(int list) const override;
    void MoveWindowTo(int list, const app::WindowRect& rect) override;
    void SetStatusText(const std::string& text) override;
    void Beep() override;
    void OpenWindowMenu(int list) override;
    void ShowContextMenu(int list) override;
    void ToggleMaximize(int list) override;
    void RestoreIfMaximized(int list) override;
    void StopAutoAdvance() override;

    // CatalogHost and LoadEnvironment
    bool ChooseCatalogFile(bool save, std::string& path) override;
    void ApplyCacheSettings() override;
    void BeginWait() override;
    void EndWait() override;
    intptr_t Owner() const override { return reinterpret_cast<intptr_t>(Handle()); }
    bool EscapePressed() override { return GetAsyncKeyState(VK_ESCAPE) != 0; }

protected:
    const fw::MessageMap& Messages() const override;

private:
    static const fw::CommandMap<CClsMainFrame>& Commands();

    // The working layout as read and brought within reach.
    struct WorkingPlacement {
        std::array<RECT, lists::kListCount> lists;
        std::array<bool, lists::kListCount> minimized;
        RECT main;
    };

    bool OnCreate(const CREATESTRUCTW& cs);
    void OnClose();
    void OnDestroy();
    void OnSize(UINT type, int width, int height);
    void OnTimer(UINT_PTR id);
    void OnCommand(UINT id, UINT code, HWND control);
    void OnInitMenuPopup(HMENU popup, UINT position, bool windowMenu);
    LRESULT OnMenuSelect(UINT message, WPARAM wp, LPARAM lp);

    // Lists remember rather than paint caption and position (see PreTranslate).
    void SetViewDeferral(bool defer);
    // Whether key messages wait in this thread's queue.
    static bool KeysWaiting();
    bool CreateStatusBar();
    void CreatePictureCache();
    bool CreateListWindows(const WorkingPlacement* placement);
    fw::CommandState StateOf(UINT id) const;

    // Commands.
    void OnTile();
    void OnCascade();
    void OnShowAll();
    void OnRefresh();
    void OnReloadImages();
    void OnExclude();
    bool CanExclude() const;
    void OnUndo();
    void OnFileNew() { catalog_.New(); }
    void OnFileOpen() { catalog_.Open(); }
    void OnFileSave() { catalog_.Save(); }
    void OnFileSaveAs() { catalog_.SaveAs(); }
    void OnLayoutDialog();
    void OnLayoutRestore() { RestoreWorkingLayout(); }
    void OnLayoutSave() { SaveWorkingLayout(); }
    void OnToggleAutoAdvance();
    bool IsAutoAdvancing() const { return autoAdvance_ != 0; }
    void OnExit();
    void OnHelp();
    void OnSettings();
    void OnAbout();

    // Arranging.
    void TileToWindowSize();
    void ArrangeIcons();
    void SaveWorkingLayout();
    void RestoreWorkingLayout();
    WorkingPlacement ReadWorkingPlacement() const;
    void ApplyWorkingPlacement(const WorkingPlacement& placement);
    void CopyLayout(const char* source, const char* target);

    fw::FileSystem& fs_;
    std::string helpFile_;
    app::ProfileSettings settings_;
    lists::ListSet lists_;
    lists::RecoveryJournal journal_;
    bool journalTimer_ = false;
    std::wstring journalNote_;  // follows the status text while nothing is journaled
    std::array<std::unique_ptr<CClsLstWnd>, lists::kListCount> windows_;
    HWND status_ = nullptr;
    HACCEL accelerators_ = nullptr;
    fw::com::ComPtr<IUnknown> cache_;
    app::Catalog catalog_;
    app::KeySorter keys_;
    int autoAdvance_ = 0;
    int wideDropNames_ = 1;
    bool deferringViews_ = false;
    fw::WaitCursor wait_;
};
