// What crosses between the server's classes and their callers beyond the type
// library's declarations: the dispatch ids as it declares them (for the classes that
// serve or fire them and for programs that call them late-bound) and the message by
// which the picture cache tells a window that its picture is ready.
#pragma once

#include <oaidl.h>
#include <olectl.h>

namespace thumbctl {

// IVelmoraPictureCache.
enum CacheDispatchId : DISPID {
    kCacheLoadBitmap = 1,
    kCacheSetCacheSize = 2,
};

// IVelmoraThumbCtl.
enum ControlDispatchId : DISPID {
    kControlAbout = DISPID_ABOUTBOX,  // -552
    kControlDisplayFile = 1,
    kControlFilterExtention = 2,
    kControlPictureCache = 3,
    kControlLoadFile = 4,
    kControlAcceptDropFiles = 5,
    kControlFileName = 6,
    kControlCaption = DISPID_CAPTION,  // -518
};

// _IVelmoraThumbCtlEvents, the control's outgoing interface.
enum ControlEventId : DISPID {
    kEventRClick = 1,
    kEventRClickUp = 2,
    kEventRDbClick = 3,
    kEventDropFiles = 4,
};

// Sent by the cache's loader to the window that asked for a picture once it is
// decoded (or has failed); wParam and lParam are 0 (WM_APP + 16).
constexpr UINT kPictureReadyMessage = 0x8010;

}  // namespace thumbctl
