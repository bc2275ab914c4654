#include "app/tile.h"

#include <algorithm>

namespace app {

TilePlacement PlanTile(const TileInput& input)
{
    const int w = std::clamp(input.width, 1, kMaxExtent);
    const int h = std::clamp(input.height, 1, kMaxExtent);
    const int caption = std::clamp(input.captionHeight, 0, kMaxExtent);
    TilePlacement plan;
    int column = 0;
    int row = 0;
    int offset = 0;
    for (int j = 0; j < lists::kListCount; ++j) {
        if (input.minimized[static_cast<size_t>(j)])
            continue;
        const long x = static_cast<long>(column) * w + offset;
        const long y = static_cast<long>(row) * h + offset;
        plan.placed.push_back({j, WindowRect{x, y, x + w, y + h}});
        ++column;
        if (static_cast<long>(column + 1) * w > input.clientWidth) {
            if (plan.firstWrap == -1)
                plan.firstWrap = j;
            ++row;
            column = 0;
        }
        if (static_cast<long>(row) * h + h / 2 > input.clientHeight) {
            column = 0;
            row = 0;
            offset += caption;
        }
    }
    return plan;
}

}  // namespace app
