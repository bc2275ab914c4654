// The window layer: binding at creation, dispatch through message maps with
// cracked arguments, chaining, default processing, destruction and moves.
#include "framework/win/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kRangeFirst = WM_APP + 10;
constexpr UINT kRangeLast = WM_APP + 19;

class BaseWindow : public fw::Window {
public:
    std::vector<std::string> log;

protected:
    const fw::MessageMap& Messages() const override
    {
        static const fw::MessageMap map =
            fw::MessageMapFor<BaseWindow>().OnMessage(kPing, &BaseWindow::OnPing);
        return map;
    }

private:
    LRESULT OnPing(UINT, WPARAM wp, LPARAM) { return static_cast<LRESULT>(wp) + 1000; }
};

class TestWindow : public BaseWindow {
public:
    bool failCreate = false;
    int width = -1, height = -1;
    LPARAM createParam = 0;
    TestWindow() = default;
    TestWindow(TestWindow&&) = default;
    TestWindow& operator=(TestWindow&&) = default;
    ~TestWindow() override { Destroy(); }

protected:
    const fw::MessageMap& Messages() const override
    {
        static const fw::MessageMap map = fw::MessageMapFor<TestWindow>()
                                              .On<WM_CREATE>(&TestWindow::OnCreate)
                                              .On<WM_SIZE>(&TestWindow::OnSize)
                                              .On<WM_LBUTTONDOWN>(&TestWindow::OnLButtonDown)
                                              .On<WM_DESTROY>(&TestWindow::OnDestroy)
                                              .OnRange(kRangeFirst, kRangeLast, &TestWindow::OnRange)
                                              .Chain(BaseWindow::Messages());
        return map;
    }

private:
    bool OnCreate(const CREATESTRUCTW& cs)
    {
        log.push_back("create " + std::to_string(cs.cx) + "x" + std::to_string(cs.cy));
        return !failCreate;
    }
    void OnSize(UINT, int cx, int cy)
    {
        width = cx;
        height = cy;
    }
    void OnLButtonDown(const fw::MouseArgs& m)
    {
        log.push_back("down " + std::to_string(m.SignedX()) + "," + std::to_string(m.SignedY()) + " keys " +
                      std::to_string(m.keys));
    }
    void OnDestroy() { log.push_back("destroy"); }
    LRESULT OnRange(UINT message, WPARAM, LPARAM) { return static_cast<LRESULT>(message - kRangeFirst); }
};

const fw::WindowClass& TestClass()
{
    static const fw::WindowClass cls(GetModuleHandleW(nullptr), L"FwWindowTest", 0, nullptr, nullptr);
    return cls;
}

TEST(Window, BindsAtCreationAndDispatchesCrackedArguments)
{
    ASSERT_TRUE(TestClass());
    TestWindow w;
    ASSERT_TRUE(w.Create(TestClass(), nullptr, L"title", WS_POPUP, 0, RECT{0, 0, 120, 80}));
    ASSERT_NE(w.Handle(), nullptr);
    ASSERT_EQ(w.log, (std::vector<std::string>{"create 120x80"}));

    SetWindowPos(w.Handle(), nullptr, 0, 0, 64, 48, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(w.width, 64);
    EXPECT_EQ(w.height, 48);

    SendMessageW(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7));
    EXPECT_EQ(w.log.back(), "down -3,7 keys 1");

    EXPECT_EQ(SendMessageW(w.Handle(), kRangeFirst + 4, 0, 0), 4);
    EXPECT_EQ(SendMessageW(w.Handle(), kPing, 5, 0), 1005) << "chained base map";

    wchar_t title[16] = {};
    EXPECT_EQ(SendMessageW(w.Handle(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(title)), 5)
        << "default processing";
    EXPECT_STREQ(title, L"title");
}

TEST(Window, RefusedCreationLeavesNoWindow)
{
    TestWindow w;
    w.failCreate = true;
    EXPECT_FALSE(w.Create(TestClass(), nullptr, L"", WS_POPUP, 0, RECT{0, 0, 10, 10}));
    EXPECT_EQ(w.Handle(), nullptr);
}

TEST(Window, WindowAndObjectEndTogether)
{
    HWND hwnd = nullptr;
    std::vector<std::string> log;
    {
        TestWindow w;
        ASSERT_TRUE(w.Create(TestClass(), nullptr, L"", WS_POPUP, 0, RECT{0, 0, 10, 10}));
        hwnd = w.Handle();
    }
    EXPECT_FALSE(IsWindow(hwnd)) << "the object destroys its window";

    TestWindow w;
    ASSERT_TRUE(w.Create(TestClass(), nullptr, L"", WS_POPUP, 0, RECT{0, 0, 10, 10}));
    DestroyWindow(w.Handle());
    EXPECT_EQ(w.Handle(), nullptr) << "a window destroyed elsewhere unbinds";
    EXPECT_EQ(w.log.back(), "destroy");
}

TEST(Window, MoveRebindsTheWindowToTheNewObject)
{
    TestWindow a;
    ASSERT_TRUE(a.Create(TestClass(), nullptr, L"", WS_POPUP, 0, RECT{0, 0, 10, 10}));
    const HWND hwnd = a.Handle();
    TestWindow b(std::move(a));
    EXPECT_EQ(a.Handle(), nullptr);
    EXPECT_EQ(b.Handle(), hwnd);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2));
    EXPECT_EQ(b.log.back(), "down 1,2 keys 0");

    TestWindow c;
    ASSERT_TRUE(c.Create(TestClass(), nullptr, L"", WS_POPUP, 0, RECT{0, 0, 10, 10}));
    const HWND replaced = c.Handle();
    c = std::move(b);
    EXPECT_FALSE(IsWindow(replaced)) << "assignment destroys the window it replaces";
    EXPECT_EQ(c.Handle(), hwnd);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
    EXPECT_EQ(c.log.back(), "down 3,4 keys 0");
}

}  // namespace
