// A small ActiveX container: a child window that creates one control by class id,
// gives it a client site, loads its initial properties, activates it in place inside
// itself and keeps it sized to its client area.
//
//   class ThumbHost : public fw::ax::HostWindow { ... };
//   HRESULT hr = host.CreateControl(parent, rect, 130, WS_VISIBLE, clsid);   // InitNew
//   host.ConnectEvents([this](DISPID id, const DISPPARAMS& p) { OnControlEvent(id, p); });
//   fw::ax::CallMethod(host.ControlDispatch(), 1, "C:\\a.jpg");
//
// Controls of one class share its class object while any host holds one (see
// control_host.cpp): the second and later cost less to make.
//
// The site answers IOleClientSite, IOleInPlaceSite(Ex), IOleControlSite and ambient
// properties through IDispatch; GetWindowContext hands out a minimal frame. Teardown
// (on WM_DESTROY, DestroyControl or destruction) unadvises the events, deactivates the
// control, closes it without saving, clears its site and releases it. Not movable: the
// site refers to the window object.
#pragma once

#include <ole2.h>
#include <ocidl.h>

#include <span>
#include <string>

#include "framework/ax/event_sink.h"
#include "framework/com/com_ptr.h"
#include "framework/win/window.h"

namespace fw::ax {

// What the site answers for the standard ambient properties; others are
// DISP_E_MEMBERNOTFOUND.
struct Ambients {
    bool userMode = true;                                 // DISPID_AMBIENT_USERMODE
    LCID locale = 0;                                      // DISPID_AMBIENT_LOCALEID; 0: the user's default
    std::wstring displayName;                             // DISPID_AMBIENT_DISPLAYNAME
    OLE_COLOR backColor = 0x80000000 | COLOR_WINDOW;      // DISPID_AMBIENT_BACKCOLOR
    OLE_COLOR foreColor = 0x80000000 | COLOR_WINDOWTEXT;  // DISPID_AMBIENT_FORECOLOR
};

// Answers one ambient property into `value` (cleared first); DISP_E_MEMBERNOTFOUND for
// ids that are not answered.
HRESULT AmbientProperty(const Ambients& ambients, DISPID id, VARIANT* value);

class Site;

class HostWindow : public Window {
public:
    HostWindow();
    ~HostWindow() override;
    HostWindow(HostWindow&&) = delete;
    HostWindow& operator=(HostWindow&&) = delete;

    // Creates the host window (a child of `parent` when given; WS_CHILD and
    // WS_CLIPCHILDREN are added) and the control of class `clsid` in it.
    // `initialData` is the control's persisted property stream, loaded through
    // IPersistStreamInit::Load; when empty the control gets InitNew. On failure nothing
    // is left: no window, no control.
    HRESULT CreateControl(HWND parent, const RECT& rect, UINT id, DWORD style, REFCLSID clsid,
                          std::span<const BYTE> initialData = {});

    // Ambient properties answered from now on (set them before CreateControl for the
    // control to see them at creation).
    void SetAmbients(Ambients ambients) { ambients_ = std::move(ambients); }
    const Ambients& CurrentAmbients() const { return ambients_; }

    // The control (null without one), its IDispatch and its in-place window.
    IUnknown* Control() const { return object_.Get(); }
    IDispatch* ControlDispatch() const { return dispatch_.Get(); }
    HWND ControlWindow() const;

    // Connects `handler` to the control's default outgoing dispatch interface, replacing
    // an earlier connection.
    HRESULT ConnectEvents(EventHandler handler);
    void DisconnectEvents() { events_.Disconnect(); }

    // Sizes the in-place control to the client area.
    void FitControl();

    // Tears the control down and leaves the window.
    void DestroyControl();

protected:
    const MessageMap& Messages() const override;

private:
    HRESULT Embed(REFCLSID clsid, std::span<const BYTE> initialData);
    HRESULT LoadProperties(std::span<const BYTE> initialData);
    void OnSize(UINT type, int width, int height);
    void OnDestroy();

    Ambients ambients_;
    com::ComPtr<IOleClientSite> site_;
    Site* siteObject_ = nullptr;  // the object behind site_
    com::ComPtr<IOleObject> object_;
    com::ComPtr<IOleInPlaceObject> inPlace_;
    com::ComPtr<IDispatch> dispatch_;
    EventConnection events_;
    bool siteSet_ = false;
    CLSID clsid_{};                 // the control's class
    bool classObjectHeld_ = false;  // the control counts as a user of its class object
};

}  // namespace fw::ax
