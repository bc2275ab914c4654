// The control's entries in the library's type library: the dual interface in vtable
// order, the events dispinterface and the class, before the picture cache's class.
#include <gtest/gtest.h>

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <vector>

#include "VelmoraThumbCtl.h"
#include "framework/com/com_ptr.h"
#include "tests/support/server_library.h"

namespace {

using fw::com::Bstr;
using fw::com::ComPtr;
using testing_support::LibraryPath;
using testing_support::Narrow;

struct Member {
    MEMBERID id;
    INVOKEKIND kind;
    std::wstring name;
    std::vector<std::wstring> params;
    VARTYPE paramType;  // VT_EMPTY without parameters
    std::wstring help;
};

class ControlTypeLibTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, library_.Put()), S_OK);
    }

    std::vector<Member> Members(REFGUID guid, TYPEKIND expectedKind)
    {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.Put()), S_OK);
        if (!info)
            return {};
        TYPEATTR* attributes = nullptr;
        EXPECT_EQ(info->GetTypeAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->typekind, expectedKind);
        const WORD count = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        std::vector<Member> members;
        for (WORD i = 0; i < count; ++i) {
            FUNCDESC* f = nullptr;
            EXPECT_EQ(info->GetFuncDesc(i, &f), S_OK);
            Member m{f->memid, f->invkind, {}, {}, VT_EMPTY, {}};
            BSTR names[8]{};
            UINT got = 0;
            info->GetNames(f->memid, names, 8, &got);
            if (f->invkind == INVOKE_PROPERTYPUT)
                got = f->cParams + 1;  // names of put parameters are not always kept
            for (UINT n = 0; n < got && n < 8; ++n) {
                if (n == 0)
                    m.name = names[0] ? names[0] : L"";
                else if (f->invkind != INVOKE_PROPERTYPUT)
                    m.params.push_back(names[n] ? names[n] : L"");
                SysFreeString(names[n]);
            }
            if (f->cParams > 0)
                m.paramType = f->lprgelemdescParam[0].tdesc.vt;
            Bstr help;
            info->GetDocumentation(f->memid, nullptr, help.Put(), nullptr, nullptr);
            m.help = help.CStr();
            info->ReleaseFuncDesc(f);
            // Dispatch-only listings of a dual interface repeat IDispatch's members.
            if (m.id >= 0x60000000)
                continue;
            members.push_back(std::move(m));
        }
        return members;
    }

    ComPtr<ITypeLib> library_;
    fw::com::CoInitScope com_;
};

