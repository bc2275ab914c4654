// A COM class is its list of interfaces:
//
//   class Sample final : public fw::com::Implements<fw::com::Dispatch<ISample>, fw::com::FreeThreaded> {
//   public:
//       STDMETHODIMP Run(long value) override { return fw::com::Guarded([&] { ... return S_OK; }); }
//   };
//   HRESULT hr = fw::com::CreateInstance<Sample>(outer, riid, ppv);
//
// Implements<> supplies QueryInterface, AddRef and Release for every listed interface
// (answering IUnknown, each interface, IDispatch for interfaces derived from it, and the
// extra bases named by Chain<>), interlocked reference counts, aggregation (a controlling
// outer unknown and a non-delegating inner unknown), the module's object count and, with
// the FreeThreaded marker, an aggregated free-threaded marshaler answered for IMarshal.
// A class may define `HRESULT FinalConstruct()`; it runs after construction, when the
// object already has its identity, and a failure there fails the creation.
#pragma once

#include <objbase.h>

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

#include "framework/com/com_ptr.h"
#include "framework/com/hresult.h"
#include "framework/com/module.h"

namespace fw::com {

// Marker in an interface list: aggregate the system's free-threaded marshaler.
struct FreeThreaded {};

// Entry that answers interface I and also the base interfaces Bases... reached through it
// (for instance Chain<IPersistStreamInit, IPersist>).
template <typename I, typename... Bases>
struct Chain : I {
    using Interface = I;
};

// Entry that answers interface I under its own IID and under further IIDs known only at
// run time: the class admits them by overriding AdmitsInterface (an event sink answering
// the source interface of the object it listens to).
template <typename I>
struct RuntimeIid : I {
    using Interface = I;
    // Placed after I's methods in the vtable, so clients of I never see it.
    virtual bool AdmitsInterface(REFIID riid) const noexcept = 0;
};

template <typename I>
class Dispatch;  // framework/com/dispatch.h

namespace detail {

template <typename E>
struct Entry {
    using Interface = E;
    static constexpr bool kMarker = false;
    template <typename Self>
    static void* Find(Self* self, REFIID riid)
    {
        E* p = static_cast<E*>(self);
        if (riid == __uuidof(E))
            return p;
        if constexpr (std::is_base_of_v<IDispatch, E> && !std::is_same_v<IDispatch, E>) {
            if (riid == IID_IDispatch)
                return static_cast<IDispatch*>(p);
        }
        return nullptr;
    }
};

template <>
struct Entry<FreeThreaded> {
    static constexpr bool kMarker = true;
    template <typename Self>
    static void* Find(Self*, REFIID)
    {
        return nullptr;
    }
};

template <typename I>
struct Entry<Dispatch<I>> {
    static constexpr bool kMarker = false;
    template <typename Self>
    static void* Find(Self* self, REFIID riid)
    {
        I* p = static_cast<Dispatch<I>*>(self);
        if (riid == __uuidof(I))
            return p;
        if (riid == IID_IDispatch)
            return static_cast<IDispatch*>(p);
        return nullptr;
    }
};

template <typename I, typename... Bases>
struct Entry<Chain<I, Bases...>> {
    static constexpr bool kMarker = false;
    template <typename Self>
    static void* Find(Self* self, REFIID riid)
    {
        I* p = static_cast<Chain<I, Bases...>*>(self);
        if (riid == __uuidof(I))
            return p;
        void* found = nullptr;
        ((found = found ? found : (riid == __uuidof(Bases) ? static_cast<Bases*>(p) : nullptr)), ...);
        return found;
    }
};

template <typename I>
struct Entry<RuntimeIid<I>> {
    static constexpr bool kMarker = false;
    template <typename Self>
    static void* Find(Self* self, REFIID riid)
    {
        RuntimeIid<I>* entry = static_cast<RuntimeIid<I>*>(self);
        if (riid == __uuidof(I) || entry->AdmitsInterface(riid))
            return static_cast<I*>(entry);
        return nullptr;
    }
};

template <typename T>
concept HasFinalConstruct = requires(T& t)
{
    {
        t.FinalConstruct()
        } -> std::same_as<HRESULT>;
};

}  // namespace detail

// The part of every object that is the same for all classes: identity, counts, the
// inner unknown and the marshaler.
class ObjectRoot {
public:
    ObjectRoot(const ObjectRoot&) = delete;
    ObjectRoot& operator=(const ObjectRoot&) = delete;

