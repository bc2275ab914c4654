// Move-only owners of Win32 handles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace fw {

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(Traits::IsValid(value) ? value : Traits::Invalid()) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const { return value_; }
    explicit operator bool() const { return Traits::IsValid(value_); }
    Type release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid())
    {
        Type old = std::exchange(value_, Traits::IsValid(value) ? value : Traits::Invalid());
        if (Traits::IsValid(old))
            Traits::Close(old);
    }

private:
    Type value_ = Traits::Invalid();
};

struct HandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};

struct KeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};

struct GdiTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};

struct GlobalTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { GlobalFree(h); }
};

struct LocalTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { LocalFree(h); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueKey = UniqueResource<KeyTraits>;
using UniqueGdiObject = UniqueResource<GdiTraits>;
using UniqueGlobal = UniqueResource<GlobalTraits>;
using UniqueLocal = UniqueResource<LocalTraits>;

// Locks a movable local block for the life of the scope; Data() is null when the
// lock failed.
class LocalLockScope {
public:
    explicit LocalLockScope(HLOCAL h) : handle_(h), data_(LocalLock(h)) {}
    ~LocalLockScope()
    {
        if (data_)
            LocalUnlock(handle_);
    }
    LocalLockScope(const LocalLockScope&) = delete;
    LocalLockScope& operator=(const LocalLockScope&) = delete;
    void* Data() const { return data_; }
    uint8_t* Bytes() const { return static_cast<uint8_t*>(data_); }

private:
    HLOCAL handle_;
    void* data_;
};

// Selects an object into a DC for the life of the scope.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectObjectScope() { SelectObject(dc_, old_); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace fw
