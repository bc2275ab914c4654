#include "thumbctl/client/thumb_ctl_wrapper.h"

#include "VelmoraThumbCtl.h"
#include "framework/ax/dispatch_call.h"

namespace {

// Dispatch ids of the thumbnail control's interface.
constexpr DISPID kAbout = -552;  // the standard about-box id
constexpr DISPID kDisplayFile = 1;
constexpr DISPID kFilterExtention = 2;
constexpr DISPID kPictureCache = 3;
constexpr DISPID kLoadFile = 4;

}  // namespace

const CLSID& CVelmoraThumbCtl::ClassId()
{
    return CLSID_VelmoraThumbCtl;
}

HRESULT CVelmoraThumbCtl::Create(HWND parent, const RECT& rect, UINT id, DWORD style,
                                 std::span<const BYTE> initialData)
{
    return CreateControl(parent, rect, id, style, CLSID_VelmoraThumbCtl, initialData);
}

HRESULT CVelmoraThumbCtl::About()
{
    return fw::ax::CallMethod(ControlDispatch(), kAbout);
}

HRESULT CVelmoraThumbCtl::displayFile(const std::string& path)
{
    return fw::ax::CallMethod(ControlDispatch(), kDisplayFile, path);
}

std::string CVelmoraThumbCtl::FilterExtention()
{
    std::string filter;
    fw::ax::GetStringProperty(ControlDispatch(), kFilterExtention, filter);
    return filter;
}

HRESULT CVelmoraThumbCtl::IPictureCache(IUnknown* cache)
{
    return fw::ax::PutObjectProperty(ControlDispatch(), kPictureCache, cache);
}

HRESULT CVelmoraThumbCtl::loadFile(const std::string& path)
{
    return fw::ax::CallMethod(ControlDispatch(), kLoadFile, path);
}
