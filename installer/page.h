// A modeless page over the installer's main window: created from its template,
// centred over the main window, bound to its object at WM_INITDIALOG. When it is done
// it tells the host, which posts the next page's command; the page window then
// destroys itself. The object outlives its window (the host owns it).
#pragma once

#include <windows.h>

#include <string>

#include "installer/install_flow.h"
#include "installer/installer_state.h"

namespace installer {

class PageHost {
public:
    virtual ~PageHost() = default;
    // The current page ended with `event`: the next command is posted.
    virtual void PageDone(PageEvent event) = 0;
};

class PageDialog {
public:
    PageDialog(InstallerState& state, PageHost& host) : state_(state), host_(host) {}
    virtual ~PageDialog();
    PageDialog(const PageDialog&) = delete;
    PageDialog& operator=(const PageDialog&) = delete;

    // Creates the page from `templateId`; false when it could not be made.
    bool Create(UINT templateId);
    HWND Handle() const { return hwnd_; }
    bool Alive() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
    // Dialog keys for the page (the message loop offers every message here first).
    bool PreTranslate(MSG& message) { return Alive() && IsDialogMessageW(hwnd_, &message); }

protected:
    virtual void OnInit() = 0;
    // A command of the page; ids 1 and 2 included.
    virtual void OnCommand(UINT id, UINT code) = 0;
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM) { return false; }

    // Ends the page: the host posts what follows, the window goes.
    void Finish(PageEvent event);

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    void SetText(int id, const std::wstring& text) const { SetDlgItemTextW(hwnd_, id, text.c_str()); }
    std::string AnsiText(int id, size_t limit) const;
    bool Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void Check(int id, bool on) const { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void Enable(int id, bool on) const { EnableWindow(Item(id), on); }
    void Show(int id, bool on) const { ShowWindow(Item(id), on ? SW_SHOW : SW_HIDE); }

    InstallerState& state_;
    PageHost& host_;
    HWND hwnd_ = nullptr;

private:
    void Center();
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
};

}  // namespace installer
