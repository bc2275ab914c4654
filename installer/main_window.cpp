#include "installer/main_window.h"

#include <shellapi.h>

#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/win/string_table.h"
#include "installer/launcher_win32.h"
#include "installer/pages.h"
#include "installer/texts.h"
#include "resources/orkvane/resource.h"

namespace installer {

namespace {

constexpr UINT kFirstActivation = WM_APP + 1;

MainWindow* g_main = nullptr;  // the one main window, for the message pump

COLORREF Colour(uint32_t value)
{
    return static_cast<COLORREF>(value & 0xFFFFFF);
}

fw::UniqueGdiObject TitleFont(const std::string& face, int height, int width)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = 800;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
    return fw::UniqueGdiObject(CreateFontIndirectA(&font));
}

}  // namespace

MainWindow::~MainWindow()
{
    page_.reset();
    Destroy();
    if (g_main == this)
        g_main = nullptr;
}

bool MainWindow::Create(const fw::WindowClass& cls)
{
    g_main = this;
    if (!CreateWindowExW(0, cls.Name(), fw::WidenAnsi(state_.script.look.title).c_str(), WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                         cls.Instance(), static_cast<fw::Window*>(this)))
        return false;
    state_.main = Handle();
    return true;
}

PageDialog* MainWindow::CurrentPage()
{
    return g_main && g_main->page_ && g_main->page_->Alive() ? g_main->page_.get() : nullptr;
}

const fw::MessageMap& MainWindow::Messages() const
{
    static const fw::MessageMap map = fw::MessageMapFor<MainWindow>()
                                          .On<WM_PAINT>(&MainWindow::OnPaint)
                                          .On<WM_ERASEBKGND>(&MainWindow::OnEraseBackground)
                                          .On<WM_COMMAND>(&MainWindow::OnCommand)
                                          .On<WM_DESTROY>(&MainWindow::OnDestroy)
                                          .OnMessage(WM_ACTIVATE, &MainWindow::OnActivate)
                                          .OnMessage(WM_SYSCOMMAND, &MainWindow::OnSysCommand)
                                          .OnMessage(kFirstActivation, &MainWindow::OnFirstActivation);
    return map;
}

void MainWindow::OnPaint(HDC)
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(Handle(), &ps);
    const Look& look = state_.script.look;
    RECT client{};
    GetClientRect(Handle(), &client);
    fw::UniqueGdiObject brush(CreateSolidBrush(Colour(look.backColor)));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
    SetTextColor(dc, Colour(look.titleColor));
    SetBkColor(dc, Colour(look.backColor));
    SetBkMode(dc, OPAQUE);

    fw::UniqueGdiObject title = TitleFont(look.font, look.titleHeight, look.titleWidth);
    HGDIOBJ old = SelectObject(dc, title.get());
    const std::wstring titleText = fw::WidenAnsi(look.title);
    TextOutW(dc, 0, 0, titleText.c_str(), static_cast<int>(titleText.size()));

    fw::UniqueGdiObject sign = TitleFont(look.font, look.signHeight, look.signWidth);
    SelectObject(dc, sign.get());
    const std::wstring signText = fw::WidenAnsi(look.sign);
    SIZE extent{};
    GetTextExtentPoint32W(dc, signText.c_str(), static_cast<int>(signText.size()), &extent);
    TextOutW(dc, client.right - extent.cx, client.bottom - extent.cy, signText.c_str(),
             static_cast<int>(signText.size()));
    SelectObject(dc, old);
    EndPaint(Handle(), &ps);
}

LRESULT MainWindow::OnActivate(UINT message, WPARAM wp, LPARAM lp)
{
    if (LOWORD(wp) != WA_INACTIVE && !activated_) {
        activated_ = true;
        PostMessageW(Handle(), kFirstActivation, 0, 0);  // once activation has completed
    }
    return DefWindowProcW(Handle(), message, wp, lp);
}

LRESULT MainWindow::OnSysCommand(UINT message, WPARAM wp, LPARAM lp)
{
    if ((wp & 0xFFF0) == IDM_ABOUT) {
        fw::CurrentPrompts().Message(reinterpret_cast<intptr_t>(Handle()), fw::LoadText(IDS_ABOUT),
                                     L"Information", fw::kMbOk | fw::kMbIconInformation);
        return 0;
    }
    return DefWindowProcW(Handle(), message, wp, lp);
}

