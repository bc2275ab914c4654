// Small move-only owners for COM: interface pointers, BSTRs, VARIANTs and the
// apartment of a thread.
#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace fw::com {

// Owns one reference of an interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference.
    explicit ComPtr(T* p) : p_(p)
    {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Adopts a reference the caller already owns.
    static ComPtr Attach(T* p)
    {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset()
    {
        if (T* old = std::exchange(p_, nullptr))
            old->Release();
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Releases the current pointer and gives the out-parameter address.
    T** Put()
    {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    template <typename U>
    HRESULT As(ComPtr<U>& out) const
    {
        if (!p_)
            return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.PutVoid());
    }
    HRESULT CopyTo(T** out) const
    {
        if (!out)
            return E_POINTER;
        *out = p_;
        if (p_)
            p_->AddRef();
        return S_OK;
    }

private:
    T* p_ = nullptr;
};

// Owns a BSTR (null means the empty string, as in COM).
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : s_(text ? SysAllocString(text) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    ~Bstr() { Reset(); }

    static Bstr Attach(BSTR s)
    {
        Bstr result;
        result.s_ = s;
        return result;
    }
    BSTR Get() const { return s_; }
    BSTR Detach() { return std::exchange(s_, nullptr); }
    void Reset(BSTR s = nullptr)
    {
        if (BSTR old = std::exchange(s_, s))
            SysFreeString(old);
    }
    BSTR* Put()
    {
        Reset();
        return &s_;
    }
    UINT Length() const { return SysStringLen(s_); }
    const wchar_t* CStr() const { return s_ ? s_ : L""; }

private:
    BSTR s_ = nullptr;
};

// Owns a VARIANT and clears it on destruction.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    VARIANT* Get() { return &v_; }
    const VARIANT* Get() const { return &v_; }
    VARIANT* Put()
    {
        VariantClear(&v_);
        return &v_;
    }
    VARTYPE Type() const { return V_VT(&v_); }

private:
    VARIANT v_;
};

// Initialises COM for the current thread for the scope's lifetime.
class CoInitScope {
public:
    explicit CoInitScope(DWORD model = COINIT_MULTITHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    CoInitScope(const CoInitScope&) = delete;
    CoInitScope& operator=(const CoInitScope&) = delete;
    ~CoInitScope()
    {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace fw::com
