// The control's picture source: the picture cache's LoadBitmap, called through its
// vtable with the pointer-sized arguments of the type library.
#pragma once

#include <windows.h>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "thumbctl/control/control_view.h"

namespace thumbctl {

class CachePictureSource final : public PictureSource {
public:
    IVelmoraPictureCache* Cache() const { return cache_.Get(); }
    void SetCache(fw::com::ComPtr<IVelmoraPictureCache> cache) { cache_ = std::move(cache); }
    void Reset() { cache_.Reset(); }

    HRESULT LoadBitmap(HWND window, const std::wstring& path, HBITMAP* bitmap, BITMAP* info) override;

private:
    fw::com::ComPtr<IVelmoraPictureCache> cache_;
};

}  // namespace thumbctl
