// A small window layer: one base class that binds a C++ object to its window at
// WM_NCCREATE and dispatches each message through a message map to OnXxx handlers
// with cracked, typed arguments.
//
//   const fw::MessageMap& MyWindow::Messages() const
//   {
//       static const fw::MessageMap map = fw::MessageMapFor<MyWindow>()
//           .On<WM_PAINT>(&MyWindow::OnPaint)
//           .On<WM_SIZE>(&MyWindow::OnSize)
//           .OnMessage(kMyMessage, &MyWindow::OnMyMessage);
//       return map;
//   }
//
// Messages without an entry go to DefaultProcedure (DefWindowProcW). The window is
// destroyed with its object; a derived class that must see WM_DESTROY calls
// Destroy() in its own destructor. Move-only: a move rebinds the window to the new
// object.
#pragma once

#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace fw {

class Window;

class MessageMap {
public:
    using Handler = std::function<LRESULT(Window&, UINT, WPARAM, LPARAM)>;

    // The handler of `message` in this map or the maps it chains to; null when none.
    const Handler* Find(UINT message) const
    {
        for (const Entry& e : entries_) {
            if (message >= e.first && message <= e.last)
                return &e.handler;
        }
        return base_ ? base_->Find(message) : nullptr;
    }

protected:
    struct Entry {
        UINT first;
        UINT last;
        Handler handler;
    };
    std::vector<Entry> entries_;
    const MessageMap* base_ = nullptr;
};

// Argument crackers, one per message: Crack<WM_X>::Call unpacks WPARAM/LPARAM into
// the handler's parameters and builds the message's result.
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

// Builds the message map of window class T.
template <class T>
class MessageMapFor : public MessageMap {
public:
    // A message with a cracker: the handler's parameters follow Crack<Message>.
    template <UINT Message, class F>
    MessageMapFor&& On(F handler) &&
    {
        entries_.push_back({Message, Message, [handler](Window& w, UINT, WPARAM wp, LPARAM lp) {
                                return Crack<Message>::Call(static_cast<T&>(w), handler, wp, lp);
                            }});
        return std::move(*this);
    }

    // A message without a cracker (private messages): the raw arguments.
    MessageMapFor&& OnMessage(UINT message, LRESULT (T::*handler)(UINT, WPARAM, LPARAM)) &&
    {
        return std::move(*this).OnRange(message, message, handler);
    }

    // A range of messages, first and last included.
    MessageMapFor&& OnRange(UINT first, UINT last, LRESULT (T::*handler)(UINT, WPARAM, LPARAM)) &&
    {
        entries_.push_back({first, last, [handler](Window& w, UINT message, WPARAM wp, LPARAM lp) {
                                return (static_cast<T&>(w).*handler)(message, wp, lp);
                            }});
        return std::move(*this);
    }

    // Messages this map does not name are looked up in `base` (a base class's map).
    MessageMapFor&& Chain(const MessageMap& base) &&
    {
        base_ = &base;
        return std::move(*this);
    }
};

// A registered window class, unregistered with the object.
class WindowClass {
public:
    WindowClass() = default;
    WindowClass(HINSTANCE instance, const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background,
                HICON icon = nullptr);
    ~WindowClass()
    {
        if (atom_)
            UnregisterClassW(Name(), instance_);
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    WindowClass(WindowClass&& other) noexcept
        : instance_(other.instance_), atom_(std::exchange(other.atom_, ATOM{}))
    {
    }
    WindowClass& operator=(WindowClass&& other) noexcept
    {
        std::swap(instance_, other.instance_);
        std::swap(atom_, other.atom_);
        return *this;
    }

    ATOM Atom() const { return atom_; }
    // The atom in the form the class-name parameters of the wide API accept.
    LPCWSTR Name() const { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom_)); }
    HINSTANCE Instance() const { return instance_; }
    explicit operator bool() const { return atom_ != 0; }

private:
    HINSTANCE instance_ = nullptr;
    ATOM atom_ = 0;
};

class Window {
public:
    Window() = default;
    virtual ~Window() { Destroy(); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    Window(Window&& other) noexcept : hwnd_(std::exchange(other.hwnd_, nullptr)) { Bind(); }
    Window& operator=(Window&& other) noexcept
    {
        if (this != &other) {
            Destroy();
            hwnd_ = std::exchange(other.hwnd_, nullptr);
            Bind();
        }
        return *this;
    }

    HWND Handle() const { return hwnd_; }

    // Creates a window of `cls` whose messages reach this object. False on failure.
    bool Create(const WindowClass& cls, HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                const RECT& rect, UINT_PTR idOrMenu = 0)
    {
        if (hwnd_)
            return false;
        return CreateWindowExW(exStyle, cls.Name(), title, style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(idOrMenu),
                               cls.Instance(), this) != nullptr;
    }

    void Destroy()
    {
        if (hwnd_)
            DestroyWindow(hwnd_);
    }

    // The window procedure of every class registered through WindowClass.
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
    {
        Window* self = nullptr;
        if (message == WM_NCCREATE) {
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
            // An MDI child gets its creation parameter through MDICREATESTRUCT.
            void* param = (cs->dwExStyle & WS_EX_MDICHILD)
                              ? reinterpret_cast<void*>(
                                    static_cast<const MDICREATESTRUCTW*>(cs->lpCreateParams)->lParam)
                              : cs->lpCreateParams;
            self = static_cast<Window*>(param);
            self->hwnd_ = hwnd;
            self->Bind();
        } else {
            self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self)
            return DefWindowProcW(hwnd, message, wp, lp);
        const LRESULT result = self->Dispatch(message, wp, lp);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }

protected:
    virtual const MessageMap& Messages() const
    {
        static const MessageMap empty;
        return empty;
    }

    virtual LRESULT DefaultProcedure(UINT message, WPARAM wp, LPARAM lp)
    {
        return DefWindowProcW(hwnd_, message, wp, lp);
    }

private:
    LRESULT Dispatch(UINT message, WPARAM wp, LPARAM lp)
    {
        if (const MessageMap::Handler* handler = Messages().Find(message))
            return (*handler)(*this, message, wp, lp);
        return DefaultProcedure(message, wp, lp);
    }

    void Bind()
    {
        if (hwnd_)
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    HWND hwnd_ = nullptr;
};

// The text of a window of this process (its caption), whole.
inline std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

inline WindowClass::WindowClass(HINSTANCE instance, const wchar_t* name, UINT style, HCURSOR cursor,
                                HBRUSH background, HICON icon)
    : instance_(instance)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    // The small icon of captions, made once rather than scaled at every caption paint.
    wc.hIconSm = icon ? static_cast<HICON>(CopyImage(icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE))
                      : nullptr;
    wc.lpszClassName = name;
    atom_ = RegisterClassExW(&wc);
}

}  // namespace fw
