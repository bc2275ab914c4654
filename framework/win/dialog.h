// Dialogs from resource templates, modal or modeless. The object is bound to its window
// at WM_INITDIALOG; commands reach OnCommand, and OK and Cancel end a modal dialog
// unless a derived class takes them. Values are exchanged with member fields in
// OnInitDialog (fields to controls) and in OnOk (controls to fields, with checks),
// using the item helpers below. A modeless dialog's window goes with its object at
// the latest.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog with template `id`; returns the code it ended with (IDOK,
    // IDCANCEL, ...) or -1 when it could not be created.
    INT_PTR RunModal(HINSTANCE instance, UINT templateId, HWND owner);

    // Creates the dialog modeless; false when it could not be made.
    bool CreateModeless(HINSTANCE instance, UINT templateId, HWND owner);
    bool Alive() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
    // The dialog keys of a modeless dialog, for the message loop's filters.
    bool PreTranslate(MSG& message) { return Alive() && IsDialogMessageW(hwnd_, &message); }

    HWND Handle() const { return hwnd_; }

protected:
    // Fields to controls; return true to let the system set the focus.
    virtual bool OnInitDialog() { return true; }
    // Controls to fields; the default ends the dialog with IDOK.
    virtual void OnOk() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Any other command (and OK and Cancel first); returns true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    // Any other message; returns true when handled (the result goes to DWLP_MSGRESULT).
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

    void End(INT_PTR code) { EndDialog(hwnd_, code); }

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::wstring ItemText(int id) const;
    // The text in the ANSI code page as the control hands it over, at most `limit` bytes.
    std::string ItemAnsiText(int id, size_t limit) const;
    void SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(hwnd_, id, text.c_str()); }
    bool IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const
    {
        CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void EnableItem(int id, bool enabled) const { EnableWindow(Item(id), enabled); }
    void ShowItem(int id, bool shown) const { ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE); }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

}  // namespace fw
