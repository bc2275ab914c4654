#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "app/key_sorter.h"
#include "tests/lists/recording_view.h"
#include "tests/support/memory_filesystem.h"

namespace {

using app::WindowRect;
namespace vk = app::vk;

// Logs what the frame is asked to do.
class FakeFrame final : public app::FrameWindows {
public:
    bool IsListMinimized(int list) const override { return list == minimized; }
    bool IsListMaximized(int) const override { return false; }
    void Activate(int list) override { Log("activate", list); }
    WindowRect NormalRect(int) const override { return rect; }
    void MoveWindowTo(int list, const WindowRect& r) override
    {
        Log("move", list);
        rect = r;
    }
    void SetStatusText(const std::string& text) override { log += text + ";"; }
    void Beep() override { log += "beep;"; }
    void OpenWindowMenu(int list) override { Log("menu", list); }
    void ShowContextMenu(int list) override { Log("context", list); }
    void ToggleMaximize(int list) override { Log("maximize", list); }
    void RestoreIfMaximized(int list) override { Log("restore", list); }
    void StopAutoAdvance() override { ++stops; }
    void Log(const char* what, int list) { log += what + (" " + std::to_string(list)) + ";"; }

    int minimized = -1;
    WindowRect rect{100, 50, 300, 200};
    std::string log;
    int stops = 0;
};

class KeySorterTest : public ::testing::Test {
protected:
    KeySorterTest() : lists(fs), sorter(lists, frame)
    {
        for (int n : {2, 5})
            lists.List(n).SetView(&views[n]);
        lists.SetCurrentList(2);
    }
    // Fills a list with C:\p\<prefix>0.jpg ... and makes the first current.
    void Fill(int list, const std::string& prefix, int count)
    {
        for (int i = 0; i < count; ++i)
            lists.List(list).InsertAndSelect("C:\\p\\" + prefix + std::to_string(i) + ".jpg");
        lists.List(list).MoveBy(-9999, false);
    }
    std::string Current(int list) { return lists.List(list).Paths()[size_t(lists.List(list).Position())]; }
    bool Press(unsigned key, bool shift = false, bool ctrl = false)
    {
        const bool consumed = sorter.PreTranslate(key, true, shift, ctrl);
        sorter.PreTranslate(key, false, shift, ctrl);
        return consumed;
    }

