// The move command's dialogs, run modally and driven from their own message loops.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <deque>

#include "fileops/move_dialog.h"
#include "fileops/move_list_command.h"
#include "fileops/overwrite_dialog.h"
#include "fileops/preview_dialog.h"
#include "framework/core/text.h"
#include "framework/core/prompts.h"
#include "resources/lumsor/fileops_res.h"
#include "tests/fileops/dialog_script.h"
#include "tests/support/stub_control.h"
#include "tests/support/driver.h"
#include "tests/support/test_files.h"

namespace {

using fileops::Action;
using fileops::PreviewChoice;
using fileops_ui_test::Click;
using fileops_ui_test::Control;
using fileops_ui_test::DialogScript;
using fileops_ui_test::IsShown;
using fileops_ui_test::SetText;
using fileops_ui_test::Text;

const wchar_t kMoveTitle[] = L"フォルダへ移動";
const wchar_t kPreviewTitle[] = L"フォルダを指定してコピー・移動";
const wchar_t kOverwriteTitle[] = L"上書き確認";
const wchar_t kTemplateTitle[] = L"テンプレートによるファイル名の一括変更";

// Message boxes and file dialogs of the run: texts recorded, answers from queues.
class TestPrompts final : public fw::Prompts {
public:
    TestPrompts() : previous_(fw::SetPrompts(this)) {}
    ~TestPrompts() override { fw::SetPrompts(previous_); }

    int Message(intptr_t, const std::wstring& text, const std::wstring&, unsigned) override
    {
        texts.push_back(text);
        if (answers.empty())
            return fw::kIdOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool ChooseFile(intptr_t, const fw::FileChoice& choice, std::string& path) override
    {
        choices.push_back(choice);
        if (files.empty())
            return false;
        path = files.front();
        files.pop_front();
        return !path.empty();
    }

    std::vector<std::wstring> texts;
    std::deque<int> answers;
    std::deque<std::string> files;  // "" cancels
    std::vector<fw::FileChoice> choices;

private:
    fw::Prompts* previous_;
};

class OleScope {
public:
    OleScope() { OleInitialize(nullptr); }
    ~OleScope() { OleUninitialize(); }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
};

RECT ScreenRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
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

void SendKey(HWND window, WORD key)
{
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001u);
}

// The file names the thumbnail controls were asked to show, in order.
std::vector<std::wstring> Displayed()
{
    std::vector<std::wstring> shown;
    for (const host_test::InvokeRecord& call : host_test::Stub().invokes)
        if (call.id == 1 && !call.texts.empty())
            shown.push_back(call.texts[0]);
    return shown;
}

class DialogTest : public ::testing::Test {
protected:
    std::wstring Path(const std::string& relative) const { return fw::WidenAnsi(files.Path(relative)); }

