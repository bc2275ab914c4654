#include "fileops/overwrite_dialog.h"

#include "resources/lumsor/fileops_res.h"

using fileops::OverwriteAnswer;

OverwriteAnswer CClsOverwriteDlg::Run(HWND owner)
{
    switch (RunModal(GetModuleHandleW(nullptr), IDD_OVERWRITE, owner)) {
        case IDOK:
            return OverwriteAnswer::Overwrite;
        case IDC_OVERWRITE_ALL:
            return OverwriteAnswer::OverwriteAll;
        case IDC_OVERWRITE_SKIP_ALL:
            return OverwriteAnswer::SkipAll;
        default:
            return OverwriteAnswer::Skip;
    }
}

bool CClsOverwriteDlg::OnInitDialog()
{
    SetItemText(IDC_OVERWRITE_TEXT, question_);
    return true;
}

bool CClsOverwriteDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED || (id != IDC_OVERWRITE_ALL && id != IDC_OVERWRITE_SKIP_ALL))
        return false;
    End(id);
    return true;
}
