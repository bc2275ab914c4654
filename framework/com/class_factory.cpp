#include "framework/com/class_factory.h"

#include "framework/com/module.h"
#include "framework/com/object.h"

namespace fw::com {
namespace {

class ClassFactory final : public Implements<IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer && riid != IID_IUnknown)
            return CLASS_E_NOAGGREGATION;
        return Guarded([&] { return create_(outer, riid, ppv); });
    }

    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            Module::Lock();
        else
            Module::Unlock();
        return S_OK;
    }

private:
    CreateFunction create_;
};

}  // namespace

HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID riid, void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const ClassEntry& entry : classes) {
        if (entry.clsid && entry.create && IsEqualCLSID(*entry.clsid, clsid))
            return fw::com::CreateInstance<ClassFactory>(nullptr, riid, ppv, entry.create);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace fw::com
