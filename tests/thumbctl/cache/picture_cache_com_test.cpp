// The picture cache through COM: the built VelmoraThumbCtl.dll beside the test
// program, its class object, dispatch, registration and a script client.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "tests/support/server_library.h"
#include "tests/support/test_files.h"
#include "thumbctl/cache/picture_cache_engine.h"

namespace {

using cache_test::PumpUntil;
using cache_test::ReadyWindow;
using fw::com::ComPtr;

using testing_support::TheLibrary;

class PictureCacheComTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_NE(nullptr, TheLibrary().getClassObject);
        ReadyWindow::Log().clear();
    }
    void TearDown() override { CoUninitialize(); }

    ComPtr<IVelmoraPictureCache> Create()
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, TheLibrary().getClassObject(CLSID_VelmoraPictureCache, IID_IClassFactory,
                                                    factory.PutVoid()));
        ComPtr<IVelmoraPictureCache> cache;
        if (factory) {
            EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IVelmoraPictureCache, cache.PutVoid()));
        }
        return cache;
    }

    // Invoke with the arguments in call order; returns the method's HRESULT.
    static HRESULT Call(IDispatch* d, DISPID id, std::initializer_list<VARIANT> args)
    {
        std::vector<VARIANT> reversed(args.begin(), args.end());
        std::reverse(reversed.begin(), reversed.end());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        EXCEPINFO exception = {};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &exception, nullptr);
        VariantClear(&result);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        if (hr == DISP_E_EXCEPTION)
            return exception.scode;
        return hr;
    }

    static VARIANT Pointer(const void* p)
    {
        VARIANT v;
        VariantInit(&v);
#ifdef _WIN64
        v.vt = VT_I8;
        v.llVal = reinterpret_cast<LONG_PTR>(p);
#else
        v.vt = VT_I4;
        v.lVal = reinterpret_cast<LONG_PTR>(p);
#endif
        return v;
    }

    static VARIANT Short(short s)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I2;
        v.iVal = s;
        return v;
    }

    testing_support::TestFiles files;
};

