// Conformance of the COM object template, in the manner of Wine's COM tests: identity,
// reference counts, QueryInterface for unexpected interfaces, aggregation, the
// free-threaded marshaler, exceptions at the boundary, and the class factory.
#include <gtest/gtest.h>

#include <objbase.h>

#include <stdexcept>

#include "framework/com/class_factory.h"
#include "framework/com/com_ptr.h"
#include "framework/com/module.h"
#include "framework/com/object.h"

MIDL_INTERFACE("A1E3D9C0-5B1E-4F62-9C4B-6A3E2F0D7B11")
ITestBase : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Base(LONG * value) = 0;
};
__CRT_UUID_DECL(ITestBase, 0xa1e3d9c0, 0x5b1e, 0x4f62, 0x9c, 0x4b, 0x6a, 0x3e, 0x2f, 0x0d, 0x7b, 0x11)

MIDL_INTERFACE("A1E3D9C0-5B1E-4F62-9C4B-6A3E2F0D7B12")
ITestDerived : public ITestBase
{
    virtual HRESULT STDMETHODCALLTYPE Derived(LONG * value) = 0;
};
__CRT_UUID_DECL(ITestDerived, 0xa1e3d9c0, 0x5b1e, 0x4f62, 0x9c, 0x4b, 0x6a, 0x3e, 0x2f, 0x0d, 0x7b, 0x12)

MIDL_INTERFACE("A1E3D9C0-5B1E-4F62-9C4B-6A3E2F0D7B13")
ITestOther : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Throw(LONG kind) = 0;
};
__CRT_UUID_DECL(ITestOther, 0xa1e3d9c0, 0x5b1e, 0x4f62, 0x9c, 0x4b, 0x6a, 0x3e, 0x2f, 0x0d, 0x7b, 0x13)

namespace {

using fw::com::Chain;
using fw::com::ComPtr;
using fw::com::FreeThreaded;
using fw::com::Implements;

const CLSID kTestClass = {0xa1e3d9c0, 0x5b1e, 0x4f62, {0x9c, 0x4b, 0x6a, 0x3e, 0x2f, 0x0d, 0x7b, 0x20}};
const CLSID kUnknownClass = {0xa1e3d9c0, 0x5b1e, 0x4f62, {0x9c, 0x4b, 0x6a, 0x3e, 0x2f, 0x0d, 0x7b, 0x21}};

int g_destroyed = 0;

template <typename... Entries>
class Sample : public Implements<Chain<ITestDerived, ITestBase>, ITestOther, Entries...> {
public:
    explicit Sample(LONG value = 7) : value_(value) {}
    ~Sample() override { ++g_destroyed; }

    STDMETHODIMP Base(LONG* value) override
    {
        *value = value_;
        return S_OK;
    }
    STDMETHODIMP Derived(LONG* value) override
    {
        *value = value_ * 2;
        return S_OK;
    }
    STDMETHODIMP Throw(LONG kind) override
    {
        return fw::com::Guarded([&]() -> HRESULT {
            if (kind == 1)
                throw std::bad_alloc();
            if (kind == 2)
                throw fw::com::HResultError(E_ACCESSDENIED);
            if (kind == 3)
                throw 42;
            return S_OK;
        });
    }

private:
    LONG value_;
};

using Plain = Sample<>;
using Agile = Sample<FreeThreaded>;

class FailsToConstruct final : public Implements<ITestOther> {
public:
    explicit FailsToConstruct(int how)
    {
        if (how == 0)
            throw std::runtime_error("constructor");
        how_ = how;
    }
    HRESULT FinalConstruct() { return how_ == 1 ? E_ABORT : S_OK; }
    STDMETHODIMP Throw(LONG) override { return S_OK; }

private:
    int how_ = 0;
};

ULONG RefCount(IUnknown* unknown)
{
    unknown->AddRef();
    return unknown->Release();
}

#define EXPECT_REF(obj, n) EXPECT_EQ(RefCount(obj), static_cast<ULONG>(n))

// An outer object for aggregation: forwards everything it does not know to the inner
// object's non-delegating unknown and counts its own references.
class Outer final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        ++forwarded;
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
    int forwarded = 0;
    IUnknown* inner = nullptr;
};

class ComObjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(fw::com::Module::Objects(), 0);
        g_destroyed = 0;
    }
    void TearDown() override { EXPECT_EQ(fw::com::Module::Objects(), 0); }
    fw::com::CoInitScope com_;
};

