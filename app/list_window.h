// CClsLstWnd: one list window, an MDI child whose client area is covered by a
// thumbnail control. It is the view of its ListModel: the control shows the current
// entry, the vertical scroll bar holds the position and the caption names list,
// position, count and path.
#pragma once

#include <optional>
#include <string>

#include "thumbctl/client/thumb_ctl_wrapper.h"
#include "fileops/move_list_command.h"
#include "framework/com/com_ptr.h"
#include "framework/core/filesystem.h"
#include "framework/win/commands.h"
#include "framework/win/mdi.h"
#include "framework/win/wait_cursor.h"
#include "app/drop_objects.h"
#include "lists/folder_loader.h"
#include "lists/list_model.h"

// What a list window needs from the main frame.
class ListWindowHost {
public:
    virtual ~ListWindowHost() = default;
    virtual HWND FrameWindow() const = 0;
    // The frame's active MDI child.
    virtual HWND ActiveListWindow() const = 0;
    // A list window received the focus.
    virtual void SetCurrentList(int listNumber) = 0;
    virtual void SetStatusText(const std::wstring& text) = 0;
    // The folder most recently used by any list window.
    virtual std::string& SharedLastFolder() = 0;
    virtual fw::FileSystem& Files() = 0;
    // Profile switches, read when they are used.
    virtual bool ConfirmClear() const = 0;       // CONFIRM/CLEARLIST
    virtual bool ConfirmDropFolder() const = 0;  // CONFIRM/DROPFOLDER
    // Whether file lists handed to the shell are UTF-16.
    virtual bool WideDropNames() const = 0;
};

class CClsLstWnd final : public fw::MdiChild,
                         public lists::ListView,
                         public lists::LoadEnvironment,
                         private DropSite {
public:
    static constexpr UINT_PTR kRecheckTimer = 10;

    CClsLstWnd(lists::ListModel& model, ListWindowHost& host) : model_(model), host_(host) {}
    ~CClsLstWnd() override;

    // Creates the window in the frame's client area; its thumbnail control, which gets
    // the picture cache when there is one, comes with AttachControl.
    bool Create(HWND client, IUnknown* cache, const RECT& rect);
    // Creates the thumbnail control and the drop target unless they are there: the
    // window does so when it is first painted (so a window that never comes into view
    // goes without) or first given a file to show or load ahead. The control then shows
    // what the list shows. False when the control cannot be created.
    bool AttachControl();

    lists::ListModel& Model() { return model_; }
    CVelmoraThumbCtl& Control() { return control_; }

    // Commands of the list window, offered by the frame's routing before its own.
    // True when the id is the list window's (whether or not it ran).
    bool RouteCommand(UINT id);
    // Enabling of the list window's commands; `known` is false for ids it does not own.
    fw::CommandState CommandStateOf(UINT id) const;

    // The "編集(&E)" popup of the frame's menu at the pointer (or below the title).
    void ShowContextMenu();

    // While keys come faster than a caption can be painted, the caption and the scroll
    // position are only remembered; turning this off shows the latest of each.
    void DeferViewUpdates(bool defer);
    // Where the window's icon goes when it is next minimised; a layout sets it without
    // a placement for a window it only moves.
    void SetIconPosition(std::optional<POINT> position) { iconPosition_ = position; }

    // ListView
    void SetScrollRange(int maximum, bool redraw) override;
    void SetScrollPosition(int position, bool redraw) override;
    bool IsActive() const override;
    void PreloadFile(const std::string& path) override;
    void DisplayFile(const std::string& path) override;
    void SetCaption(const std::string& caption) override;
    void StartRecheckTimer(unsigned milliseconds) override;
    void StopRecheckTimer() override;

    // LoadEnvironment
    bool EscapePressed() override { return GetAsyncKeyState(VK_ESCAPE) != 0; }
    void BeginWait() override;
    void EndWait() override;
    intptr_t Owner() const override { return reinterpret_cast<intptr_t>(Handle()); }

protected:
    const fw::MessageMap& Messages() const override;

private:
    bool SetMaximisedCaption(const std::wstring& shown, const std::wstring& text);
    void OnPaint(HDC);
    bool OnEraseBackground(HDC dc);
    void OnSize(UINT type, int width, int height);
    void OnVScroll(UINT code, int thumb, HWND scrollBar);
    LRESULT OnNcLButtonDown(UINT message, WPARAM wp, LPARAM lp);
    LRESULT OnNcRButtonDown(UINT message, WPARAM wp, LPARAM lp);
    void OnSetFocus(HWND previous);
    LRESULT OnSysCommand(UINT message, WPARAM wp, LPARAM lp);
    void OnTimer(UINT_PTR id);
    void OnDropFiles(HDROP drop);
    void OnDestroy();
    void OnControlEvent(DISPID id);

    static const fw::CommandMap<CClsLstWnd>& Commands();
    bool HasEntries() const { return model_.GetCount() > 0; }
    bool ClipboardHasFiles() const;

    // Commands.
    void OnLoadFolder();
    void OnLoadFiles();
    void OnClear();
    void OnOpenFile();
    void OnCopyShown();
    void OnCopy();
    void OnCut();
    void OnConditionalCut();
    void OnPaste();
    void OnProperties();
    void OnMoveList();

    // Drag and drop.
    void OnRightClick();
    void LoadDropped(const std::vector<std::string>& paths);
    HWND SiteWindow() const override { return Handle(); }
    HWND FrameWindow() const override { return host_.FrameWindow(); }
    void LoadDrop(HGLOBAL drop) override;
    void ActivateAfterDrop() override;
    void SetDropLocation(int location) override { dropLocation_ = location; }

    lists::ListModel& model_;
    ListWindowHost& host_;
    CVelmoraThumbCtl control_;
    IUnknown* cache_ = nullptr;  // the frame's, which outlives its windows
    fileops::MoveWindowState moveState_;
    fw::com::ComPtr<IDropTarget> dropTarget_;
    fw::com::ComPtr<IDropSource> dropSource_;
    bool dropRegistered_ = false;
    bool attachFailed_ = false;
    std::string shown_;  // the file the list shows, handed to a control attached later
    int dropLocation_ = 3;
    bool deferring_ = false;
    std::optional<std::string> pendingCaption_;
    std::optional<POINT> iconPosition_;
    std::optional<std::string> pendingPreload_;  // asked for after the file displayed next
    std::optional<int> pendingPosition_;
    fw::WaitCursor wait_;
};
