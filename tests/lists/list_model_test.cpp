#include <gtest/gtest.h>

#include <random>

#include "lists/list_model.h"
#include "lists/list_set.h"
#include "tests/lists/recording_view.h"
#include "tests/support/test_files.h"

namespace {

using lists::ListModel;
using testing_support::RecordingView;
using testing_support::TestFiles;

// A list over a scratch folder, shown in a recording view.
class ListTest : public ::testing::Test {
protected:
    ListTest() : list(3, files.Fs()) { list.SetView(&view); }

    // Adds existing files named 0.jpg ... (n-1).jpg, in order.
    void Fill(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(list.InsertAndSelect(files.AddFile(std::to_string(i) + ".jpg")));
    }
    std::string Name(int i) const { return files.Path(std::to_string(i) + ".jpg"); }

    TestFiles files;
    RecordingView view;
    ListModel list;
};

TEST(ListKeys, MapListNumbersToDigitsAndLetters)
{
    const std::pair<int, char> cases[] = {{0, '0'}, {9, '9'}, {10, 'A'}, {35, 'Z'}, {-1, '\0'}, {36, '\0'}};
    for (auto [number, key] : cases) {
        EXPECT_EQ(key, lists::ListKey(number)) << number;
        if (key) {
            EXPECT_EQ(number, lists::ListNumberFromKey(key));
        }
    }
    EXPECT_EQ(-1, lists::ListNumberFromKey('a'));
    EXPECT_EQ(-1, lists::ListNumberFromKey('*'));
}

TEST(Caption, ShowsKeyPositionCountAndPath)
{
    EXPECT_EQ("A:   5/120 C:\\x.jpg", lists::FormatCaption('A', 5, 120, "C:\\x.jpg"));
    EXPECT_EQ("3:   0/  0 ", lists::FormatCaption('3', 0, 0, ""));
    EXPECT_EQ("Z: 1000/1000 p", lists::FormatCaption('Z', 1000, 1000, "p"));
}

TEST_F(ListTest, EmptyListHasNoCurrentEntry)
{
    std::string path = "unchanged";
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0, list.Position());
    EXPECT_FALSE(list.GetCurrentPath(path));
    EXPECT_EQ("unchanged", path);
    EXPECT_FALSE(list.RemoveCurrent());
    list.UpdateView(-1);
    EXPECT_EQ("3:   0/  0 ", view.caption);
}

TEST_F(ListTest, InsertAndSelectMakesTheNewEntryCurrentWithoutShowingIt)
{
    Fill(3);
    view.Reset();
    std::string path = files.AddFile("1a.jpg");
    EXPECT_TRUE(list.InsertAndSelect(path));
    EXPECT_EQ(2, list.Position());
    EXPECT_EQ(3, view.rangeMax);
    EXPECT_EQ((std::vector<std::string>{"range 3 redraw"}), view.calls);  // nothing displayed
    EXPECT_EQ("3:   3/  4 " + path, view.caption);
    std::string current;
    EXPECT_TRUE(list.GetCurrentPath(current));
    EXPECT_EQ(path, current);

    view.Reset();
    std::string upper = path;
    for (char& c : upper)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    EXPECT_FALSE(list.InsertAndSelect(upper));
    EXPECT_EQ(4, list.GetCount());
    EXPECT_EQ(2, list.Position());
    EXPECT_TRUE(view.calls.empty());
    EXPECT_TRUE(view.caption.empty());
}

struct RemoveCurrentCase {
    int count;
    int position;
    int expectedCount;
    int expectedPosition;
};

TEST_F(ListTest, RemoveCurrentKeepsThePositionWithinTheList)
{
    const RemoveCurrentCase cases[] = {{5, 4, 4, 3}, {1, 0, 0, 0}, {5, 2, 4, 2}, {5, 0, 4, 0}};
    for (const RemoveCurrentCase& c : cases) {
        list.ClearList();
        Fill(c.count);
        list.MoveBy(c.position - list.Position(), false);
        ASSERT_EQ(c.position, list.Position());
        view.Reset();
        EXPECT_TRUE(list.RemoveCurrent());
        EXPECT_EQ(c.expectedCount, list.GetCount());
        EXPECT_EQ(c.expectedPosition, list.Position());
        EXPECT_TRUE(view.displayed.empty());  // the caller redisplays
        EXPECT_EQ(lists::FormatCaption('3', c.expectedCount ? c.expectedPosition + 1 : 0, c.expectedCount,
                                       c.expectedCount ? list.Paths()[c.expectedPosition] : ""),
                  view.caption);
    }
}