TEST_F(ControlTypeLibTest, ControlInterfaceListsItsMembersInVtableOrder)
{
    const std::vector<Member> expected = {
        {-552, INVOKE_FUNC, L"About", {}, VT_EMPTY, L"ﾒｿｯﾄﾞ About"},
        {1, INVOKE_FUNC, L"displayFile", {L"strFileName"}, VT_BSTR, L"ﾒｿｯﾄﾞ displayFile"},
        {2, INVOKE_PROPERTYGET, L"FilterExtention", {}, VT_PTR, L"ﾌﾟﾛﾊﾟﾃｨ FilterExtention"},
        {3, INVOKE_PROPERTYPUT, L"IPictureCache", {}, VT_UNKNOWN, L"ﾌﾟﾛﾊﾟﾃｨ IPictureCache"},
        {4, INVOKE_FUNC, L"loadFile", {L"strFileName"}, VT_BSTR, L"ﾒｿｯﾄﾞ loadFile"},
        {5, INVOKE_PROPERTYGET, L"AcceptDropFiles", {}, VT_PTR, L"ﾌﾟﾛﾊﾟﾃｨ AcceptDropFiles"},
        {5, INVOKE_PROPERTYPUT, L"AcceptDropFiles", {}, VT_I4, L"ﾌﾟﾛﾊﾟﾃｨ AcceptDropFiles"},
        {6, INVOKE_PROPERTYGET, L"FileName", {}, VT_PTR, L"ﾌﾟﾛﾊﾟﾃｨ FileName"},
        {6, INVOKE_PROPERTYPUT, L"FileName", {}, VT_BSTR, L"ﾌﾟﾛﾊﾟﾃｨ FileName"},
        {-518, INVOKE_PROPERTYPUT, L"Caption", {}, VT_BSTR, L""},
        {-518, INVOKE_PROPERTYGET, L"Caption", {}, VT_PTR, L""},
    };
    // The vtable side of the dual interface.
    ComPtr<ITypeInfo> dispatchSide;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(IID_IVelmoraThumbCtl, dispatchSide.Put()), S_OK);
    HREFTYPE ref = 0;
    ASSERT_EQ(dispatchSide->GetRefTypeOfImplType(-1, &ref), S_OK);
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(dispatchSide->GetRefTypeInfo(ref, vtable.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(vtable->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attributes->cbSizeVft, (7 + expected.size()) * sizeof(void*));
    vtable->ReleaseTypeAttr(attributes);
    Bstr help;
    ASSERT_EQ(vtable->GetDocumentation(MEMBERID_NIL, nullptr, help.Put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(help.CStr(), L"IVelmoraThumbCtl Interface");

    for (WORD i = 0; i < expected.size(); ++i) {
        const Member& want = expected[i];
        SCOPED_TRACE(Narrow(want.name));
        FUNCDESC* f = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(i, &f), S_OK);
        EXPECT_EQ(f->memid, want.id);
        EXPECT_EQ(f->invkind, want.kind);
        EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
        EXPECT_EQ(f->cParams, want.paramType == VT_EMPTY ? 0 : 1);
        if (f->cParams) {
            EXPECT_EQ(f->lprgelemdescParam[0].tdesc.vt, want.paramType);
        }
        BSTR names[2]{};
        UINT got = 0;
        vtable->GetNames(f->memid, names, 2, &got);
        EXPECT_STREQ(names[0], want.name.c_str());
        if (!want.params.empty()) {
            ASSERT_GT(got, 1u) << "parameter name missing";
            EXPECT_STREQ(names[1], want.params[0].c_str());
        }
        for (BSTR& n : names)
            SysFreeString(n);
        Bstr doc;
        vtable->GetDocumentation(f->memid, nullptr, doc.Put(), nullptr, nullptr);
        // Get and put of one property share their documentation entry.
        EXPECT_STREQ(doc.CStr(), want.help.c_str());
        vtable->ReleaseFuncDesc(f);
    }
}

TEST_F(ControlTypeLibTest, EventsAreADispinterfaceOfFourMethods)
{
    const std::vector<Member> members = Members(DIID__IVelmoraThumbCtlEvents, TKIND_DISPATCH);
    const std::vector<std::pair<MEMBERID, std::wstring>> expected = {
        {1, L"RClick"}, {2, L"RClickUp"}, {3, L"RDbClick"}, {4, L"OnDropFiles"}};
    ASSERT_EQ(members.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(members[i].id, expected[i].first);
        EXPECT_EQ(members[i].name, expected[i].second);
        EXPECT_EQ(members[i].kind, INVOKE_FUNC);
        EXPECT_EQ(members[i].help, L"ﾒｿｯﾄﾞ " + expected[i].second);
    }
    EXPECT_EQ(members[3].params, std::vector<std::wstring>{L"pFiles"});
    EXPECT_EQ(members[3].paramType, VT_BSTR);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(DIID__IVelmoraThumbCtlEvents, info.Put()), S_OK);
    Bstr help;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, nullptr, help.Put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(help.CStr(), L"_IVelmoraThumbCtlEvents Interface");
}

TEST_F(ControlTypeLibTest, ControlClassComesFirstWithItsDefaultInterfaceAndSource)
{
    std::vector<GUID> classes;
    for (UINT i = 0; i < library_->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        library_->GetTypeInfoType(i, &kind);
        if (kind != TKIND_COCLASS)
            continue;
        ComPtr<ITypeInfo> info;
        library_->GetTypeInfo(i, info.Put());
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        classes.push_back(attributes->guid);
        info->ReleaseTypeAttr(attributes);
    }
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(classes[0], CLSID_VelmoraThumbCtl));
    EXPECT_TRUE(IsEqualGUID(classes[1], CLSID_VelmoraPictureCache));

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(CLSID_VelmoraThumbCtl, coclass.Put()), S_OK);
    Bstr help;
    ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, nullptr, help.Put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(help.CStr(), L"VelmoraThumbCtl Class");
    struct Impl {
        const GUID* iid;
        INT flags;
    };
    const Impl impls[] = {{&IID_IVelmoraThumbCtl, IMPLTYPEFLAG_FDEFAULT},
                          {&DIID__IVelmoraThumbCtlEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, impls[i].flags);
        HREFTYPE ref = 0;
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
        ComPtr<ITypeInfo> implemented;
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, implemented.Put()), S_OK);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(implemented->GetTypeAttr(&attributes), S_OK);
        EXPECT_TRUE(IsEqualGUID(attributes->guid, *impls[i].iid));
        implemented->ReleaseTypeAttr(attributes);
    }
}

}  // namespace
