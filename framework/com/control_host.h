// A small ActiveX host: a child window that creates a control by class identifier,
// gives it a client site (in-place site and frame, ambient properties), loads its
// initial properties from a stream form or starts it new, activates it in place and
// keeps it sized to the host window. The control's events can go to a handler.
//
//   fw::com::ControlHost host;
//   host.Create(parent, rect, id, CLSID_Some, {.events = DIID_SomeEvents, .handler = &handler});
//   host.Dispatch()->Invoke(...);
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#include <cstdint>
#include <span>
#include <vector>

#include "framework/com/com_ptr.h"
#include "framework/win/window.h"

namespace fw::com {

// Receives the events of a hosted control (the arguments in dispatch order, last first).
class ControlEventHandler {
public:
    virtual ~ControlEventHandler() = default;
    virtual void OnControlEvent(DISPID id, const DISPPARAMS& params) = 0;
};

struct ControlHostOptions {
    // The stream form of the control's initial properties (IPersistStreamInit::Load);
    // empty: the control starts new (InitNew).
    std::vector<uint8_t> initialData;
    // The events interface to connect to and where its events go; IID_NULL: none.
    IID events = IID_NULL;
    ControlEventHandler* handler = nullptr;
};

class ControlHost : public fw::Window {
public:
    ControlHost();
    ~ControlHost() override;
    ControlHost(ControlHost&&) = delete;

    // Creates the host window as a child of `parent` and the control inside it.
    HRESULT Create(HWND parent, const RECT& rect, UINT id, REFCLSID clsid, ControlHostOptions options = {});
    // Deactivates and releases the control (also done when the window goes).
    void DestroyControl();

    IUnknown* Control() const { return control_.Get(); }
    IDispatch* Dispatch() const { return dispatch_.Get(); }
    // The control's own window, when it has one.
    HWND ControlWindow() const;

protected:
    const fw::MessageMap& Messages() const override;

private:
    class Site;
    class EventSink;

    void OnSize(UINT type, int width, int height);
    void OnDestroy();
    void OnSetFocus(HWND previous);

    ComPtr<IUnknown> control_;
    ComPtr<IDispatch> dispatch_;
    ComPtr<IOleClientSite> site_;
    ComPtr<IConnectionPoint> eventPoint_;
    DWORD eventCookie_ = 0;
};

// IDispatch::Invoke with the arguments in reading order (they are reversed for the
// call); `result` may be null.
HRESULT InvokeDispatch(IDispatch* dispatch, DISPID id, WORD flags, std::span<VARIANT> args, VARIANT* result);

}  // namespace fw::com
