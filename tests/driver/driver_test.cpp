// The driver against a program of its own: started in a folder with arguments, its
// windows found and read, keys typed with modifiers held, a message box read and
// answered, its exit code, and a program left running ended with its owner.
#include "tests/support/driver.h"

#include <gtest/gtest.h>

#include "tests/driver/driver_target.h"
#include "tests/support/server_library.h"

namespace {

namespace ts = testing_support;
namespace dt = driver_target;

std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ts::FolderOf(std::wstring(path, n));
}

std::wstring TargetPath()
{
    return ThisFolder() + L"\\driver_target.exe";
}

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = ts::Process::Start(TargetPath(), L"\"夕焼け 01\" b", ThisFolder());
        ASSERT_TRUE(target);
        frame = ts::WaitForWindow(target.Id(), dt::kClassName);
        ASSERT_NE(frame, nullptr);
        edit = GetDlgItem(frame, dt::kEditId);
        status = GetDlgItem(frame, dt::kStatusId);
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(status, nullptr);
    }

    ts::Process target;
    HWND frame = nullptr;
    HWND edit = nullptr;
    HWND status = nullptr;
};

TEST_F(DriverTest, FindsReadsAndSeesTheWindows)
{
    const std::wstring title = std::wstring(dt::kTitle) + L" 夕焼け 01 b";
    EXPECT_EQ(ts::Narrow(ts::WindowText(frame)), ts::Narrow(title));
    EXPECT_EQ(ts::WaitForWindow(target.Id(), nullptr, title.c_str(), 100), frame);
    EXPECT_EQ(ts::WaitForWindow(target.Id(), dt::kClassName, L"Driver target", 100), nullptr);
    EXPECT_EQ(ts::WaitForWindow(GetCurrentProcessId(), dt::kClassName, nullptr, 100), nullptr);
    EXPECT_EQ(ts::ChildWindows(frame, L"Edit"), std::vector<HWND>{edit});
    EXPECT_EQ(ts::ChildWindows(frame).size(), 2u);

    EXPECT_EQ(ts::Narrow(ts::StatusBarText(status, 0)), ts::Narrow(ThisFolder()));
    EXPECT_EQ(ts::StatusBarText(status, 1), L"");

    RECT client{};
    GetClientRect(frame, &client);
    POINT middle{client.right / 2, client.bottom / 2};
    EXPECT_TRUE(ts::WaitUntil([&] {
        const ts::Dib shot = ts::CaptureClientFromScreen(frame);
        return shot.width == client.right && shot.At(middle.x, middle.y) == 0x2080C0;
    }));
    ClientToScreen(frame, &middle);
    EXPECT_EQ(ts::ScreenPixel(middle.x, middle.y), dt::kBackground);
}

TEST_F(DriverTest, KeysArriveWithTheModifiersHeld)
{
    ASSERT_TRUE(ts::PressKey(edit, 'A', true));
    EXPECT_EQ(ts::StatusBarText(status, 1), L"41 shift");
    ASSERT_TRUE(ts::PressKey(edit, 'B'));
    EXPECT_EQ(ts::StatusBarText(status, 1), L"42");
    EXPECT_EQ(ts::WindowText(edit), L"Ab");

    ASSERT_TRUE(ts::PressKey(frame, VK_F5, true, true));
    EXPECT_EQ(ts::StatusBarText(status, 1), L"74 shift ctrl");
    // A press counts as handled only once the program is through with it, even when it
    // keeps answering sent messages meanwhile.
    ASSERT_TRUE(ts::PressKey(frame, dt::kSlowKey));
    EXPECT_EQ(ts::StatusBarText(status, 1), L"78");

    // Keys one by one: the focus stays where it is.
    ts::KeyDown(VK_SHIFT);
    ts::KeyDown('D');
    ts::KeyUp('D');
    ts::KeyUp(VK_SHIFT);
    ts::KeyDown(VK_HOME);
    ts::KeyUp(VK_HOME);
    ts::KeyDown('E');
    ts::KeyUp('E');
    ASSERT_TRUE(ts::WaitForInputProcessed(edit));
    EXPECT_EQ(ts::WindowText(edit), L"eAbD");
}

TEST_F(DriverTest, ReadsAndAnswersAMessageBoxThenSeesTheExitCode)
{
    EXPECT_TRUE(ts::NoMessageBoxWithin(target.Id(), 100));
    ASSERT_TRUE(ts::PostCommand(frame, dt::kAskCommand));
    ts::MessageBoxInfo box;
    ASSERT_TRUE(ts::WaitForMessageBox(target.Id(), box));
    EXPECT_EQ(ts::Narrow(box.text), ts::Narrow(dt::kQuestion));
    EXPECT_EQ(ts::Narrow(box.caption), ts::Narrow(dt::kQuestionCaption));
    EXPECT_FALSE(ts::NoMessageBoxWithin(target.Id(), 100));

    EXPECT_FALSE(ts::AnswerMessageBox(box, IDOK, 500)) << "a Yes/No box has no OK button";
    ASSERT_TRUE(ts::AnswerMessageBox(box, IDNO));
    EXPECT_TRUE(ts::WaitUntil([&] { return ts::StatusBarText(status, 0) == L"no"; }));

    ASSERT_TRUE(ts::PostCommand(frame, dt::kQuitCommand));
    DWORD code = 0;
    ASSERT_TRUE(target.WaitExit(ts::kDriverTimeoutMs, &code));
    EXPECT_EQ(code, dt::kQuitExitCode);
}

TEST(DriverProcess, EndsAProgramLeftRunningAndReportsOneThatCannotStart)
{
    EXPECT_FALSE(ts::Process::Start(ThisFolder() + L"\\no_such_program.exe", L""));

    fw::UniqueHandle watcher;
    {
        ts::Process running = ts::Process::Start(TargetPath(), L"");
        ASSERT_TRUE(running);
        ASSERT_NE(ts::WaitForWindow(running.Id(), dt::kClassName), nullptr);
        watcher.reset(OpenProcess(SYNCHRONIZE, FALSE, running.Id()));
        ASSERT_TRUE(watcher);
        EXPECT_FALSE(running.WaitExit(0));
    }
    EXPECT_EQ(WaitForSingleObject(watcher.get(), 0), WAIT_OBJECT_0);
}

}  // namespace
