#include "fileops/template_dialog.h"

#include "framework/core/text.h"
#include "framework/core/prompts.h"
#include "resources/lumsor/fileops_res.h"

namespace {

const wchar_t kNotInteger[] = L"整数を入力してください。";

}  // namespace

bool ParseStartNumber(const std::wstring& text, int32_t& value)
{
    const wchar_t* space = L" \t\r\n";
    const size_t first = text.find_first_not_of(space);
    if (first == std::wstring::npos)
        return false;
    const size_t last = text.find_last_not_of(space);
    size_t i = first;
    const bool negative = text[i] == L'-';
    if (text[i] == L'-' || text[i] == L'+')
        ++i;
    if (i > last)
        return false;
    int64_t magnitude = 0;
    for (; i <= last; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > int64_t{INT32_MAX} + 1)
            return false;
    }
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX)
        return false;
    value = static_cast<int32_t>(result);
    return true;
}

INT_PTR CClsTemplateDlg::Run(HWND owner)
{
    return RunModal(GetModuleHandleW(nullptr), IDD_TEMPLATE, owner);
}

bool CClsTemplateDlg::OnInitDialog()
{
    SetItemText(IDC_TEMPLATE_PATTERN, fw::WidenAnsi(pattern));
    SetItemText(IDC_TEMPLATE_START, std::to_wstring(sequence));
    return true;
}

void CClsTemplateDlg::OnOk()
{
    int32_t start = 0;
    if (!ParseStartNumber(ItemText(IDC_TEMPLATE_START), start)) {
        fw::Ask(kNotInteger, fw::kMbOk | fw::kMbIconExclamation, reinterpret_cast<intptr_t>(Handle()));
        SetFocus(Item(IDC_TEMPLATE_START));
        SendMessageW(Item(IDC_TEMPLATE_START), EM_SETSEL, 0, -1);
        return;
    }
    pattern = fw::NarrowAnsiPath(ItemText(IDC_TEMPLATE_PATTERN));
    sequence = start;
    End(IDOK);
}
