// Layouts in the profile: the working layout (ALLIGN_DEFAULT, with show keys), the
// named layouts (ALLIGN_nn, rectangles only) and the list of named layouts under
// LAYOUT. The Win32 frame gets and applies window placements; everything read or
// written in the profile goes through here.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/profile_settings.h"
#include "app/window_rect.h"

namespace app {

// Show commands, with the Win32 SW_ values.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;  // SW_SHOWMINIMIZED
inline constexpr int kMinimize = 6;       // SW_MINIMIZE, also the stored "minimised"
inline constexpr int kShowMinNoActive = 7;

// Smallest window kept on restore, and how much of a window's top edge stays inside
// the area, so that its caption can always be grabbed.
inline constexpr int kMinWindowSize = 32;
inline constexpr int kMinVisible = 32;
// Largest window size kept; larger stored sizes are cut to it.
inline constexpr int kMaxWindowSize = 16384;

// The default grid: cells of width x height, 4 columns by 3 rows filled row by row,
// each further group of 12 windows shifted 15 pixels right and down.
WindowRect DefaultGridRect(int list, int width, int height);

// The cell size of the default grid: WINDOWSTYLE/WIDTH and HEIGHT, where a value of 0
// or less (hand-edited) falls back to its default, 180 or 150, and one above
// kMaxWindowSize is cut to it.
struct CellSize {
    int width;
    int height;
};
CellSize ReadCellSize(const ProfileSettings& settings);

// A list window's rectangle under `section`: top and left default to the grid; bottom
// and right default to the top and left actually read plus the cell size (held at the
// int range, so a hand-edited edge near it cannot overflow). Grid values likewise.
ProfileRect ReadListRect(const ProfileSettings& settings, const char* section, int list, int width,
                         int height);

// A list window's placement as GetWindowPlacement gives it.
struct ListPlacement {
    int showCmd = kShowNormal;
    WindowRect normal;
    long minX = 0;  // the minimised (icon) position
    long minY = 0;
};

// Writes every list window's show key (6 for SW_SHOWMINIMIZED, else 1) and rectangle,
// and the main window's normal rectangle, to ALLIGN_DEFAULT. A window in one of the
// minimised forms (2, 6, 7) is stored at its icon position with its normal size; a
// maximised one with its normal rectangle.
void SaveWorkingLayout(const ProfileSettings& settings,
                       const std::array<ListPlacement, lists::kListCount>& lists,
                       const WindowRect& mainNormal);

// ALLIGN_DEFAULT as stored, with the defaults for missing keys (grid, main window 0, 0,
// 480, 640, show 1). Values are not sanitised: apply SanitizeShow and SanitizeRect.
struct WorkingLayout {
    std::array<int, lists::kListCount> show{};
    std::array<ProfileRect, lists::kListCount> lists{};
    ProfileRect main;
};
WorkingLayout ReadWorkingLayout(const ProfileSettings& settings);

// A show value to apply: 6 (minimise) stays, anything else shows the window normally.
int SanitizeShow(int show);

// A stored rectangle made safe to apply within `area` (the frame's client area for a
// list window, the screen's work area for the main window):
// - an inverted rectangle (right < left or bottom < top) has its edges swapped, since
//   it names the same area;
// - width and height are clamped into kMinWindowSize..kMaxWindowSize, keeping the
//   top left corner;
// - a rectangle whose title bar (its top `titleHeight` pixels) lies wholly outside the
//   area is then moved, keeping its size, so that its top edge lies inside the area
//   and at least kMinVisible pixels of it horizontally (or the whole width of an area
//   narrower than that); one the user left partly above or beside the area stays.
// Arithmetic is done in 64 bits, so any int values in the profile are safe.
// `maxSize` is the largest window the system allows (it cuts larger ones itself,
// which would undo the move below); it is held within kMaxWindowSize.
ProfileRect SanitizeRect(const ProfileRect& rect, const WindowRect& area, int maxSize = kMaxWindowSize,
                         int titleHeight = kMinVisible);

// Copies the 36 list rectangles (with the grid defaults) and the main window's
// rectangle from `source` to `target`. Show keys are not copied: calling up a named
// layout keeps the working layout's minimised states.
void CopyLayout(const ProfileSettings& settings, const char* source, const char* target);

// A named layout: its name and the id of its ALLIGN_nn section.
struct NamedLayout {
    std::string name;
    int id = 0;
    bool operator==(const NamedLayout&) const = default;
};

// Named layouts beyond this count are not read: a larger COUNT is taken to be a
// hand-edited value, not a list the dialog ever wrote.
inline constexpr int kMaxNamedLayouts = 10000;

// The named layouts in list order (LAYOUT/COUNT, NAMEnn, IDnn); a negative COUNT reads
// as none.
std::vector<NamedLayout> ReadLayoutList(const ProfileSettings& settings);
// Writes NAMEnn and IDnn for every position and COUNT. Keys of higher positions that
// are no longer used stay, and so do the ALLIGN_nn sections of deleted layouts.
void WriteLayoutList(const ProfileSettings& settings, const std::vector<NamedLayout>& inListOrder);
// Hands out a new layout id: LASTID (default COUNT) + 1, written back as LASTID. A
// negative LASTID counts as 0 and the largest int as one below it, so the id is
// always positive and never overflows.
int NewLayoutId(const ProfileSettings& settings);

}  // namespace app
