// The layout dialog (named layouts: new, delete, save, call up) and the one-line
// input dialog it asks names with.
#pragma once

#include <functional>
#include <string>

#include "app/profile_settings.h"
#include "framework/win/dialog.h"

// CClsInputDlg: one edit control; Enter confirms, Escape cancels.
class CClsInputDlg final : public fw::Dialog {
public:
    // Replaces the dialog's title when not empty.
    std::wstring title;
    std::wstring text;

protected:
    bool OnInitDialog() override;
    void OnOk() override;
};

// CClsLayoutDlg: the named layouts in a sorted list box whose item data are their ids.
class CClsLayoutDlg final : public fw::Dialog {
public:
    // Copies the layout of one profile section to another (with the wait cursor).
    using CopyLayout = std::function<void(const char* source, const char* target)>;

    CClsLayoutDlg(const app::ProfileSettings& settings, CopyLayout copy)
        : settings_(settings), copy_(std::move(copy))
    {
    }

protected:
    bool OnInitDialog() override;
    void OnOk() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnNew();
    void OnDelete();
    void OnSave();
    // The selected entry's layout id; -1 without a selection.
    int SelectedId() const;
    // NAMEnn, IDnn and COUNT from the list box's order.
    void WriteList() const;

    const app::ProfileSettings& settings_;
    CopyLayout copy_;
};
