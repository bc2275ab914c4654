// The move command's dialogs, run modally and driven from their own message loops.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "fileops/move_dialog.h"
#include "fileops/move_list_command.h"
#include "fileops/overwrite_dialog.h"
#include "fileops/preview_dialog.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "resources/lumsor/fileops_res.h"
#include "tests/support/driver.h"
#include "tests/support/stub_control.h"
#include "tests/support/test_files.h"

namespace {

using fileops::Action;
using fileops::PreviewChoice;
using testing_support::WindowText;

const wchar_t kMoveTitle[] = L"フォルダへ移動";
const wchar_t kPreviewTitle[] = L"フォルダを指定してコピー・移動";
const wchar_t kOverwriteTitle[] = L"上書き確認";
const wchar_t kTemplateTitle[] = L"テンプレートによるファイル名の一括変更";

// A step of a script: once an enabled dialog of this thread captioned `title` is up,
// `action` runs with it.
struct Step {
    const wchar_t* title;
    std::function<void(HWND dialog)> action;
};
std::vector<Step> g_steps;
size_t g_next = 0;
DWORD g_deadline = 0;
bool g_late = false;

BOOL CALLBACK FindStepDialog(HWND window, LPARAM found)
{
    if (testing_support::ClassOf(window) != L"#32770" || !IsWindowVisible(window) ||
        !IsWindowEnabled(window) || WindowText(window) != g_steps[g_next].title)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM)
{
    if (testing_support::ClassOf(window) == L"#32770")
        EndDialog(window, IDCANCEL);
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (static_cast<LONG>(GetTickCount() - g_deadline) > 0) {
        g_late = true;
        EnumThreadWindows(GetCurrentThreadId(), &CancelDialog, 0);
    } else if (g_next < g_steps.size()) {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &FindStepDialog, reinterpret_cast<LPARAM>(&found));
        if (found)
            g_steps[g_next++].action(found);  // counted first: a nested dialog's loop goes on with the next
    }
}

// Runs `modal`, which shows the first dialog, while a thread timer runs the steps in
// order. Bounded: at the deadline every dialog of the thread is cancelled.
::testing::AssertionResult RunScript(std::vector<Step> steps, const std::function<void()>& modal)
{
    g_steps = std::move(steps);
    g_next = 0;
    g_late = false;
    g_deadline = GetTickCount() + 8000;
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, &Tick);
    modal();
    KillTimer(nullptr, timer);
    if (!g_late && g_next == g_steps.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "stuck before step " << g_next << (g_late ? " at the deadline" : "");
}

void Click(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
std::wstring Text(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}
void Key(HWND window, WORD key)
{
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}
std::wstring ItemText(HWND list, int item, int column)
{
    wchar_t buffer[512] = {};
    LVITEMW lvi{};
    lvi.iSubItem = column;
    lvi.pszText = buffer;
    lvi.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi));
    return buffer;
}
std::vector<int> Selected(HWND list)
{
    std::vector<int> items;
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        if (ListView_GetItemState(list, i, LVIS_SELECTED))
            items.push_back(i);
    return items;
}
void Select(HWND list, std::initializer_list<int> items)
{
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int item : items)
        ListView_SetItemState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
// Message boxes (recorded, answered with OK) and save dialogs (answered from `files`, "" cancels).
struct TestPrompts final : fw::Prompts {
    fw::Prompts* previous = fw::SetPrompts(this);
    ~TestPrompts() override { fw::SetPrompts(previous); }
    int Message(intptr_t, const std::wstring& text, const std::wstring&, unsigned) override
    {
        texts.push_back(text);
        return fw::kIdOk;
    }
    bool ChooseFile(intptr_t, const fw::FileChoice& choice, std::string& path) override
    {
        path = files.at(choices.size());
        choices.push_back(choice);
        return !path.empty();
    }
    std::vector<std::wstring> texts;
    std::vector<std::string> files;
    std::vector<fw::FileChoice> choices;
};

