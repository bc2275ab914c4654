// The VelmoraThumbCtl library: its embedded type library, the type-library-driven
// IDispatch of the object template, and its class objects.
#include <gtest/gtest.h>

#include <windows.h>

#include <oaidl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "framework/com/dispatch.h"
#include "framework/com/module.h"
#include "framework/com/object.h"
#include "framework/com/typelib.h"
#include "tests/support/server_library.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using namespace testing_support;

const VARTYPE kPointerSized = sizeof(void*) == 8 ? VT_I8 : VT_I4;

struct Documentation {
    std::wstring name;
    std::wstring help;
};

Documentation Document(ITypeInfo* info, MEMBERID id)
{
    Bstr name;
    Bstr help;
    EXPECT_EQ(info->GetDocumentation(id, name.Put(), help.Put(), nullptr, nullptr), S_OK);
    return {name.CStr(), help.CStr()};
}

class TypeLibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, library_.Put()), S_OK)
            << Narrow(LibraryPath());
    }
    ComPtr<ITypeLib> library_;
    fw::com::CoInitScope com_;
};

TEST_F(TypeLibraryTest, LibraryIdentityVersionAndHelpString)
{
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_VELMORATHUMBCTLLib));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library_->ReleaseTLibAttr(attributes);

    Bstr name;
    Bstr help;
    ASSERT_EQ(library_->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.CStr(), L"VELMORATHUMBCTLLib");
    EXPECT_EQ(Narrow(help.CStr()), "VelmoraThumbCtl 1.0 ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ");
}

TEST_F(TypeLibraryTest, PictureCacheInterfaceIsDualWithItsMethods)
{
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(IID_IVelmoraPictureCache, dispatch.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(dispatch->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    dispatch->ReleaseTypeAttr(attributes);
    const Documentation doc = Document(dispatch.Get(), MEMBERID_NIL);
    EXPECT_EQ(doc.name, L"IVelmoraPictureCache");
    EXPECT_EQ(doc.help, L"IVelmoraPictureCache Interface");

    // The vtable side of the dual interface.
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtableRef), S_OK);
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(dispatch->GetRefTypeInfo(vtableRef, vtable.Put()), S_OK);
    ASSERT_EQ(vtable->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION),
              TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attributes->cFuncs, 2);
    vtable->ReleaseTypeAttr(attributes);

    struct Method {
        MEMBERID id;
        const char* help;
        std::vector<std::wstring> names;  // method, then parameters
        std::vector<VARTYPE> types;
        int slot;
    };
    const Method methods[] = {
        {1,
         "ﾒｿｯﾄﾞ LoadBitmap",
         {L"LoadBitmap", L"hWnd", L"path", L"phBitmap", L"pBitmapInfo"},
         {kPointerSized, VT_BSTR, kPointerSized, kPointerSized},
         7},
        {2, "ﾒｿｯﾄﾞ SetCacheSize", {L"SetCacheSize", L"dCacheSize", L"dCacheOutCount"}, {VT_I2, VT_I2}, 8},
    };
    for (UINT index = 0; index < 2; ++index) {
        const Method& m = methods[index];
        SCOPED_TRACE(Narrow(m.names[0]));
        FUNCDESC* func = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(index, &func), S_OK);
        EXPECT_EQ(func->memid, m.id);
        EXPECT_EQ(func->invkind, INVOKE_FUNC);
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(func->oVft, static_cast<SHORT>(m.slot * sizeof(void*)));
        ASSERT_EQ(func->cParams, static_cast<SHORT>(m.types.size()));
        for (size_t p = 0; p < m.types.size(); ++p) {
            EXPECT_EQ(func->lprgelemdescParam[p].tdesc.vt, m.types[p]) << "parameter " << p;
            EXPECT_TRUE(func->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FIN)
                << "parameter " << p;
        }
        vtable->ReleaseFuncDesc(func);

        BSTR names[8] = {};
        UINT count = 0;
        ASSERT_EQ(vtable->GetNames(m.id, names, 8, &count), S_OK);
        std::vector<std::wstring> got;
        for (UINT i = 0; i < count; ++i) {
            got.emplace_back(names[i]);
            SysFreeString(names[i]);
        }
        EXPECT_EQ(got, m.names);
        EXPECT_EQ(Narrow(Document(vtable.Get(), m.id).help), m.help);
    }
}