struct MoveCase {
    int count;
    int start;
    int delta;
    int expected;
};

TEST_F(ListTest, MoveByClampsToTheList)
{
    const MoveCase cases[] = {{10, 7, 10, 9},   {10, 2, -10, 0},   {0, 0, 1, 0}, {0, 0, -1, 0},
                              {10, 0, 9999, 9}, {10, 9, -9999, 0}, {10, 4, 1, 5}};
    for (const MoveCase& c : cases) {
        list.ClearList();
        Fill(c.count);
        if (c.count)
            list.MoveBy(c.start - list.Position(), false);
        view.Reset();
        list.MoveBy(c.delta, false);
        EXPECT_EQ(c.expected, list.Position()) << c.count << " " << c.start << " " << c.delta;
        EXPECT_TRUE(view.displayed.empty());
    }
}

TEST_F(ListTest, MoveByWithDisplayShowsTheEntryAndOnlyTheActiveWindowPreloads)
{
    Fill(3);
    list.MoveBy(-9999, false);
    view.Reset();
    list.MoveBy(1, true);
    EXPECT_EQ((std::vector<std::string>{"display " + Name(1)}), view.Shown());
    EXPECT_EQ("3:   2/  3 " + Name(1), view.caption);

    view.active = true;
    view.Reset();
    list.MoveBy(1, true);
    EXPECT_EQ((std::vector<std::string>{"display " + Name(2)}), view.Shown())
        << "the last entry has nothing after it to preload";
    view.Reset();
    list.MoveBy(-1, true);  // stepping back preloads the entry before
    EXPECT_EQ((std::vector<std::string>{"preload " + Name(0), "display " + Name(1)}), view.Shown());
    view.Reset();
    list.MoveBy(-1, false);  // a held key: the step sets the direction, the release shows
    list.MoveBy(0, true);
    EXPECT_EQ((std::vector<std::string>{"display " + Name(0)}), view.Shown());
    view.Reset();
    list.MoveBy(1, true);
    EXPECT_EQ((std::vector<std::string>{"preload " + Name(2), "display " + Name(1)}), view.Shown());
    view.Reset();
    list.Scroll(lists::ScrollCode::LineDown, 0);
    list.Scroll(lists::ScrollCode::LineUp, 0);  // the scroll bar's steps set it too
    list.Scroll(lists::ScrollCode::EndScroll, 0);
    EXPECT_EQ((std::vector<std::string>{"preload " + Name(0), "display " + Name(1)}), view.Shown());

    list.ClearList();
    view.Reset();
    list.MoveBy(1, true);
    EXPECT_EQ((std::vector<std::string>{""}), view.displayed);
    EXPECT_EQ(0, list.Position());
}

TEST_F(ListTest, ScrollMovesByOneEntryAndShowsOnlyAtTheEnd)
{
    using lists::ScrollCode;
    Fill(10);
    list.MoveBy(-9999, false);
    list.MoveBy(3, false);
    list.Scroll(ScrollCode::PageDown, 0);
    EXPECT_EQ(4, list.Position());
    list.Scroll(ScrollCode::LineUp, 0);
    EXPECT_EQ(3, list.Position());
    view.Reset();
    for (int thumb = 1; thumb <= 7; ++thumb)
        list.Scroll(ScrollCode::ThumbTrack, thumb);
    EXPECT_EQ("3:   8/ 10 " + Name(7), view.caption);
    list.Scroll(ScrollCode::ThumbPosition, 7);
    EXPECT_TRUE(view.displayed.empty());
    list.Scroll(ScrollCode::EndScroll, 0);
    EXPECT_EQ((std::vector<std::string>{Name(7)}), view.displayed);
    list.Scroll(ScrollCode::ThumbTrack, 50);
    EXPECT_EQ(9, list.Position());

    list.ClearList();
    view.Reset();
    list.Scroll(ScrollCode::Bottom, 0);
    list.Scroll(ScrollCode::EndScroll, 0);
    EXPECT_EQ(0, list.Position());
    EXPECT_EQ((std::vector<std::string>{""}), view.displayed);
}

TEST_F(ListTest, RemovePathKeepsThePositionIndexUnlessPastTheEnd)
{
    Fill(5);
    list.MoveBy(-2, false);  // position 2
    EXPECT_EQ(0, list.RemovePath(Name(0)));
    EXPECT_EQ(2, list.Position());  // keeps its index, now naming 3.jpg
    EXPECT_EQ(-1, list.RemovePath(Name(0)));
    list.MoveBy(10, false);  // position 3, the last
    view.Reset();
    EXPECT_EQ(3, list.RemovePath(Name(4)));
    EXPECT_EQ(2, list.Position());
    EXPECT_EQ(2, view.rangeMax);
    EXPECT_TRUE(view.displayed.empty());
}

