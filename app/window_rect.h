// A window rectangle in pixels, as the Win32 RECT holds it.
#pragma once

namespace app {

struct WindowRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
    bool operator==(const WindowRect&) const = default;
};

}  // namespace app
