// The thumbnail control's view: what was drawn last, what to show next and the
// rubber-band selection in progress. Platform-free; the window feeds it mouse
// points and drawings and draws what it answers.
#pragma once

#include <optional>

#include "thumbctl/control/placement.h"

namespace thumbctl {

// A mouse coordinate of a move or button-up message: the 16-bit word taken as
// signed, negative values (left of or above the window) held at 0.
int SelectionCoordinate(unsigned short word);

// The message a container's reflected notification stands for (the plain message
// plus 0x2000), or nothing when `message` is not a reflected notification.
std::optional<unsigned> UnreflectedMessage(unsigned message);

class ViewState {
public:
    // The rubber band to erase and the one to draw after a mouse move.
    struct BandMove {
        Rect erase;
        Rect draw;
    };

    // Left button down: a selection starts only over a drawn picture. On true the
    // caller draws the (zero-sized) band and captures the mouse.
    bool BeginSelection(int x, int y);

    // Mouse move while selecting. A move that keeps x or y leaves the band alone.
    std::optional<BandMove> MoveSelection(int x, int y);

    // Left button up while selecting: applies the outcome to the view. Nothing when no
    // selection was in progress; otherwise the caller releases the capture and repaints.
    std::optional<SelectionOutcome> EndSelection(int x, int y, int clientWidth, int clientHeight);

    // The capture went elsewhere: true when a selection was given up (repaint then).
    bool CancelSelection();

    // A new file or a double-click: the whole picture again.
    void Reset();

    // Places the picture for a drawing into W x H bounds and, when `record` is set,
    // remembers where it went (the mouse maps onto that drawing).
    Placement Place(int W, int H, int pictureWidth, int pictureHeight, bool record);

    bool Selecting() const { return dragging_; }
    bool FitMode() const { return fitMode_; }
    const Rect& Drag() const { return drag_; }
    const Rect& Destination() const { return destination_; }
    const Rect& Source() const { return source_; }
    const Rect& Zoom() const { return zoom_; }

private:
    Rect drag_;         // anchor corner in left/top, moving corner in right/bottom
    Rect destination_;  // client pixels of the last drawing
    Rect source_;       // bitmap pixels of the last drawing
    Rect zoom_;         // bitmap pixels to show; empty: the whole picture
    bool dragging_ = false;
    bool fitMode_ = false;
};

}  // namespace thumbctl
