#include <fstream>
#include <iterator>

#include "installer/pages.h"
#include "resources/orkvane/resource.h"

namespace installer {

void TermsPage::OnInit()
{
    const LicensePage& license = session_.script.license;
    SetWindowTextW(hwnd_, Wide(license.title).c_str());
    SetText(IDOK, Wide(license.ok));
    SetText(IDCANCEL, Wide(license.cancel));
    std::ifstream in(license.file, std::ios::binary);
    if (in) {
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        SetText(IDC_LICENSE_TEXT, Wide(text));
    }
    ShowWindow(hwnd_, SW_SHOW);
}

void TermsPage::OnCommand(UINT id, UINT)
{
    if (id == IDOK)
        Finish(PageEvent::Next);
    else if (id == IDCANCEL)
        Finish(PageEvent::Decline);
}

}  // namespace installer
