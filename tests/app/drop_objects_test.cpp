// The list window's drop target and drop source as COM objects in this process: formats
// taken, effects answered, what a drop hands over.
#include "app/drop_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "framework/com/data_object.h"

namespace {

class RecordingSite final : public DropSite {
public:
    HWND SiteWindow() const override { return nullptr; }
    HWND FrameWindow() const override { return nullptr; }
    void LoadDrop(HGLOBAL drop) override
    {
        dropped.assign(static_cast<const char*>(GlobalLock(drop)), GlobalSize(drop));
        GlobalUnlock(drop);
        GlobalFree(drop);
    }
    void ActivateAfterDrop() override { ++activations; }
    void SetDropLocation(int value) override { location = value; }

    std::string dropped;
    int activations = 0;
    int location = 3;
};

TEST(DropObjects, TheTargetTakesFileListsOnlyAndReportsALink)
{
    RecordingSite site;
    fw::com::ComPtr<IDropTarget> target;
    ASSERT_EQ(fw::com::Make<CClsDropTarget>(target, static_cast<DropSite&>(site)), S_OK);
    const std::string files = std::string(20, '\0') + "C:\\a.jpg" + std::string(2, '\0');
    // The format offered; the effects answered over the window and on the drop.
    const std::tuple<CLIPFORMAT, DWORD, DWORD> cases[] = {
        {CF_HDROP, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_LINK},
        {CF_TEXT, DROPEFFECT_NONE, DROPEFFECT_NONE}};
    for (const auto& [format, over, dropped] : cases) {
        site.dropped.clear();
        fw::com::ComPtr<IDataObject> data;
        ASSERT_EQ(fw::com::Make<fw::com::DataObject>(data), S_OK);
        static_cast<fw::com::DataObject*>(data.Get())->Set(format, files);
        DWORD enter = DROPEFFECT_MOVE, drag = DROPEFFECT_MOVE, drop = DROPEFFECT_MOVE;
        EXPECT_EQ(target->DragEnter(data.Get(), MK_RBUTTON, POINTL{}, &enter), S_OK);
        EXPECT_EQ(target->DragOver(MK_RBUTTON, POINTL{}, &drag), S_OK);
        EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &drop), S_OK);
        EXPECT_EQ(std::make_tuple(enter, drag, drop), std::make_tuple(over, over, dropped));
        EXPECT_EQ(site.dropped, dropped ? files : std::string());
    }
    EXPECT_EQ(site.activations, 2);  // the window comes forward after any drop
}

TEST(DropObjects, TheSourceDropsOnReleaseAndCancelsOnEscapeOrTheLeftButton)
{
    RecordingSite site;
    fw::com::ComPtr<IDropSource> source;
    ASSERT_EQ(fw::com::Make<CClsDropSource>(source, static_cast<DropSite&>(site)), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
    EXPECT_EQ(site.location, 0);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
}

}  // namespace
