#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/key_sorter.h"
#include "framework/core/memory_filesystem.h"
#include "tests/lists/recording_view.h"

namespace {

using app::KeySorter;
using app::WindowRect;
namespace vk = app::vk;
using testing_support::RecordingView;

// Records what the frame is asked to do; minimised and maximised states are set by tests.
class FakeFrame final : public app::FrameWindows {
public:
    bool IsListMinimized(int list) const override { return minimized.count(list) != 0; }
    bool IsListMaximized(int list) const override { return maximized.count(list) != 0; }
    void Activate(int list) override { Log("activate", list); }
    WindowRect NormalRect(int) const override { return rect; }
    void MoveWindowTo(int list, const WindowRect& r) override
    {
        rect = r;
        Log("move", list);
    }
    void SetStatusText(const std::string& text) override { status = text; }
    void Beep() override { calls.push_back("beep"); }
    void OpenWindowMenu(int list) override { Log("menu", list); }
    void ShowContextMenu(int list) override { Log("context", list); }
    void ToggleMaximize(int list) override { Log("maximize", list); }
    void RestoreIfMaximized(int list) override { Log("restore", list); }
    void StopAutoAdvance() override { ++stops; }

    std::set<int> minimized, maximized;
    WindowRect rect{100, 50, 300, 200};
    std::string status;
    std::vector<std::string> calls;
    int stops = 0;

private:
    void Log(const char* what, int list) { calls.push_back(std::string(what) + " " + std::to_string(list)); }
};

class KeySorterTest : public ::testing::Test {
protected:
    KeySorterTest() : lists(fs), sorter(lists, frame)
    {
        for (int n : {2, 5})
            lists.List(n).SetView(&views[n]);
        lists.SetCurrentList(2);
    }

    // Fills a list with files named <prefix>0.jpg ... and selects the first.
    void Fill(int list, const std::string& prefix, int count)
    {
        for (int i = 0; i < count; ++i)
            lists.List(list).InsertAndSelect("C:\\p\\" + prefix + std::to_string(i) + ".jpg");
        lists.List(list).MoveBy(-9999, false);
    }
    std::string Current(int list)
    {
        std::string path;
        lists.List(list).GetCurrentPath(path);
        return path;
    }
    // A key pressed and released.
    void Press(unsigned key, bool shift = false, bool ctrl = false)
    {
        sorter.PreTranslate(key, true, shift, ctrl);
        sorter.PreTranslate(key, false, shift, ctrl);
    }

