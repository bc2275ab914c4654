// The wait cursor around long operations. Begin and End nest (the cursor from before
// the first Begin comes back at the last End); a cursor made with kNow shows at once
// for the life of the object.
#pragma once

#include <windows.h>

namespace fw {

class WaitCursor {
public:
    enum Shown { kNow };

    WaitCursor() = default;
    explicit WaitCursor(Shown) { Begin(); }
    ~WaitCursor()
    {
        if (depth_ > 0) {
            depth_ = 1;
            End();
        }
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void Begin()
    {
        if (depth_++ == 0)
            saved_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    }
    void End()
    {
        if (depth_ > 0 && --depth_ == 0)
            SetCursor(saved_ ? saved_ : LoadCursorA(nullptr, IDC_ARROW));
    }

private:
    int depth_ = 0;
    HCURSOR saved_ = nullptr;
};

}  // namespace fw