    OleScope ole;
    TestPrompts prompts;
    testing_support::TestFiles files;
    DialogScript script;
};

using MoveDialogTest = DialogTest;

TEST_F(MoveDialogTest, ShowsTheSettingsFitsItsHeightToRenameAndEnablesTheFolderForMoveAndCopy)
{
    fileops::MoveSettings settings;
    settings.folder = "C:\\x";
    settings.action = Action::Copy;
    settings.reload = true;
    settings.details = false;
    CClsMoveDlg dialog(settings, files.Fs());
    script.Then(kMoveTitle, [&](HWND d) {
        EXPECT_EQ(L"C:\\x", Text(Control(d, IDC_MOVE_FOLDER)));
        EXPECT_EQ(L"%f.%e", Text(Control(d, IDC_MOVE_TEMPLATE)));
        EXPECT_TRUE(IsDlgButtonChecked(d, IDC_MOVE_ACTION_COPY));
        EXPECT_FALSE(IsDlgButtonChecked(d, IDC_MOVE_DETAILS));
        EXPECT_TRUE(IsDlgButtonChecked(d, IDC_MOVE_RELOAD));

        RECT client{};
        GetClientRect(d, &client);
        const int margin = (ScreenRect(d).right - ScreenRect(d).left) - client.right;
        const RECT group = ScreenRect(Control(d, IDC_MOVE_TEMPLATE_GROUP));
        const LONG width = ScreenRect(d).right - ScreenRect(d).left;
        EXPECT_EQ(group.top, ScreenRect(d).bottom);
        Click(d, IDC_MOVE_RENAME);
        EXPECT_EQ(group.bottom + margin, ScreenRect(d).bottom);
        EXPECT_EQ(width, ScreenRect(d).right - ScreenRect(d).left);
        Click(d, IDC_MOVE_RENAME);
        EXPECT_EQ(group.top, ScreenRect(d).bottom);

        const int folderControls[] = {IDC_MOVE_FOLDER, IDC_MOVE_BROWSE, IDC_MOVE_TEMPLATE_GROUP,
                                      IDC_MOVE_TEMPLATE, IDC_MOVE_DETAILS};
        for (int radio :
             {IDC_MOVE_ACTION_TEXT, IDC_MOVE_ACTION_DELETE, IDC_MOVE_ACTION_MOVE, IDC_MOVE_ACTION_COPY}) {
            Click(d, radio);
            const bool toFolder = radio == IDC_MOVE_ACTION_MOVE || radio == IDC_MOVE_ACTION_COPY;
            for (int id : folderControls)
                EXPECT_EQ(toFolder, IsWindowEnabled(Control(d, id)) != FALSE) << radio << " " << id;
            EXPECT_TRUE(IsWindowEnabled(Control(d, IDC_MOVE_RENAME)));
            EXPECT_TRUE(IsWindowEnabled(Control(d, IDC_MOVE_RELOAD)));
        }
        Click(d, IDC_MOVE_ACTION_DELETE);
        Click(d, IDCANCEL);
    });
    INT_PTR result = 0;
    ASSERT_TRUE(script.Run([&] { result = dialog.Run(nullptr); })) << fw::Utf8FromWide(script.Stuck());
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(Action::Copy, settings.action);  // Cancel takes nothing
}

TEST_F(MoveDialogTest, OkClosesOnlyWhenTheChosenActionsChecksPass)
{
    fileops::MoveSettings settings;
    CClsMoveDlg dialog(settings, files.Fs());
    const std::wstring root = fw::WidenAnsi(files.Root());
    script.Then(kMoveTitle, [&](HWND d) {
        Click(d, IDOK);
        ASSERT_EQ(1u, prompts.texts.size());
        EXPECT_EQ(L"フォルダを指定してください", prompts.texts.back());
        EXPECT_TRUE(IsShown(d));

        SetText(d, IDC_MOVE_FOLDER, L"  " + root + L" ");
        Click(d, IDC_MOVE_RENAME);
        SetText(d, IDC_MOVE_TEMPLATE, L" ");
        Click(d, IDOK);
        ASSERT_EQ(2u, prompts.texts.size());
        EXPECT_EQ(L"変名用テンプレートが空欄です", prompts.texts.back());
        EXPECT_TRUE(IsShown(d));

        SetText(d, IDC_MOVE_TEMPLATE, L"%c.%e");
        Click(d, IDC_MOVE_DETAILS);
        Click(d, IDC_MOVE_RELOAD);
        Click(d, IDOK);
    });
    ASSERT_TRUE(script.Run([&] { EXPECT_EQ(IDOK, dialog.Run(nullptr)); }))
        << fw::Utf8FromWide(script.Stuck());
    EXPECT_EQ(Action::Move, settings.action);
    EXPECT_EQ(files.Root(), settings.folder);
    EXPECT_TRUE(settings.rename);
    EXPECT_EQ("%c.%e", settings.pattern);
    EXPECT_FALSE(settings.details);
    EXPECT_TRUE(settings.reload);

    // Text output: a cancelled save dialog keeps the dialog open.
    prompts.files = {"", "C:\\out.txt"};
    DialogScript text;
    text.Then(kMoveTitle, [&](HWND d) {
        Click(d, IDC_MOVE_ACTION_TEXT);
        Click(d, IDOK);
        EXPECT_TRUE(IsShown(d));
        Click(d, IDOK);
    });
    ASSERT_TRUE(text.Run([&] { EXPECT_EQ(IDOK, dialog.Run(nullptr)); })) << fw::Utf8FromWide(text.Stuck());
    ASSERT_EQ(2u, prompts.choices.size());
    EXPECT_TRUE(prompts.choices[0].save);
    EXPECT_EQ(L"TXT", prompts.choices[0].defaultExtension);
    EXPECT_EQ(L"テキストファイル(*.TXT)|*.txt|すべて(*.*)|*.*||", prompts.choices[0].filter);
    EXPECT_EQ(Action::TextOutput, settings.action);
    EXPECT_EQ("C:\\out.txt", settings.textPath);

    // Delete closes at once, even with an empty folder.
    DialogScript remove;
    remove.Then(kMoveTitle, [&](HWND d) {
        SetText(d, IDC_MOVE_FOLDER, L"");
        Click(d, IDC_MOVE_ACTION_DELETE);
        Click(d, IDOK);
    });
    ASSERT_TRUE(remove.Run([&] { EXPECT_EQ(IDOK, dialog.Run(nullptr)); }))
        << fw::Utf8FromWide(remove.Stuck());
    EXPECT_EQ(Action::Delete, settings.action);
    EXPECT_EQ(2u, prompts.texts.size());
}

// Disabled: under Wine 8 the browser leaves the preselection undone in about one run of
// four (its tree never selects the folder), which would make the suite flaky.
TEST_F(MoveDialogTest, DISABLED_TheFolderBrowserStartsAtTheFolderAndItsChoiceIsShown)
{
    fileops::MoveSettings settings;
    settings.folder = files.AddFolder("start");
    CClsMoveDlg dialog(settings, files.Fs());
    std::wstring shown;
    script.Then(kMoveTitle, [&](HWND d) { Click(d, IDC_MOVE_BROWSE); })
        .ThenOtherThan(kMoveTitle,
                       [&](HWND browser) {
                           // The browser selects the folder once it has filled its tree.
                           HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
                           EXPECT_TRUE(testing_support::WaitUntil([&] {
                               wchar_t name[MAX_PATH] = {};
                               TVITEMW item{};
                               item.mask = TVIF_TEXT;
                               item.hItem = TreeView_GetSelection(tree);
                               item.pszText = name;
                               item.cchTextMax = MAX_PATH;
                               return item.hItem &&
                                      SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) &&
                                      std::wstring(name) == L"start";
                           }));
                           Click(browser, IDOK);
                       })
        .Then(kMoveTitle, [&](HWND d) {
            shown = Text(Control(d, IDC_MOVE_FOLDER));
            Click(d, IDCANCEL);
        });
    ASSERT_TRUE(script.Run([&] { dialog.Run(nullptr); })) << fw::Utf8FromWide(script.Stuck());
    EXPECT_EQ(0, lstrcmpiW(Path("start").c_str(), shown.c_str())) << fw::Utf8FromWide(shown);
}

