// DllRegisterServer / DllUnregisterServer and regsvr32: every key and value of the
// thumbnail control, beside the picture cache's, and creation by both program ids.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/win/handles.h"
#include "tests/support/registry.h"
#include "tests/support/server_library.h"

namespace {

using namespace testing_support;

const std::wstring kClsid = L"{CDE3FF5B-8BC2-4222-838E-EC953211A994}";
const std::wstring kClsidKey = L"CLSID\\" + kClsid;
const std::wstring kLibid = L"{F9AA4C14-9AF3-42FF-A8A0-EB777C82D655}";
const std::wstring kProgId = L"VelmoraThumbCtl.1";
const std::wstring kIndependentProgId = L"VelmoraThumbCtl";
const std::wstring kCacheClsidKey = L"CLSID\\{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}";

std::vector<ExpectedValue> ControlValues()
{
    const std::wstring module = LibraryPath();
    return {
        {kProgId, L"", L"VelmoraThumbCtl Class"},
        {kProgId + L"\\CLSID", L"", kClsid},
        {kIndependentProgId, L"", L"VelmoraThumbCtl Class"},
        {kIndependentProgId + L"\\CLSID", L"", kClsid},
        {kIndependentProgId + L"\\CurVer", L"", kProgId},
        {kClsidKey, L"", L"VelmoraThumbCtl Class"},
        {kClsidKey + L"\\ProgID", L"", kProgId},
        {kClsidKey + L"\\VersionIndependentProgID", L"", kIndependentProgId},
        {kClsidKey + L"\\InprocServer32", L"", module},
        {kClsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {kClsidKey + L"\\ToolboxBitmap32", L"", module + L", 101"},
        {kClsidKey + L"\\MiscStatus", L"", L"0"},
        {kClsidKey + L"\\MiscStatus\\1", L"", L"131473"},
        {kClsidKey + L"\\TypeLib", L"", kLibid},
        {kClsidKey + L"\\Version", L"", L"1.0"},
    };
}

std::vector<ExpectedShape> ControlShapes()
{
    return {
        {kProgId, {L"CLSID", L"Insertable"}, {L""}},
        {kProgId + L"\\Insertable", {}, {}},
        {kIndependentProgId, {L"CLSID", L"CurVer"}, {L""}},
        {kClsidKey,
         {L"Control", L"InprocServer32", L"Insertable", L"MiscStatus", L"ProgID", L"Programmable",
          L"ToolboxBitmap32", L"TypeLib", L"Version", L"VersionIndependentProgID"},
         {L""}},
        {kClsidKey + L"\\Control", {}, {}},
        {kClsidKey + L"\\Insertable", {}, {}},
        {kClsidKey + L"\\Programmable", {}, {}},
        {kClsidKey + L"\\InprocServer32", {}, {L"", L"ThreadingModel"}},
        {kClsidKey + L"\\MiscStatus", {L"1"}, {L""}},
    };
}

void ExpectControlRegistered()
{
    ExpectRegistryEntries(HKEY_CLASSES_ROOT, ControlValues(), ControlShapes());
    // The picture cache is registered beside it.
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kCacheClsidKey).value_or(L"<missing>"),
              L"VelmoraPictureCache Class");
}

void ExpectControlUnregistered()
{
    for (const std::wstring& key : {kProgId, kIndependentProgId, kClsidKey, kCacheClsidKey}) {
        SCOPED_TRACE(Narrow(key));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key));
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid + L"\\1.0"));
}

class ControlRegistrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(TheLibrary().module, nullptr) << Narrow(LibraryPath());
        TheLibrary().unregisterServer();
    }
    void TearDown() override { TheLibrary().unregisterServer(); }
};

TEST_F(ControlRegistrationTest, RegisterWritesEveryKeyOfTheControlAndUnregisterRemovesThem)
{
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    ExpectControlRegistered();
    EXPECT_EQ(
        ReadString(HKEY_CLASSES_ROOT, L"Interface\\{6C3F97D1-F6CB-419F-B7CF-D8C962EFC1A1}").value_or(L""),
        L"IVelmoraThumbCtl");
    ASSERT_EQ(TheLibrary().unregisterServer(), S_OK);
    ExpectControlUnregistered();
}

TEST_F(ControlRegistrationTest, ForceRemoveKeysLoseStaleContentOnRegistering)
{
    WriteString(HKEY_CLASSES_ROOT, kClsidKey + L"\\ToolboxBitmap32\\Old", L"", L"x");
    WriteString(HKEY_CLASSES_ROOT, kClsidKey + L"\\Control\\Old", L"", L"x");
    WriteString(HKEY_CLASSES_ROOT, kClsidKey + L"\\Implemented Categories", L"", L"x");
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    ExpectControlRegistered();
}

TEST_F(ControlRegistrationTest, Regsvr32RegistersAndBothProgramIdsCreateTheControl)
{
    const std::wstring quoted = L"\"" + LibraryPath() + L"\"";
    ASSERT_EQ(RunSystemProgram(L"regsvr32.exe", L"/s " + quoted, 60000), 0);
    ExpectControlRegistered();
    {
        fw::com::CoInitScope com(COINIT_APARTMENTTHREADED);
        for (const std::wstring& progId : {kProgId, kIndependentProgId}) {
            SCOPED_TRACE(Narrow(progId));
            CLSID clsid{};
            ASSERT_EQ(CLSIDFromProgID(progId.c_str(), &clsid), S_OK);
            EXPECT_TRUE(IsEqualGUID(clsid, CLSID_VelmoraThumbCtl));
            fw::com::ComPtr<IVelmoraThumbCtl> control;
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVelmoraThumbCtl,
                                       control.PutVoid()),
                      S_OK);
            fw::com::Bstr filter;
            EXPECT_EQ(control->get_FilterExtention(filter.Put()), S_OK);
        }
    }
    ASSERT_EQ(RunSystemProgram(L"regsvr32.exe", L"/u /s " + quoted, 60000), 0);
    ExpectControlUnregistered();
}

}  // namespace

namespace {

TEST(ControlResourcesTest, ToolboxBitmapScriptAndProjectName)
{
    using testing_support::TheLibrary;
    const HMODULE module = TheLibrary().module;
    ASSERT_NE(module, nullptr);
    fw::UniqueGdiObject bitmap(
        LoadImageW(module, MAKEINTRESOURCEW(101), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(bitmap);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(bitmap.get(), sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBmih.biWidth, 16);
    EXPECT_EQ(section.dsBmih.biHeight, 16);
    EXPECT_EQ(section.dsBmih.biBitCount, 4) << "16 colours";

    HRSRC script = FindResourceW(module, MAKEINTRESOURCEW(102), L"REGISTRY");
    ASSERT_NE(script, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module, script)));
    const std::string body(text, SizeofResource(module, script));
    EXPECT_NE(body.find("{CDE3FF5B-8BC2-4222-838E-EC953211A994}"), std::string::npos);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(104), L"REGISTRY"), nullptr);

    wchar_t name[32]{};
    ASSERT_GT(LoadStringW(module, 100, name, 32), 0);
    EXPECT_STREQ(name, L"VelmoraThumbCtl");
}

}  // namespace
