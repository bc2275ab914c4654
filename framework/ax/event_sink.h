// Receiving a control's events: a generic dispatch sink that answers the control's
// outgoing interface and hands each call to a handler, and the connection that
// advises it on the control's connection point and unadvises it at its end.
//
//   fw::ax::EventConnection events;
//   events.ConnectDefault(control, [](DISPID id, const DISPPARAMS& params) { ... });
#pragma once

#include <oaidl.h>
#include <ocidl.h>

#include <functional>

#include "framework/com/com_ptr.h"
#include "framework/com/object.h"

namespace fw::ax {

// Called for every event with its dispatch id and arguments (as Invoke got them:
// last argument first; see EventArgument).
using EventHandler = std::function<void(DISPID id, const DISPPARAMS& params)>;

// The argument at `position` in declaration order, or null when there are fewer.
const VARIANT* EventArgument(const DISPPARAMS& params, UINT position);

// The default outgoing dispatch interface of an object: IProvideClassInfo2's answer,
// else the default source interface of its class's type information.
HRESULT DefaultSourceInterface(IUnknown* object, IID* iid);

// A dispatch sink that answers IUnknown, IDispatch and `source`.
class EventSink final : public com::Implements<com::RuntimeIid<IDispatch>> {
public:
    EventSink(const IID& source, EventHandler handler) : source_(source), handler_(std::move(handler)) {}

    // Stops forwarding: later events are accepted and dropped.
    void Clear() { handler_ = nullptr; }

    bool AdmitsInterface(REFIID riid) const noexcept override { return riid == source_; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override;

private:
    IID source_;
    EventHandler handler_;
};

// One advised sink. Move-only; unadvises on Disconnect and destruction.
class EventConnection {
public:
    EventConnection() = default;
    ~EventConnection() { Disconnect(); }
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    EventConnection(EventConnection&& other) noexcept;
    EventConnection& operator=(EventConnection&& other) noexcept;

    // Advises a new sink for interface `source` of `object`; an earlier connection
    // is dropped first.
    HRESULT Connect(IUnknown* object, REFIID source, EventHandler handler);
    // The same for the object's default outgoing interface.
    HRESULT ConnectDefault(IUnknown* object, EventHandler handler);
    void Disconnect();
    bool Connected() const { return cookie_ != 0; }

private:
    com::ComPtr<IConnectionPoint> point_;
    com::ComPtr<EventSink> sink_;
    DWORD cookie_ = 0;
};

}  // namespace fw::ax
