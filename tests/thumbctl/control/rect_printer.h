// Readable rectangles in test failure messages.
#pragma once

#include <ostream>

#include "thumbctl/control/placement.h"

namespace thumbctl {

inline void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

}  // namespace thumbctl
