#include "installer/page.h"

#include <vector>

namespace installer {

PageDialog::~PageDialog()
{
    if (Alive()) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

bool PageDialog::Create(UINT templateId)
{
    hwnd_ = nullptr;
    return CreateDialogParamW(state_.instance, MAKEINTRESOURCEW(templateId), state_.main, Procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void PageDialog::Center()
{
    RECT main{}, page{};
    GetWindowRect(state_.main, &main);
    GetWindowRect(hwnd_, &page);
    const int width = page.right - page.left, height = page.bottom - page.top;
    const int left = main.left + (main.right - main.left) / 2 - width / 2;
    const int top = main.top + (main.bottom - main.top) / 2 - height / 2;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PageDialog::Finish(PageEvent event)
{
    host_.PageDone(event);
    if (Alive())
        DestroyWindow(hwnd_);
}

std::string PageDialog::AnsiText(int id, size_t limit) const
{
    std::vector<char> buffer(limit + 1);
    const UINT n = GetDlgItemTextA(hwnd_, id, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), n);
}

INT_PTR CALLBACK PageDialog::Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    PageDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<PageDialog*>(lp);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->Center();
        self->OnInit();
        return TRUE;
    }
    self = reinterpret_cast<PageDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
        case WM_COMMAND:
            self->OnCommand(LOWORD(wp), HIWORD(wp));
            return TRUE;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            self->hwnd_ = nullptr;
            return FALSE;
        default:
            return self->OnMessage(message, wp, lp) ? TRUE : FALSE;
    }
}

}  // namespace installer
