// The installer's main window: the painted title and signature, the first
// activation (about item, shell check, install or uninstall), and the commands that
// open the pages one after the other.
#pragma once

#include <memory>

#include "framework/win/handles.h"
#include "framework/win/window.h"
#include "installer/page.h"
#include "installer/installer_state.h"

namespace installer {

class MainWindow final : public fw::Window, public PageHost {
public:
    explicit MainWindow(InstallerState& state) : state_(state) {}
    ~MainWindow() override;

    bool Create(const fw::WindowClass& cls);
    // The page that sees every message first.
    static PageDialog* CurrentPage();

protected:
    const fw::MessageMap& Messages() const override;

private:
    void OnPaint(HDC given);
    bool OnEraseBackground(HDC) { return true; }
    void OnCommand(UINT id, UINT code, HWND control);
    LRESULT OnActivate(UINT message, WPARAM wp, LPARAM lp);
    LRESULT OnSysCommand(UINT message, WPARAM wp, LPARAM lp);
    void OnDestroy();

    LRESULT OnFirstActivation(UINT message, WPARAM wp, LPARAM lp);
    void OpenPage(UINT command);
    void FinishActions();
    void PageDone(PageEvent event) override;

    InstallerState& state_;
    std::unique_ptr<PageDialog> page_;
    bool activated_ = false;
};

}  // namespace installer