TEST_F(PictureCacheComTest, AnswersItsInterfacesAndTheFreeThreadedMarshaler)
{
    ComPtr<IVelmoraPictureCache> cache = Create();
    ASSERT_TRUE(cache);
    ComPtr<IUnknown> unknown;
    ComPtr<IDispatch> dispatch;
    ComPtr<IMarshal> marshal;
    ComPtr<IPersist> persist;
    EXPECT_EQ(S_OK, cache->QueryInterface(IID_IUnknown, unknown.PutVoid()));
    EXPECT_EQ(S_OK, cache->QueryInterface(IID_IDispatch, dispatch.PutVoid()));
    EXPECT_EQ(S_OK, cache->QueryInterface(IID_IMarshal, marshal.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, cache->QueryInterface(IID_IPersist, persist.PutVoid()));
    // The free-threaded marshaler hands the same object to other apartments.
    CLSID unmarshaler = {};
    ASSERT_TRUE(marshal);
    EXPECT_EQ(S_OK, marshal->GetUnmarshalClass(IID_IVelmoraPictureCache, cache.Get(), MSHCTX_INPROC, nullptr,
                                               MSHLFLAGS_NORMAL, &unmarshaler));
    ComPtr<IUnknown> again;
    cache->QueryInterface(IID_IUnknown, again.PutVoid());
    EXPECT_EQ(unknown.Get(), again.Get());
}

TEST_F(PictureCacheComTest, LibraryStaysLoadedWhileACacheLives)
{
    {
        ComPtr<IVelmoraPictureCache> cache = Create();
        ASSERT_TRUE(cache);
        EXPECT_EQ(S_FALSE, TheLibrary().canUnloadNow());
    }
    EXPECT_EQ(S_OK, TheLibrary().canUnloadNow());
}

TEST_F(PictureCacheComTest, DispatchNamesAndCallsBothMethods)
{
    ComPtr<IVelmoraPictureCache> cache = Create();
    ComPtr<IDispatch> d;
    ASSERT_EQ(S_OK, cache->QueryInterface(IID_IDispatch, d.PutVoid()));
    struct {
        const wchar_t* name;
        DISPID id;
    } names[] = {{L"LoadBitmap", 1}, {L"SetCacheSize", 2}, {L"loadbitmap", 1}};
    for (const auto& n : names) {
        LPOLESTR name = const_cast<LPOLESTR>(n.name);
        DISPID id = -1;
        EXPECT_EQ(S_OK, d->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
        EXPECT_EQ(n.id, id);
    }

    EXPECT_EQ(S_OK, Call(d.Get(), 2, {Short(4), Short(1)}));

    ReadyWindow w;
    std::string path = files.AddFile("\x95\x5C.jpg", cache_test::Jpeg());
    std::wstring widePath(path.begin(), path.end() - 6);  // ASCII folder
    widePath += L"表.jpg";
    BSTR bstr = SysAllocString(widePath.c_str());
    VARIANT p;
    VariantInit(&p);
    p.vt = VT_BSTR;
    p.bstrVal = bstr;
    HBITMAP bitmap = nullptr;
    BITMAP info = {};
    EXPECT_EQ(E_FAIL, Call(d.Get(), 1, {Pointer(w.Handle()), p, Pointer(&bitmap), Pointer(&info)}));
    ASSERT_TRUE(PumpUntil([&] { return w.Messages() == 1; }, 10000));
    EXPECT_EQ(S_OK, Call(d.Get(), 1, {Pointer(w.Handle()), p, Pointer(&bitmap), Pointer(&info)}));
    EXPECT_NE(nullptr, bitmap);
    EXPECT_EQ(16, info.bmWidth);
    EXPECT_EQ(12, info.bmHeight);

    // The vtable gives the same bitmap.
    HBITMAP direct = nullptr;
    BITMAP directInfo = {};
    EXPECT_EQ(S_OK, cache->LoadBitmap(reinterpret_cast<LONG_PTR>(w.Handle()), bstr,
                                      reinterpret_cast<LONG_PTR>(&direct),
                                      reinterpret_cast<LONG_PTR>(&directInfo)));
    EXPECT_EQ(bitmap, direct);
    EXPECT_EQ(0, memcmp(&info, &directInfo, sizeof info));

    // SetCacheSize with the same sizes empties the cache: a miss again.
    EXPECT_EQ(S_OK, cache->SetCacheSize(4, 1));
    EXPECT_EQ(E_FAIL, cache->LoadBitmap(reinterpret_cast<LONG_PTR>(w.Handle()), bstr,
                                        reinterpret_cast<LONG_PTR>(&direct),
                                        reinterpret_cast<LONG_PTR>(&directInfo)));
    SysFreeString(bstr);
}

TEST_F(PictureCacheComTest, BadArgumentsFailWithoutWriting)
{
    ComPtr<IVelmoraPictureCache> cache = Create();
    ReadyWindow w;
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x1234);
    BITMAP info = {};
    const LONG_PTR out = reinterpret_cast<LONG_PTR>(&bitmap);
    const LONG_PTR record = reinterpret_cast<LONG_PTR>(&info);
    const LONG_PTR hwnd = reinterpret_cast<LONG_PTR>(w.Handle());
    std::wstring tooLong = L"C:\\" + std::wstring(300, L'a') + L".jpg";
    BSTR longPath = SysAllocString(tooLong.c_str());
    BSTR missing = SysAllocString(L"C:\\no such folder\\x.jpg");
    EXPECT_EQ(E_FAIL, cache->LoadBitmap(hwnd, nullptr, out, record));
    EXPECT_EQ(E_FAIL, cache->LoadBitmap(hwnd, longPath, out, record));
    EXPECT_EQ(E_FAIL, cache->LoadBitmap(hwnd, missing, out, record));
    EXPECT_EQ(E_POINTER, cache->LoadBitmap(hwnd, missing, 0, record));
    EXPECT_EQ(reinterpret_cast<HBITMAP>(0x1234), bitmap);
    SysFreeString(longPath);
    SysFreeString(missing);
}

std::wstring SystemProgram(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

DWORD RunProgram(const std::wstring& commandLine, DWORD timeoutMs)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 0xFFFFFFFE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST_F(PictureCacheComTest, RegisteredClassIsCreatedByClsidProgIdAndAScript)
{
    ASSERT_EQ(S_OK, TheLibrary().registerServer());
    ComPtr<IVelmoraPictureCache> byClsid;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_VelmoraPictureCache, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IVelmoraPictureCache, byClsid.PutVoid()));
    for (const wchar_t* progId : {L"VelmoraThumbCtl.CPictureCache", L"VelmoraThumbCtl.CPictureCache.1"}) {
        CLSID clsid = {};
        EXPECT_EQ(S_OK, CLSIDFromProgID(progId, &clsid));
        EXPECT_TRUE(IsEqualCLSID(CLSID_VelmoraPictureCache, clsid));
    }
    byClsid = nullptr;

    // A client nobody here wrote: the system's script host, late-bound.
    std::string script =
        files.AddFile("cache.js",
                      "var code = 1;\r\n"
                      "try {\r\n"
                      "  var cache = new ActiveXObject(\"VelmoraThumbCtl.CPictureCache\");\r\n"
                      "  var result = cache.SetCacheSize(12, 3);\r\n"
                      "  code = (result === undefined) ? 7 : 2;\r\n"
                      "  try { cache.LoadBitmap(0, \"C:\\\\no such folder\\\\x.jpg\", 0, 0); code = 4; }\r\n"
                      "  catch (e) { if (code == 7 && (e.number >>> 0) != 0x80004003) code = 5; }\r\n"
                      "} catch (e) {\r\n"
                      "  WScript.Echo(\"error \" + (e.number >>> 0).toString(16));\r\n"
                      "  code = 3;\r\n"
                      "}\r\n"
                      "WScript.Quit(code);\r\n");
    std::wstring command = L"\"" + SystemProgram(L"cscript.exe") + L"\" //nologo \"" +
                           std::wstring(script.begin(), script.end()) + L"\"";
    // 7, not 0: the script host ends with 0 when a script cannot even run.
    EXPECT_EQ(7u, RunProgram(command, 60000));
    EXPECT_EQ(S_OK, TheLibrary().unregisterServer());
}

}  // namespace
