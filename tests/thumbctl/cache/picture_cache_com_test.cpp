// The picture cache through the built VelmoraThumbCtl.dll beside the test program: both
// methods through the vtable and through the type-library IDispatch.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "tests/support/server_library.h"
#include "tests/support/test_files.h"
#include "tests/thumbctl/cache/photo_walk.h"

namespace {

using fw::com::ComPtr;

VARIANT Arg(VARTYPE type, LONGLONG value)
{
    VARIANT v;
    v.vt = type;
    v.llVal = value;  // the low bytes serve the narrower types
    return v;
}

class PictureCacheComTest : public testing::Test {
protected:
    void SetUp() override
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, testing_support::TheLibrary().getClassObject(CLSID_VelmoraPictureCache,
                                                                     IID_IClassFactory, factory.PutVoid()));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IVelmoraPictureCache, cache_.PutVoid()));
        ASSERT_EQ(S_OK, cache_.As(dispatch_));
    }

    // Invoke with the arguments in call order; a method's failure as its HRESULT.
    HRESULT Call(DISPID id, std::vector<VARIANT> args, REFIID riid = IID_NULL)
    {
        std::reverse(args.begin(), args.end());
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        EXCEPINFO exception = {};
        const HRESULT hr =
            dispatch_->Invoke(id, riid, 0, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return hr == DISP_E_EXCEPTION ? exception.scode : hr;
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    ComPtr<IVelmoraPictureCache> cache_;
    ComPtr<IDispatch> dispatch_;
};

TEST_F(PictureCacheComTest, DispatchNamesAndCallsBothMethodsLikeTheVtable)
{
    for (const auto& [name, expected] :
         {std::pair{L"LoadBitmap", 1}, {L"setcachesize", 2}, {L"Nonexistent", -1}}) {
        LPOLESTR text = const_cast<LPOLESTR>(name);
        DISPID id = -1;
        EXPECT_EQ(expected < 0 ? DISP_E_UNKNOWNNAME : S_OK,
                  dispatch_->GetIDsOfNames(IID_NULL, &text, 1, 0, &id));
        EXPECT_EQ(expected, id);
        EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch_->GetIDsOfNames(IID_IUnknown, &text, 1, 0, &id));
    }
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(DISP_E_BADINDEX, dispatch_->GetTypeInfo(1, 0, info.Put()));
    ComPtr<IMarshal> marshal;  // free-threaded: callable from any apartment
    EXPECT_EQ(S_OK, cache_.As(marshal));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, Call(2, {Arg(VT_I2, 4), Arg(VT_I2, 1)}, IID_IUnknown));
    EXPECT_EQ(S_OK, Call(2, {Arg(VT_I2, 4), Arg(VT_I4, 1)}));  // widened as a caller may pass it

    testing_support::TestFiles files;
    cache_test::ReadyWindow w;
    const std::string path = files.AddFile("\x95\x5C.jpg", cache_test::GradientJpeg(16, 12));
    fw::com::Bstr bstr((std::wstring(path.begin(), path.end() - 6) + L"表.jpg").c_str());  // an ASCII folder
    VARIANT text = Arg(VT_BSTR, 0);
    text.bstrVal = bstr.Get();
    HBITMAP bitmap = nullptr, direct = nullptr;
    BITMAP info1 = {}, info2 = {};
    const VARIANT hwnd = Arg(sizeof(void*) == 8 ? VT_I8 : VT_I4, reinterpret_cast<LONG_PTR>(w.Handle()));
    const auto pointer = [&](const void* p) { return Arg(hwnd.vt, reinterpret_cast<LONG_PTR>(p)); };
    EXPECT_EQ(E_FAIL, Call(1, {hwnd, text, pointer(&bitmap), pointer(&info1)}));
    ASSERT_TRUE(cache_test::PumpUntil([&] { return w.Messages() == 1; }, 10000));
    EXPECT_EQ(S_OK, Call(1, {hwnd, text, pointer(&bitmap), pointer(&info1)}));
    EXPECT_EQ(16, info1.bmWidth);
    const auto load = [&] {
        return cache_->LoadBitmap(hwnd.llVal, bstr.Get(), reinterpret_cast<LONG_PTR>(&direct),
                                  reinterpret_cast<LONG_PTR>(&info2));
    };
    EXPECT_EQ(S_OK, load());
    EXPECT_EQ(bitmap, direct);
    EXPECT_EQ(0, memcmp(&info1, &info2, sizeof info1));
    // SetCacheSize with the same sizes empties the cache: a miss again.
    EXPECT_EQ(S_OK, cache_->SetCacheSize(4, 1));
    EXPECT_EQ(E_FAIL, load());
}

TEST_F(PictureCacheComTest, BadArgumentsFailWithoutWriting)
{
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x1234);
    BITMAP info = {};
    const LONG_PTR out = reinterpret_cast<LONG_PTR>(&bitmap), record = reinterpret_cast<LONG_PTR>(&info);
    const fw::com::Bstr paths[] = {fw::com::Bstr(L""), fw::com::Bstr(L"C:\\no such folder\\x.jpg"),
                                   fw::com::Bstr((L"C:\\" + std::wstring(300, L'a') + L".jpg").c_str())};
    EXPECT_EQ(E_FAIL, cache_->LoadBitmap(0, nullptr, out, record));
    for (const fw::com::Bstr& path : paths)
        EXPECT_EQ(E_FAIL, cache_->LoadBitmap(0, path.Get(), out, record));
    EXPECT_EQ(E_POINTER, cache_->LoadBitmap(0, paths[1].Get(), 0, record));
    EXPECT_EQ(E_POINTER, cache_->LoadBitmap(0, paths[1].Get(), out, 0));
    EXPECT_EQ(reinterpret_cast<HBITMAP>(0x1234), bitmap);
}

}  // namespace