    fw::MemoryFileSystem fs;
    lists::ListSet lists;
    FakeFrame frame;
    std::map<int, RecordingView> views;
    KeySorter sorter;
};

TEST(VirtualKeys, NameListsByDigitsKeypadDigitsAndLetters)
{
    const std::pair<unsigned, int> cases[] = {
        {'0', 0},  {'9', 9},  {vk::kNumpad0, 0},        {vk::kNumpad0 + 9, 9},
        {'A', 10}, {'Z', 35}, {0x5B /* VK_LWIN */, -1}, {vk::kAdd, -1},
        {0xC0, -1}};
    for (auto [key, list] : cases)
        EXPECT_EQ(list, app::ListNumberFromVirtualKey(key)) << key;
}

TEST_F(KeySorterTest, HeldDownArrowStepsSilentlyAndShowsOnceOnRelease)
{
    Fill(2, "a", 5);
    views[2].Reset();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(sorter.PreTranslate(vk::kDown, true, false, false));
    EXPECT_EQ(3, lists.List(2).Position());
    EXPECT_TRUE(views[2].displayed.empty());
    EXPECT_EQ("2:   4/  5 C:\\p\\a3.jpg", views[2].caption);
    EXPECT_TRUE(sorter.PreTranslate(vk::kDown, false, false, false));
    EXPECT_EQ(std::vector<std::string>{"C:\\p\\a3.jpg"}, views[2].displayed);
    EXPECT_EQ(0, frame.stops);  // the auto-advance key never stops it
}

TEST_F(KeySorterTest, SteppingKeysMoveByTheirStep)
{
    const std::pair<unsigned, int> cases[] = {
        {vk::kDown, 21},  {vk::kSpace, 21}, {vk::kAdd, 21}, {vk::kUp, 19},  {vk::kSubtract, 19},
        {vk::kPrior, 10}, {vk::kNext, 30},  {vk::kHome, 0}, {vk::kEnd, 39},
    };
    Fill(2, "a", 40);
    for (auto [key, expected] : cases) {
        lists.List(2).MoveBy(20 - lists.List(2).Position(), false);
        Press(key);
        EXPECT_EQ(expected, lists.List(2).Position()) << key;
    }
}

TEST_F(KeySorterTest, ListKeyMovesUndoMovesBackAndRedoMovesAgain)
{
    Fill(2, "a", 3);
    Press('5');
    EXPECT_EQ(2, lists.List(2).GetCount());
    EXPECT_EQ("C:\\p\\a0.jpg", Current(5));
    EXPECT_EQ(std::vector<std::string>{"C:\\p\\a0.jpg"}, views[5].displayed);  // on key up
    EXPECT_EQ(2, sorter.LastMoveSource());
    EXPECT_EQ(5, sorter.LastMoveTarget());

    const struct {
        unsigned key;
        bool shift;
        int countIn2;
        int countIn5;
    } steps[] = {{vk::kBack, false, 3, 0}, {vk::kDivide, true, 2, 1}, {vk::kDivide, false, 3, 0}};
    for (const auto& step : steps) {
        Press(step.key, step.shift);
        EXPECT_EQ(step.countIn2, lists.List(2).GetCount()) << step.key;
        EXPECT_EQ(step.countIn5, lists.List(5).GetCount()) << step.key;
    }
    EXPECT_EQ("C:\\p\\a0.jpg", Current(2));
    EXPECT_EQ(2, sorter.LastMoveSource());  // undo keeps the record
}

TEST_F(KeySorterTest, ShiftListKeyPullsTheTargetsImage)
{
    Fill(5, "b", 2);
    Press('5', true);
    EXPECT_EQ("C:\\p\\b0.jpg", Current(2));
    EXPECT_EQ(1, lists.List(5).GetCount());
    EXPECT_EQ(5, sorter.LastMoveSource());
    EXPECT_EQ(2, sorter.LastMoveTarget());
}

TEST_F(KeySorterTest, RefusedMovesChangeNothing)
{
    struct Case {
        const char* name;
        unsigned key;
        int minimized;
        bool beep;
    };
    const Case cases[] = {{"own key", '2', -1, false},
                          {"keypad own key", vk::kNumpad0 + 2, -1, false},
                          {"target minimised", '5', 5, true},
                          {"current minimised", vk::kNumpad0 + 5, 2, true}};
    for (const Case& c : cases) {
        lists.List(2).ClearList();
        Fill(2, "a", 2);
        frame.minimized = {c.minimized};
        frame.calls.clear();
        Press(c.key);
        EXPECT_EQ(2, lists.List(2).GetCount()) << c.name;
        EXPECT_EQ(0, lists.List(5).GetCount()) << c.name;
        EXPECT_EQ(c.beep ? std::vector<std::string>{"beep"} : std::vector<std::string>{}, frame.calls)
            << c.name;
    }
    Press(vk::kBack);  // nothing recorded: nothing to undo
    EXPECT_EQ(-1, sorter.LastMoveSource());
}

TEST_F(KeySorterTest, MovingFromAnEmptyListKeepsTheRecord)
{
    Fill(2, "a", 1);
    Press('5');
    Press('5');        // list 2 is empty now
    Press('7', true);  // list 7 is empty
    EXPECT_EQ(2, sorter.LastMoveSource());
    EXPECT_EQ(5, sorter.LastMoveTarget());
}

TEST_F(KeySorterTest, CtrlListKeyActivatesTheTarget)
{
    EXPECT_TRUE(sorter.PreTranslate('C', true, false, true));
    EXPECT_EQ(12, lists.CurrentList());
    EXPECT_EQ(std::vector<std::string>{"activate 12"}, frame.calls);
}

TEST_F(KeySorterTest, TabAndArrowsSwitchListsWithWrapAround)
{
    const struct {
        int from;
        unsigned key;
        int to;
    } cases[] = {
        {35, vk::kTab, 0}, {35, vk::kRight, 0}, {0, vk::kLeft, 35}, {4, vk::kTab, 5}, {4, vk::kLeft, 3}};
    for (const auto& c : cases) {
        lists.SetCurrentList(c.from);
        frame.calls.clear();
        EXPECT_FALSE(sorter.PreTranslate(c.key, true, false, false));  // not consumed
        EXPECT_EQ(c.to, lists.CurrentList());
        EXPECT_EQ(std::vector<std::string>{"activate " + std::to_string(c.to)}, frame.calls);
    }
}

TEST_F(KeySorterTest, ShiftMovesAndCtrlResizesTheCurrentWindow)
{
    const struct {
        unsigned key;
        bool shift;
        bool ctrl;
        WindowRect expected;
        const char* status;
    } cases[] = {
        {vk::kRight, true, false, {110, 50, 310, 200}, "(110,50)-(310,200)200x150"},
        {vk::kUp, true, false, {100, 40, 300, 190}, "(100,40)-(300,190)200x150"},
        {vk::kDown, false, true, {100, 50, 300, 210}, "(100,50)-(300,210)200x160"},
        {vk::kLeft, true, true, {100, 50, 290, 200}, "(100,50)-(290,200)190x150"},
    };
    for (const auto& c : cases) {
        frame.rect = WindowRect{100, 50, 300, 200};
        EXPECT_TRUE(sorter.PreTranslate(c.key, true, c.shift, c.ctrl));
        EXPECT_EQ(c.expected, frame.rect) << c.status;
        EXPECT_EQ(c.status, frame.status);
        EXPECT_EQ(2, lists.CurrentList());
    }
}

TEST_F(KeySorterTest, EveryKeyButDownArrowStopsAutoAdvance)
{
    const unsigned keys[] = {vk::kUp, vk::kSpace, vk::kEscape, 'X', vk::kTab, 0x10 /* Shift */, vk::kBack};
    for (unsigned key : keys) {
        frame.stops = 0;
        sorter.PreTranslate(key, false, false, false);
        EXPECT_EQ(1, frame.stops) << key;
    }
}

TEST_F(KeySorterTest, WindowKeysActOnTheCurrentWindow)
{
    const struct {
        unsigned key;
        bool ctrl;
        bool consumed;
        const char* call;
    } cases[] = {{vk::kSpace, true, true, "menu 2"},
                 {vk::kApps, false, true, "context 2"},
                 {vk::kReturn, false, true, "maximize 2"},
                 {vk::kEscape, false, false, "restore 2"}};
    for (const auto& c : cases) {
        frame.calls.clear();
        EXPECT_EQ(c.consumed, sorter.PreTranslate(c.key, true, false, c.ctrl)) << c.call;
        EXPECT_EQ(std::vector<std::string>{c.call}, frame.calls);
    }
}

TEST_F(KeySorterTest, DeleteExcludesOnDownAndShowsOnUp)
{
    Fill(2, "a", 3);
    views[2].Reset();
    EXPECT_TRUE(sorter.PreTranslate(vk::kDecimal, true, false, false));
    EXPECT_EQ(2, lists.List(2).GetCount());
    EXPECT_TRUE(views[2].displayed.empty());
    EXPECT_TRUE(sorter.PreTranslate(vk::kDelete, false, false, false));
    EXPECT_EQ(std::vector<std::string>{"C:\\p\\a1.jpg"}, views[2].displayed);
}

TEST_F(KeySorterTest, WithoutACurrentListKeysPassExceptGeometry)
{
    lists.SetCurrentList(-1);
    EXPECT_FALSE(sorter.PreTranslate('5', true, false, false));
    EXPECT_FALSE(sorter.PreTranslate(vk::kDown, true, false, false));
    EXPECT_TRUE(sorter.PreTranslate(vk::kDown, true, true, false));
    EXPECT_TRUE(frame.calls.empty());
}

TEST_F(KeySorterTest, FunctionKeysReachTheAccelerators)
{
    constexpr unsigned kF2 = 0x71;
    EXPECT_FALSE(sorter.PreTranslate(kF2, true, false, false));
    EXPECT_FALSE(sorter.PreTranslate(kF2, true, true, false));
}

}  // namespace
