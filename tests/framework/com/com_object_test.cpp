// The COM object template: one identity, exact reference counts, the free-threaded
// marshaler, and the class factory and module counts that keep a library loaded.
#include <gtest/gtest.h>

#include <objbase.h>

#include <utility>

#include "framework/com/class_factory.h"
#include "framework/com/com_ptr.h"
#include "framework/com/module.h"
#include "framework/com/object.h"

namespace {

using fw::com::ComPtr;
using fw::com::Module;

class Sample final : public fw::com::Implements<IPersist, fw::com::FreeThreaded> {
public:
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
};

TEST(ComObjectTest, QueryInterfaceAnswersTheListWithOneIdentityAndCountsReferences)
{
    fw::com::CoInitScope com;
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(fw::com::CreateInstance<Sample>(nullptr, IID_IUnknown, unknown.PutVoid()), S_OK);
    const std::pair<const IID*, HRESULT> cases[] = {
        {&IID_IUnknown, S_OK}, {&IID_IPersist, S_OK}, {&IID_IMarshal, S_OK}, {&IID_IDispatch, E_NOINTERFACE}};
    for (const auto& [iid, expected] : cases) {
        void* out = reinterpret_cast<void*>(0xdeadbeef);
        ASSERT_EQ(expected, unknown->QueryInterface(*iid, &out));
        if (!out)
            continue;
        ComPtr<IUnknown> identity;  // the same object from every interface, the marshaler's too
        ASSERT_EQ(S_OK, static_cast<IUnknown*>(out)->QueryInterface(IID_IUnknown, identity.PutVoid()));
        EXPECT_EQ(unknown.Get(), identity.Get());
        EXPECT_EQ(2u, static_cast<IUnknown*>(out)->Release());  // unknown and identity remain
    }
    EXPECT_EQ(E_POINTER, unknown->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1, Module::Objects());
    EXPECT_EQ(0u, unknown.Detach()->Release());
    EXPECT_EQ(0, Module::Objects());
}

TEST(ComObjectTest, ClassFactoryCreatesObjectsAndTheModuleStaysWhileAnythingLives)
{
    fw::com::CoInitScope com;
    const fw::com::ClassEntry classes[] = {{&IID_IPersist, fw::com::CreateInstance<Sample>}};
    void* out = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              fw::com::GetClassObject(classes, IID_IUnknown, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, fw::com::GetClassObject(classes, IID_IPersist, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_FALSE, Module::CanUnloadNow());  // the factory itself
    ComPtr<IPersist> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPersist, object.PutVoid()));
    // An outer object aggregates through IUnknown only, and is the identity of every interface.
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(factory.Get(), IID_IPersist, &out));
    {
        ComPtr<IUnknown> inner, outer, identity;
        ComPtr<IPersist> persist;
        ASSERT_EQ(S_OK, factory->CreateInstance(factory.Get(), IID_IUnknown, inner.PutVoid()));
        ASSERT_EQ(S_OK, inner.As(persist));
        ASSERT_EQ(S_OK, persist.As(identity));
        ASSERT_EQ(S_OK, factory.As(outer));
        EXPECT_EQ(outer.Get(), identity.Get());
    }
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IStream, &out));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    object.Reset();
    EXPECT_EQ(S_FALSE, Module::CanUnloadNow());  // the lock
    Module::Unlock();
    EXPECT_EQ(S_OK, Module::CanUnloadNow());
    Module::Unlock();  // unbalanced: the count stays at zero
    Module::Lock();
    EXPECT_EQ(S_FALSE, Module::CanUnloadNow());
    Module::Unlock();
}

}  // namespace