TEST_F(DialogTest, OverwriteDialogAnswersByButtonAndSkipsWhenClosed)
{
    using A = fileops::OverwriteAnswer;
    struct Case {
        int button;  // 0: Escape, -1: close box
        A answer;
    };
    const Case cases[] = {{IDOK, A::Overwrite},
                          {IDCANCEL, A::Skip},
                          {IDC_OVERWRITE_ALL, A::OverwriteAll},
                          {IDC_OVERWRITE_SKIP_ALL, A::SkipAll},
                          {0, A::Skip},
                          {-1, A::Skip}};
    const std::wstring question = fileops::OverwriteQuestion("C:\\s\\a.jpg", "C:\\d\\a.jpg");
    for (const Case& c : cases) {
        CClsOverwriteDlg dialog(question);
        DialogScript run;
        run.Then(kOverwriteTitle, [&](HWND d) {
            EXPECT_EQ(question, Text(Control(d, IDC_OVERWRITE_TEXT)));
            if (c.button > 0)
                Click(d, c.button);
            else if (c.button == 0)
                fileops_ui_test::PostKey(GetFocus(), VK_ESCAPE);
            else
                PostMessageW(d, WM_CLOSE, 0, 0);
        });
        A answer = A::None;
        ASSERT_TRUE(run.Run([&] { answer = dialog.Run(nullptr); })) << c.button;
        EXPECT_EQ(c.answer, answer) << c.button;
    }
}

