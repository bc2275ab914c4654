// A page of the installer: a modeless dialog over the main window, created from its
// template and centred over the main window. When it is done it tells the host, which
// posts the next page's command; the page window then goes. The object outlives its
// window (the host owns it).
#pragma once

#include <windows.h>

#include "framework/win/dialog.h"
#include "installer/install_flow.h"
#include "installer/installer_state.h"

namespace installer {

class PageHost {
public:
    virtual ~PageHost() = default;
    // The current page ended with `event`: the next command is posted.
    virtual void PageDone(PageEvent event) = 0;
};

class PageDialog : public fw::Dialog {
public:
    PageDialog(InstallerState& state, PageHost& host) : state_(state), host_(host) {}

    // Creates the page from `templateId`; false when it could not be made.
    bool Create(UINT templateId) { return CreateModeless(state_.instance, templateId, state_.main); }

protected:
    virtual void OnInit() = 0;
    // Every command of the page, OK and Cancel included.
    virtual void OnPageCommand(UINT id, UINT code) = 0;

    // Ends the page: the host posts what follows, the window goes.
    void Finish(PageEvent event);

    InstallerState& state_;
    PageHost& host_;

private:
    bool OnInitDialog() final;
    bool OnCommand(UINT id, UINT code, HWND) final
    {
        OnPageCommand(id, code);
        return true;
    }
};

}  // namespace installer
