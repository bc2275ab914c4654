#include "thumbctl/control/cache_picture_source.h"

namespace thumbctl {

HRESULT CachePictureSource::LoadBitmap(HWND window, const std::wstring& path, HBITMAP* bitmap, BITMAP* info)
{
    if (!cache_)
        return E_FAIL;
    fw::com::Bstr name =
        fw::com::Bstr::Attach(SysAllocStringLen(path.data(), static_cast<UINT>(path.size())));
    if (!name.Get())
        return E_OUTOFMEMORY;
    // The cache writes the handle and the record only on success; the handle variable
    // is pointer-sized and zeroed, so a 32-bit handle written into it reads back whole.
    HBITMAP handle = nullptr;
    BITMAP record{};
    const HRESULT hr =
        cache_->LoadBitmap(reinterpret_cast<LONG_PTR>(window), name.Get(),
                           reinterpret_cast<LONG_PTR>(&handle), reinterpret_cast<LONG_PTR>(&record));
    if (FAILED(hr))
        return hr;
    *bitmap = handle;
    *info = record;
    return hr;
}

}  // namespace thumbctl
