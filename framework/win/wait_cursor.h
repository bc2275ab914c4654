// The wait cursor around long operations; nested begins need as many ends.
#pragma once

#include <windows.h>

namespace fw {

class WaitCursor {
public:
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
