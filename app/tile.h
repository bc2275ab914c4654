// "Tile to window size": the list windows that are not minimised fill rows from the
// top left at the current window's size; a row ends when the next window would cross
// the client's right edge, and when the next row would be more than half hidden below
// the bottom edge placement starts again at the top left, shifted right and down by
// one caption height. The Win32 frame applies the plan in one deferred positioning
// pass and then does the z-order corrections.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "app/window_rect.h"
#include "lists/list_model.h"

namespace app {

struct TileInput {
    int clientWidth = 0;
    int clientHeight = 0;
    int width = 0;  // the current list window's size
    int height = 0;
    int captionHeight = 0;
    std::array<bool, lists::kListCount> minimized{};
};

struct TilePlacement {
    // List number and rectangle of every window placed, in z-order, top first.
    std::vector<std::pair<int, WindowRect>> placed;
    // The window after which the first row ended (-1: none). When above 0, windows
    // firstWrap to 35 go to the bottom of the z-order in that order.
    int firstWrap = -1;
};

// Sizes and the caption height are first clamped into 1..kMaxExtent (caption height
// 0..kMaxExtent): a window of zero or negative size is laid out as one pixel, so
// hand-edited sizes never stop the rows from advancing, and no coordinate overflows.
inline constexpr int kMaxExtent = 32767;

TilePlacement PlanTile(const TileInput& input);

}  // namespace app
