// DllRegisterServer / DllUnregisterServer of VelmoraThumbCtl, called directly and through
// the system's regsvr32: the picture cache's keys and values, the type library, and the
// ForceRemove / NoRemove rules on a real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/com/com_ptr.h"
#include "framework/com/registrar_win32.h"
#include "framework/com/typelib.h"
#include "VelmoraThumbCtl.h"
#include "tests/support/registry.h"
#include "tests/support/server_library.h"

namespace {

using namespace testing_support;

const std::wstring kClsid = L"{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}";
const std::wstring kClsidKey = L"CLSID\\" + kClsid;
const std::wstring kLibid = L"{F9AA4C14-9AF3-42FF-A8A0-EB777C82D655}";
const std::wstring kIid = L"{5EA35EFD-7C47-4040-96D6-51B0AC57D630}";
const std::wstring kProgId = L"VelmoraThumbCtl.CPictureCache.1";
const std::wstring kIndependentProgId = L"VelmoraThumbCtl.CPictureCache";

std::vector<ExpectedValue> CacheValues()
{
    return {
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
    };
}

std::vector<ExpectedShape> CacheShapes()
{
    return {
        {kProgId, {L"CLSID"}, {L""}},
        {kIndependentProgId, {L"CLSID", L"CurVer"}, {L""}},
        {kClsidKey,
         {L"InprocServer32", L"ProgID", L"Programmable", L"TypeLib", L"VersionIndependentProgID"},
         {L""}},
        {kClsidKey + L"\\InprocServer32", {}, {L"", L"ThreadingModel"}},
        {kClsidKey + L"\\Programmable", {}, {}},
    };
}

void ExpectCacheRegistered()
{
    ExpectRegistryEntries(HKEY_CLASSES_ROOT, CacheValues(), CacheShapes());
}

void ExpectCacheUnregistered()
{
    for (const std::wstring& key : {kProgId, kIndependentProgId, kClsidKey}) {
        SCOPED_TRACE(Narrow(key));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key));
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

std::wstring TypeLibPlatform()
{
    return sizeof(void*) == 8 ? L"win64" : L"win32";
}

void ExpectTypeLibRegistered()
{
    const std::wstring version = L"TypeLib\\" + kLibid + L"\\1.0";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, version).value_or(L"<missing>"),
              L"VelmoraThumbCtl 1.0 ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, version + L"\\0\\" + TypeLibPlatform()).value_or(L"<missing>"),
              LibraryPath());
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, version + L"\\HELPDIR").value_or(L"<missing>"),
              FolderOf(LibraryPath()));
    // The dual interface is registered for automation marshaling with its type library.
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L"Interface\\" + kIid).value_or(L"<missing>"),
              L"IVelmoraPictureCache");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L"Interface\\" + kIid + L"\\TypeLib").value_or(L"<missing>"),
              kLibid);
}

void ExpectTypeLibUnregistered()
{
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + kLibid + L"\\1.0"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + kIid));
}

class ServerRegistrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(TheLibrary().module, nullptr) << Narrow(LibraryPath());
        ASSERT_NE(TheLibrary().registerServer, nullptr);
        ASSERT_NE(TheLibrary().unregisterServer, nullptr);
        TheLibrary().unregisterServer();
    }
    void TearDown() override
    {
        TheLibrary().unregisterServer();
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kIndependentProgId.c_str());
    }
};

TEST_F(ServerRegistrationTest, RegisterWritesExactlyTheCacheClassEntriesAndTheTypeLibrary)
{
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    ExpectCacheRegistered();
    ExpectTypeLibRegistered();
    // Registering again changes nothing.
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    ExpectCacheRegistered();
}

TEST_F(ServerRegistrationTest, UnregisterRemovesThemAndKeepsTheClsidKey)
{
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    EXPECT_EQ(TheLibrary().unregisterServer(), S_OK);
    ExpectCacheUnregistered();
    ExpectTypeLibUnregistered();
    // Unregistering what is not registered is not an error.
    EXPECT_EQ(TheLibrary().unregisterServer(), S_OK);
}

TEST_F(ServerRegistrationTest, ForceRemoveWipesStaleContentOfTheClassKey)
{
    WriteString(HKEY_CLASSES_ROOT, kClsidKey, L"Stale", L"old");
    WriteString(HKEY_CLASSES_ROOT, kClsidKey + L"\\InprocServer32", L"Extra", L"old");
    WriteString(HKEY_CLASSES_ROOT, kClsidKey + L"\\LocalServer32", L"", L"C:\\old.exe");
    WriteString(HKEY_CLASSES_ROOT, kClsidKey + L"\\Programmable\\Sub", L"", L"old");
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    ExpectCacheRegistered();
}

TEST_F(ServerRegistrationTest, PlainKeyWithForeignContentSurvivesUnregistering)
{
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);
    WriteString(HKEY_CLASSES_ROOT, kIndependentProgId, L"Foreign", L"keep");
    EXPECT_EQ(TheLibrary().unregisterServer(), S_OK);
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, kIndependentProgId), std::vector<std::wstring>{L"Foreign"});
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, kIndependentProgId), std::vector<std::wstring>{});
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
}