    testing_support::MemoryFileSystem fs;
    lists::ListSet lists;
    FakeFrame frame;
    std::map<int, testing_support::RecordingView> views;
    app::KeySorter sorter;
};

TEST_F(KeySorterTest, SteppingKeysMoveSilentlyOnDownAndShowOnceOnUp)
{
    const std::pair<unsigned, int> cases[] = {{vk::kDown, 21}, {vk::kSpace, 21},    {vk::kAdd, 21},
                                              {vk::kUp, 19},   {vk::kSubtract, 19}, {vk::kPrior, 10},
                                              {vk::kNext, 30}, {vk::kHome, 0},      {vk::kEnd, 39}};
    Fill(2, "a", 40);
    for (auto [key, expected] : cases) {
        lists.List(2).MoveBy(20 - lists.List(2).Position(), false);
        views[2].Reset();
        EXPECT_TRUE(sorter.PreTranslate(key, true, false, false));
        EXPECT_EQ(expected, lists.List(2).Position()) << key;
        EXPECT_TRUE(views[2].displayed.empty()) << key;
        EXPECT_TRUE(sorter.PreTranslate(key, false, false, false));
        EXPECT_EQ(std::vector<std::string>{Current(2)}, views[2].displayed) << key;
    }
    EXPECT_EQ(16, frame.stops);  // down and up of every key but the Down arrow
}

TEST_F(KeySorterTest, ListKeysMoveAndPullUnlessMinimisedWhileUndoAndRedoReplayTheLastMove)
{
    Fill(2, "a", 3);
    Fill(5, "b", 1);
    // The list minimised, the key (with Shift), then the counts of lists 2 and 5, the last
    // move's source and target, and list 2's current entry.
    const std::tuple<int, unsigned, bool, int, int, int, int, const char*> steps[] = {
        {-1, vk::kBack, false, 3, 1, -1, -1, "C:\\p\\a0.jpg"},      // nothing recorded yet
        {5, '5', false, 3, 1, -1, -1, "C:\\p\\a0.jpg"},             // a beep
        {2, '5', false, 3, 1, -1, -1, "C:\\p\\a0.jpg"},             // a beep
        {-1, '5', false, 2, 2, 2, 5, "C:\\p\\a1.jpg"},              // a0 into 5, where it is current
        {-1, vk::kBack, false, 3, 1, 2, 5, "C:\\p\\a0.jpg"},        // undo
        {-1, vk::kDivide, true, 2, 2, 2, 5, "C:\\p\\a1.jpg"},       // redo
        {-1, vk::kNumpad0 + 5, true, 3, 1, 5, 2, "C:\\p\\a0.jpg"},  // pull a0 back
        {-1, vk::kBack, false, 2, 2, 5, 2, "C:\\p\\a1.jpg"},        // undo the pull
        {-1, '2', false, 2, 2, 5, 2, "C:\\p\\a1.jpg"},              // own key: nothing
        {-1, '7', true, 2, 2, 5, 2, "C:\\p\\a1.jpg"},               // empty list: record kept
        {-1, vk::kDecimal, false, 1, 2, 5, 2, "C:\\p\\a2.jpg"},     // exclusion
    };
    for (const auto& [minimized, key, shift, in2, in5, source, target, current2] : steps) {
        frame.minimized = minimized;
        EXPECT_TRUE(Press(key, shift));
        EXPECT_EQ(std::make_tuple(in2, in5, source, target, std::string(current2)),
                  std::make_tuple(lists.List(2).GetCount(), lists.List(5).GetCount(), sorter.LastMoveSource(),
                                  sorter.LastMoveTarget(), Current(2)))
            << key;
    }
    EXPECT_EQ("beep;beep;", frame.log);
    EXPECT_EQ("C:\\p\\a0.jpg", views[5].displayed.back());
}

TEST_F(KeySorterTest, OtherKeysSwitchListsMoveOrSizeTheWindowOrReachTheFrame)
{
    constexpr unsigned kShift = 0x10, kF2 = 0x71;
    // The current list, the key (with Shift, Ctrl), whether it is consumed, the stops of
    // auto-advance (every key but the switching and window keys), the frame's log.
    const std::tuple<int, unsigned, bool, bool, bool, int, std::string> cases[] = {
        {35, vk::kTab, false, false, false, 0, "activate 0;"},
        {35, vk::kRight, false, false, false, 0, "activate 0;"},
        {0, vk::kLeft, false, false, false, 0, "activate 35;"},
        {4, vk::kLeft, false, false, false, 0, "activate 3;"},
        {2, vk::kRight, true, false, true, 0, "move 2;(110,50)-(310,200)200x150;"},
        {2, vk::kUp, true, false, true, 0, "move 2;(100,40)-(300,190)200x150;"},
        {2, vk::kDown, false, true, true, 0, "move 2;(100,50)-(300,210)200x160;"},
        {2, vk::kLeft, true, true, true, 0, "move 2;(100,50)-(290,200)190x150;"},
        {2, 'C', false, true, true, 1, "activate 12;"},
        {2, vk::kSpace, false, true, true, 1, "menu 2;"},
        {2, vk::kApps, false, false, true, 1, "context 2;"},
        {2, vk::kReturn, false, false, true, 1, "maximize 2;"},
        {2, vk::kEscape, false, false, false, 1, "restore 2;"},
        {2, kF2, false, false, false, 1, ""},
        {2, kShift, false, false, false, 1, ""}};
    for (const auto& [from, key, shift, ctrl, consumed, stops, log] : cases) {
        lists.SetCurrentList(from);
        frame.rect = WindowRect{100, 50, 300, 200};
        frame.log.clear();
        frame.stops = 0;
        const bool taken = sorter.PreTranslate(key, true, shift, ctrl);
        EXPECT_EQ(std::make_tuple(consumed, log, stops), std::make_tuple(taken, frame.log, frame.stops));
        if (log[0] == 'a') {  // the list activated becomes the current one
            EXPECT_EQ("activate " + std::to_string(lists.CurrentList()) + ";", frame.log);
        }
    }
    lists.SetCurrentList(-1);  // before the list windows exist
    EXPECT_FALSE(sorter.PreTranslate('5', true, false, false));
    EXPECT_TRUE(sorter.PreTranslate(vk::kDown, true, true, false));
    EXPECT_EQ("", frame.log);
}

}  // namespace
