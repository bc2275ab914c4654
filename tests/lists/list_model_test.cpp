#include "tests/lists/list_fixture.h"

namespace {

using lists::ScrollCode;
using lists_test::Paths;

class ListModelTest : public lists_test::ListsTest {
protected:
    static std::string Name(int i) { return "C:\\p\\" + std::to_string(i) + ".jpg"; }
    // Lists 0.jpg ... (n-1).jpg and makes `current` the current entry.
    void Fill(int n, int current)
    {
        list().ClearList();
        for (int i = 0; i < n; ++i)
            List({Name(i)});
        list().MoveBy(current - list().Position(), false);
        view.Reset();
    }
};

TEST(ListKeys, MapListNumbersToDigitsAndLettersAndCaptionsShowKeyPositionCountAndPath)
{
    const std::pair<int, char> cases[] = {{0, '0'}, {9, '9'}, {10, 'A'}, {35, 'Z'}, {-1, '\0'}, {36, '\0'}};
    for (auto [number, key] : cases) {
        EXPECT_EQ(key, lists::ListKey(number)) << number;
        EXPECT_EQ(key ? number : -1, lists::ListNumberFromKey(key)) << number;
    }
    for (char key : {'a', '*', ':'})
        EXPECT_EQ(-1, lists::ListNumberFromKey(key)) << key;
    EXPECT_EQ("Z: 1000/1000 p", lists::FormatCaption('Z', 1000, 1000, "p"));
}

TEST_F(ListModelTest, InsertAndSelectMakeTheNewEntryCurrentWithoutShowingIt)
{
    Fill(3, 0);
    EXPECT_TRUE(list().InsertAndSelect("C:\\p\\1a.jpg"));
    EXPECT_FALSE(list().InsertAndSelect("C:\\P\\1A.JPG"));
    EXPECT_EQ(2, list().Position());
    EXPECT_EQ(Paths{"3r"}, view.ranges);
    EXPECT_EQ("0:   3/  4 C:\\p\\1a.jpg", view.caption);
    list().InsertAndSelectMany({"C:\\p\\5.jpg", "C:\\p\\3.jpg", "C:\\P\\0.JPG"});
    EXPECT_EQ(4, list().Position());
    EXPECT_EQ("0:   5/  6 " + Name(3), view.caption);
    EXPECT_TRUE(view.shown.empty());
    view.Reset();
    list().InsertAndSelectMany({Name(0)});
    EXPECT_TRUE(view.ranges.empty() && view.caption.empty());
}

TEST_F(ListModelTest, RemovingKeepsThePositionIndexWithinTheList)
{
    // Count, position, the position after; the last leaves the list empty.
    const std::tuple<int, int, int> cases[] = {{5, 4, 3}, {5, 2, 2}, {5, 0, 0}, {1, 0, 0}};
    for (const auto& [count, position, after] : cases) {
        Fill(count, position);
        EXPECT_TRUE(list().RemoveCurrent());
        EXPECT_EQ(after, list().Position());
        EXPECT_TRUE(view.shown.empty());  // the caller redisplays
        EXPECT_EQ(
            lists::FormatCaption('0', count > 1 ? after + 1 : 0, count - 1, count > 1 ? Listed()[after] : ""),
            view.caption);
    }
    std::string path = "unchanged";
    EXPECT_FALSE(list().GetCurrentPath(path) || list().RemoveCurrent());
    EXPECT_EQ("unchanged", path);
}

TEST_F(ListModelTest, MovesAndScrollsShowTheEntryOnlyAtTheEndAndTheActiveWindowPreloadsTheNextOne)
{
    Fill(3, 0);
    const auto step = [&](int delta, bool display) {
        view.Reset();
        list().MoveBy(delta, display);
        return view.shown;
    };
    EXPECT_EQ(Paths{Name(1)}, step(1, true));  // an inactive window preloads nothing
    EXPECT_EQ("0:   2/  3 " + Name(1), view.caption);
    view.active = true;
    EXPECT_EQ(Paths{Name(2)}, step(1, true));  // nothing after the last entry
    EXPECT_EQ((Paths{"preload " + Name(0), Name(1)}), step(-1, true));
    step(-1, false);  // a held key: the step sets the direction, the release shows
    EXPECT_EQ(Paths{Name(0)}, step(0, true));
    EXPECT_EQ((Paths{"preload " + Name(2), Name(1)}), step(1, true));
    view.Reset();
    list().Scroll(ScrollCode::LineDown, 0);
    list().Scroll(ScrollCode::LineUp, 0);  // the scroll bar's steps set it too
    list().Scroll(ScrollCode::EndScroll, 0);
    EXPECT_EQ((Paths{"preload " + Name(0), Name(1)}), view.shown);
    view.Reset();
    list().Scroll(ScrollCode::ThumbTrack, 50);  // the thumb moves without showing until the end
    list().Scroll(ScrollCode::ThumbPosition, 2);
    EXPECT_EQ("0:   3/  3 " + Name(2), view.caption);
    list().Scroll(ScrollCode::Top, 0);
    list().Scroll(ScrollCode::PageDown, 0);
    EXPECT_TRUE(view.shown.empty());
    list().Scroll(ScrollCode::EndScroll, 0);
    EXPECT_EQ((Paths{"preload " + Name(2), Name(1)}), view.shown);
    list().ClearList();
    list().Scroll(ScrollCode::Bottom, 0);
    EXPECT_EQ(Paths{""}, step(1, true));
    EXPECT_EQ(0, list().Position());
}

TEST_F(ListModelTest, RemoveMissingDropsGoneFilesInOnePassAndRefreshesOnRequest)
{
    Fill(6, 5);
    for (int gone : {1, 2, 5, 3})  // two in a row: the entry moving up is tested too
        fs.Remove(Name(gone));
    fs.AddFolder(Name(3));  // now a folder: still there
    EXPECT_TRUE(list().RemoveMissing(false));
    EXPECT_EQ((Paths{Name(0), Name(3), Name(4)}), Listed());
    EXPECT_EQ(2, list().Position());
    EXPECT_TRUE(view.shown.empty());
    EXPECT_FALSE(list().RemoveMissing(true));
    fs.Remove(Name(4));  // the recheck after a drag: one pass that refreshes, then the timer stops
    list().StartRecheckTimer(lists::kRecheckDelayMs);
    list().OnRecheckTimer();
    EXPECT_FALSE(view.timerRunning);
    EXPECT_EQ(Paths{Name(3)}, view.shown);
    EXPECT_EQ("0:   2/  2 " + Name(3), view.caption);
}

TEST_F(ListModelTest, ClearRefreshAndUpdateShowTheClampedEntry)
{
    Fill(4, 2);
    list().RefreshView();
    EXPECT_EQ("3r", view.ranges.front());
    EXPECT_EQ(Paths{Name(2)}, view.shown);
    view.Reset();
    list().UpdateView(100);
    EXPECT_EQ(Paths{Name(3)}, view.shown);
    EXPECT_EQ(3, list().Position());
    EXPECT_EQ("0:   4/  4 " + Name(3), view.caption);
    view.Reset();
    EXPECT_TRUE(list().ClearList());
    EXPECT_FALSE(list().ClearList());
    EXPECT_EQ(0, list().Position());
    EXPECT_EQ((Paths{"", ""}), view.shown);
    EXPECT_EQ("0:   0/  0 ", view.caption);
}

}  // namespace
