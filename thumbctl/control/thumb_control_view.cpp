// Drawing for the container (IViewObjectEx and its bases) and the minimal data object
// of a control: advises only, no formats.
#include "framework/com/hresult.h"
#include "thumbctl/control/thumb_control.h"

namespace thumbctl {

void ThumbControl::FireViewChange()
{
    if (inPlaceActive_ && window_.Handle()) {
        window_.Repaint();
        return;
    }
    if (viewSink_) {
        fw::com::ComPtr<IAdviseSink> sink = viewSink_;
        sink->OnViewChange(DVASPECT_CONTENT, -1);
        if (viewFlags_ & ADVF_ONLYONCE)
            viewSink_.Reset();
    }
}

void ThumbControl::SendDataChange()
{
    if (dataAdvise_)
        dataAdvise_->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
}

// ---- IViewObject ----

STDMETHODIMP ThumbControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds,
                                LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_OPAQUE)
        return DV_E_DVASPECT;
    if (!drawDc)
        return E_INVALIDARG;
    RECT area{};
    if (bounds) {
        area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    } else if (inPlaceActive_) {
        area = position_;
    } else {
        return E_INVALIDARG;
    }
    return fw::com::Guarded([&] {
        window_.Draw(drawDc, area);
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colorSet)
{
    if (colorSet)
        *colorSet = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::Freeze(DWORD, LONG, void*, DWORD*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    viewSink_ = fw::com::ComPtr<IAdviseSink>(sink);
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

STDMETHODIMP ThumbControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects)
        *aspects = viewAspects_;
    if (flags)
        *flags = viewFlags_;
    if (sink) {
        *sink = viewSink_.Get();
        if (*sink)
            (*sink)->AddRef();
    }
    return S_OK;
}

// ---- IViewObject2 ----

STDMETHODIMP ThumbControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// ---- IViewObjectEx ----

// The object's rectangle is its extent, in HIMETRIC from the origin.
STDMETHODIMP ThumbControl::GetRect(DWORD aspect, LPRECTL rect)
{
    if (!rect)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *rect = {0, 0, extent_.cx, extent_.cy};
    return S_OK;
}

STDMETHODIMP ThumbControl::GetViewStatus(DWORD* status)
{
    if (!status)
        return E_POINTER;
    // Painting covers the whole window.
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP ThumbControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* hitResult)
{
    if (!bounds || !hitResult)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    *hitResult = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP ThumbControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG,
                                        DWORD* hitResult)
{
    if (!bounds || !location || !hitResult)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    RECT overlap{};
    *hitResult = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP ThumbControl::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                            DVEXTENTINFO* extentInfo, LPSIZEL size)
{
    if (!extentInfo || !size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (extentInfo->dwExtentMode != DVEXTENT_CONTENT)
        return E_NOTIMPL;
    *size = naturalExtent_;
    return S_OK;
}

// ---- IDataObject: no formats, only advises ----

STDMETHODIMP ThumbControl::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_POINTER;
    return DV_E_FORMATETC;
}

STDMETHODIMP ThumbControl::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::QueryGetData(FORMATETC* format)
{
    if (!format)
        return E_POINTER;
    return DV_E_FORMATETC;
}

STDMETHODIMP ThumbControl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* result)
{
    if (result)
        result->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats)
{
    if (formats)
        *formats = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ThumbControl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection)
{
    if (!connection)
        return E_POINTER;
    *connection = 0;
    if (!dataAdvise_)
        FW_RETURN_IF_FAILED(CreateDataAdviseHolder(dataAdvise_.Put()));
    return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, flags, sink, connection);
}

STDMETHODIMP ThumbControl::DUnadvise(DWORD connection)
{
    if (!dataAdvise_)
        return OLE_E_NOCONNECTION;
    return dataAdvise_->Unadvise(connection);
}

STDMETHODIMP ThumbControl::EnumDAdvise(IEnumSTATDATA** advise)
{
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    if (!dataAdvise_)
        return E_FAIL;
    return dataAdvise_->EnumAdvise(advise);
}

}  // namespace thumbctl
