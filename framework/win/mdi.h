// Multiple-document windows: a frame that owns the MDI client area and children
// that live in it. Both are fw::Window classes with message maps; what a map does not
// handle goes to DefFrameProcW / DefMDIChildProcW, as MDI requires.
#pragma once

#include "framework/win/window.h"

namespace fw {

// GetWindowPlacement of a window (all zero when it fails).
inline WINDOWPLACEMENT Placement(HWND window)
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(window, &wp);
    return wp;
}

class MdiFrame : public Window {
public:
    HWND Client() const { return client_; }
    // The active child window (null when none).
    HWND ActiveChild() const
    {
        return client_ ? reinterpret_cast<HWND>(SendMessageW(client_, WM_MDIGETACTIVE, 0, 0)) : nullptr;
    }

protected:
    // Creates the client area; called from the frame's WM_CREATE handler.
    bool CreateClient(HMENU windowMenu = nullptr, UINT firstChildId = 0xFF00)
    {
        CLIENTCREATESTRUCT ccs{windowMenu, firstChildId};
        client_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                  WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0,
                                  0, Handle(), nullptr, GetModuleHandleW(nullptr), &ccs);
        return client_ != nullptr;
    }

    LRESULT DefaultProcedure(UINT message, WPARAM wp, LPARAM lp) override
    {
        return DefFrameProcW(Handle(), client_, message, wp, lp);
    }

private:
    HWND client_ = nullptr;
};

class MdiChild : public Window {
public:
    // Creates the child in `client` through WM_MDICREATE; its messages reach this object.
    bool CreateChild(const WindowClass& cls, HWND client, const wchar_t* title, DWORD style, const RECT& rect)
    {
        if (Handle())
            return false;
        MDICREATESTRUCTW mcs{};
        mcs.szClass = cls.Name();
        mcs.szTitle = title;
        mcs.hOwner = cls.Instance();
        mcs.x = rect.left;
        mcs.y = rect.top;
        mcs.cx = rect.right - rect.left;
        mcs.cy = rect.bottom - rect.top;
        mcs.style = style;
        mcs.lParam = reinterpret_cast<LPARAM>(static_cast<Window*>(this));
        return SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)) != 0;
    }

protected:
    LRESULT DefaultProcedure(UINT message, WPARAM wp, LPARAM lp) override
    {
        return DefMDIChildProcW(Handle(), message, wp, lp);
    }
};

}  // namespace fw
