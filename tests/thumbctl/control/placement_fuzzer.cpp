// Feeds arbitrary windows, pictures, zoom rectangles and selections through the
// placement arithmetic and checks what must always hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "thumbctl/control/placement.h"
#include "thumbctl/control/view_state.h"

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int32_t Int()
    {
        int32_t v = 0;
        const size_t n = size_ < sizeof v ? size_ : sizeof v;
        std::memcpy(&v, data_, n);
        data_ += n;
        size_ -= n;
        return v;
    }
    int Range(int lo, int hi) { return lo + static_cast<int>(static_cast<uint32_t>(Int()) % (hi - lo + 1u)); }

private:
    const uint8_t* data_;
    size_t size_;
};

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
    Input in(data, size);
    const int W = in.Range(-2, 32767), H = in.Range(-2, 32767);
    const int pw = in.Range(-1, 1 << 20), ph = in.Range(-1, 1 << 20);
    const Rect zoom{in.Int(), in.Int(), in.Int(), in.Int()};
    const bool fit = in.Int() & 1;

    // Any zoom rectangle, even one that does not fit the picture.
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

    // The view as the window drives it: draw, select, draw again.
    ViewState view;
    view.Place(W, H, pw, ph, true);
    for (int round = 0; round < 3; ++round) {
        const Rect source = view.Source();
        if (!view.BeginSelection(in.Range(0, 65535), in.Range(0, 65535)))
            break;
        view.MoveSelection(in.Range(0, 32767), in.Range(0, 32767));
        const auto out = view.EndSelection(in.Range(0, 32767), in.Range(0, 32767), W, H);
        Check(out.has_value());
        if (out->result == SelectionResult::kZoom && !out->zoom.Empty())
            Check(out->zoom.left >= source.left && out->zoom.right <= source.right &&
                  out->zoom.top >= source.top && out->zoom.bottom <= source.bottom);
        const Placement p = view.Place(W, H, pw, ph, true);
        if (p.drawn)
            Check(Inside(p.destination, W, H));
    }
    return 0;
}
