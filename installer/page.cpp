#include "installer/page.h"

namespace installer {

bool PageDialog::OnInitDialog()
{
    RECT main{}, page{};
    GetWindowRect(state_.main, &main);
    GetWindowRect(Handle(), &page);
    const int width = page.right - page.left, height = page.bottom - page.top;
    const int left = main.left + (main.right - main.left) / 2 - width / 2;
    const int top = main.top + (main.bottom - main.top) / 2 - height / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnInit();
    return true;
}

void PageDialog::Finish(PageEvent event)
{
    host_.PageDone(event);
    if (Alive())
        DestroyWindow(Handle());
}

}  // namespace installer
