// A sorter run for end-to-end tests: its own folder with a copy of Lumsor20.exe (so
// the profile beside it is the test's), image files made for the test, the started
// program with its frame, status bar and 36 list windows, and the keys and commands
// a user gives it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/support/driver.h"

namespace sorter_test {

namespace ts = testing_support;

constexpr wchar_t kConfirmExit[] = L"終了してもよろしいですか？";

class SorterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A file below the test's folder, made with `bytes` (a small solid BMP when empty).
    std::string AddImage(const std::string& relative, const std::string& bytes = std::string());
    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }

    // Starts the program with `arguments` and finds its windows.
    void Start(const std::string& arguments = std::string());
    // Finds the windows of the program started: the frame, its status bar and the 36
    // list windows, once it is idle.
    void Attach();
    // Closes the program; answers the exit question with Yes when one comes.
    void Exit();

    HWND List(int number) const { return lists_.at(static_cast<size_t>(number)); }
    std::string Caption(int number) const;
    // Waits until list `number`'s caption equals `expected`; the caption read last
    // otherwise.
    std::string WaitCaption(int number, const std::string& expected) const;
    std::string StatusText() const;
    int ActiveList() const;
    RECT ListRect(int number) const;  // in the client area's coordinates

    bool Press(WORD vk, bool shift = false, bool ctrl = false)
    {
        return ts::PressKey(frame_, vk, shift, ctrl);
    }
    bool Command(UINT id) { return ts::PostCommand(frame_, id); }
    // Waits for a message box with `text`, answers it with `button`.
    void Answer(const std::wstring& text, int button);
    // Types `path` into the open or save dialog that comes up and confirms it.
    void AnswerFileDialog(const std::string& path);

    int ProfileInt(const char* section, const char* key, int fallback) const;
    void WriteProfile(const char* section, const char* key, const std::string& value) const;

    static std::string Caption(char key, int position, int count, const std::string& path);

    std::string root_;  // ANSI
    std::wstring program_;
    ts::Process process_;
    HWND frame_ = nullptr;
    HWND client_ = nullptr;
    HWND status_ = nullptr;
    std::array<HWND, 36> lists_{};
};

}  // namespace sorter_test
