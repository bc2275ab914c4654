#include "thumbctl/client/thumb_ctl_wrapper.h"

#include "VelmoraThumbCtl.h"
#include "framework/ax/dispatch_call.h"
#include "thumbctl/server/interface.h"

using namespace thumbctl;

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
    return fw::ax::CallMethod(ControlDispatch(), kControlAbout);
}

HRESULT CVelmoraThumbCtl::displayFile(const std::string& path)
{
    return fw::ax::CallMethod(ControlDispatch(), kControlDisplayFile, path);
}

std::string CVelmoraThumbCtl::FilterExtention()
{
    std::string filter;
    fw::ax::GetStringProperty(ControlDispatch(), kControlFilterExtention, filter);
    return filter;
}

HRESULT CVelmoraThumbCtl::IPictureCache(IUnknown* cache)
{
    return fw::ax::PutObjectProperty(ControlDispatch(), kControlPictureCache, cache);
}

HRESULT CVelmoraThumbCtl::loadFile(const std::string& path)
{
    return fw::ax::CallMethod(ControlDispatch(), kControlLoadFile, path);
}
