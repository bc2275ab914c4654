// The settings dialog (cache sizes, confirmations, folder loading, layout options)
// and the about dialog with the thumbnail control's filter.
#pragma once

#include "app/settings_form.h"
#include "thumbctl/client/thumb_ctl_wrapper.h"
#include "framework/win/dialog.h"

// CClsSettingsDlg (dialog 138): its values are read from the profile by the caller
// and, after OK, hold what the user accepted.
class CClsSettingsDlg final : public fw::Dialog {
public:
    explicit CClsSettingsDlg(const app::SettingsValues& values) : values_(values) {}
    const app::SettingsValues& Values() const { return values_; }

protected:
    bool OnInitDialog() override;
    void OnOk() override;

private:
    app::SettingsValues values_;
};

// CClsAboutDlg (dialog 100): hosts an invisible thumbnail control to show its filter
// and to open its own about box.
class CClsAboutDlg final : public fw::Dialog {
protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    CVelmoraThumbCtl control_;
};
