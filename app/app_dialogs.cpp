#include "app/app_dialogs.h"

#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "resources/lumsor/resource.h"

bool CClsSettingsDlg::OnInitDialog()
{
    SetChecked(IDC_SET_CONFIRM_CLEAR, values_.confirmClear != 0);
    SetChecked(IDC_SET_CONFIRM_FOLDER, values_.confirmFolder != 0);
    SetItemText(IDC_SET_CACHE_SIZE, std::to_wstring(values_.cacheSize));
    SetItemText(IDC_SET_CACHE_OUT, std::to_wstring(values_.cacheOut));
    SetChecked(IDC_SET_SUBDIR, values_.subfolders != 0);
    SetChecked(IDC_SET_USECURRENT, values_.currentFolder != 0);
    SetChecked(IDC_SET_NOMOVE, values_.keepPosition != 0);
    SetChecked(IDC_SET_NOSAVE, values_.noLayoutSaving != 0);
    return true;
}

void CClsSettingsDlg::OnOk()
{
    app::SettingsFields fields;
    fields.confirmClear = IsChecked(IDC_SET_CONFIRM_CLEAR);
    fields.confirmFolder = IsChecked(IDC_SET_CONFIRM_FOLDER);
    fields.cacheSize = ItemText(IDC_SET_CACHE_SIZE);
    fields.cacheOut = ItemText(IDC_SET_CACHE_OUT);
    fields.subfolders = IsChecked(IDC_SET_SUBDIR);
    fields.currentFolder = IsChecked(IDC_SET_USECURRENT);
    fields.keepPosition = IsChecked(IDC_SET_NOMOVE);
    fields.noLayoutSaving = IsChecked(IDC_SET_NOSAVE);
    const app::SettingsCheck check = app::ValidateSettings(fields);
    if (!check.ok) {
        fw::Ask(check.message, check.flags, reinterpret_cast<intptr_t>(Handle()));
        SetFocus(Item(check.focusControl));
        return;
    }
    values_ = check.values;
    End(IDOK);
}

bool CClsAboutDlg::OnInitDialog()
{
    // The control takes the place the template keeps for it, invisible.
    RECT place{};
    if (HWND placeholder = Item(IDC_ABOUT_CONTROL)) {
        GetWindowRect(placeholder, &place);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
        DestroyWindow(placeholder);
    }
    if (SUCCEEDED(control_.Create(Handle(), place, IDC_ABOUT_CONTROL, 0)))
        SetItemText(IDC_ABOUT_FILTER, fw::WidenAnsi(control_.FilterExtention()));
    return true;
}

bool CClsAboutDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (id != IDC_ABOUT_CONTROL_ABOUT || code != BN_CLICKED)
        return false;
    control_.About();
    return true;
}