TEST_F(ListTest, RemoveMissingDropsGoneFilesInOnePassAndRefreshesOnRequest)
{
    Fill(6);
    files.Remove("1.jpg");
    files.Remove("2.jpg");  // two in a row: the entry moving up is tested too
    files.Remove("5.jpg");
    files.Remove("3.jpg");
    files.AddFolder("3.jpg");  // now a folder: counts as existing
    view.Reset();
    EXPECT_TRUE(list.RemoveMissing(false));
    EXPECT_EQ((std::vector<std::string>{Name(0), Name(3), Name(4)}), list.Paths().Paths());
    EXPECT_EQ(2, list.Position());
    EXPECT_TRUE(view.displayed.empty());
    EXPECT_FALSE(list.RemoveMissing(true));

    files.Remove("4.jpg");
    view.Reset();
    EXPECT_TRUE(list.RemoveMissing(true));
    EXPECT_EQ((std::vector<std::string>{"display " + Name(3)}), view.Shown());
    EXPECT_EQ("3:   2/  2 " + Name(3), view.caption);
}

TEST_F(ListTest, RemoveMatchingRemovesByConditionAndShowsTheFirstEntry)
{
    files.AddFile("keep\\a.jpg", "", 100);
    files.AddFile("keep\\b.jpg", "", 5000);
    list.InsertAndSelect(files.Path("keep\\a.jpg"));
    list.InsertAndSelect(files.Path("keep\\b.jpg"));
    list.InsertAndSelect(files.AddFile("x.jpg", "", 5000));
    lists::LoadCondition condition;
    condition.folder = files.Path("KEEP");
    condition.minimumOn = true;
    condition.minimumKBytes = 1;
    view.Reset();
    EXPECT_EQ(1, list.RemoveMatching(condition));
    EXPECT_EQ((std::vector<std::string>{files.Path("keep\\a.jpg"), files.Path("x.jpg")}),
              list.Paths().Paths());
    EXPECT_EQ((std::vector<std::string>{files.Path("keep\\a.jpg")}), view.displayed);
    EXPECT_EQ(0, list.Position());
}

TEST_F(ListTest, ClearListEmptiesAndShowsNothing)
{
    EXPECT_FALSE(list.ClearList());
    Fill(4);
    view.Reset();
    EXPECT_TRUE(list.ClearList());
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0, list.Position());
    EXPECT_EQ(0, view.rangeMax);
    EXPECT_EQ((std::vector<std::string>{""}), view.displayed);
    EXPECT_EQ("3:   0/  0 ", view.caption);
}

TEST_F(ListTest, RefreshViewAndUpdateViewShowTheClampedEntry)
{
    Fill(4);
    list.MoveBy(-1, false);
    view.Reset();
    list.RefreshView();
    EXPECT_EQ("range 3 redraw", view.calls.front());
    EXPECT_EQ((std::vector<std::string>{"display " + Name(2)}), view.Shown());
    view.Reset();
    list.UpdateView(100);
    EXPECT_EQ((std::vector<std::string>{Name(3)}), view.displayed);
    EXPECT_EQ(3, list.Position());
    EXPECT_EQ(3, view.scrollPosition);
    EXPECT_EQ("3:   4/  4 " + Name(3), view.caption);
}

TEST_F(ListTest, WriteListWritesEveryPathWithCrLfAfterDroppingMissingFiles)
{
    Fill(3);
    files.Remove("1.jpg");
    {
        auto out = files.Fs().Create(files.Path("out.txt"));
        ASSERT_TRUE(out);
        EXPECT_TRUE(list.WriteList(*out));
        out->Close();
    }
    EXPECT_EQ(Name(0) + "\r\n" + Name(2) + "\r\n", files.Read("out.txt"));
    EXPECT_EQ(2, list.GetCount());
}

TEST_F(ListTest, WriteListStopsAtTheFirstShortWrite)
{
    if (!files.Memory())
        GTEST_SKIP() << "short writes are injected in the in-memory file system";
    Fill(3);
    auto out = files.Fs().Create(files.Path("out.txt"));
    files.Memory()->FailWritesAfter(Name(0).size() + 3);
    EXPECT_FALSE(list.WriteList(*out));
    EXPECT_EQ(Name(0) + "\r\n", files.Read("out.txt").substr(0, Name(0).size() + 2));
    EXPECT_EQ(Name(0).size() + 3, files.Read("out.txt").size());
}

