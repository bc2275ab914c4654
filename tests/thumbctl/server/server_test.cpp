// What DllRegisterServer and DllUnregisterServer of the built VelmoraThumbCtl library
// write to and remove from the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/registry.h"
#include "tests/support/server_library.h"

namespace {

using namespace testing_support;

const std::wstring kClsid = L"{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}";
const std::wstring kClsidKey = L"CLSID\\" + kClsid;
const std::wstring kLibid = L"{F9AA4C14-9AF3-42FF-A8A0-EB777C82D655}";
const std::wstring kTypeLibKey = L"TypeLib\\" + kLibid + L"\\1.0";
const std::wstring kPlatform = sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32";
const std::wstring kInterfaceKey = L"Interface\\{5EA35EFD-7C47-4040-96D6-51B0AC57D630}";
const std::wstring kProgId = L"VelmoraThumbCtl.CPictureCache.1";
const std::wstring kIndependentProgId = L"VelmoraThumbCtl.CPictureCache";

TEST(ServerRegistrationTest, RegisterWritesTheCacheClassAndTypeLibraryAndUnregisterRemovesThem)
{
    TheLibrary().unregisterServer();
    for (int round = 0; round < 2; ++round) {  // registering again changes nothing
        ASSERT_EQ(S_OK, TheLibrary().registerServer());
        ExpectRegistryEntries(
            HKEY_CLASSES_ROOT,
            {
                {kProgId, L"", L"VelmoraPictureCache Class"},
                {kProgId + L"\\CLSID", L"", kClsid},
                {kIndependentProgId, L"", L"VelmoraPictureCache Class"},
                {kIndependentProgId + L"\\CLSID", L"", kClsid},
                {kIndependentProgId + L"\\CurVer", L"", kProgId},
                {kClsidKey, L"", L"VelmoraPictureCache Class"},
                {kClsidKey + L"\\ProgID", L"", kProgId},
                {kClsidKey + L"\\VersionIndependentProgID", L"", kIndependentProgId},
                {kClsidKey + L"\\InprocServer32", L"", LibraryPath()},
                {kClsidKey + L"\\InprocServer32", L"ThreadingModel", L"Free"},
                {kClsidKey + L"\\TypeLib", L"", kLibid},
                {kTypeLibKey, L"", L"VelmoraThumbCtl 1.0 ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ"},
                {kTypeLibKey + kPlatform, L"", LibraryPath()},
                {kTypeLibKey + L"\\HELPDIR", L"", FolderOf(LibraryPath())},
                // The dual interface marshals through its type library.
                {kInterfaceKey, L"", L"IVelmoraPictureCache"},
                {kInterfaceKey + L"\\TypeLib", L"", kLibid},
            },
            {
                {kProgId, {L"CLSID"}, {L""}},
                {kIndependentProgId, {L"CLSID", L"CurVer"}, {L""}},
                {kClsidKey,
                 {L"InprocServer32", L"ProgID", L"Programmable", L"TypeLib", L"VersionIndependentProgID"},
                 {L""}},
                {kClsidKey + L"\\InprocServer32", {}, {L"", L"ThreadingModel"}},
                {kClsidKey + L"\\Programmable", {}, {}},
            });
    }
    for (int round = 0; round < 2; ++round) {  // unregistering what is not there is no error
        EXPECT_EQ(S_OK, TheLibrary().unregisterServer());
        for (const std::wstring& key : {kProgId, kIndependentProgId, kClsidKey, kTypeLibKey, kInterfaceKey})
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << Narrow(key);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    }
}

}  // namespace
