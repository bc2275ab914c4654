// The driver test's target: a frame with an edit control and a status bar that
// reports the keys it receives, asks one question and quits with a known code.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "framework/win/handles.h"
#include "framework/win/window.h"
#include "tests/driver/driver_target.h"

namespace {

using namespace driver_target;

class TargetFrame : public fw::Window {
public:
    ~TargetFrame() override { Destroy(); }

    void ShowKey(const MSG& msg)
    {
        wchar_t code[8];
        wsprintfW(code, L"%02X", static_cast<unsigned>(msg.wParam));
        std::wstring text = code;
        if (GetKeyState(VK_SHIFT) < 0)
            text += L" shift";
        if (GetKeyState(VK_CONTROL) < 0)
            text += L" ctrl";
        SetPane(1, text);
    }

protected:
    const fw::MessageMap& Messages() const override
    {
        static const fw::MessageMap map = fw::MessageMapFor<TargetFrame>()
                                              .On<WM_CREATE>(&TargetFrame::OnCreate)
                                              .On<WM_SIZE>(&TargetFrame::OnSize)
                                              .On<WM_COMMAND>(&TargetFrame::OnCommand)
                                              .On<WM_DESTROY>(&TargetFrame::OnDestroy);
        return map;
    }

private:
    bool OnCreate(const CREATESTRUCTW& cs)
    {
        edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                0, 0, Handle(), reinterpret_cast<HMENU>(kEditId), cs.hInstance, nullptr);
        status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(),
                                  reinterpret_cast<HMENU>(kStatusId), cs.hInstance, nullptr);
        int parts[] = {300, -1};
        SendMessageW(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
        wchar_t folder[MAX_PATH];
        const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
        SetPane(0, std::wstring(folder, n < MAX_PATH ? n : 0));
        return edit_ && status_;
    }

    void OnSize(UINT, int cx, int)
    {
        MoveWindow(edit_, 0, 0, cx, 24, TRUE);
        SendMessageW(status_, WM_SIZE, 0, 0);
    }

    void OnCommand(UINT id, UINT, HWND)
    {
        if (id == kAskCommand) {
            const int answer = MessageBoxW(Handle(), kQuestion, kQuestionCaption, MB_YESNO | MB_ICONQUESTION);
            SetPane(0, answer == IDYES ? L"yes" : L"no");
        } else if (id == kQuitCommand) {
            exitCode_ = kQuitExitCode;
            DestroyWindow(Handle());
        }
    }

    void OnDestroy() { PostQuitMessage(static_cast<int>(exitCode_)); }

    void SetPane(int pane, const std::wstring& text)
    {
        SendMessageW(status_, SB_SETTEXTW, pane, reinterpret_cast<LPARAM>(text.c_str()));
    }

    HWND edit_ = nullptr;
    HWND status_ = nullptr;
    DWORD exitCode_ = 0;
};

void AnswerSentMessagesFor(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_SENDMESSAGE);
        MSG sent;
        PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

std::wstring TitleWithArguments()
{
    std::wstring title = kTitle;
    int count = 0;
    if (LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            title += std::wstring(L" ") + args[i];
        LocalFree(args);
    }
    return title;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    fw::UniqueGdiObject background(CreateSolidBrush(kBackground));
    const fw::WindowClass cls(instance, kClassName, 0,
                              LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
                              static_cast<HBRUSH>(background.get()));
    TargetFrame frame;
    const std::wstring title = TitleWithArguments();
    if (!frame.Create(cls, nullptr, title.c_str(), WS_OVERLAPPEDWINDOW, 0, RECT{80, 60, 560, 420}))
        return 1;
    ShowWindow(frame.Handle(), show);
    UpdateWindow(frame.Handle());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == kSlowKey)
            AnswerSentMessagesFor(kSlowKeyMs);
        if (msg.message == WM_KEYDOWN)
            frame.ShowKey(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