// Sources a, b and c; the folder holds b (a conflict) and z (a row of its own).
class PreviewTest : public DialogTest {
protected:
    PreviewTest()
    {
        host_test::ResetStub();
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            sources.push_back(files.AddFile(std::string("src\\") + name, name));
        files.AddFile("dst\\b.jpg", "old b");
        files.AddFile("dst\\z.jpg", "old z");
    }
    ~PreviewTest() override { host_test::ResetStub(); }

    fileops::MovePlan Plan(std::string_view pattern = {})
    {
        return fileops::MovePlan::Build(sources, files.Path("dst\\"), lists::FilterPattern("*"), pattern,
                                        files.Fs());
    }

    host_test::StubRegistration stub{CVelmoraThumbCtl::ClassId()};
    std::vector<std::string> sources;
};

TEST_F(PreviewTest, ShowsEveryRowInPlanOrderUnselectedAndThumbnailsOfTheFocusedRow)
{
    fileops::MovePlan plan = Plan();
    CClsPreviewDlg dialog(plan, files.Fs());
    script.Then(kPreviewTitle, [&](HWND d) {
        HWND list = Control(d, IDC_PREVIEW_LIST);
        ASSERT_EQ(4, ListView_GetItemCount(list));
        const wchar_t* const expected[4][3] = {{L"a.jpg", L"", nullptr},
                                               {L"b.jpg", L"b.jpg", nullptr},
                                               {L"c.jpg", L"", nullptr},
                                               {L"", L"z.jpg", L"<NONE>"}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(expected[i][0], ItemText(list, i, 0)) << i;
            EXPECT_EQ(expected[i][1], ItemText(list, i, 1)) << i;
            EXPECT_EQ(fw::WidenAnsi(plan.Rows()[i].source), ItemText(list, i, 2)) << i;
        }
        EXPECT_TRUE(Selected(list).empty());
        EXPECT_TRUE(prompts.texts.empty());
        int captions = 0;
        for (const host_test::InvokeRecord& call : host_test::Stub().invokes)
            if (call.id == -518 && call.flags == DISPATCH_PROPERTYPUT) {
                EXPECT_EQ(captions++ ? L"THUMB2" : L"THUMB1", call.texts.at(0));
            }
        EXPECT_EQ(2, captions);

        host_test::Stub().invokes.clear();
        Select(list, {1});
        EXPECT_EQ((std::vector<std::wstring>{Path("src\\b.jpg"), Path("dst\\b.jpg")}), Displayed());
        host_test::Stub().invokes.clear();
        Select(list, {3});  // the focus leaves row 1 (nothing focused: both empty), then row 3 has it
        EXPECT_EQ((std::vector<std::wstring>{L"", L"", Path("dst\\z.jpg")}), Displayed());
        Click(d, IDCANCEL);
    });
    PreviewChoice choice = PreviewChoice::Copy;
    ASSERT_TRUE(script.Run([&] { choice = dialog.Run(nullptr); })) << fw::Utf8FromWide(script.Stuck());
    EXPECT_EQ(PreviewChoice::Cancel, choice);
}

TEST_F(PreviewTest, EndsWithTheButtonUsedAndEnterChoosesCopy)
{
    struct Case {
        int button;  // 0: Enter in the list, -1: close box
        PreviewChoice choice;
    };
    const Case cases[] = {{IDOK, PreviewChoice::Copy},
                          {IDC_PREVIEW_MOVE, PreviewChoice::Move},
                          {IDCANCEL, PreviewChoice::Cancel},
                          {0, PreviewChoice::Copy},
                          {-1, PreviewChoice::Cancel}};
    for (const Case& c : cases) {
        fileops::MovePlan plan = Plan();
        CClsPreviewDlg dialog(plan, files.Fs());
        DialogScript run;
        run.Then(kPreviewTitle, [&](HWND d) {
            if (c.button > 0)
                Click(d, c.button);
            else if (c.button == 0)
                fileops_ui_test::PostKey(Control(d, IDC_PREVIEW_LIST), VK_RETURN);
            else
                PostMessageW(d, WM_CLOSE, 0, 0);
        });
        PreviewChoice choice = PreviewChoice::Cancel;
        ASSERT_TRUE(run.Run([&] {
            SetFocus(nullptr);
            choice = dialog.Run(nullptr);
        })) << c.button;
        EXPECT_EQ(c.choice, choice) << c.button;
    }
}