    // The unknown that controls the object's lifetime and identity: the outer unknown
    // when aggregated, else the object's own.
    IUnknown* ControllingUnknown() const noexcept { return outer_; }
    // The non-delegating unknown an aggregating outer object holds.
    IUnknown* InnerUnknown() noexcept { return &inner_; }

protected:
    ObjectRoot() noexcept { Module::AddObject(); }
    virtual ~ObjectRoot() { Module::RemoveObject(); }

    // Looks the interface up in the class's list (no AddRef).
    virtual void* FindInterface(REFIID riid) noexcept = 0;
    virtual bool WantsFreeThreadedMarshaler() const noexcept = 0;

private:
    template <typename T, typename... Args>
    friend HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv, Args&&... args) noexcept;

    class Inner final : public IUnknown {
    public:
        explicit Inner(ObjectRoot* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            return owner_->InnerQueryInterface(riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++owner_->refs_; }
        STDMETHODIMP_(ULONG) Release() override
        {
            const ULONG remaining = --owner_->refs_;
            if (remaining == 0) {
                // Keep a count while the destructor runs, so a stray AddRef/Release
                // pair inside it cannot delete the object a second time.
                owner_->refs_ = 1;
                delete owner_;
            }
            return remaining;
        }

    private:
        ObjectRoot* owner_;
    };

    HRESULT InnerQueryInterface(REFIID riid, void** ppv) noexcept
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(&inner_);
            inner_.AddRef();
            return S_OK;
        }
        if (riid == IID_IMarshal && marshaler_)
            return marshaler_->QueryInterface(riid, ppv);
        void* found = FindInterface(riid);
        if (!found)
            return E_NOINTERFACE;
        *ppv = found;
        // Every interface of the object counts through the controlling unknown.
        outer_->AddRef();
        return S_OK;
    }

    HRESULT Initialize(IUnknown* outer) noexcept
    {
        if (outer)
            outer_ = outer;
        if (WantsFreeThreadedMarshaler())
            return CoCreateFreeThreadedMarshaler(outer_, marshaler_.Put());
        return S_OK;
    }

    Inner inner_{this};
    IUnknown* outer_ = &inner_;
    std::atomic<ULONG> refs_{0};
    ComPtr<IUnknown> marshaler_;
};

template <typename... Entries>
class Implements : public ObjectRoot, public Entries... {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return ControllingUnknown()->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ControllingUnknown()->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ControllingUnknown()->Release(); }

protected:
    Implements() = default;

private:
    void* FindInterface(REFIID riid) noexcept final
    {
        void* found = nullptr;
        ((found = found ? found : detail::Entry<Entries>::Find(this, riid)), ...);
        return found;
    }
    bool WantsFreeThreadedMarshaler() const noexcept final
    {
        return (std::is_same_v<Entries, FreeThreaded> || ...);
    }
};

// Creates an object of class T and answers riid. With an outer unknown the object is
// aggregated: riid must be IID_IUnknown and the inner unknown is returned.
template <typename T, typename... Args>
HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv, Args&&... args) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && riid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    try {
        std::unique_ptr<T> made = std::make_unique<T>(std::forward<Args>(args)...);
        // From here the reference count owns the object.
        IUnknown* inner = static_cast<ObjectRoot*>(made.get())->InnerUnknown();
        T* object = made.release();
        inner->AddRef();
        HRESULT hr = static_cast<ObjectRoot*>(object)->Initialize(outer);
        if constexpr (detail::HasFinalConstruct<T>) {
            if (SUCCEEDED(hr))
                hr = Guarded([&] { return object->FinalConstruct(); });
        }
        if (SUCCEEDED(hr))
            hr = inner->QueryInterface(riid, ppv);
        inner->Release();
        return hr;
    } catch (...) {
        return HResultFromCurrentException();
    }
}

// Creates an unaggregated object of class T and answers interface I.
template <typename T, typename I, typename... Args>
HRESULT Make(ComPtr<I>& out, Args&&... args) noexcept
{
    return CreateInstance<T>(nullptr, __uuidof(I), out.PutVoid(), std::forward<Args>(args)...);
}

}  // namespace fw::com