TEST_F(ComObjectTest, ReferenceCountsAndDestruction)
{
    ComPtr<ITestDerived> derived;
    ASSERT_EQ(fw::com::Make<Plain>(derived, 5), S_OK);
    EXPECT_EQ(fw::com::Module::Objects(), 1);
    EXPECT_REF(derived.Get(), 1);
    EXPECT_EQ(derived->AddRef(), 2u);
    EXPECT_EQ(derived->Release(), 1u);
    LONG value = 0;
    EXPECT_EQ(derived->Derived(&value), S_OK);
    EXPECT_EQ(value, 10);
    derived.Reset();
    EXPECT_EQ(g_destroyed, 1);
}

TEST_F(ComObjectTest, QueryInterfaceAnswersTheListAndRefusesTheRest)
{
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(fw::com::CreateInstance<Plain>(nullptr, IID_IUnknown, unknown.PutVoid()), S_OK);

    struct Case {
        const IID* iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {&IID_IUnknown, S_OK},          {&__uuidof(ITestDerived), S_OK},     {&__uuidof(ITestBase), S_OK},
        {&__uuidof(ITestOther), S_OK},  {&IID_IDispatch, E_NOINTERFACE},     {&IID_IMarshal, E_NOINTERFACE},
        {&IID_IPersist, E_NOINTERFACE}, {&IID_IClassFactory, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        void* out = reinterpret_cast<void*>(0xdeadbeef);
        EXPECT_EQ(unknown->QueryInterface(*c.iid, &out), c.expected);
        if (c.expected == S_OK) {
            ASSERT_NE(out, nullptr);
            EXPECT_REF(unknown.Get(), 2);
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_REF(unknown.Get(), 1);
    }
    EXPECT_EQ(unknown->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComObjectTest, IdentityIsTheSameUnknownFromEveryInterface)
{
    ComPtr<ITestOther> other;
    ASSERT_EQ(fw::com::Make<Plain>(other), S_OK);
    ComPtr<ITestBase> base;
    ASSERT_EQ(other.As(base), S_OK);
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(other.As(a), S_OK);
    ASSERT_EQ(base.As(b), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
    ComPtr<ITestOther> again;
    ASSERT_EQ(base.As(again), S_OK);
    EXPECT_EQ(again.Get(), other.Get());
}

TEST_F(ComObjectTest, FreeThreadedMarshalerIsAnsweredOnlyWhenListed)
{
    ComPtr<ITestBase> agile;
    ASSERT_EQ(fw::com::Make<Agile>(agile), S_OK);
    ComPtr<IMarshal> marshal;
    ASSERT_EQ(agile.As(marshal), S_OK);
    // The marshaler is aggregated: its interfaces lead back to the object.
    ComPtr<IUnknown> fromMarshal;
    ComPtr<IUnknown> fromObject;
    ASSERT_EQ(marshal.As(fromMarshal), S_OK);
    ASSERT_EQ(agile.As(fromObject), S_OK);
    EXPECT_EQ(fromMarshal.Get(), fromObject.Get());
    EXPECT_REF(agile.Get(), 4);
    CLSID unmarshalClass{};
    EXPECT_EQ(marshal->GetUnmarshalClass(__uuidof(ITestBase), agile.Get(), MSHCTX_INPROC, nullptr,
                                         MSHLFLAGS_NORMAL, &unmarshalClass),
              S_OK);
    // The in-process free marshaler, {0000033A-0000-0000-C000-000000000046}.
    const CLSID freeMarshaler = {0x0000033a, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
    EXPECT_TRUE(IsEqualCLSID(unmarshalClass, freeMarshaler));
    marshal.Reset();
    fromMarshal.Reset();
    fromObject.Reset();
    agile.Reset();
    EXPECT_EQ(g_destroyed, 1);

    ComPtr<ITestBase> plain;
    ASSERT_EQ(fw::com::Make<Plain>(plain), S_OK);
    EXPECT_EQ(plain.As(marshal), E_NOINTERFACE);
}

TEST_F(ComObjectTest, AggregatedInnerDelegatesToTheOuterUnknown)
{
    Outer outer;
    IUnknown* inner = nullptr;
    // Aggregation must ask for IUnknown.
    EXPECT_EQ(fw::com::CreateInstance<Agile>(&outer, __uuidof(ITestBase), reinterpret_cast<void**>(&inner)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(inner, nullptr);
    ASSERT_EQ(fw::com::CreateInstance<Agile>(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    outer.inner = inner;
    EXPECT_EQ(outer.refs, 1u);

    // The inner unknown answers the object's interfaces; they count on the outer.
    ITestBase* base = nullptr;
    ASSERT_EQ(inner->QueryInterface(__uuidof(ITestBase), reinterpret_cast<void**>(&base)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    EXPECT_REF(inner, 1);

    // QueryInterface through an inner interface goes to the outer object.
    IUnknown* identity = nullptr;
    ASSERT_EQ(base->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    ITestOther* other = nullptr;
    const int forwardedBefore = outer.forwarded;
    ASSERT_EQ(base->QueryInterface(__uuidof(ITestOther), reinterpret_cast<void**>(&other)), S_OK);
    EXPECT_EQ(outer.forwarded, forwardedBefore + 1);
    other->Release();

    // The marshaler of an aggregated object belongs to the outer identity as well.
    IMarshal* marshal = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)), S_OK);
    IUnknown* marshalIdentity = nullptr;
    ASSERT_EQ(marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&marshalIdentity)), S_OK);
    EXPECT_EQ(marshalIdentity, static_cast<IUnknown*>(&outer));
    marshalIdentity->Release();
    marshal->Release();

    EXPECT_EQ(base->Release(), 1u);  // the outer's count
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(g_destroyed, 1);
}

TEST_F(ComObjectTest, ExceptionsBecomeHresultsAtTheBoundary)
{
    ComPtr<ITestOther> other;
    ASSERT_EQ(fw::com::Make<Plain>(other), S_OK);
    EXPECT_EQ(other->Throw(0), S_OK);
    EXPECT_EQ(other->Throw(1), E_OUTOFMEMORY);
    EXPECT_EQ(other->Throw(2), E_ACCESSDENIED);
    EXPECT_EQ(other->Throw(3), E_UNEXPECTED);

    ComPtr<ITestOther> failed;
    EXPECT_EQ(fw::com::Make<FailsToConstruct>(failed, 0), E_UNEXPECTED);
    EXPECT_FALSE(failed);
    EXPECT_EQ(fw::com::Make<FailsToConstruct>(failed, 1), E_ABORT);
    EXPECT_FALSE(failed);
    EXPECT_EQ(fw::com::Make<FailsToConstruct>(failed, 2), S_OK);
    EXPECT_TRUE(failed);
}

HRESULT CreateSample(IUnknown* outer, REFIID riid, void** ppv)
{
    return fw::com::CreateInstance<Agile>(outer, riid, ppv);
}

const fw::com::ClassEntry kClasses[] = {{&kTestClass, CreateSample}};

TEST_F(ComObjectTest, ClassFactoryRefusesUnknownClassesAndCreatesObjects)
{
    void* out = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(fw::com::GetClassObject(kClasses, kUnknownClass, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(fw::com::GetClassObject(kClasses, kTestClass, IID_IClassFactory, factory.PutVoid()), S_OK);
    ComPtr<ITestBase> first;
    ComPtr<ITestBase> second;
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(ITestBase), first.PutVoid()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(ITestBase), second.PutVoid()), S_OK);
    EXPECT_NE(first.Get(), second.Get());

    Outer outer;
    EXPECT_EQ(factory->CreateInstance(&outer, __uuidof(ITestBase), &out), CLASS_E_NOAGGREGATION);
    IUnknown* inner = nullptr;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    inner->Release();
    ComPtr<IPersist> none;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, none.PutVoid()), E_NOINTERFACE);
}

TEST_F(ComObjectTest, ModuleCannotUnloadWhileAnObjectOrALockLives)
{
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(fw::com::GetClassObject(kClasses, kTestClass, IID_IClassFactory, factory.PutVoid()), S_OK);
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_FALSE);  // the factory itself

    ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.PutVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_FALSE);
    object.Reset();
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_FALSE);  // the lock
    fw::com::Module::Unlock();
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_OK);
    // An unbalanced unlock does not leave the count negative.
    fw::com::Module::Unlock();
    fw::com::Module::Lock();
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_FALSE);
    fw::com::Module::Unlock();
    EXPECT_EQ(fw::com::Module::CanUnloadNow(), S_OK);
}

}  // namespace
