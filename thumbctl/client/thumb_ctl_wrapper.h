// CVelmoraThumbCtl: the window through which the program drives one thumbnail control.
// Each operation is exactly one IDispatch::Invoke on the control; strings cross as BSTRs
// converted from and to the ANSI code page. Calls on a window without a control, and
// calls the control refuses, return the failure and change nothing.
#pragma once

#include <span>
#include <string>

#include "framework/ax/control_host.h"

class CVelmoraThumbCtl : public fw::ax::HostWindow {
public:
    // The thumbnail control's class: {CDE3FF5B-8BC2-4222-838E-EC953211A994}.
    static const CLSID& ClassId();

    // Creates the window and the control in it; `initialData` is the control's
    // persisted property stream (as a dialog template carries it), empty for new.
    HRESULT Create(HWND parent, const RECT& rect, UINT id, DWORD style,
                   std::span<const BYTE> initialData = {});

    // The control's own version box.
    HRESULT About();
    // Shows `path` (passed on as it is, also when empty).
    HRESULT displayFile(const std::string& path);
    // The control's file-name filter: a new string for each call; empty on failure.
    std::string FilterExtention();
    // Hands the shared picture cache to the control.
    HRESULT IPictureCache(IUnknown* cache);
    // Has the control load `path` ahead without showing it.
    HRESULT loadFile(const std::string& path);
};
