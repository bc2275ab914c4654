// Connection points, class information, property pages (none) and quick activation.
#include <algorithm>
#include <cstring>

#include "framework/com/hresult.h"
#include "framework/com/typelib.h"
#include "thumbctl/control/thumb_control.h"

namespace thumbctl {

// ---- IConnectionPointContainer ----

STDMETHODIMP ThumbControl::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    fw::com::ConnectionPoint* const all[] = {&events_, &propertyNotify_};
    return fw::com::EnumerateConnectionPoints(all, points);
}

STDMETHODIMP ThumbControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    fw::com::ConnectionPoint* const all[] = {&events_, &propertyNotify_};
    return fw::com::FindConnectionPoint(all, riid, point);
}

// ---- IProvideClassInfo, IProvideClassInfo2 ----

STDMETHODIMP ThumbControl::GetClassInfo(ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    return fw::com::GetModuleTypeInfo(CLSID_VelmoraThumbCtl, info);
}

STDMETHODIMP ThumbControl::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID__IVelmoraThumbCtlEvents;
    return S_OK;
}

// ---- ISpecifyPropertyPages ----

STDMETHODIMP ThumbControl::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

// ---- IQuickActivate ----

STDMETHODIMP ThumbControl::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (!container || !control)
        return E_POINTER;
    if (container->cbSize < offsetof(QACONTAINER, pPropertyNotifySink) + sizeof(void*) ||
        control->cbSize < offsetof(QACONTROL, dwPointerActivationPolicy))
        return E_INVALIDARG;
    return fw::com::Guarded([&] {
        FW_RETURN_IF_FAILED(SetClientSite(container->pClientSite));
        if (container->pAdviseSink)
            SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
        const ULONG controlSize = control->cbSize;
        std::memset(control, 0, controlSize);
        control->cbSize = controlSize;
        if (container->pUnkEventSink)
            events_.Connect(container->pUnkEventSink, &control->dwEventCookie);
        if (container->pPropertyNotifySink)
            propertyNotify_.Connect(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
        control->dwMiscStatus = kControlMiscStatus;
        GetViewStatus(&control->dwViewStatus);
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::SetContentExtent(LPSIZEL size)
{
    return SetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP ThumbControl::GetContentExtent(LPSIZEL size)
{
    return GetExtent(DVASPECT_CONTENT, size);
}

}  // namespace thumbctl
