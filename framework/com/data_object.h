// An OLE data object over memory blocks: each format is one HGLOBAL, handed out as a
// copy. It is what drags and the clipboard carry, and it keeps whatever the receiver
// sets on it (the shell reports its performed effect that way).
#pragma once

#include <objidl.h>

#include <string_view>
#include <vector>

#include "framework/com/object.h"
#include "framework/win/handles.h"

namespace fw::com {

class DataObject final : public Implements<IDataObject> {
public:
    // Adds (or replaces) `format` with a block holding `bytes`. False when memory
    // runs out.
    bool Set(CLIPFORMAT format, std::string_view bytes);

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    struct Entry {
        CLIPFORMAT format;
        UniqueGlobal block;
    };
    Entry* Find(const FORMATETC* format);

    std::vector<Entry> entries_;
};

// A copy of a memory block (GMEM_MOVEABLE); null on failure.
HGLOBAL CopyGlobal(HGLOBAL source);

}  // namespace fw::com