LRESULT MainWindow::OnFirstActivation(UINT, WPARAM, LPARAM)
{
    AppendMenuW(GetSystemMenu(Handle(), FALSE), MF_STRING, IDM_ABOUT, L"OrkVaneについて(&A)");
    if (!state_.newShell &&
        fw::CurrentPrompts().Message(reinterpret_cast<intptr_t>(Handle()), fw::LoadText(IDS_OLD_SHELL),
                                     L"Warning!", fw::kMbYesNo | fw::kMbIconInformation) != fw::kIdYes) {
        DestroyWindow(Handle());
        return 0;
    }
    if (state_.script.uninstallSetup) {
        const int answer = fw::CurrentPrompts().Message(
            reinterpret_cast<intptr_t>(Handle()), text::kConfirmUninstall, text::kConfirmUninstallCaption,
            fw::kMbYesNo | fw::kMbIconQuestion | fw::kMbDefButton2);
        if (answer != fw::kIdYes) {
            DestroyWindow(Handle());
            return 0;
        }
        page_ = std::make_unique<CopyPage>(state_, *this, true);
        if (!page_->Create(IDD_COPY))
            DestroyWindow(Handle());
        return 0;
    }
    const Page first = state_.flow.Start();
    PostMessageW(Handle(), WM_COMMAND, static_cast<WPARAM>(PageCommand(first)), 0);
    return 0;
}

void MainWindow::OnCommand(UINT id, UINT, HWND)
{
    switch (id) {
        case IDC_OPEN_LICENSE:
        case IDC_OPEN_TYPE:
        case IDC_OPEN_FOLDER:
        case IDC_OPEN_COPY:
        case IDC_OPEN_FINISH:
            OpenPage(id);
            break;
        case IDC_FINISH_ACTIONS:
            FinishActions();
            break;
        default:
            break;
    }
}

void MainWindow::OpenPage(UINT command)
{
    page_.reset();
    switch (command) {
        case IDC_OPEN_LICENSE:
            page_ = std::make_unique<TermsPage>(state_, *this);
            break;
        case IDC_OPEN_TYPE:
            page_ = std::make_unique<TypePage>(state_, *this);
            break;
        case IDC_OPEN_FOLDER:
            page_ = std::make_unique<FolderPage>(state_, *this);
            break;
        case IDC_OPEN_COPY:
            page_ = std::make_unique<CopyPage>(state_, *this, false);
            break;
        case IDC_OPEN_FINISH:
            if (!state_.flow.Shown(Page::Finish)) {
                // Without the finish page a box ends the installation.
                const std::wstring title = fw::WidenAnsi(state_.script.look.title);
                const intptr_t owner = reinterpret_cast<intptr_t>(Handle());
                if (FinishOffPrompt(state_.restartNeeded) == FinishPrompt::RestartQuestion) {
                    if (fw::CurrentPrompts().Message(owner, text::kRestartQuestion, title,
                                                     fw::kMbYesNo | fw::kMbIconInformation) != fw::kIdYes)
                        state_.restartNeeded = false;
                } else {
                    fw::CurrentPrompts().Message(owner, text::kInstallDone, title,
                                                 fw::kMbOk | fw::kMbIconInformation);
                }
                state_.openFirst = state_.script.finish.first.offer != FinishOffer::Hidden;
                state_.openSecond = state_.script.finish.second.offer != FinishOffer::Hidden;
                PageDone(PageEvent::Next);
                return;
            }
            page_ = std::make_unique<FinishPage>(state_, *this);
            break;
        default:
            return;
    }
    const UINT templates[] = {IDD_LICENSE, IDD_FOLDER, IDD_FINISH, IDD_TYPE, IDD_COPY};
    if (!page_->Create(templates[command - IDC_OPEN_LICENSE]))
        DestroyWindow(Handle());
}

void MainWindow::PageDone(PageEvent event)
{
    const Page next = state_.flow.Handle(event);
    if (next == Page::End)
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
    else
        PostMessageW(Handle(), WM_COMMAND, static_cast<WPARAM>(PageCommand(next)), 0);
}

void MainWindow::FinishActions()
{
    const FinishPlan plan = PlanFinish(state_.script.finish, state_.openFirst, state_.openSecond,
                                       state_.restartNeeded, state_.choices.installFolder);
    SetCurrentDirectoryA(plan.currentFolder.c_str());
    for (const FinishAction& action : plan.open)
        OpenAsDesktopUser(Handle(), action.file, action.parameters);
    if (plan.restart)
        ExitWindowsEx(EWX_REBOOT, 0);
    DestroyWindow(Handle());
}

void MainWindow::OnDestroy()
{
    PostQuitMessage(0);
}

}  // namespace installer
