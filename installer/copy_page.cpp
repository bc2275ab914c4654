#include <windows.h>

#include <commctrl.h>

#include "framework/com/registrar_win32.h"
#include "framework/core/text.h"
#include "framework/win/ini_profile.h"
#include "installer/machine_win32.h"
#include "installer/pages.h"
#include "installer/uninstall_run.h"
#include "resources/orkvane/resource.h"

namespace installer {

namespace {

// The install folder the uninstall entry names.
std::string InstallFolderOfEntry(const std::string& applic, const std::string& parameter)
{
    const std::wstring key = fw::WidenAnsi(UninstallKey(applic));
    wchar_t value[1024] = L"";
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"UninstallString", RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return {};
    return InstallFolderOfCommand(fw::NarrowAnsi(value), parameter);
}

}  // namespace

void CopyPage::OnInit()
{
    SendDlgItemMessageW(Handle(), IDC_RUN_LIST, LB_SETHORIZONTALEXTENT, 2000, 0);
    ShowWindow(Handle(), SW_SHOW);
}

bool CopyPage::OnMessage(UINT message, WPARAM wp, LPARAM, LRESULT&)
{
    // The work starts once the page is visible.
    if (message == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE && !started_) {
        started_ = true;
        PostMessageW(Handle(), WM_COMMAND, IDC_START_RUN, 0);
    }
    return false;
}

void CopyPage::OnPageCommand(UINT id, UINT)
{
    if (id == IDC_START_RUN) {
        if (uninstall_)
            RunUninstall();
        else
            RunInstall();
    } else if (id == IDCANCEL) {
        // "中止" ends the program at any time; "完了" goes on to the finish page.
        Finish(done_ && !uninstall_ ? PageEvent::Next : PageEvent::Decline);
    }
}

void CopyPage::RunInstall()
{
    Win32Machine machine(state_.main, [this] { state_.loop.PumpPending(); });
    fw::com::Win32Registry registry;
    InstallRun run(state_.script, state_.choices, state_.folders, machine, *this, registry);
    const InstallResult result = run.Run();
    state_.restartNeeded = result.restartNeeded;
    if (!result.success) {
        if (PageDialog::Alive())
            Finish(PageEvent::RunFailed);
        return;
    }
    done_ = true;
    SetItemText(IDCANCEL, L"完了");
}

void CopyPage::RunUninstall()
{
    fw::IniProfile script(state_.scriptPath);
    const InstallLog log = ReadInstallLog(script);
    UninstallContext context;
    context.ntFamily = state_.folders.ntFamily;
    context.runningProgram = state_.programPath;
    context.runningScript = state_.scriptPath;
    context.applic = state_.script.look.applic;
    const SystemFolders& folders = state_.folders;
    context.extraFolders = {folders.desktopUser, folders.desktopAll, folders.startupUser, folders.startupAll};
    const std::string installFolder = InstallFolderOfEntry(context.applic, state_.script.uninstall.exeParam);
    if (!installFolder.empty())
        context.extraFolders.push_back(installFolder);

    Win32Machine machine(state_.main, [this] { state_.loop.PumpPending(); });
    fw::com::Win32Registry registry;
    UninstallRun run(context, machine, *this, registry);
    const UninstallResult result = run.Run(PlanUninstall(log, context));
    if (!result.success) {
        if (PageDialog::Alive())
            Finish(PageEvent::Decline);
        return;
    }
    done_ = true;
    SetItemText(IDCANCEL, L"終了");
}

void CopyPage::AddLine(const std::wstring& line, bool select)
{
    const LRESULT index =
        SendDlgItemMessageW(Handle(), IDC_RUN_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (select && index >= 0)
        SendDlgItemMessageW(Handle(), IDC_RUN_LIST, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CopyPage::SetRange(int high)
{
    SendDlgItemMessageW(Handle(), IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, high));
}

void CopyPage::SetPosition(int position)
{
    SendDlgItemMessageW(Handle(), IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CopyPage::Pump()
{
    state_.loop.PumpPending();
}

}  // namespace installer
