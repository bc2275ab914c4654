// Argument crackers of the window layer's message maps: Crack<WM_X>::Call unpacks
// WPARAM and LPARAM of one message into a handler's typed parameters and builds the
// message's result. Add a cracker here rather than reading WPARAM in a handler.
#pragma once

#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>

namespace fw {

template <UINT Message>
struct Crack;

// Mouse messages: the raw 16-bit coordinate words (unsigned as they come; negative
// positions under capture appear as large values) and the key state.
struct MouseArgs {
    WORD x;
    WORD y;
    UINT keys;
    int SignedX() const { return static_cast<short>(x); }
    int SignedY() const { return static_cast<short>(y); }
};

struct MouseCrack {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(const MouseArgs&), WPARAM wp, LPARAM lp)
    {
        (w.*f)(MouseArgs{LOWORD(lp), HIWORD(lp), static_cast<UINT>(wp)});
        return 0;
    }
};
template <>
struct Crack<WM_MOUSEMOVE> : MouseCrack {
};
template <>
struct Crack<WM_LBUTTONDOWN> : MouseCrack {
};
template <>
struct Crack<WM_LBUTTONUP> : MouseCrack {
};
template <>
struct Crack<WM_LBUTTONDBLCLK> : MouseCrack {
};
template <>
struct Crack<WM_RBUTTONDOWN> : MouseCrack {
};
template <>
struct Crack<WM_RBUTTONUP> : MouseCrack {
};
template <>
struct Crack<WM_RBUTTONDBLCLK> : MouseCrack {
};

// void OnCreate(const CREATESTRUCTW&) -> bool: false fails the creation.
template <>
struct Crack<WM_CREATE> {
    template <class T>
    static LRESULT Call(T& w, bool (T::*f)(const CREATESTRUCTW&), WPARAM, LPARAM lp)
    {
        return (w.*f)(*reinterpret_cast<const CREATESTRUCTW*>(lp)) ? 0 : -1;
    }
};

struct VoidCrack {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(), WPARAM, LPARAM)
    {
        (w.*f)();
        return 0;
    }
};
template <>
struct Crack<WM_DESTROY> : VoidCrack {
};
template <>
struct Crack<WM_CLOSE> : VoidCrack {
};

// void OnPaint(HDC given): the device context the message brings, usually null.
template <>
struct Crack<WM_PAINT> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HDC), WPARAM wp, LPARAM)
    {
        (w.*f)(reinterpret_cast<HDC>(wp));
        return 0;
    }
};

// void OnPrintClient(HDC, UINT flags)
template <>
struct Crack<WM_PRINTCLIENT> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HDC, UINT), WPARAM wp, LPARAM lp)
    {
        (w.*f)(reinterpret_cast<HDC>(wp), static_cast<UINT>(lp));
        return 0;
    }
};

// bool OnEraseBackground(HDC): true when the handler erased.
template <>
struct Crack<WM_ERASEBKGND> {
    template <class T>
    static LRESULT Call(T& w, bool (T::*f)(HDC), WPARAM wp, LPARAM)
    {
        return (w.*f)(reinterpret_cast<HDC>(wp)) ? 1 : 0;
    }
};

// void OnSize(UINT type, int width, int height)
template <>
struct Crack<WM_SIZE> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(UINT, int, int), WPARAM wp, LPARAM lp)
    {
        (w.*f)(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        return 0;
    }
};

// void OnXxx(HWND other): the window gaining or losing the focus or the capture.
struct WindowCrack {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HWND), WPARAM wp, LPARAM lp, bool fromLParam)
    {
        (w.*f)(fromLParam ? reinterpret_cast<HWND>(lp) : reinterpret_cast<HWND>(wp));
        return 0;
    }
};
template <>
struct Crack<WM_CAPTURECHANGED> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HWND), WPARAM wp, LPARAM lp)
    {
        return WindowCrack::Call(w, f, wp, lp, true);
    }
};
template <>
struct Crack<WM_SETFOCUS> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HWND), WPARAM wp, LPARAM lp)
    {
        return WindowCrack::Call(w, f, wp, lp, false);
    }
};
template <>
struct Crack<WM_KILLFOCUS> : Crack<WM_SETFOCUS> {
};

// void OnDropFiles(HDROP)
template <>
struct Crack<WM_DROPFILES> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HDROP), WPARAM wp, LPARAM)
    {
        (w.*f)(reinterpret_cast<HDROP>(wp));
        return 0;
    }
};

// void OnCommand(UINT id, UINT code, HWND control)
template <>
struct Crack<WM_COMMAND> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(UINT, UINT, HWND), WPARAM wp, LPARAM lp)
    {
        (w.*f)(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    }
};

// void OnTimer(UINT_PTR id)
template <>
struct Crack<WM_TIMER> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(UINT_PTR), WPARAM wp, LPARAM)
    {
        (w.*f)(static_cast<UINT_PTR>(wp));
        return 0;
    }
};

// void OnVScroll(UINT code, int thumbPosition, HWND scrollBar)
template <>
struct Crack<WM_VSCROLL> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(UINT, int, HWND), WPARAM wp, LPARAM lp)
    {
        (w.*f)(LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp));
        return 0;
    }
};

// void OnInitMenuPopup(HMENU popup, UINT position, bool windowMenu)
template <>
struct Crack<WM_INITMENUPOPUP> {
    template <class T>
    static LRESULT Call(T& w, void (T::*f)(HMENU, UINT, bool), WPARAM wp, LPARAM lp)
    {
        (w.*f)(reinterpret_cast<HMENU>(wp), LOWORD(lp), HIWORD(lp) != 0);
        return 0;
    }
};

}  // namespace fw
