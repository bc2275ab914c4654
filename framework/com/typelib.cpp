#include "framework/com/typelib.h"

#include <cwchar>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/com/com_ptr.h"
#include "framework/com/hresult.h"
#include "framework/com/module.h"
#include "framework/core/path.h"
#include "framework/win/system_library.h"

namespace fw::com {
namespace {

struct TypeInfoEntry {
    GUID guid;
    ITypeInfo* info;
};

// Raw pointers on purpose: released only by ReleaseModuleTypeInfo, never by a static
// destructor that could run after oleaut32 has gone at process exit.
struct TypeInfoCache {
    std::mutex lock;
    std::wstring pathOverride;
    ITypeLib* library = nullptr;
    std::vector<TypeInfoEntry> entries;

    void Clear()
    {
        for (TypeInfoEntry& entry : entries)
            entry.info->Release();
        entries.clear();
        if (library)
            library->Release();
        library = nullptr;
    }
};

TypeInfoCache& Cache()
{
    static TypeInfoCache* cache = new TypeInfoCache;
    return *cache;
}

// Whether HKEY_CLASSES_ROOT\TypeLib\{LIBID}\major.minor exists.
bool IsTypeLibRegistered(const TLIBATTR& attributes)
{
    wchar_t guid[40] = {};
    if (StringFromGUID2(attributes.guid, guid, 40) == 0)
        return true;
    wchar_t version[16] = {};
    swprintf(version, 16, L"%x.%x", attributes.wMajorVerNum, attributes.wMinorVerNum);
    const std::wstring path = std::wstring(L"TypeLib\\") + guid + L"\\" + version;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

using UnRegisterTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

}  // namespace

HRESULT LoadTypeLibFromModule(const std::wstring& modulePath, ITypeLib** library,
                              std::wstring* loadedFrom) noexcept
{
    return Guarded([&]() -> HRESULT {
        if (!library)
            return E_POINTER;
        *library = nullptr;
        if (modulePath.empty())
            return E_INVALIDARG;
        HRESULT hr = LoadTypeLib(modulePath.c_str(), library);
        if (SUCCEEDED(hr)) {
            if (loadedFrom)
                *loadedFrom = modulePath;
            return hr;
        }
        const std::wstring tlb = fw::WithExtension(modulePath, L".tlb");
        const HRESULT tlbHr = LoadTypeLib(tlb.c_str(), library);
        if (FAILED(tlbHr))
            return hr;
        if (loadedFrom)
            *loadedFrom = tlb;
        return tlbHr;
    });
}

HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** info) noexcept
{
    return Guarded([&]() -> HRESULT {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        TypeInfoCache& cache = Cache();
        std::lock_guard<std::mutex> hold(cache.lock);
        for (const TypeInfoEntry& entry : cache.entries) {
            if (IsEqualGUID(entry.guid, guid)) {
                entry.info->AddRef();
                *info = entry.info;
                return S_OK;
            }
        }
        if (!cache.library) {
            const std::wstring path = cache.pathOverride.empty() ? Module::Path() : cache.pathOverride;
            FW_RETURN_IF_FAILED(LoadTypeLibFromModule(path, &cache.library, nullptr));
        }
        ComPtr<ITypeInfo> found;
        FW_RETURN_IF_FAILED(cache.library->GetTypeInfoOfGuid(guid, found.Put()));
        cache.entries.reserve(cache.entries.size() + 1);
        cache.entries.push_back({guid, found.Get()});
        found->AddRef();  // the cache's reference
        *info = found.Detach();
        return S_OK;
    });
}

void SetModuleTypeLibPath(const std::wstring& path)
{
    TypeInfoCache& cache = Cache();
    std::lock_guard<std::mutex> hold(cache.lock);
    cache.Clear();
    cache.pathOverride = path;
}

void ReleaseModuleTypeInfo() noexcept
{
    TypeInfoCache& cache = Cache();
    std::lock_guard<std::mutex> hold(cache.lock);
    cache.Clear();
}

HRESULT RegisterModuleTypeLib(const std::wstring& modulePath) noexcept
{
    return Guarded([&]() -> HRESULT {
        ComPtr<ITypeLib> library;
        std::wstring loadedFrom;
        FW_RETURN_IF_FAILED(LoadTypeLibFromModule(modulePath, library.Put(), &loadedFrom));
        std::wstring helpFolder = fw::ParentOf(loadedFrom);
        return RegisterTypeLib(library.Get(), loadedFrom.data(),
                               helpFolder.empty() ? nullptr : helpFolder.data());
    });
}

HRESULT UnregisterModuleTypeLib(const std::wstring& modulePath) noexcept
{
    return Guarded([&]() -> HRESULT {
        ComPtr<ITypeLib> library;
        FW_RETURN_IF_FAILED(LoadTypeLibFromModule(modulePath, library.Put(), nullptr));
        TLIBATTR* attributes = nullptr;
        FW_RETURN_IF_FAILED(library->GetLibAttr(&attributes));
        const TLIBATTR copy = *attributes;
        library->ReleaseTLibAttr(attributes);

        if (!IsTypeLibRegistered(copy))
            return S_OK;  // nothing to remove

        const UniqueModule oleaut = LoadSystemLibrary(L"oleaut32.dll");
        if (!oleaut)
            return HRESULT_FROM_WIN32(GetLastError());
        const auto unregister = ProcAddress<UnRegisterTypeLibFn>(oleaut.get(), "UnRegisterTypeLib");
        if (!unregister)
            return S_FALSE;
        return unregister(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
    });
}

}  // namespace fw::com
