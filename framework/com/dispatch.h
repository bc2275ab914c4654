// IDispatch of a dual interface, driven by the module's type library: the type
// information is loaded once and shared; the locale argument is ignored.
#pragma once

#include <oaidl.h>

#include "framework/com/com_ptr.h"
#include "framework/com/hresult.h"
#include "framework/com/typelib.h"

namespace fw::com {

template <typename I>
class Dispatch : public I {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return GetModuleTypeInfo(__uuidof(I), info);
    }

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        FW_RETURN_IF_FAILED(GetModuleTypeInfo(__uuidof(I), info.Put()));
        return info->GetIDsOfNames(names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        FW_RETURN_IF_FAILED(GetModuleTypeInfo(__uuidof(I), info.Put()));
        return info->Invoke(static_cast<I*>(this), id, flags, params, result, exception, argError);
    }
};

}  // namespace fw::com
