// Modal dialogs from resource templates. The object is bound to its window at
// WM_INITDIALOG; commands reach OnCommand, OK and Cancel end the dialog unless a
// derived class takes them. Values are exchanged with member fields in OnInitDialog
// (fields to controls) and in OnOk (controls to fields, with checks), using the item
// helpers below.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Dialog {
public:
    virtual ~Dialog() = default;
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog with template `id`; returns the code it ended with (IDOK,
    // IDCANCEL, ...) or -1 when it could not be created.
    INT_PTR RunModal(HINSTANCE instance, UINT templateId, HWND owner);

    HWND Handle() const { return hwnd_; }

protected:
    // Fields to controls; return true to let the system set the focus.
    virtual bool OnInitDialog() { return true; }
    // Controls to fields; the default ends the dialog with IDOK.
    virtual void OnOk() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Any other command; returns true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    // Any other message; returns true when handled (the result goes to DWLP_MSGRESULT).
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

    void End(INT_PTR code) { EndDialog(hwnd_, code); }

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(hwnd_, id, text.c_str()); }
    bool IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const
    {
        CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void EnableItem(int id, bool enabled) const { EnableWindow(Item(id), enabled); }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

}  // namespace fw
