// What the built library's registration writes and removes beyond what the registrar tables
// cover: the module's path, the type library and the interface that marshals through it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/registry.h"
#include "tests/support/server_library.h"

namespace {

using namespace testing_support;

const std::wstring kClsidKey = L"CLSID\\{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}";
const std::wstring kLibid = L"{F9AA4C14-9AF3-42FF-A8A0-EB777C82D655}";
const std::wstring kTypeLibKey = L"TypeLib\\" + kLibid + L"\\1.0";
const std::wstring kInterfaceKey = L"Interface\\{5EA35EFD-7C47-4040-96D6-51B0AC57D630}";
const std::wstring kProgId = L"VelmoraThumbCtl.CPictureCache";

TEST(ServerRegistrationTest, RegisterWritesTheCacheClassAndTypeLibraryAndUnregisterRemovesThem)
{
    TheLibrary().unregisterServer();
    for (int round = 0; round < 2; ++round) {  // registering again changes nothing
        ASSERT_EQ(S_OK, TheLibrary().registerServer());
        const std::wstring expected[][3] = {
            {kProgId + L"\\CurVer", L"", kProgId + L".1"},
            {kClsidKey + L"\\InprocServer32", L"", LibraryPath()},
            {kClsidKey + L"\\InprocServer32", L"ThreadingModel", L"Free"},
            {kTypeLibKey, L"", L"VelmoraThumbCtl 1.0 ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ"},
            {kTypeLibKey + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32"), L"", LibraryPath()},
            {kTypeLibKey + L"\\HELPDIR", L"", FolderOf(LibraryPath())},
            {kInterfaceKey, L"", L"IVelmoraPictureCache"},
            {kInterfaceKey + L"\\TypeLib", L"", kLibid}};
        for (const auto& [key, name, data] : expected)
            EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key, name).value_or(L"<missing>"), data) << Narrow(key);
        // The class key holds exactly these subkeys and its default value.
        EXPECT_EQ(Names(HKEY_CLASSES_ROOT, kClsidKey, false),
                  (std::vector<std::wstring>{L"InprocServer32", L"ProgID", L"Programmable", L"TypeLib",
                                             L"VersionIndependentProgID"}));
        EXPECT_EQ(Names(HKEY_CLASSES_ROOT, kClsidKey, true), std::vector<std::wstring>{L""});
    }
    for (int round = 0; round < 2; ++round) {  // unregistering what is not there is no error
        EXPECT_EQ(S_OK, TheLibrary().unregisterServer());
        for (const std::wstring& key : {kProgId + L".1", kProgId, kClsidKey, kTypeLibKey, kInterfaceKey})
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << Narrow(key);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    }
}

}  // namespace
