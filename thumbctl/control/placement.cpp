#include "thumbctl/control/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace thumbctl {
namespace {

int ClampToInt(long long value)
{
    return static_cast<int>(
        std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Truncates toward zero, saturating instead of overflowing.
long long Truncate(double value)
{
    constexpr double kLimit = 4.0e18;
    if (std::isnan(value))
        return 0;
    return static_cast<long long>(std::clamp(value, -kLimit, kLimit));
}

void AddBand(Placement& p, int left, int top, int right, int bottom)
{
    Rect band{left, top, right, bottom};
    if (!band.Empty())
        p.bands[p.bandCount++] = band;
}

}  // namespace

Rect Rect::Normalized() const
{
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

Placement PlacePicture(int W, int H, int pictureWidth, int pictureHeight, const Rect& zoom, bool fitMode)
{
    Placement p;
    p.zoom = zoom;
    if (W <= 0 || H <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return p;

    Rect s{0, 0, pictureWidth, pictureHeight};
    if (fitMode)
        p.zoom = s;
    if (!p.zoom.Empty())
        s = p.zoom;
    const long long sourceWidth = static_cast<long long>(s.right) - s.left;
    const long long sourceHeight = static_cast<long long>(s.bottom) - s.top;
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return p;

    const long long hw = W / 2, hh = H / 2;
    const long long sw = sourceWidth / 2, sh = sourceHeight / 2;
    long long x, y, w, h;
    if (hw >= sw && hh >= sh && p.zoom.Empty()) {
        // Natural size: whole halves, so an odd dimension loses one pixel.
        x = hw - sw;
        y = hh - sh;
        w = 2 * sw;
        h = 2 * sh;
    } else if (sh * hw >= sw * hh) {
        // Relatively taller (ties included): the height fills the bounds. Truncation
        // of the halves can make the width overshoot by a pixel; it is held to W.
        h = H;
        w = std::min<long long>(Truncate(static_cast<double>(H) / sourceHeight * sourceWidth), W);
        x = hw - w / 2;
        y = hh - h / 2;
    } else {
        w = W;
        h = std::min<long long>(Truncate(static_cast<double>(W) / sourceWidth * sourceHeight), H);
        x = hw - w / 2;
        y = hh - h / 2;
    }

    p.drawn = true;
    p.source = s;
    p.destination = {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
                     static_cast<int>(y + h)};
    const Rect& d = p.destination;
    AddBand(p, 0, 0, d.left, H);
    AddBand(p, d.right, 0, W, H);
    AddBand(p, d.left, 0, d.right, d.top);
    AddBand(p, d.left, d.bottom, d.right, H);
    return p;
}

SelectionOutcome FinishSelection(const Rect& selection, int W, int H, const Rect& destination,
                                 const Rect& source)
{
    const Rect r = selection.Normalized();
    const long long dw = static_cast<long long>(r.right) - r.left;
    const long long dh = static_cast<long long>(r.bottom) - r.top;
    if (dw < 5 && dh < 5)
        return {};

    const Rect& d = destination;
    if (!d.Contains(r.left, r.top) && !d.Contains(r.right, r.bottom) && !d.Contains(r.left, r.bottom) &&
        !d.Contains(r.right, r.top))
        return {SelectionResult::kFit, {}};
    if (W <= 0 || H <= 0 || source.Empty())
        return {};

    // The window's shape around the selection's centre.
    const double q = static_cast<double>(W) / H;
    const long long cx = r.left + dw / 2, cy = r.top + dh / 2;
    long long width = dw, height = dh;
    if (dh > dw)
        width = Truncate(static_cast<double>(dh) * q);
    else
        height = Truncate(static_cast<double>(dw) / q);
    long long left = cx - width / 2, right = cx + width / 2;
    long long top = cy - height / 2, bottom = cy + height / 2;

    // Into the drawn picture: shift first, then clip what still sticks out.
    if (left < d.left) {
        right += d.left - left;
        left = d.left;
    }
    if (top < d.top) {
        bottom += d.top - top;
        top = d.top;
    }
    if (right > d.right) {
        left -= right - d.right;
        right = d.right;
    }
    if (bottom > d.bottom) {
        top -= bottom - d.bottom;
        bottom = d.bottom;
    }
    left = std::max<long long>(left, d.left) - d.left;
    top = std::max<long long>(top, d.top) - d.top;
    right = std::min<long long>(right, d.right) - d.left;
    bottom = std::min<long long>(bottom, d.bottom) - d.top;

    // To pixels of the part of the bitmap that was drawn there.
    const double fx = static_cast<double>(static_cast<long long>(source.right) - source.left) /
                      (static_cast<long long>(d.right) - d.left);
    const double fy = static_cast<double>(static_cast<long long>(source.bottom) - source.top) /
                      (static_cast<long long>(d.bottom) - d.top);
    SelectionOutcome out{SelectionResult::kZoom, {}};
    out.zoom.left = ClampToInt(Truncate(left * fx) + source.left);
    out.zoom.top = ClampToInt(Truncate(top * fy) + source.top);
    out.zoom.right = ClampToInt(Truncate(right * fx) + source.left);
    out.zoom.bottom = ClampToInt(Truncate(bottom * fy) + source.top);
    return out;
}

}  // namespace thumbctl
