// The OLE drag and drop objects of a list window: the drop target that takes file
// lists (CF_HDROP) from the shell and other list windows, and the drop source that
// follows a right-button drag started on the window's image.
#pragma once

#include <ole2.h>

#include "framework/com/object.h"

// What the drop objects need from their list window.
class DropSite {
public:
    virtual ~DropSite() = default;
    virtual HWND SiteWindow() const = 0;
    virtual HWND FrameWindow() const = 0;
    // Loads a dropped file list; takes ownership of the block.
    virtual void LoadDrop(HGLOBAL drop) = 0;
    // After a drop: the window becomes the active list window.
    virtual void ActivateAfterDrop() = 0;
    // Where a drag started here was released: 0 outside the frame (or still running),
    // 1 over the frame, 2 over this window, 3 no drag.
    virtual void SetDropLocation(int location) = 0;
};

class CClsDropTarget final : public fw::com::Implements<IDropTarget> {
public:
    explicit CClsDropTarget(DropSite& site) : site_(site) {}

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
    DropSite& site_;
    bool offersFiles_ = false;
};

class CClsDropSource final : public fw::com::Implements<IDropSource> {
public:
    explicit CClsDropSource(DropSite& site) : site_(site) {}

    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override;
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    DropSite& site_;
};

// Whether a right-button press at `start` becomes a drag: the pointer leaves the
// system's drag square or the button stays down longer than the drag delay. A
// release, another button or Escape first: no drag.
bool DragBegins(HWND window, POINT start);
