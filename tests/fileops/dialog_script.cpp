#include "tests/fileops/dialog_script.h"

namespace fileops_ui_test {

namespace {

DialogScript* g_running = nullptr;

struct Search {
    const std::wstring* title;
    bool other;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM lp)
{
    auto& search = *reinterpret_cast<Search*>(lp);
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    if ((Text(window) == *search.title) != search.other) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK EndEach(HWND window, LPARAM)
{
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (std::wstring(cls) == L"#32770")
        EndDialog(window, IDCANCEL);
    return TRUE;
}

}  // namespace

DialogScript& DialogScript::Then(std::wstring title, Action action)
{
    steps_.push_back({std::move(title), false, std::move(action)});
    return *this;
}

DialogScript& DialogScript::ThenOtherThan(std::wstring other, Action action)
{
    steps_.push_back({std::move(other), true, std::move(action)});
    return *this;
}

bool DialogScript::Run(const std::function<void()>& modal, DWORD timeoutMs)
{
    next_ = 0;
    stuck_.clear();
    deadline_ = GetTickCount() + timeoutMs;
    g_running = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, &DialogScript::Tick);
    modal();
    KillTimer(nullptr, timer);
    g_running = nullptr;
    if (next_ < steps_.size() && stuck_.empty())
        stuck_ = steps_[next_].title;
    return next_ == steps_.size() && stuck_.empty();
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_running)
        g_running->OnTick();
}

void DialogScript::OnTick()
{
    if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
        if (stuck_.empty())
            stuck_ = next_ < steps_.size() ? steps_[next_].title : L"(the dialog did not end)";
        EnumThreadWindows(GetCurrentThreadId(), &EndEach, 0);
        return;
    }
    if (next_ >= steps_.size())
        return;
    Search search{&steps_[next_].title, steps_[next_].other, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return;
    const Step& step = steps_[next_++];  // before the action: a nested dialog goes on with the next
    step.action(search.found);
}

HWND Control(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

std::wstring Text(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void SetText(HWND dialog, int id, const std::wstring& text)
{
    SetDlgItemTextW(dialog, id, text.c_str());
}

void Click(HWND dialog, int id)
{
    SendMessageW(Control(dialog, id), BM_CLICK, 0, 0);
}

void PostKey(HWND window, WORD key)
{
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

bool IsShown(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window);
}

}  // namespace fileops_ui_test
