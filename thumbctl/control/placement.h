// Where the thumbnail control puts a picture in its window, and how a rubber-band
// selection turns into the part of the bitmap to show next. Pure arithmetic: no
// platform types, so every rule here is checked natively.
#pragma once

#include <array>
#include <cstddef>

namespace thumbctl {

// Left and top inclusive, right and bottom exclusive; empty when the width or
// height is not positive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect Normalized() const;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// One drawing of a picture into bounds of W x H pixels whose origin is (0, 0).
struct Placement {
    bool drawn = false;           // false: the whole bounds are white and nothing is stretched
    Rect destination;             // where the picture goes
    Rect source;                  // which part of the bitmap is stretched there
    Rect zoom;                    // the zoom rectangle after the drawing (fit mode fixes it to the picture)
    std::array<Rect, 4> bands{};  // white areas around the picture
    size_t bandCount = 0;
};

// Places a picture of pictureWidth x pictureHeight pixels into W x H bounds.
// An empty zoom rectangle shows the whole picture: at natural size, centred, when
// it fits (an odd dimension one pixel smaller), else reduced to fit. Fit mode and
// a zoom rectangle scale to fit, enlarging small pictures; the aspect ratio stays
// and ties between width and height go to the height. The bands cover exactly the
// part of the bounds outside the picture.
Placement PlacePicture(int W, int H, int pictureWidth, int pictureHeight, const Rect& zoom, bool fitMode);

// What a finished selection does to the view.
enum class SelectionResult {
    kIgnored,  // smaller than 5 x 5 pixels
    kFit,      // no corner on the drawn picture: show the whole picture scaled to fit
    kZoom,     // show `zoom`
};

struct SelectionOutcome {
    SelectionResult result = SelectionResult::kIgnored;
    Rect zoom;
};

// Turns a selection (any corner order, client pixels) into a view change, given the
// client size W x H and the destination and source rectangles of the last drawing.
// The zoom rectangle takes the window's shape around the selection's centre, is
// moved and clipped into the drawn picture and mapped to bitmap pixels of the part
// shown, so a selection inside a zoomed view zooms further.
SelectionOutcome FinishSelection(const Rect& selection, int W, int H, const Rect& destination,
                                 const Rect& source);

}  // namespace thumbctl
