#include "framework/ax/dispatch_call.h"

#include <algorithm>
#include <vector>

#include "framework/com/com_ptr.h"
#include "framework/core/text.h"

namespace fw::ax {
namespace {

// Frees what a callee may have put into the exception record.
class ExceptionRecord {
public:
    ExceptionRecord() = default;
    ExceptionRecord(const ExceptionRecord&) = delete;
    ExceptionRecord& operator=(const ExceptionRecord&) = delete;
    ~ExceptionRecord()
    {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    EXCEPINFO* Get() { return &info_; }

private:
    EXCEPINFO info_{};
};

}  // namespace

HRESULT Invoke(IDispatch* target, DISPID id, WORD flags, std::span<VARIANT> args, VARIANT* result,
               LCID locale)
{
    if (!target)
        return E_POINTER;
    // Invoke takes the arguments last to first; these are shallow copies the callee
    // only reads.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    ExceptionRecord exception;
    UINT argError = 0;
    return target->Invoke(id, IID_NULL, locale, flags, &params, result, exception.Get(), &argError);
}

HRESULT CallMethod(IDispatch* target, DISPID id, std::span<VARIANT> args, VARIANT* result, LCID locale)
{
    return Invoke(target, id, DISPATCH_METHOD, args, result, locale);
}

HRESULT CallMethod(IDispatch* target, DISPID id, const std::string& ansiArgument)
{
    if (!target)
        return E_POINTER;
    const std::wstring wide = WidenAnsi(ansiArgument);
    com::Bstr text = com::Bstr::Attach(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!text.Get())
        return E_OUTOFMEMORY;
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = text.Get();
    return CallMethod(target, id, std::span<VARIANT>(&arg, 1));
}

HRESULT GetProperty(IDispatch* target, DISPID id, VARIANT* result, LCID locale)
{
    return Invoke(target, id, DISPATCH_PROPERTYGET, {}, result, locale);
}

HRESULT GetStringProperty(IDispatch* target, DISPID id, std::string& value)
{
    com::Variant result;
    HRESULT hr = GetProperty(target, id, result.Get());
    if (FAILED(hr))
        return hr;
    if (result.Type() != VT_BSTR) {
        hr = VariantChangeType(result.Get(), result.Get(), 0, VT_BSTR);
        if (FAILED(hr))
            return hr;
    }
    const BSTR text = V_BSTR(result.Get());
    value = NarrowAnsi(std::wstring(text ? text : L"", SysStringLen(text)));
    return S_OK;
}

HRESULT PutProperty(IDispatch* target, DISPID id, const VARIANT& value)
{
    VARIANT arg = value;
    return Invoke(target, id, DISPATCH_PROPERTYPUT, std::span<VARIANT>(&arg, 1), nullptr);
}

HRESULT PutObjectProperty(IDispatch* target, DISPID id, IUnknown* object)
{
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_UNKNOWN;
    V_UNKNOWN(&arg) = object;
    return PutProperty(target, id, arg);
}

}  // namespace fw::ax