TEST_F(TypeLibraryTest, PictureCacheClassNamesItsDefaultInterface)
{
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(CLSID_VelmoraPictureCache, coclass.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_EQ(attributes->cImplTypes, 1);
    coclass->ReleaseTypeAttr(attributes);
    EXPECT_EQ(Document(coclass.Get(), MEMBERID_NIL).help, L"VelmoraPictureCache Class");

    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
    ComPtr<ITypeInfo> implemented;
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, implemented.Put()), S_OK);
    ASSERT_EQ(implemented->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IVelmoraPictureCache));
    implemented->ReleaseTypeAttr(attributes);
}

// A stand-in picture cache that records what reaches its vtable.
class RecordingCache final
    : public fw::com::Implements<fw::com::Dispatch<IVelmoraPictureCache>, fw::com::FreeThreaded> {
public:
    STDMETHODIMP LoadBitmap(LONG_PTR hWnd, BSTR path, LONG_PTR phBitmap, LONG_PTR pBitmapInfo) override
    {
        window = hWnd;
        this->path = path ? path : L"<null>";
        bitmapAddress = phBitmap;
        infoAddress = pBitmapInfo;
        return loadResult;
    }
    STDMETHODIMP SetCacheSize(short dCacheSize, short dCacheOutCount) override
    {
        size = dCacheSize;
        outCount = dCacheOutCount;
        return S_OK;
    }

    LONG_PTR window = 0;
    std::wstring path;
    LONG_PTR bitmapAddress = 0;
    LONG_PTR infoAddress = 0;
    HRESULT loadResult = S_OK;
    short size = 0;
    short outCount = 0;
};

class DispatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        fw::com::SetModuleTypeLibPath(LibraryPath());
        ASSERT_EQ(fw::com::CreateInstance<RecordingCache>(nullptr, __uuidof(IVelmoraPictureCache),
                                                          cache_.PutVoid()),
                  S_OK);
        recorder_ = static_cast<RecordingCache*>(cache_.Get());
        ASSERT_EQ(cache_.As(dispatch_), S_OK);
    }
    void TearDown() override
    {
        dispatch_.Reset();
        cache_.Reset();
        fw::com::SetModuleTypeLibPath(L"");
    }

    DISPID IdOf(const wchar_t* name)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        return id;
    }

    fw::com::CoInitScope com_;
    ComPtr<IVelmoraPictureCache> cache_;
    ComPtr<IDispatch> dispatch_;
    RecordingCache* recorder_ = nullptr;
};

