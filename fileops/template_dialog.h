// CClsTemplateDlg: the template and start number of the preview's batch rename. One
// object serves one preview, so both carry over from one batch rename to the next.
#pragma once

#include <cstdint>
#include <string>

#include "framework/win/dialog.h"

class CClsTemplateDlg final : public fw::Dialog {
public:
    std::string pattern = "%f.%e";  // ANSI, as the rename template works on bytes
    int32_t sequence = 0;           // the number the next renamed row gets

    // IDOK for "実行", IDCANCEL otherwise.
    INT_PTR Run(HWND owner);

protected:
    bool OnInitDialog() override;
    void OnOk() override;
};

// A signed decimal integer with optional white space around it, as the start number
// field takes it. False for anything else and for values outside 32 bits.
bool ParseStartNumber(const std::wstring& text, int32_t& value);
