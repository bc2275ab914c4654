#include "thumbctl/control/view_state.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace thumbctl {

int SelectionCoordinate(unsigned short word)
{
    return std::max(0, static_cast<int>(static_cast<int16_t>(word)));
}

std::optional<unsigned> UnreflectedMessage(unsigned message)
{
    constexpr unsigned kReflectBase = 0x2000;
    constexpr unsigned kReflected[] = {
        0x0111,  // WM_COMMAND
        0x004E,  // WM_NOTIFY
        0x0210,  // WM_PARENTNOTIFY
        0x002B,  // WM_DRAWITEM
        0x002C,  // WM_MEASUREITEM
        0x0039,  // WM_COMPAREITEM
        0x002D,  // WM_DELETEITEM
        0x002E,  // WM_VKEYTOITEM
        0x002F,  // WM_CHARTOITEM
        0x0114,  // WM_HSCROLL
        0x0115,  // WM_VSCROLL
        0x0132,  // WM_CTLCOLORMSGBOX
        0x0133,  // WM_CTLCOLOREDIT
        0x0134,  // WM_CTLCOLORLISTBOX
        0x0135,  // WM_CTLCOLORBTN
        0x0136,  // WM_CTLCOLORDLG
        0x0137,  // WM_CTLCOLORSCROLLBAR
        0x0138,  // WM_CTLCOLORSTATIC
    };
    if (message < kReflectBase)
        return std::nullopt;
    const unsigned plain = message - kReflectBase;
    if (std::find(std::begin(kReflected), std::end(kReflected), plain) == std::end(kReflected))
        return std::nullopt;
    return plain;
}

bool ViewState::BeginSelection(int x, int y)
{
    if (destination_.Empty())
        return false;
    drag_ = {x, y, x, y};
    dragging_ = true;
    return true;
}

std::optional<ViewState::BandMove> ViewState::MoveSelection(int x, int y)
{
    if (!dragging_ || y == drag_.bottom || x == drag_.right)
        return std::nullopt;
    BandMove move;
    move.erase = drag_.Normalized();
    drag_.right = x;
    drag_.bottom = y;
    move.draw = drag_.Normalized();
    return move;
}

std::optional<SelectionOutcome> ViewState::EndSelection(int x, int y, int clientWidth, int clientHeight)
{
    if (!dragging_)
        return std::nullopt;
    dragging_ = false;
    drag_.right = x;
    drag_.bottom = y;
    SelectionOutcome outcome = FinishSelection(drag_, clientWidth, clientHeight, destination_, source_);
    switch (outcome.result) {
        case SelectionResult::kIgnored:
            break;
        case SelectionResult::kFit:
            fitMode_ = true;
            break;
        case SelectionResult::kZoom:
            fitMode_ = false;
            zoom_ = outcome.zoom;
            break;
    }
    return outcome;
}

bool ViewState::CancelSelection()
{
    return std::exchange(dragging_, false);
}

void ViewState::Reset()
{
    *this = ViewState{};
}

Placement ViewState::Place(int W, int H, int pictureWidth, int pictureHeight, bool record)
{
    Placement p = PlacePicture(W, H, pictureWidth, pictureHeight, zoom_, fitMode_);
    if (record) {
        zoom_ = p.zoom;
        destination_ = p.destination;
        source_ = p.source;
    }
    return p;
}

}  // namespace thumbctl
