// Millisecond clock seam (GetTickCount on Windows).
#pragma once

#include <cstdint>

namespace fw {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Milliseconds() = 0;
};

Clock& SystemClock();

}  // namespace fw
