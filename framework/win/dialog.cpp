#include "framework/win/dialog.h"

#include <vector>

namespace fw {

Dialog::~Dialog()
{
    if (Alive()) {
        // Unbound first: the window's last messages must not reach a half-destroyed object.
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

INT_PTR Dialog::RunModal(HINSTANCE instance, UINT templateId, HWND owner)
{
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, &Dialog::Procedure,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(HINSTANCE instance, UINT templateId, HWND owner)
{
    hwnd_ = nullptr;
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, &Dialog::Procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

std::wstring Dialog::ItemText(int id) const
{
    HWND item = Item(id);
    const int length = item ? GetWindowTextLengthW(item) : 0;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    GetDlgItemTextW(hwnd_, id, buffer.data(), length + 1);
    return buffer.data();
}

std::string Dialog::ItemAnsiText(int id, size_t limit) const
{
    std::vector<char> buffer(limit + 1);
    const UINT n = GetDlgItemTextA(hwnd_, id, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), n);
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return self->OnInitDialog() ? TRUE : FALSE;
    }
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    if (message == WM_COMMAND) {
        const UINT id = LOWORD(wp);
        if (self->OnCommand(id, HIWORD(wp), reinterpret_cast<HWND>(lp)))
            return TRUE;
        if (id == IDOK) {
            self->OnOk();
            return TRUE;
        }
        if (id == IDCANCEL) {
            self->OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->OnMessage(message, wp, lp, result))
        return FALSE;
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace fw
