#include "thumbctl/cache/picture_cache_com.h"

#include <string>

#include "framework/com/hresult.h"
#include "thumbctl/server/library_settings.h"
#include "thumbctl/server/class_table.h"

namespace thumbctl {

HRESULT CreatePictureCache(IUnknown* outer, REFIID riid, void** ppv)
{
    return fw::com::CreateInstance<cache::CVelmoraPictureCache>(outer, riid, ppv);
}

}  // namespace thumbctl

namespace thumbctl::cache {

HRESULT CVelmoraPictureCache::FinalConstruct()
{
    engine_ = std::make_unique<PictureCacheEngine>();
    return engine_->Started() ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CVelmoraPictureCache::LoadBitmap(LONG_PTR hWnd, BSTR path, LONG_PTR phBitmap,
                                              LONG_PTR pBitmapInfo)
{
    return fw::com::Guarded([&]() -> HRESULT {
        if (!phBitmap || !pBitmapInfo)
            return E_POINTER;
        if (!path || !*path)
            return E_FAIL;
        // At most 259 bytes and the terminator in the ANSI code page; a longer
        // path names no file this library can open.
        char ansi[kMaxPathBytes + 1];
        if (WideCharToMultiByte(CP_ACP, 0, path, -1, ansi, sizeof ansi, nullptr, nullptr) == 0)
            return E_FAIL;
        return engine_->RequestBitmap(reinterpret_cast<HWND>(hWnd), ansi,
                                      reinterpret_cast<HBITMAP*>(phBitmap),
                                      reinterpret_cast<BITMAP*>(pBitmapInfo));
    });
}

STDMETHODIMP CVelmoraPictureCache::SetCacheSize(short dCacheSize, short dCacheOutCount)
{
    return fw::com::Guarded([&]() -> HRESULT {
        engine_->SetCacheSize(dCacheSize, dCacheOutCount);
        return S_OK;
    });
}

}  // namespace thumbctl::cache
