#include "thumbctl/control/thumb_control.h"

#include <string>

#include "framework/ax/dispatch_call.h"
#include "framework/com/hresult.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "thumbctl/control/timing_log.h"
#include "thumbctl/server/class_table.h"
#include "thumbctl/server/interface.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl {
namespace {

constexpr LCID kEventLocale = 0x0400;
constexpr LCID kLoadFileLocale = 0x0800;
constexpr DWORD kCacheContexts =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;  // 0x17

// The version box's second line.
constexpr wchar_t kVersionSecondLine[] = L"Thumbnail control and picture cache";

std::wstring FromBstr(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

// A new BSTR with the same characters; null stays null.
HRESULT CopyBstr(BSTR from, BSTR* to)
{
    *to = nullptr;
    if (!from)
        return S_OK;
    *to = SysAllocStringLen(from, SysStringLen(from));
    return *to ? S_OK : E_OUTOFMEMORY;
}

void SetPointerSized(VARIANT& v, const void* address)
{
    const auto value = reinterpret_cast<LONG_PTR>(address);
#if defined(_WIN64)
    V_VT(&v) = VT_I8;
    V_I8(&v) = value;
#else
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
#endif
}

}  // namespace

// ---- Creation and destruction ----

ThumbControl::ThumbControl()
{
    window_.SetEvents(this);
}

ThumbControl::~ThumbControl()
{
    // The window goes first: its last messages may still reach the container links.
    window_.SetEvents(nullptr);
    window_.Destroy();
}

HRESULT CreateThumbControl(IUnknown* outer, REFIID riid, void** ppv)
{
    return fw::com::CreateInstance<ThumbControl>(outer, riid, ppv);
}

// ---- IVelmoraThumbCtl ----

STDMETHODIMP ThumbControl::About()
{
    return fw::com::Guarded([&] {
        const std::wstring text = std::wstring(kVersionFirstLine) + L"\r\n" + kVersionSecondLine;
        fw::CurrentPrompts().Message(reinterpret_cast<intptr_t>(window_.Handle()), text, kVersionCaption,
                                     fw::kMbOk);
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::displayFile(BSTR strFileName)
{
    return fw::com::Guarded([&] {
        if (!source_.Cache()) {
            fw::com::ComPtr<IVelmoraPictureCache> cache;
            if (SUCCEEDED(CoCreateInstance(CLSID_VelmoraPictureCache, nullptr, kCacheContexts,
                                           IID_IVelmoraPictureCache, cache.PutVoid())) &&
                cache) {
                const LibrarySettings& settings = CurrentSettings();
                cache->SetCacheSize(static_cast<short>(settings.CacheSize()),
                                    static_cast<short>(settings.BufferingSize()));
                source_.SetCache(std::move(cache));
                window_.SetPictureSource(&source_);
            }
        }
        TimingLog("display", FromBstr(strFileName));
        window_.ShowFile(FromBstr(strFileName));
        TimingLog("shown", L"");
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::get_FilterExtention(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    return fw::com::Guarded([&] {
        const std::wstring filter = fw::WidenAnsi(CurrentSettings().FilterText());
        *pVal = SysAllocStringLen(filter.data(), static_cast<UINT>(filter.size()));
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP ThumbControl::put_IPictureCache(IUnknown* newVal)
{
    fw::com::ComPtr<IVelmoraPictureCache> cache;
    if (!newVal || FAILED(newVal->QueryInterface(IID_IVelmoraPictureCache, cache.PutVoid())) || !cache)
        return E_FAIL;
    source_.SetCache(std::move(cache));
    window_.SetPictureSource(&source_);
    return S_OK;
}

STDMETHODIMP ThumbControl::loadFile(BSTR strFileName)
{
    return fw::com::Guarded([&]() -> HRESULT {
        if (!source_.Cache())
            return E_FAIL;
        fw::com::ComPtr<IDispatch> dispatch;
        if (FAILED(source_.Cache()->QueryInterface(IID_IDispatch, dispatch.PutVoid())) || !dispatch)
            return E_FAIL;
        if (SysStringLen(strFileName) == 0)
            return S_OK;
        TimingLog("preload", FromBstr(strFileName));
        // The picture is not used: the call only queues the file under this window.
        HBITMAP scratchHandle = nullptr;
        BITMAP scratchBitmap{};
        VARIANT args[4];
        SetPointerSized(args[0], window_.Handle());
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = strFileName;
        SetPointerSized(args[2], &scratchHandle);
        SetPointerSized(args[3], &scratchBitmap);
        const HRESULT hr =
            fw::ax::CallMethod(dispatch.Get(), kCacheLoadBitmap, args, nullptr, kLoadFileLocale);
        return hr == S_OK ? S_FALSE : S_OK;
    });
}

STDMETHODIMP ThumbControl::get_AcceptDropFiles(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = acceptDropFiles_;
    return S_OK;
}

STDMETHODIMP ThumbControl::put_AcceptDropFiles(LONG newVal)
{
    acceptDropFiles_ = newVal;
    window_.SetAcceptDropFiles(newVal != 0);
    return S_OK;
}

STDMETHODIMP ThumbControl::get_FileName(BSTR* pVal)
{
    if (!pVal)
        return S_OK;
    const std::wstring& name = window_.FileName();
    *pVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP ThumbControl::put_FileName(BSTR newVal)
{
    return fw::com::Guarded([&] {
        window_.SetFileName(FromBstr(newVal));
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::put_Caption(BSTR strCaption)
{
    return fw::com::Guarded([&] {
        if (RequestEdit(kControlCaption) == S_FALSE)
            return S_FALSE;
        BSTR copy = nullptr;
        FW_RETURN_IF_FAILED(CopyBstr(strCaption, &copy));
        caption_.Reset(copy);
        SetDirty(true);
        NotifyChanged(kControlCaption);
        FireViewChange();
        SendDataChange();
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::get_Caption(BSTR* pstrCaption)
{
    if (!pstrCaption)
        return E_POINTER;
    return CopyBstr(caption_.Get(), pstrCaption);
}

// ---- Events and notifications ----

void ThumbControl::FireEvent(DISPID id, const wchar_t* text)
{
    for (const auto& sink : events_.Sinks<IDispatch>()) {
        // Each sink gets its own copy of a string argument.
        fw::com::Variant argument;
        if (text) {
            V_VT(argument.Get()) = VT_BSTR;
            V_BSTR(argument.Get()) = SysAllocString(text);
        }
        fw::ax::CallMethod(sink.Get(), id, std::span<VARIANT>(argument.Get(), text ? 1 : 0), nullptr,
                           kEventLocale);
    }
}

void ThumbControl::OnRClick()
{
    FireEvent(kEventRClick);
}

void ThumbControl::OnRClickUp()
{
    FireEvent(kEventRClickUp);
}

void ThumbControl::OnRDbClick()
{
    FireEvent(kEventRDbClick);
}

void ThumbControl::OnDropFiles(const std::wstring& files)
{
    FireEvent(kEventDropFiles, files.c_str());
}

HRESULT ThumbControl::RequestEdit(DISPID id)
{
    for (const auto& sink : propertyNotify_.Sinks<IPropertyNotifySink>()) {
        if (sink->OnRequestEdit(id) == S_FALSE)
            return S_FALSE;
    }
    return S_OK;
}

void ThumbControl::NotifyChanged(DISPID id)
{
    for (const auto& sink : propertyNotify_.Sinks<IPropertyNotifySink>())
        sink->OnChanged(id);
}

}  // namespace thumbctl