TEST_F(PreviewTest, ExcludeRenameAndBatchChangeEditThePlan)
{
    fileops::MovePlan plan = Plan();
    CClsPreviewDlg dialog(plan, files.Fs());
    script
        .Then(kPreviewTitle,
              [&](HWND d) {
                  HWND list = Control(d, IDC_PREVIEW_LIST);
                  Select(list, {0});
                  SendKey(list, VK_DELETE);
                  EXPECT_EQ("", plan.Rows()[0].newName);
                  EXPECT_EQ(L"", ItemText(list, 0, 0));

                  Select(list, {3});  // the folder's own file: never renamed
                  Click(d, IDC_PREVIEW_RENAME);
                  EXPECT_EQ(nullptr, ListView_GetEditControl(list));

                  Select(list, {2});
                  for (const wchar_t* name : {L"x:y", L"new.jpg"}) {
                      SendKey(list, VK_F2);
                      HWND edit = ListView_GetEditControl(list);
                      ASSERT_NE(nullptr, edit) << fw::Utf8FromWide(name);
                      SetWindowTextW(edit, name);
                      SendKey(edit, VK_RETURN);
                  }
                  ASSERT_EQ(1u, prompts.texts.size());
                  EXPECT_EQ(L"ファイル名には次の文字はつかえません。\r\n*?;:<>|\\/,\"", prompts.texts[0]);
                  EXPECT_EQ("new.jpg", plan.Rows()[2].newName);
                  EXPECT_EQ(L"new.jpg", ItemText(list, 2, 0));

                  Select(list, {0, 3});
                  Click(d, IDC_PREVIEW_BATCH);             // the template dialog's steps run in here
                  EXPECT_EQ(".", plan.Rows()[0].newName);  // the excluded row's empty name expanded
                  EXPECT_EQ(L".", ItemText(list, 0, 0));
                  EXPECT_EQ("", plan.Rows()[3].newName);
                  Click(d, IDC_PREVIEW_BATCH);
                  Click(d, IDCANCEL);
              })
        .Then(kTemplateTitle,
              [&](HWND t) {
                  EXPECT_EQ(L"%f.%e", Text(Control(t, IDC_TEMPLATE_PATTERN)));
                  EXPECT_EQ(L"0", Text(Control(t, IDC_TEMPLATE_START)));
                  SetText(t, IDC_TEMPLATE_START, L"x");
                  Click(t, IDOK);
                  EXPECT_EQ(L"整数を入力してください。", prompts.texts.back());
                  EXPECT_TRUE(IsShown(t));
                  SetText(t, IDC_TEMPLATE_START, L" 5 ");
                  Click(t, IDOK);
              })
        .Then(kTemplateTitle, [&](HWND t) {
            EXPECT_EQ(L"6", Text(Control(t, IDC_TEMPLATE_START)));  // one row was changed
            Click(t, IDCANCEL);
        });
    ASSERT_TRUE(script.Run([&] { dialog.Run(nullptr); })) << fw::Utf8FromWide(script.Stuck());
}

