// The thumbnail control's window: draws one picture fitted into the window, zooms
// into it by a rubber-band selection, and reports right-button clicks and dropped
// files. Knows nothing of COM: pictures come through PictureSource and events leave
// through ControlEvents, so the COM object is a thin shell around this class.
#pragma once

#include <windows.h>

#include <string>

#include "framework/win/window.h"
#include "thumbctl/control/view_state.h"

namespace thumbctl {

class PictureSource {
public:
    virtual ~PictureSource() = default;
    // The picture of `path` for `window`: S_OK with a bitmap that stays owned by the
    // source (used at once, never deleted) and its description, or a failure while
    // the picture is not ready (or cannot be had), with nothing written.
    virtual HRESULT LoadBitmap(HWND window, const std::wstring& path, HBITMAP* bitmap, BITMAP* info) = 0;
};

class ControlEvents {
public:
    virtual ~ControlEvents() = default;
    virtual void OnRClick() = 0;
    virtual void OnRClickUp() = 0;
    virtual void OnRDbClick() = 0;
    // Every dropped name followed by ';'.
    virtual void OnDropFiles(const std::wstring& files) = 0;
};

class ControlView : public fw::Window {
public:
    // The control's window class ("ATL:%8.8X", double-clicks, arrow cursor); keep it
    // registered while any control window lives.
    static fw::WindowClass RegisterWindowClass(HINSTANCE module);

    ControlView() = default;
    ~ControlView() override { Destroy(); }
    ControlView(ControlView&&) = default;
    ControlView& operator=(ControlView&&) = default;

    bool Create(const fw::WindowClass& cls, HWND parent, const RECT& rect, UINT id = 0,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);

    // Neither is owned; null turns the feature off. No repaint.
    void SetPictureSource(PictureSource* source) { source_ = source; }
    void SetEvents(ControlEvents* events) { events_ = events; }

    // Shows a file from its whole picture (a new file for the user): resets the view
    // and repaints before returning.
    void ShowFile(std::wstring path);
    // Changes the file but keeps the view (zoom and fit mode); repaints.
    void SetFileName(std::wstring path);
    const std::wstring& FileName() const { return fileName_; }

    // Turns the window's acceptance of dropped files on or off (when it exists).
    void SetAcceptDropFiles(bool accept);

    // Draws the current view into `dc` within `bounds` with the window's own drawing
    // code (printing, metafiles, IViewObject::Draw). The view state is not changed.
    void Draw(HDC dc, const RECT& bounds);

    // Invalidates the whole window and paints it at once.
    void Repaint();

    const ViewState& View() const { return view_; }

protected:
    const fw::MessageMap& Messages() const override;

private:
    void DrawContent(HDC dc, const RECT& bounds, bool record);

    void OnPaint(HDC given);
    void OnPrintClient(HDC dc, UINT flags);
    bool OnEraseBackground(HDC dc);
    void OnSize(UINT type, int width, int height);
    void OnMouseMove(const fw::MouseArgs& mouse);
    void OnLButtonDown(const fw::MouseArgs& mouse);
    void OnLButtonUp(const fw::MouseArgs& mouse);
    void OnLButtonDblClk(const fw::MouseArgs& mouse);
    void OnRButtonDown(const fw::MouseArgs& mouse);
    void OnRButtonUp(const fw::MouseArgs& mouse);
    void OnRButtonDblClk(const fw::MouseArgs& mouse);
    void OnCaptureChanged(HWND newCapture);
    void OnDropFiles(HDROP drop);
    LRESULT OnPictureReady(UINT message, WPARAM wp, LPARAM lp);
    LRESULT OnReflected(UINT message, WPARAM wp, LPARAM lp);

    PictureSource* source_ = nullptr;
    ControlEvents* events_ = nullptr;
    std::wstring fileName_;
    ViewState view_;
    bool pictureOnScreen_ = false;  // the latest window painting drew the file's picture
};

}  // namespace thumbctl
