#include "framework/com/data_object.h"

#include <shlobj.h>

#include <cstring>

namespace fw::com {

HGLOBAL CopyGlobal(HGLOBAL source)
{
    const SIZE_T size = GlobalSize(source);
    const void* from = GlobalLock(source);
    if (!from)
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (void* to = copy ? GlobalLock(copy) : nullptr) {
        std::memcpy(to, from, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(source);
    return copy;
}

bool DataObject::Set(CLIPFORMAT format, std::string_view bytes)
{
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size() ? bytes.size() : 1));
    void* to = block ? GlobalLock(block.get()) : nullptr;
    if (!to)
        return false;
    std::memcpy(to, bytes.data(), bytes.size());
    GlobalUnlock(block.get());
    FORMATETC key{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (Entry* e = Find(&key))
        e->block = std::move(block);
    else
        entries_.push_back({format, std::move(block)});
    return true;
}

DataObject::Entry* DataObject::Find(const FORMATETC* format)
{
    if (!format || !(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT)
        return nullptr;
    for (Entry& e : entries_)
        if (e.format == format->cfFormat)
            return &e;
    return nullptr;
}

STDMETHODIMP DataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_INVALIDARG;
    Entry* e = Find(format);
    if (!e)
        return DV_E_FORMATETC;
    HGLOBAL copy = CopyGlobal(e->block.get());
    if (!copy)
        return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP DataObject::QueryGetData(FORMATETC* format)
{
    return Find(format) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP DataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out)
        out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP DataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release)
{
    if (!format || !medium || medium->tymed != TYMED_HGLOBAL || !medium->hGlobal)
        return E_NOTIMPL;
    UniqueGlobal block;
    if (release && !medium->pUnkForRelease) {
        block.reset(medium->hGlobal);  // ours now
    } else {
        block.reset(CopyGlobal(medium->hGlobal));
        if (release)
            ReleaseStgMedium(medium);
    }
    if (!block)
        return E_OUTOFMEMORY;
    FORMATETC key = *format;
    key.tymed = TYMED_HGLOBAL;
    if (Entry* e = Find(&key))
        e->block = std::move(block);
    else
        entries_.push_back({format->cfFormat, std::move(block)});
    return S_OK;
}

STDMETHODIMP DataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats)
{
    if (!formats)
        return E_POINTER;
    *formats = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (const Entry& e : entries_)
        list.push_back({e.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
}

}  // namespace fw::com
