// The window layer's base class: it binds a C++ object to its window at WM_NCCREATE
// and dispatches each message through the class's message map (message_map.h) to
// OnXxx handlers. Messages without an entry go to DefaultProcedure (DefWindowProcW); a
// handler that has done its part hands the message it is handling on with PassOn(),
// its arguments unchanged. The window is destroyed with its object; a derived class
// that must see WM_DESTROY calls Destroy() in its own destructor. Move-only: a move
// rebinds the window to the new object.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "framework/win/message_map.h"

namespace fw {

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

    // The message the running handler was called for, to the default procedure as it came.
    LRESULT PassOn() { return DefaultProcedure(current_.message, current_.wp, current_.lp); }

private:
    struct Message {
        UINT message = 0;
        WPARAM wp = 0;
        LPARAM lp = 0;
    };

    LRESULT Dispatch(UINT message, WPARAM wp, LPARAM lp)
    {
        const MessageMap::Handler* handler = Messages().Find(message);
        if (!handler)
            return DefaultProcedure(message, wp, lp);
        // Handlers may send messages to their own window: each call keeps its own.
        const Message outer = std::exchange(current_, Message{message, wp, lp});
        const LRESULT result = (*handler)(*this, message, wp, lp);
        current_ = outer;
        return result;
    }

    void Bind()
    {
        if (hwnd_)
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    HWND hwnd_ = nullptr;
    Message current_;
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
