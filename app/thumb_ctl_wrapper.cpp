#include "app/thumb_ctl_wrapper.h"

#include "framework/com/com_ptr.h"
#include "framework/win/strings.h"

namespace app {

HRESULT CVelmoraThumbCtl::About()
{
    return fw::com::InvokeDispatch(Dispatch(), kAboutId, DISPATCH_METHOD, {}, nullptr);
}

HRESULT CVelmoraThumbCtl::CallWithPath(DISPID id, const std::string& path)
{
    const std::wstring wide = fw::AnsiToWide(path);
    fw::com::Bstr text =
        fw::com::Bstr::Attach(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!text.Get())
        return E_OUTOFMEMORY;
    VARIANT arg;
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = text.Get();
    return fw::com::InvokeDispatch(Dispatch(), id, DISPATCH_METHOD, {&arg, 1}, nullptr);
}

HRESULT CVelmoraThumbCtl::displayFile(const std::string& path)
{
    return CallWithPath(kDisplayFileId, path);
}

HRESULT CVelmoraThumbCtl::loadFile(const std::string& path)
{
    return CallWithPath(kLoadFileId, path);
}

std::string CVelmoraThumbCtl::FilterExtention()
{
    fw::com::Variant result;
    if (FAILED(fw::com::InvokeDispatch(Dispatch(), kFilterExtentionId, DISPATCH_PROPERTYGET, {},
                                       result.Put())) ||
        result.Type() != VT_BSTR || !V_BSTR(result.Get()))
        return {};
    const BSTR text = V_BSTR(result.Get());
    return fw::WideToAnsi(std::wstring(text, SysStringLen(text)));
}

HRESULT CVelmoraThumbCtl::SetIPictureCache(IUnknown* cache)
{
    VARIANT arg;
    V_VT(&arg) = VT_UNKNOWN;
    V_UNKNOWN(&arg) = cache;
    return fw::com::InvokeDispatch(Dispatch(), kPictureCacheId, DISPATCH_PROPERTYPUT, {&arg, 1}, nullptr);
}

}  // namespace app
