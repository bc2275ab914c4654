#include "framework/ax/event_sink.h"

#include <utility>

#include "framework/com/hresult.h"

namespace fw::ax {

const VARIANT* EventArgument(const DISPPARAMS& params, UINT position)
{
    if (!params.rgvarg || position >= params.cArgs)
        return nullptr;
    return &params.rgvarg[params.cArgs - 1 - position];
}

HRESULT DefaultSourceInterface(IUnknown* object, IID* iid)
{
    if (!object || !iid)
        return E_POINTER;
    *iid = IID_NULL;
    com::ComPtr<IUnknown> unknown(object);
    com::ComPtr<IProvideClassInfo2> info2;
    if (SUCCEEDED(unknown.As(info2)) && SUCCEEDED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, iid)))
        return S_OK;

    com::ComPtr<IProvideClassInfo> info;
    FW_RETURN_IF_FAILED(unknown.As(info));
    com::ComPtr<ITypeInfo> coclass;
    FW_RETURN_IF_FAILED(info->GetClassInfo(coclass.Put()));
    TYPEATTR* attr = nullptr;
    FW_RETURN_IF_FAILED(coclass->GetTypeAttr(&attr));
    const UINT count = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)))
            continue;
        constexpr INT kWanted = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
        if ((flags & kWanted) != kWanted)
            continue;
        HREFTYPE ref = 0;
        com::ComPtr<ITypeInfo> source;
        FW_RETURN_IF_FAILED(coclass->GetRefTypeOfImplType(i, &ref));
        FW_RETURN_IF_FAILED(coclass->GetRefTypeInfo(ref, source.Put()));
        TYPEATTR* sourceAttr = nullptr;
        FW_RETURN_IF_FAILED(source->GetTypeAttr(&sourceAttr));
        *iid = sourceAttr->guid;
        source->ReleaseTypeAttr(sourceAttr);
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO*, UINT*)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (result)
        VariantInit(result);
    return com::Guarded([&] {
        // A copy: the handler may end this connection while it runs.
        const EventHandler handler = handler_;
        if (handler) {
            static const DISPPARAMS none{};
            handler(id, params ? *params : none);
        }
        return S_OK;
    });
}

EventConnection::EventConnection(EventConnection&& other) noexcept
    : point_(std::move(other.point_)), sink_(std::move(other.sink_)), cookie_(std::exchange(other.cookie_, 0))
{
}

EventConnection& EventConnection::operator=(EventConnection&& other) noexcept
{
    if (this != &other) {
        Disconnect();
        point_ = std::move(other.point_);
        sink_ = std::move(other.sink_);
        cookie_ = std::exchange(other.cookie_, 0);
    }
    return *this;
}

HRESULT EventConnection::Connect(IUnknown* object, REFIID source, EventHandler handler)
{
    Disconnect();
    if (!object)
        return E_POINTER;
    com::ComPtr<IUnknown> unknown(object);
    com::ComPtr<IConnectionPointContainer> container;
    FW_RETURN_IF_FAILED(unknown.As(container));
    com::ComPtr<IConnectionPoint> point;
    FW_RETURN_IF_FAILED(container->FindConnectionPoint(source, point.Put()));
    com::ComPtr<IDispatch> dispatch;
    FW_RETURN_IF_FAILED(com::CreateInstance<EventSink>(nullptr, IID_IDispatch, dispatch.PutVoid(), source,
                                                       std::move(handler)));
    com::ComPtr<EventSink> sink(
        static_cast<EventSink*>(static_cast<com::RuntimeIid<IDispatch>*>(dispatch.Get())));
    DWORD cookie = 0;
    const HRESULT hr = point->Advise(dispatch.Get(), &cookie);
    if (FAILED(hr)) {
        sink->Clear();
        return hr;
    }
    point_ = std::move(point);
    sink_ = std::move(sink);
    cookie_ = cookie;
    return S_OK;
}

HRESULT EventConnection::ConnectDefault(IUnknown* object, EventHandler handler)
{
    IID source = IID_NULL;
    FW_RETURN_IF_FAILED(DefaultSourceInterface(object, &source));
    return Connect(object, source, std::move(handler));
}

void EventConnection::Disconnect()
{
    if (sink_)
        sink_->Clear();
    if (point_ && cookie_)
        point_->Unadvise(cookie_);
    cookie_ = 0;
    point_.Reset();
    sink_.Reset();
}

}  // namespace fw::ax
