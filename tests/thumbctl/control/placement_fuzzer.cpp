// Feeds arbitrary windows, pictures, zoom rectangles and selections through the
// placement arithmetic and checks what must always hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "thumbctl/control/placement.h"
#include "thumbctl/control/view_state.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool Inside(const thumbctl::Rect& r, int W, int H)
{
    return r.left >= 0 && r.top >= 0 && r.right <= W && r.bottom <= H;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace thumbctl;
    FuzzedDataProvider in(data, size);
    auto range = [&](int lo, int hi) { return in.ConsumeIntegralInRange(lo, hi); };
    const int W = range(-2, 32767), H = range(-2, 32767);
    const int pw = range(-1, 1 << 20), ph = range(-1, 1 << 20);
    const Rect zoom{in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(),
                    in.ConsumeIntegral<int>()};
    const bool fit = in.ConsumeBool();

    // Any zoom rectangle, even one that does not fit the picture: the picture and the
    // bands stay inside the bounds and cover them exactly.
    const Placement wild = PlacePicture(W, H, pw, ph, zoom, fit);
    if (wild.drawn) {
        Check(Inside(wild.destination, W, H));
        long long area = static_cast<long long>(wild.destination.Width()) * wild.destination.Height();
        for (size_t i = 0; i < wild.bandCount; ++i) {
            Check(Inside(wild.bands[i], W, H));
            area += static_cast<long long>(wild.bands[i].Width()) * wild.bands[i].Height();
        }
        Check(area == static_cast<long long>(W) * H);
    }

    // The view as the window drives it: draw, select, draw again; a zoom stays in the part shown.
    ViewState view;
    view.Place(W, H, pw, ph, true);
    for (int round = 0; round < 3; ++round) {
        const Rect source = view.Source();
        if (!view.BeginSelection(range(0, 65535), range(0, 65535)))
            break;
        view.MoveSelection(range(0, 32767), range(0, 32767));
        const auto out = view.EndSelection(range(0, 32767), range(0, 32767), W, H);
        Check(out.has_value());
        if (out->result == SelectionResult::kZoom && !out->zoom.Empty())
            Check(out->zoom.left >= source.left && out->zoom.right <= source.right &&
                  out->zoom.top >= source.top && out->zoom.bottom <= source.bottom);
        const Placement p = view.Place(W, H, pw, ph, true);
        Check(!p.drawn || Inside(p.destination, W, H));
    }
    return 0;
}
