// The list window's dialogs: the load condition (folder, sub-folders, name pattern,
// size bounds) with its folder browser, and the file properties text.
#pragma once

#include <string>

#include "framework/win/dialog.h"
#include "lists/load_condition.h"

// CClsCondDlg (dialog 141). It edits a copy of the condition; OK writes it back.
class CClsCondDlg final : public fw::Dialog {
public:
    explicit CClsCondDlg(lists::LoadCondition& condition) : condition_(condition) {}

protected:
    bool OnInitDialog() override;
    void OnOk() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void UpdateSizeEdits();
    void OnBrowse();

    lists::LoadCondition& condition_;
};

// The file properties dialog (142): one read-only text.
class CClsPropertiesDlg final : public fw::Dialog {
public:
    explicit CClsPropertiesDlg(std::wstring text) : text_(std::move(text)) {}

protected:
    bool OnInitDialog() override;

private:
    std::wstring text_;
};

// The shell's folder browser owned by `owner`, starting at `initial` (ANSI). False
// when cancelled or when the choice has no file-system path in the ANSI code page.
bool BrowseForFolder(HWND owner, const wchar_t* title, const std::string& initial, std::string& chosen);