TEST_F(PreviewTest, CheckSelectsExactlyTheInvalidRowsAndAnInvalidPlanCannotEnd)
{
    fileops::MovePlan plan = Plan("x.%e");  // all three sources become x.jpg
    const std::wstring warning =
        L"ファイル名が重複しているか、\r\nコピー・移動元ファイルを上書きしようとしているか、\r\n\r\n"
        L"不正な文字が使用されているためコピーできません";
    CClsPreviewDlg dialog(plan, files.Fs());
    script.Then(kPreviewTitle, [&](HWND d) {
        HWND list = Control(d, IDC_PREVIEW_LIST);
        ASSERT_EQ(std::vector<std::wstring>{warning}, prompts.texts);
        EXPECT_EQ((std::vector<int>{1, 2, 3}), Selected(list));
        Select(list, {0});
        Click(d, IDC_PREVIEW_MOVE);
        EXPECT_EQ(2u, prompts.texts.size());
        EXPECT_EQ((std::vector<int>{1, 2, 3}), Selected(list));
        EXPECT_TRUE(IsShown(d));
        Select(list, {1, 2});
        Click(d, IDC_PREVIEW_EXCLUDE);
        Click(d, IDC_PREVIEW_CHECK);
        EXPECT_EQ(2u, prompts.texts.size());
        EXPECT_TRUE(Selected(list).empty());
        Click(d, IDC_PREVIEW_MOVE);
    });
    PreviewChoice choice = PreviewChoice::Cancel;
    ASSERT_TRUE(script.Run([&] { choice = dialog.Run(nullptr); })) << fw::Utf8FromWide(script.Stuck());
    EXPECT_EQ(PreviewChoice::Move, choice);
}

// The whole command as the list window calls it.
class CommandTest : public DialogTest {
protected:
    CommandTest() : list(0, files.Fs()) {}

    lists::ListModel list;
    fileops::MoveWindowState state;
    std::string shared;
};

TEST_F(CommandTest, MovesWithoutPreviewAsksBeforeOverwritingAndTheListFollows)
{
    EXPECT_FALSE(fileops::RunMoveListCommand(nullptr, list, state, shared, files.Fs()));  // empty: no dialog

    list.Insert(files.AddFile("src\\a.jpg", "new a"));
    list.Insert(files.AddFile("src\\b.jpg", "new b"));
    files.AddFile("dst\\b.jpg", "old b");
    shared = files.AddFolder("dst");
    state.settings.details = false;
    script
        .Then(kMoveTitle,
              [&](HWND d) {
                  EXPECT_EQ(fw::WidenAnsi(shared), Text(Control(d, IDC_MOVE_FOLDER)));
                  Click(d, IDOK);
              })
        .Then(kOverwriteTitle, [&](HWND o) {
            EXPECT_EQ(fileops::OverwriteQuestion(files.Path("src\\b.jpg"), files.Path("dst\\b.jpg")),
                      Text(Control(o, IDC_OVERWRITE_TEXT)));
            Click(o, IDC_OVERWRITE_ALL);
        });
    bool ran = false;
    ASSERT_TRUE(script.Run([&] {
        ran = fileops::RunMoveListCommand(nullptr, list, state, shared, files.Fs());
    })) << fw::Utf8FromWide(script.Stuck());
    EXPECT_TRUE(ran);
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ("new a", files.Read("dst\\a.jpg"));
    EXPECT_EQ("new b", files.Read("dst\\b.jpg"));
    EXPECT_FALSE(files.Exists("src\\b.jpg"));
    EXPECT_EQ(files.Path("dst\\"), shared);
    EXPECT_EQ(files.Path("dst\\"), list.LastFolder());
    EXPECT_TRUE(prompts.texts.empty());
}

TEST_F(CommandTest, TextOutputWritesTheFilesStillThere)
{
    list.Insert(files.AddFile("src\\a.jpg"));
    list.Insert(files.AddFile("src\\b.jpg"));
    files.Remove("src\\a.jpg");
    prompts.files = {files.Path("list.txt")};
    script.Then(kMoveTitle, [&](HWND d) {
        Click(d, IDC_MOVE_ACTION_TEXT);
        Click(d, IDOK);
    });
    bool ran = false;
    ASSERT_TRUE(script.Run([&] {
        ran = fileops::RunMoveListCommand(nullptr, list, state, shared, files.Fs());
    })) << fw::Utf8FromWide(script.Stuck());
    EXPECT_TRUE(ran);
    EXPECT_EQ(files.Path("src\\b.jpg") + "\r\n", files.Read("list.txt"));
    EXPECT_EQ(1, list.GetCount());
    EXPECT_EQ(Action::TextOutput, state.settings.action);  // kept for the next use
}

}  // namespace
