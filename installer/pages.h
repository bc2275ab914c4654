// The installer's pages: terms of use, install type, destination, copying (also the
// uninstall page) and finish. Each only shows the installer's state and writes the
// user's choices back.
#pragma once

#include <vector>

#include "installer/page.h"
#include "installer/setup_machine.h"

namespace installer {

class TermsPage final : public PageDialog {
public:
    using PageDialog::PageDialog;

private:
    void OnInit() override;
    void OnPageCommand(UINT id, UINT code) override;
};

class TypePage final : public PageDialog {
public:
    using PageDialog::PageDialog;

private:
    void OnInit() override;
    void OnPageCommand(UINT id, UINT code) override;
    void SelectPreselected();
    std::vector<ComponentItem> items_;
};

class FolderPage final : public PageDialog {
public:
    using PageDialog::PageDialog;

private:
    void OnInit() override;
    void OnPageCommand(UINT id, UINT code) override;
    void FillGroups();
    void Browse();
};

// The copying page runs the install run; in uninstall mode the same page runs the
// uninstall run.
class CopyPage final : public PageDialog, private RunView {
public:
    CopyPage(InstallerState& state, PageHost& host, bool uninstall)
        : PageDialog(state, host), uninstall_(uninstall)
    {
    }

private:
    void OnInit() override;
    void OnPageCommand(UINT id, UINT code) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void RunInstall();
    void RunUninstall();

    // RunView
    void AddLine(const std::wstring& line, bool select) override;
    void SetRange(int high) override;
    void SetPosition(int position) override;
    void Pump() override;
    bool Alive() override { return PageDialog::Alive(); }
    intptr_t Owner() override { return reinterpret_cast<intptr_t>(Handle()); }

    bool uninstall_;
    bool started_ = false;
    bool done_ = false;
};

class FinishPage final : public PageDialog {
public:
    using PageDialog::PageDialog;

private:
    void OnInit() override;
    void OnPageCommand(UINT id, UINT code) override;
};

}  // namespace installer
