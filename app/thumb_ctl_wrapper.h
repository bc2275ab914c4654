// CVelmoraThumbCtl: the one window class through which the program drives a hosted
// thumbnail control. Each operation is exactly one IDispatch::Invoke; paths cross as
// ANSI strings and are converted to and from BSTRs here.
#pragma once

#include <windows.h>

#include <string>

#include "framework/com/control_host.h"

namespace app {

// {CDE3FF5B-8BC2-4222-838E-EC953211A994}
inline constexpr CLSID kThumbCtlClsid = {
    0xCDE3FF5B, 0x8BC2, 0x4222, {0x83, 0x8E, 0xEC, 0x95, 0x32, 0x11, 0xA9, 0x94}};
// {2FD8539D-D47F-4FE8-82E4-FAC254BA7FE0}
inline constexpr IID kThumbCtlEventsIid = {
    0x2FD8539D, 0xD47F, 0x4FE8, {0x82, 0xE4, 0xFA, 0xC2, 0x54, 0xBA, 0x7F, 0xE0}};

class CVelmoraThumbCtl : public fw::com::ControlHost {
public:
    // Dispatch ids of the control's interface.
    enum : DISPID {
        kAboutId = -552,
        kDisplayFileId = 1,
        kFilterExtentionId = 2,
        kPictureCacheId = 3,
        kLoadFileId = 4,
    };

    // Creates the window and the control in it; the options give the initial property
    // data and the event handler.
    HRESULT Create(HWND parent, const RECT& rect, UINT id, fw::com::ControlHostOptions options = {})
    {
        return ControlHost::Create(parent, rect, id, kThumbCtlClsid, std::move(options));
    }

    // The version box.
    HRESULT About();
    // Shows a file from its whole picture. An empty path is passed on unchanged.
    HRESULT displayFile(const std::string& path);
    // The file-name filter of the library settings: a fresh string each call (empty
    // when the call fails).
    std::string FilterExtention();
    // Gives the control its picture cache.
    HRESULT SetIPictureCache(IUnknown* cache);
    // Loads a file ahead without showing it. An empty path is passed on unchanged.
    HRESULT loadFile(const std::string& path);

private:
    HRESULT CallWithPath(DISPID id, const std::string& path);
};

}  // namespace app