TEST_F(ListTest, RecheckTimerRestartsAndRunsOnePass)
{
    Fill(2);
    list.StartRecheckTimer(3000);
    list.StartRecheckTimer(3000);
    EXPECT_TRUE(view.timerRunning);
    EXPECT_EQ(3000u, view.timerPeriod);
    files.Remove("0.jpg");
    view.Reset();
    list.OnRecheckTimer();
    EXPECT_FALSE(view.timerRunning);
    EXPECT_EQ(1, list.GetCount());
    EXPECT_EQ((std::vector<std::string>{Name(1)}), view.displayed);
}

TEST_F(ListTest, InsertAndSelectManyEndsLikeInsertingOneByOne)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 50; ++round) {
        ListModel single(3, files.Fs());
        RecordingView singleView;
        single.SetView(&singleView);
        list.ClearList();
        std::vector<std::string> paths;
        for (int i = 0; i < 8; ++i) {
            std::string path =
                "C:\\" + std::string(1, static_cast<char>(rng() % 2 ? 'a' + rng() % 6 : 'A' + rng() % 6));
            if (i < 3) {
                single.InsertAndSelect(path);
                list.InsertAndSelect(path);
            } else {
                paths.push_back(path);
            }
        }
        singleView.Reset();
        for (const std::string& path : paths)
            single.InsertAndSelect(path);
        view.Reset();
        list.InsertAndSelectMany(paths);
        EXPECT_EQ(single.Paths().Paths(), list.Paths().Paths());
        EXPECT_EQ(single.Position(), list.Position());
        EXPECT_EQ(singleView.caption, view.caption);
    }
}

TEST(ListSet, RemoveFromOtherListsMovesPathsAndRechecksTheListsThatLostSome)
{
    TestFiles files;
    lists::ListSet set(files.Fs());
    RecordingView views[lists::kListCount];
    for (int n = 0; n < lists::kListCount; ++n)
        set.List(n).SetView(&views[n]);
    std::string shared = files.AddFile("shared.jpg");
    std::string other = files.AddFile("other.jpg");
    set.List(7).InsertAndSelect(shared);
    set.List(7).InsertAndSelect(other);
    set.List(5).InsertAndSelect(other);  // lists may overlap until a load finishes
    for (RecordingView& v : views)
        v.Reset();

    std::string upper = shared;
    for (char& c : upper)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    set.List(3).InsertAndSelect(upper);
    set.List(3).NotifyLoaded();

    EXPECT_EQ((std::vector<std::string>{other}), set.List(7).Paths().Paths());
    EXPECT_TRUE(views[7].timerRunning);
    EXPECT_EQ(lists::kRecheckDelayMs, views[7].timerPeriod);
    EXPECT_EQ((std::vector<std::string>{other}), views[7].displayed);  // RefreshView
    EXPECT_EQ(1, set.List(5).GetCount());
    EXPECT_FALSE(views[5].timerRunning);
    EXPECT_TRUE(views[5].displayed.empty());
    EXPECT_FALSE(views[3].timerRunning);
    EXPECT_EQ(1, set.List(3).GetCount());
    EXPECT_EQ(3, set.TotalCount());
}

TEST(ListSet, CompleteLoadShowsTheFirstNewEntryAfterTakingItFromOtherLists)
{
    TestFiles files;
    lists::ListSet set(files.Fs());
    RecordingView views[2];
    set.List(0).SetView(&views[0]);
    set.List(1).SetView(&views[1]);
    std::string a = files.AddFile("a.jpg");
    std::string b = files.AddFile("b.jpg");
    std::string c = files.AddFile("c.jpg");
    set.List(1).InsertAndSelect(b);
    set.List(0).InsertAndSelect(a);
    lists::SortedPathSet::InsertManyResult loaded = set.List(0).InsertMany({c, b, a});
    EXPECT_EQ(2u, loaded.inserted);
    EXPECT_EQ(1, loaded.smallestNewIndex);
    views[0].Reset();
    set.List(0).CompleteLoad(loaded.smallestNewIndex);
    EXPECT_EQ(0, set.List(1).GetCount());
    EXPECT_EQ((std::vector<std::string>{b}), views[0].displayed);
    EXPECT_EQ(1, set.List(0).Position());
    EXPECT_EQ("0:   2/  3 " + b, views[0].caption);
}

}  // namespace
