// The list window's drop target, drop source and the data object they carry, as COM
// objects in this process: formats offered, effects answered, what a drop hands over.
#include "app/drop_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com/data_object.h"

namespace {

class RecordingSite final : public DropSite {
public:
    HWND SiteWindow() const override { return window; }
    HWND FrameWindow() const override { return frame; }
    void LoadDrop(HGLOBAL drop) override
    {
        dropped.assign(static_cast<const char*>(GlobalLock(drop)), GlobalSize(drop));
        GlobalUnlock(drop);
        GlobalFree(drop);
    }
    void ActivateAfterDrop() override { ++activations; }
    void SetDropLocation(int value) override { location = value; }

    HWND window = nullptr;
    HWND frame = nullptr;
    std::string dropped;
    int activations = 0;
    int location = 3;
};

struct Ole {
    Ole() { OleInitialize(nullptr); }
    ~Ole() { OleUninitialize(); }
};

fw::com::ComPtr<IDataObject> Data(std::vector<std::pair<CLIPFORMAT, std::string>> blocks)
{
    fw::com::ComPtr<IDataObject> data;
    EXPECT_EQ(fw::com::Make<fw::com::DataObject>(data), S_OK);
    for (const auto& [format, bytes] : blocks)
        EXPECT_TRUE(static_cast<fw::com::DataObject*>(data.Get())->Set(format, bytes));
    return data;
}

TEST(DropObjects, TheTargetTakesFileListsOnlyAndReportsALink)
{
    Ole ole;
    RecordingSite site;
    fw::com::ComPtr<IDropTarget> target;
    ASSERT_EQ(fw::com::Make<CClsDropTarget>(target, static_cast<DropSite&>(site)), S_OK);
    const std::string files = std::string(20, '\0') + "C:\\a.jpg" + std::string(2, '\0');
    struct Case {
        std::vector<std::pair<CLIPFORMAT, std::string>> blocks;
        DWORD over;
        DWORD dropped;
    };
    const Case cases[] = {
        {{{CF_HDROP, files}}, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_LINK},
        {{{CF_TEXT, std::string("C:\\a.jpg\0", 9)}}, DROPEFFECT_NONE, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) {
        site.dropped.clear();
        fw::com::ComPtr<IDataObject> data = Data(c.blocks);
        DWORD effect = DROPEFFECT_MOVE;
        EXPECT_EQ(target->DragEnter(data.Get(), MK_RBUTTON, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.over);
        effect = DROPEFFECT_MOVE;
        EXPECT_EQ(target->DragOver(MK_RBUTTON, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.over);
        effect = DROPEFFECT_MOVE;
        EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.dropped);
        EXPECT_EQ(site.dropped, c.dropped ? files : std::string());
    }
    EXPECT_EQ(site.activations, 2);  // the window comes forward after any drop
}

TEST(DropObjects, TheSourceDropsOnReleaseAndCancelsOnEscapeOrTheLeftButton)
{
    Ole ole;
    RecordingSite site;
    fw::com::ComPtr<IDropSource> source;
    ASSERT_EQ(fw::com::Make<CClsDropSource>(source, static_cast<DropSite&>(site)), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
    EXPECT_EQ(site.location, 0);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST(DropObjects, TheDataObjectHandsOutCopiesAndKeepsWhatTheReceiverSets)
{
    Ole ole;
    fw::com::ComPtr<IDataObject> data = Data({{CF_TEXT, std::string("x\0", 2)}});
    FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC files{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&text), S_OK);
    EXPECT_EQ(data->QueryGetData(&files), DV_E_FORMATETC);
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&text, &medium), S_OK);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(medium.hGlobal)), 2), std::string("x\0", 2));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);

    const CLIPFORMAT performed = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Performed DropEffect"));
    FORMATETC effect{performed, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM set{TYMED_HGLOBAL, {nullptr}, nullptr};
    set.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
    *static_cast<DWORD*>(GlobalLock(set.hGlobal)) = DROPEFFECT_MOVE;
    GlobalUnlock(set.hGlobal);
    ASSERT_EQ(data->SetData(&effect, &set, TRUE), S_OK);
    EXPECT_EQ(data->QueryGetData(&effect), S_OK);

    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC got[4];
    ULONG count = 0;
    formats->Next(4, got, &count);
    formats->Release();
    EXPECT_EQ(count, 2u);
}

}  // namespace