// Sources a, b and c; the folder holds b (a conflict) and z (a row of its own).
class DialogTest : public ::testing::Test {
protected:
    DialogTest()
    {
        host_test::ResetStub();
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            sources.push_back(files.AddFile(std::string("src\\") + name, name));
        files.AddFile("dst\\b.jpg", "old b");
        files.AddFile("dst\\z.jpg", "old z");
    }
    ~DialogTest() override { host_test::ResetStub(); }
    std::wstring Path(const std::string& relative) const { return fw::WidenAnsi(files.Path(relative)); }

    struct Ole {
        Ole() { OleInitialize(nullptr); }
        ~Ole() { OleUninitialize(); }
    } ole;
    TestPrompts prompts;
    testing_support::TestFiles files;
    host_test::StubRegistration stub{CVelmoraThumbCtl::ClassId()};
    std::vector<std::string> sources;
};

// The whole command as the list window calls it: the move dialog and its checks, the
// preview with its edits, checks and the template dialog, the overwrite question, the
// run and the list following it; then text output with its save dialog.
TEST_F(DialogTest, TheListCommandRunsItsDialogsAndTheListFollows)
{
    lists::ListModel list(0, files.Fs());
    fileops::MoveWindowState state;
    std::string shared;
    const auto command = [&] {
        return fileops::RunMoveListCommand(nullptr, list, state, shared, files.Fs());
    };
    EXPECT_FALSE(command());  // an empty list: no dialog
    list.SetFilter("*.jpg");
    for (const std::string& source : sources)
        list.Insert(source);
    shared = files.Path("dst");
    const auto move = [&](HWND d) {
        EXPECT_EQ(fw::WidenAnsi(shared), Text(d, IDC_MOVE_FOLDER));
        EXPECT_TRUE(IsDlgButtonChecked(d, IDC_MOVE_ACTION_MOVE) && IsDlgButtonChecked(d, IDC_MOVE_DETAILS));
        for (int radio :
             {IDC_MOVE_ACTION_TEXT, IDC_MOVE_ACTION_DELETE, IDC_MOVE_ACTION_COPY, IDC_MOVE_ACTION_MOVE}) {
            Click(d, radio);  // the folder is for move and copy only
            const bool toFolder = radio == IDC_MOVE_ACTION_MOVE || radio == IDC_MOVE_ACTION_COPY;
            for (int id :
                 {IDC_MOVE_FOLDER, IDC_MOVE_BROWSE, IDC_MOVE_TEMPLATE, IDC_MOVE_DETAILS, IDC_MOVE_RENAME})
                EXPECT_EQ(toFolder || id == IDC_MOVE_RENAME, IsWindowEnabled(GetDlgItem(d, id)) != FALSE)
                    << id;
        }
        SetDlgItemTextW(d, IDC_MOVE_FOLDER, L" ");
        Click(d, IDOK);  // no folder: a warning, and the dialog stays
        EXPECT_EQ(1u, prompts.texts.size());
        SetDlgItemTextW(d, IDC_MOVE_FOLDER, (L" " + Path("dst") + L" ").c_str());
        Click(d, IDOK);
    };
    const auto preview = [&](HWND d) {
        HWND list = GetDlgItem(d, IDC_PREVIEW_LIST);
        const wchar_t* const rows[] = {L"a.jpg", L"", L"src\\a.jpg", L"b.jpg", L"b.jpg", L"src\\b.jpg",
                                       L"c.jpg", L"", L"src\\c.jpg", L"",      L"z.jpg", L"<NONE>"};
        ASSERT_EQ(4, ListView_GetItemCount(list));
        for (int i = 0; i < 12; ++i)  // the sources in full
            EXPECT_EQ((i % 3 == 2 && i < 9 ? Path("") : L"") + rows[i], ItemText(list, i / 3, i % 3)) << i;
        EXPECT_TRUE(Selected(list).empty());
        host_test::Stub().invokes.clear();
        Select(list, {1});  // the focused row's files in the thumbnails
        std::vector<std::wstring> shown;
        for (const host_test::InvokeRecord& call : host_test::Stub().invokes)
            if (call.id == 1 && !call.texts.empty())
                shown.push_back(call.texts[0]);
        EXPECT_EQ((std::vector<std::wstring>{Path("src\\b.jpg"), Path("dst\\b.jpg")}), shown);
        Select(list, {0});
        Key(list, VK_DELETE);  // excluded
        EXPECT_EQ(L"", ItemText(list, 0, 0));
        Select(list, {2});
        for (const wchar_t* name : {L"x:y", L"b.jpg"}) {
            Key(list, VK_F2);
            ASSERT_NE(nullptr, ListView_GetEditControl(list));
            SetWindowTextW(ListView_GetEditControl(list), name);
            Key(ListView_GetEditControl(list), VK_RETURN);
        }
        EXPECT_EQ(2u, prompts.texts.size());  // x:y refused
        Click(d, IDC_PREVIEW_CHECK);          // rows 1 and 2 both go to b.jpg
        EXPECT_EQ((std::vector<int>{1, 2}), Selected(list));
        Click(d, IDC_PREVIEW_MOVE);  // an invalid plan cannot end
        EXPECT_EQ(4u, prompts.texts.size());
        Select(list, {0, 2, 3});
        Click(d, IDC_PREVIEW_BATCH);               // the template dialog's steps run in here
        EXPECT_EQ(L"c_5.", ItemText(list, 0, 0));  // the excluded row's empty name expanded
        EXPECT_EQ(L"c_6.jpg", ItemText(list, 2, 0));
        EXPECT_EQ(L"", ItemText(list, 3, 0));
        Click(d, IDC_PREVIEW_MOVE);
    };
    const auto batch = [&](HWND t) {
        EXPECT_EQ(L"%f.%e", Text(t, IDC_TEMPLATE_PATTERN));
        EXPECT_EQ(L"0", Text(t, IDC_TEMPLATE_START));
        SetDlgItemTextW(t, IDC_TEMPLATE_START, L"x");
        Click(t, IDOK);
        EXPECT_EQ(L"整数を入力してください。", prompts.texts.back());
        SetDlgItemTextW(t, IDC_TEMPLATE_PATTERN, L"c_%c.%e");
        SetDlgItemTextW(t, IDC_TEMPLATE_START, L" 5 ");
        Click(t, IDOK);
    };
    const auto overwrite = [&](HWND o) {
        EXPECT_EQ(fileops::OverwriteQuestion(sources[1], files.Path("dst\\b.jpg")),
                  Text(o, IDC_OVERWRITE_TEXT));
        Click(o, IDC_OVERWRITE_ALL);
    };
    ASSERT_TRUE(RunScript(
        {{kMoveTitle, move}, {kPreviewTitle, preview}, {kTemplateTitle, batch}, {kOverwriteTitle, overwrite}},
        [&] { EXPECT_TRUE(command()); }));
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ("a.jpg", files.Read("dst\\c_5"));
    EXPECT_EQ("b.jpg", files.Read("dst\\b.jpg"));
    EXPECT_EQ("c.jpg", files.Read("dst\\c_6.jpg"));
    EXPECT_EQ(files.Path("dst\\"), shared);

    list.Insert(files.Path("dst\\b.jpg"));
    list.Insert(files.Path("src\\gone.jpg"));
    prompts.files = {"", files.Path("list.txt")};
    const auto text = [&](HWND d) {
        Click(d, IDC_MOVE_ACTION_TEXT);
        Click(d, IDOK);  // the save dialog was cancelled: the dialog stays
        Click(d, IDOK);
    };
    ASSERT_TRUE(RunScript({{kMoveTitle, text}}, [&] { EXPECT_TRUE(command()); }));
    ASSERT_EQ(2u, prompts.choices.size());
    EXPECT_TRUE(prompts.choices[0].save);
    EXPECT_EQ(L"TXT", prompts.choices[0].defaultExtension);
    EXPECT_EQ(L"テキストファイル(*.TXT)|*.txt|すべて(*.*)|*.*||", prompts.choices[0].filter);
    EXPECT_EQ(files.Path("dst\\b.jpg") + "\r\n", files.Read("list.txt"));
    EXPECT_EQ(1, list.GetCount());
}

}  // namespace
