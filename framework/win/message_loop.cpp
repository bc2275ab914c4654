#include "framework/win/message_loop.h"

namespace fw {

bool MessageLoop::IsIdleMessage(const MSG& message)
{
    switch (message.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case 0x0118:  // the system timer that blinks the caret
            return false;
        default:
            return true;
    }
}

bool MessageLoop::RunIdle(int count)
{
    bool more = false;
    for (const IdleHandler& handler : idle_)
        more = handler(count) || more;
    return more;
}

void MessageLoop::Dispatch(MSG& message)
{
    for (const Filter& filter : filters_) {
        if (filter(message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void MessageLoop::PumpPending()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

int MessageLoop::Run()
{
    MSG msg{};
    bool idle = true;
    int idleCount = 0;
    for (;;) {
        while (idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!RunIdle(idleCount++))
                idle = false;
        }
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            return got == 0 ? static_cast<int>(msg.wParam) : -1;
        Dispatch(msg);
        if (IsIdleMessage(msg)) {
            idle = true;
            idleCount = 0;
        }
    }
}

}  // namespace fw
