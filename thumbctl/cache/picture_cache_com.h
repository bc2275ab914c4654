// CVelmoraPictureCache: the picture cache's COM face (IVelmoraPictureCache, its
// type-library IDispatch and the aggregated free-threaded marshaler).
#pragma once

#include <windows.h>

#include <memory>

#include "VelmoraThumbCtl.h"
#include "framework/com/dispatch.h"
#include "framework/com/object.h"
#include "thumbctl/cache/picture_cache_engine.h"

namespace thumbctl::cache {

class CVelmoraPictureCache final
    : public fw::com::Implements<fw::com::Dispatch<IVelmoraPictureCache>, fw::com::FreeThreaded> {
public:
    // Sizes from the library settings, the events, the mutex and the dispatcher.
    HRESULT FinalConstruct();

    // hWnd: the requesting window. phBitmap: address of an HBITMAP variable (32
    // bits in a 32-bit process, 64 in a 64-bit one). pBitmapInfo: address of a
    // BITMAP record (sizeof(BITMAP): 24 or 32 bytes). The bitmap stays owned by
    // the cache.
    STDMETHODIMP LoadBitmap(LONG_PTR hWnd, BSTR path, LONG_PTR phBitmap, LONG_PTR pBitmapInfo) override;
    STDMETHODIMP SetCacheSize(short dCacheSize, short dCacheOutCount) override;

private:
    std::unique_ptr<PictureCacheEngine> engine_;
};

}  // namespace thumbctl::cache
