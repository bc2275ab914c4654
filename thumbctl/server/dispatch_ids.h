// The dispatch ids of the server's interfaces, as its type library declares them, for
// the classes that fire or serve them and for the programs that call them late-bound.
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

}  // namespace thumbctl
