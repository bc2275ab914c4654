// The control's persisted properties through IPersistStreamInit and IPersistStorage.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "tests/thumbctl/control/control_fakes.h"
#include "thumbctl/server/class_table.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using namespace ctlcom_testing;

std::vector<uint8_t> StreamBytes(IStream* stream)
{
    HGLOBAL memory = nullptr;
    EXPECT_EQ(GetHGlobalFromStream(stream, &memory), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
    std::vector<uint8_t> result(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return result;
}

ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

class ControlPersistTest : public testing::Test {
protected:
    ComPtr<IVelmoraThumbCtl> NewControl()
    {
        ComPtr<IVelmoraThumbCtl> control;
        EXPECT_EQ(thumbctl::CreateThumbControl(nullptr, IID_IVelmoraThumbCtl, control.PutVoid()), S_OK);
        return control;
    }
    template <typename I>
    static ComPtr<I> As(const ComPtr<IVelmoraThumbCtl>& control)
    {
        ComPtr<I> result;
        EXPECT_EQ(control.As(result), S_OK);
        return result;
    }
    std::vector<uint8_t> Saved(const ComPtr<IVelmoraThumbCtl>& control)
    {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
        EXPECT_EQ(As<IPersistStreamInit>(control)->Save(stream.Get(), TRUE), S_OK);
        return StreamBytes(stream.Get());
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
};

TEST_F(ControlPersistTest, ANewControlSavesVersionExtentNullCaptionAndEmptyFileName)
{
    auto control = NewControl();
    ASSERT_EQ(As<IPersistStreamInit>(control)->InitNew(), S_OK);
    const std::vector<uint8_t> expected = {
        0x00, 0x03, 0x00, 0x00,              // version word 0x0300
        0xD8, 0x13, 0x00, 0x00,              // _cx 5080
        0xD8, 0x13, 0x00, 0x00,              // _cy 5080
        0x08, 0x00, 0x00, 0x00, 0x00, 0x00,  // Caption: VT_BSTR, null
        0x08, 0x00, 0x02, 0x00, 0x00, 0x00,  // FileName: VT_BSTR, just the terminator
        0x00, 0x00,
    };
    EXPECT_EQ(Saved(control), expected);
    ULARGE_INTEGER size{};
    ASSERT_EQ(As<IPersistStreamInit>(control)->GetSizeMax(&size), S_OK);
    EXPECT_GE(size.QuadPart, expected.size());
}

TEST_F(ControlPersistTest, PropertiesGoThroughAStreamAndComeBackThroughTheSetters)
{
    auto source = NewControl();
    SIZEL extent{4736, 2381};
    ASSERT_EQ(As<IOleObject>(source)->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    ASSERT_EQ(source->put_Caption(Bstr(L"THUMB1").Get()), S_OK);
    ASSERT_EQ(source->put_FileName(Bstr(L"C:\\\x8868\\a.jpg").Get()), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>(source)->IsDirty(), S_OK);
    const std::vector<uint8_t> bytes = Saved(source);
    EXPECT_EQ(As<IPersistStreamInit>(source)->IsDirty(), S_FALSE) << "saved with clearDirty";
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 4736);
    EXPECT_EQ(bytes[8] | bytes[9] << 8, 2381);

    auto loaded = NewControl();
    ComPtr<IPropertyNotifySink> notify;
    ASSERT_EQ(fw::com::Make<PropertyNotifySink>(notify), S_OK);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(
        As<IConnectionPointContainer>(loaded)->FindConnectionPoint(IID_IPropertyNotifySink, point.Put()),
        S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(notify.Get(), &cookie), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>(loaded)->Load(StreamOf(bytes).Get()), S_OK);
    Bstr caption;
    Bstr fileName;
    ASSERT_EQ(loaded->get_Caption(caption.Put()), S_OK);
    ASSERT_EQ(loaded->get_FileName(fileName.Put()), S_OK);
    EXPECT_STREQ(caption.CStr(), L"THUMB1");
    EXPECT_STREQ(fileName.CStr(), L"C:\\\x8868\\a.jpg");
    SIZEL back{};
    ASSERT_EQ(As<IOleObject>(loaded)->GetExtent(DVASPECT_CONTENT, &back), S_OK);
    EXPECT_EQ(back.cx, 4736);
    EXPECT_EQ(back.cy, 2381);
    EXPECT_EQ(static_cast<PropertyNotifySink*>(notify.Get())->calls,
              (std::vector<std::string>{"edit -518", "changed -518"}))
        << "the caption is applied through its setter";
    EXPECT_EQ(As<IPersistStreamInit>(loaded)->IsDirty(), S_FALSE);
    EXPECT_EQ(Saved(loaded), bytes);
}

TEST_F(ControlPersistTest, StreamsTheControlCannotReadAreRefusedAndChangeNothing)
{
    auto control = NewControl();
    ASSERT_EQ(control->put_Caption(Bstr(L"keep").Get()), S_OK);
    std::vector<uint8_t> newer = Saved(NewControl());
    newer[0] = 0x01;  // version 0x0301
    std::vector<uint8_t> truncated = Saved(NewControl());
    truncated.resize(14);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        HRESULT result;
    };
    const Case cases[] = {
        {"newer version", newer, E_FAIL},
        {"truncated", truncated, STG_E_READFAULT},
        {"empty", {}, STG_E_READFAULT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(As<IPersistStreamInit>(control)->Load(StreamOf(c.bytes).Get()), c.result);
        Bstr caption;
        ASSERT_EQ(control->get_Caption(caption.Put()), S_OK);
        EXPECT_STREQ(caption.CStr(), L"keep");
    }
    // An older version word is read.
    std::vector<uint8_t> older = Saved(NewControl());
    older[1] = 0x02;
    EXPECT_EQ(As<IPersistStreamInit>(control)->Load(StreamOf(older).Get()), S_OK);
}

TEST_F(ControlPersistTest, StorageKeepsTheSameFormInAContentsStream)
{
    auto source = NewControl();
    ASSERT_EQ(source->put_Caption(Bstr(L"12").Get()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(
        StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                         0, storage.Put()),
        S_OK);
    ASSERT_EQ(As<IPersistStorage>(source)->InitNew(storage.Get()), S_OK);
    ASSERT_EQ(As<IPersistStorage>(source)->Save(storage.Get(), TRUE), S_OK);
    ASSERT_EQ(As<IPersistStorage>(source)->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(As<IPersistStorage>(source)->IsDirty(), S_FALSE);

    ComPtr<IStream> contents;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.Put()),
              S_OK);
    STATSTG stat{};
    ASSERT_EQ(contents->Stat(&stat, STATFLAG_NONAME), S_OK);
    std::vector<uint8_t> stored(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    ASSERT_EQ(contents->Read(stored.data(), static_cast<ULONG>(stored.size()), &read), S_OK);
    contents.Reset();
    EXPECT_EQ(stored, Saved(source));

    auto loaded = NewControl();
    ASSERT_EQ(As<IPersistStorage>(loaded)->Load(storage.Get()), S_OK);
    Bstr caption;
    ASSERT_EQ(loaded->get_Caption(caption.Put()), S_OK);
    EXPECT_STREQ(caption.CStr(), L"12");
}

}  // namespace
