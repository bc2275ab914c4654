#include <fstream>
#include <iterator>

#include "framework/core/text.h"
#include "installer/pages.h"
#include "resources/orkvane/resource.h"

namespace installer {

namespace {

// The edit control breaks lines only at CR LF: a text with bare LF still shows its lines.
std::wstring WithCrLf(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            out += L'\r';
        out += text[i];
    }
    return out;
}

}  // namespace

void TermsPage::OnInit()
{
    const LicensePage& license = state_.script.license;
    SetWindowTextW(Handle(), fw::WidenAnsi(license.title).c_str());
    SetItemText(IDOK, fw::WidenAnsi(license.ok));
    SetItemText(IDCANCEL, fw::WidenAnsi(license.cancel));
    std::ifstream in(license.file, std::ios::binary);
    if (in) {
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        SetItemText(IDC_LICENSE_TEXT, WithCrLf(fw::WidenAnsi(text)));
    }
    ShowWindow(Handle(), SW_SHOW);
    // After the dialog has given the text its first focus, which selects all of it.
    PostMessageW(GetDlgItem(Handle(), IDC_LICENSE_TEXT), EM_SETSEL, 0, 0);
}

void TermsPage::OnPageCommand(UINT id, UINT code)
{
    // The dialog selects all of an edit's text when it gives it the focus; terms are
    // read from the top, not replaced.
    if (id == IDC_LICENSE_TEXT && code == EN_SETFOCUS)
        SendDlgItemMessageW(Handle(), IDC_LICENSE_TEXT, EM_SETSEL, 0, 0);
    else if (id == IDOK)
        Finish(PageEvent::Next);
    else if (id == IDCANCEL)
        Finish(PageEvent::Decline);
}

}  // namespace installer