TEST_F(ServerRegistrationTest, TypeLibraryComesFromTheTlbBesideAModuleWithoutOne)
{
    fw::com::CoInitScope com;
    const std::wstring folder = FolderOf(LibraryPath());
    const std::wstring module = folder + L"\\TypeLibOnly.dll";
    fw::com::ComPtr<ITypeLib> library;
    std::wstring loadedFrom;
    ASSERT_EQ(fw::com::LoadTypeLibFromModule(LibraryPath(), library.Put(), &loadedFrom), S_OK);
    EXPECT_EQ(loadedFrom, LibraryPath());
    ASSERT_EQ(fw::com::LoadTypeLibFromModule(module, library.Put(), &loadedFrom), S_OK);
    EXPECT_EQ(loadedFrom, folder + L"\\TypeLibOnly.tlb");
    EXPECT_TRUE(
        FAILED(fw::com::LoadTypeLibFromModule(folder + L"\\Missing.dll", library.Put(), &loadedFrom)));
    EXPECT_FALSE(library);

    ASSERT_EQ(fw::com::RegisterModuleTypeLib(module), S_OK);
    const std::wstring version = L"TypeLib\\" + kLibid + L"\\1.0";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, version + L"\\0\\" + TypeLibPlatform()).value_or(L"<missing>"),
              folder + L"\\TypeLibOnly.tlb");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, version + L"\\HELPDIR").value_or(L"<missing>"), folder);
    EXPECT_EQ(fw::com::UnregisterModuleTypeLib(module), S_OK);
    ExpectTypeLibUnregistered();
}

TEST_F(ServerRegistrationTest, RegisteredCacheIsCreatedByClassIdentifierAndDispatchesByName)
{
    fw::com::CoInitScope com;
    ASSERT_EQ(TheLibrary().registerServer(), S_OK);

    fw::com::ComPtr<IDispatch> cache;
    ASSERT_EQ(CoCreateInstance(CLSID_VelmoraPictureCache, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               cache.PutVoid()),
              S_OK);
    fw::com::ComPtr<IMarshal> marshal;
    EXPECT_EQ(cache.As(marshal), S_OK);
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"SetCacheSize")};
    DISPID id = 0;
    ASSERT_EQ(cache->GetIDsOfNames(IID_NULL, name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 2);
    VARIANT sizes[2];
    V_VT(&sizes[0]) = VT_I2;
    V_I2(&sizes[0]) = 2;
    V_VT(&sizes[1]) = VT_I2;
    V_I2(&sizes[1]) = 8;
    DISPPARAMS params{sizes, nullptr, 2, 0};
    EXPECT_EQ(cache->Invoke(id, IID_NULL, 0x0400, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(ServerRegistrationTest, Regsvr32RegistersAndUnregistersTheLibrary)
{
    const std::wstring quoted = L"\"" + LibraryPath() + L"\"";
    ASSERT_EQ(RunSystemProgram(L"regsvr32.exe", L"/s " + quoted, 60000), 0);
    ExpectCacheRegistered();
    ExpectTypeLibRegistered();
    ASSERT_EQ(RunSystemProgram(L"regsvr32.exe", L"/u /s " + quoted, 60000), 0);
    ExpectCacheUnregistered();
    ExpectTypeLibUnregistered();
}

}  // namespace

namespace {

// The Win32 side of the script interpreter, on a scratch key of the current user.
const std::wstring kScratch = L"Software\\VelmoraRegistrarTest";

class Win32RegistrarTest : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch.c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch.c_str()); }

    HRESULT Apply(const char* script, bool registering)
    {
        fw::com::Win32Registry registry;
        return fw::com::UpdateRegistryFromScript(script, {{"MODULE", "C:\\It's\\m.dll"}}, registering,
                                                 registry);
    }
};

TEST_F(Win32RegistrarTest, MalformedScriptsFailBeforeWritingAnything)
{
    const char* const malformed[] = {
        "HKCU { NoRemove Software { VelmoraRegistrarTest { A = s 'a' } }",
        "HKCU { NoRemove Software { VelmoraRegistrarTest = s 'x' { val N = d 'z' } } }",
        "HKCU { NoRemove Software { VelmoraRegistrarTest = s '%OTHER%' } }",
    };
    for (const char* script : malformed) {
        SCOPED_TRACE(script);
        EXPECT_EQ(Apply(script, true), fw::com::kRegistrationScriptInvalid);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kScratch));
    }
}

TEST_F(Win32RegistrarTest, StringsNumbersAndModulePathReadBackAndGoAgain)
{
    const char* script =
        "HKCU { NoRemove Software { ForceRemove VelmoraRegistrarTest = s '%MODULE%' {\n"
        "  val Number = d '0x20191'\n"
        "  'Sub Key' { val Text = s '\xEF\xBE\x92\xEF\xBD\xBF\xEF\xBD\xAF\xEF\xBE\x84\xEF\xBE\x9E' }\n"
        "} } }";
    ASSERT_EQ(Apply(script, true), S_OK);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kScratch).value_or(L"<missing>"), L"C:\\It's\\m.dll");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kScratch + L"\\Sub Key", L"Text").value_or(L"<missing>"),
              L"ﾒｿｯﾄﾞ");
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    DWORD type = 0;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, kScratch.c_str(), L"Number", RRF_RT_ANY, &type, &number, &bytes),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 131473u);

    ASSERT_EQ(Apply(script, false), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kScratch));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
}

}  // namespace
