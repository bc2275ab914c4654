#include "framework/com/connection_point.h"

#include <algorithm>

#include "framework/com/hresult.h"
#include "framework/com/object.h"

namespace fw::com {
namespace {

void CopyOut(const ComPtr<IConnectionPoint>& from, IConnectionPoint** to)
{
    *to = from.Get();
    from->AddRef();
}

void CopyOut(const std::pair<DWORD, ComPtr<IUnknown>>& from, CONNECTDATA* to)
{
    to->pUnk = from.second.Get();
    to->pUnk->AddRef();
    to->dwCookie = from.first;
}

// A snapshot enumerator: Next, Skip, Reset and Clone over a copy of the items.
template <typename IEnum, typename Item, typename Stored>
class Enumerator final : public Implements<IEnum> {
public:
    explicit Enumerator(std::vector<Stored> items, size_t position = 0)
        : items_(std::move(items)), position_(position)
    {
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override
    {
        if (!out || (count != 1 && !fetched))
            return E_POINTER;
        ULONG done = 0;
        while (done < count && position_ < items_.size())
            CopyOut(items_[position_++], &out[done++]);
        if (fetched)
            *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        const size_t left = items_.size() - position_;
        position_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnum** result) override
    {
        if (!result)
            return E_POINTER;
        return CreateInstance<Enumerator>(nullptr, __uuidof(IEnum), reinterpret_cast<void**>(result), items_,
                                          position_);
    }

private:
    std::vector<Stored> items_;
    size_t position_;
};

}  // namespace

HRESULT ConnectionPoint::Connect(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    ComPtr<IUnknown> wanted;
    if (FAILED(sink->QueryInterface(iid_, wanted.PutVoid())) || !wanted)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, std::move(wanted));
    return S_OK;
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint)
        return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    return Guarded([&] { return Connect(sink, cookie); });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [cookie](const auto& entry) { return entry.first == cookie; });
    if (found == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    // Released after leaving the table, so a sink's destructor may call back in.
    ComPtr<IUnknown> released = std::move(found->second);
    sinks_.erase(found);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (!connections)
        return E_POINTER;
    *connections = nullptr;
    return Guarded([&] {
        return CreateInstance<Enumerator<IEnumConnections, CONNECTDATA, std::pair<DWORD, ComPtr<IUnknown>>>>(
            nullptr, IID_IEnumConnections, reinterpret_cast<void**>(connections), sinks_);
    });
}

HRESULT EnumerateConnectionPoints(std::span<ConnectionPoint* const> points, IEnumConnectionPoints** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    return Guarded([&] {
        std::vector<ComPtr<IConnectionPoint>> items;
        for (ConnectionPoint* point : points)
            items.emplace_back(point);
        return CreateInstance<Enumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>>>(
            nullptr, IID_IEnumConnectionPoints, reinterpret_cast<void**>(result), std::move(items));
    });
}

HRESULT FindConnectionPoint(std::span<ConnectionPoint* const> points, REFIID riid, IConnectionPoint** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    for (ConnectionPoint* point : points) {
        if (point->Interface() == riid) {
            *result = point;
            point->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

}  // namespace fw::com