TEST_F(DispatchTest, NamesMapToTheirDispatchIdsWithoutRegardToCase)
{
    EXPECT_EQ(IdOf(L"LoadBitmap"), 1);
    EXPECT_EQ(IdOf(L"SetCacheSize"), 2);
    EXPECT_EQ(IdOf(L"setcachesize"), 2);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Nonexistent")};
    DISPID id = 0;
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_IUnknown, unknown, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTest, InvokeReachesTheVtableWithConvertedArguments)
{
    // Arguments travel last first; the locale is ignored.
    VARIANT sizes[2];
    V_VT(&sizes[0]) = VT_I4;
    V_I4(&sizes[0]) = 3;  // dCacheOutCount, widened as a caller might pass it
    V_VT(&sizes[1]) = VT_I2;
    V_I2(&sizes[1]) = 12;
    DISPPARAMS params{sizes, nullptr, 2, 0};
    fw::com::Variant result;
    EXPECT_EQ(
        dispatch_->Invoke(2, IID_NULL, 0x0400, DISPATCH_METHOD, &params, result.Get(), nullptr, nullptr),
        S_OK);
    EXPECT_EQ(recorder_->size, 12);
    EXPECT_EQ(recorder_->outCount, 3);

    Bstr path(L"C:\\\u753b\u50cf\\a.jpg");
    VARIANT load[4];
    V_VT(&load[0]) = kPointerSized;
    V_VT(&load[1]) = kPointerSized;
    V_VT(&load[2]) = VT_BSTR;
    V_BSTR(&load[2]) = path.Get();
    V_VT(&load[3]) = kPointerSized;
    if (kPointerSized == VT_I8) {
        V_I8(&load[0]) = 0x7000000000001234LL;
        V_I8(&load[1]) = 0x7000000000005678LL;
        V_I8(&load[3]) = 0x10;
    } else {
        V_I4(&load[0]) = 0x1234;
        V_I4(&load[1]) = 0x5678;
        V_I4(&load[3]) = 0x10;
    }
    DISPPARAMS loadParams{load, nullptr, 4, 0};
    EXPECT_EQ(dispatch_->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &loadParams, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(recorder_->window, 0x10);
    EXPECT_EQ(recorder_->path, L"C:\\\u753b\u50cf\\a.jpg");
    EXPECT_EQ(recorder_->bitmapAddress,
              kPointerSized == VT_I8 ? static_cast<LONG_PTR>(0x7000000000005678LL) : 0x5678);
    EXPECT_EQ(recorder_->infoAddress,
              kPointerSized == VT_I8 ? static_cast<LONG_PTR>(0x7000000000001234LL) : 0x1234);

    // A failing method reaches the caller as an exception carrying its HRESULT.
    recorder_->loadResult = E_FAIL;
    EXCEPINFO exception{};
    const HRESULT hr =
        dispatch_->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &loadParams, nullptr, &exception, nullptr);
    EXPECT_TRUE(hr == DISP_E_EXCEPTION || hr == E_FAIL) << std::hex << hr;
    if (hr == DISP_E_EXCEPTION) {
        EXPECT_EQ(exception.scode, E_FAIL);
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

TEST_F(DispatchTest, InvokeRefusesBadCalls)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch_->Invoke(2, IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(dispatch_->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(dispatch_->Invoke(99, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(recorder_->size, 0);
}

TEST_F(DispatchTest, TypeInfoIsLoadedOnceAndSharedAcrossThreads)
{
    UINT count = 0;
    EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> bad;
    EXPECT_EQ(dispatch_->GetTypeInfo(1, 0, bad.Put()), DISP_E_BADINDEX);
    EXPECT_FALSE(bad);

    constexpr int kThreads = 4;
    std::vector<ITypeInfo*> seen(kThreads, nullptr);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    IDispatch* shared = dispatch_.Get();  // free-threaded: callable from any thread
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            fw::com::CoInitScope com;
            for (int i = 0; i < 50; ++i) {
                ComPtr<ITypeInfo> info;
                if (FAILED(shared->GetTypeInfo(0, 0, info.Put())))
                    ++failures;
                else if (!seen[t])
                    seen[t] = info.Get();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, info.Put()), S_OK);
    for (ITypeInfo* one : seen)
        EXPECT_EQ(one, info.Get());
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IVelmoraPictureCache));
    info->ReleaseTypeAttr(attributes);
}

class ClassObjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(TheLibrary().module, nullptr) << Narrow(LibraryPath());
        ASSERT_NE(TheLibrary().getClassObject, nullptr);
        ASSERT_NE(TheLibrary().canUnloadNow, nullptr);
    }
    fw::com::CoInitScope com_;
};

TEST_F(ClassObjectTest, UnknownClassIsNotAvailable)
{
    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* out = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(TheLibrary().getClassObject(unknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_OK);
}

TEST_F(ClassObjectTest, PictureCacheFactoryHoldsTheLibraryWhileItsObjectsOrLocksLive)
{
    ComPtr<IClassFactory> factory;
    const HRESULT hr =
        TheLibrary().getClassObject(CLSID_VelmoraPictureCache, IID_IClassFactory, factory.PutVoid());
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_FALSE);
    ComPtr<IVelmoraPictureCache> cache;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IVelmoraPictureCache, cache.PutVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_FALSE);
    cache.Reset();
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_FALSE);
    ASSERT_EQ(TheLibrary().getClassObject(CLSID_VelmoraPictureCache, IID_IClassFactory, factory.PutVoid()),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(TheLibrary().canUnloadNow(), S_OK);
}

}  // namespace
