// CClsOverwriteDlg: asked during a move or copy for a destination file that exists.
#pragma once

#include <string>

#include "fileops/move_run.h"
#include "framework/win/dialog.h"

class CClsOverwriteDlg final : public fw::Dialog {
public:
    explicit CClsOverwriteDlg(std::wstring question) : question_(std::move(question)) {}

    // Overwrite, Skip (also for Escape and the close box), OverwriteAll or SkipAll.
    fileops::OverwriteAnswer Run(HWND owner);

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    std::wstring question_;
};
