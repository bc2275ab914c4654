// Connection points of a connectable object: each point is a sub-object that shares
// the lifetime of its container, keeps the advised sinks by cookie and hands out a
// snapshot of them for firing, so a sink that unadvises while it is called does not
// disturb the loop.
//
//   ConnectionPoint events_{this, DIID_IEvents};    // `this` is the container
//   for (const auto& sink : events_.Sinks<IDispatch>()) sink->Invoke(...);
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <span>
#include <utility>
#include <vector>

#include "framework/com/com_ptr.h"

namespace fw::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    // `container` is not owned: the point's AddRef and Release go to it.
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid) : container_(container), iid_(iid) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    const IID& Interface() const { return iid_; }
    bool Empty() const { return sinks_.empty(); }

    // The connected sinks as interface I (each was asked for the point's interface at
    // Advise, so I must be that interface or one of its bases).
    template <typename I>
    std::vector<ComPtr<I>> Sinks() const
    {
        std::vector<ComPtr<I>> result;
        result.reserve(sinks_.size());
        for (const auto& entry : sinks_)
            result.emplace_back(static_cast<I*>(entry.second.Get()));
        return result;
    }

    // Advises `sink` without going through the interface (quick activation).
    HRESULT Connect(IUnknown* sink, DWORD* cookie);

    // IUnknown: identity of the point, lifetime of the container.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer* container_;
    IID iid_;
    // Cookie and the sink's pointer for the point's interface, in the order advised.
    std::vector<std::pair<DWORD, ComPtr<IUnknown>>> sinks_;
    DWORD nextCookie_ = 1;
};

// IConnectionPointContainer::EnumConnectionPoints over a container's points.
HRESULT EnumerateConnectionPoints(std::span<ConnectionPoint* const> points, IEnumConnectionPoints** result);
// IConnectionPointContainer::FindConnectionPoint over a container's points.
HRESULT FindConnectionPoint(std::span<ConnectionPoint* const> points, REFIID riid, IConnectionPoint** result);

}  // namespace fw::com
