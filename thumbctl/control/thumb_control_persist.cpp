// The persisted properties in the stream form of persist_stream.h, through
// IPersistStreamInit and, in a "Contents" stream, IPersistStorage. Loading applies the
// properties through the control's own setters; saving reads them through the getters.
#include <string>

#include "framework/com/hresult.h"
#include "thumbctl/control/persist_stream.h"
#include "thumbctl/control/thumb_control.h"

namespace thumbctl {
namespace {

constexpr wchar_t kContentsStream[] = L"Contents";

class StreamReader final : public ByteReader {
public:
    explicit StreamReader(IStream* stream) : stream_(stream) {}
    bool Read(void* data, size_t size) override
    {
        ULONG read = 0;
        return SUCCEEDED(stream_->Read(data, static_cast<ULONG>(size), &read)) && read == size;
    }

private:
    IStream* stream_;
};

fw::com::Bstr ToBstr(const std::optional<std::u16string>& text)
{
    if (!text)
        return {};
    fw::com::Bstr result = fw::com::Bstr::Attach(
        SysAllocStringLen(reinterpret_cast<const wchar_t*>(text->data()), static_cast<UINT>(text->size())));
    if (!result.Get())
        throw std::bad_alloc();
    return result;
}

std::optional<std::u16string> FromBstr(BSTR text)
{
    if (!text)
        return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

}  // namespace

HRESULT ThumbControl::SaveTo(IStream* stream)
{
    PersistedProperties properties;
    properties.extentWidth = static_cast<uint32_t>(extent_.cx);
    properties.extentHeight = static_cast<uint32_t>(extent_.cy);
    fw::com::Bstr caption;
    FW_RETURN_IF_FAILED(get_Caption(caption.Put()));
    properties.caption = FromBstr(caption.Get());
    fw::com::Bstr fileName;
    FW_RETURN_IF_FAILED(get_FileName(fileName.Put()));
    properties.fileName = FromBstr(fileName.Get());
    const std::vector<uint8_t> bytes = SaveProperties(properties);
    ULONG written = 0;
    FW_RETURN_IF_FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ThumbControl::LoadFrom(IStream* stream)
{
    StreamReader reader(stream);
    PersistedProperties properties;
    switch (LoadProperties(reader, properties)) {
        case PersistError::kNone:
            break;
        case PersistError::kNewerVersion:
            return E_FAIL;
        case PersistError::kTruncated:
            return STG_E_READFAULT;
        case PersistError::kCorrupt:
            return E_FAIL;
    }
    extent_ = {static_cast<LONG>(properties.extentWidth), static_cast<LONG>(properties.extentHeight)};
    const fw::com::Bstr caption = ToBstr(properties.caption);
    const HRESULT captionResult = put_Caption(caption.Get());
    FW_RETURN_IF_FAILED(captionResult);
    const fw::com::Bstr fileName = ToBstr(properties.fileName);
    FW_RETURN_IF_FAILED(put_FileName(fileName.Get()));
    // What was just read is what a save would write.
    SetDirty(false);
    return S_OK;
}

// ---- IPersist, IPersistStreamInit ----

STDMETHODIMP ThumbControl::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_VelmoraThumbCtl;
    return S_OK;
}

STDMETHODIMP ThumbControl::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

STDMETHODIMP ThumbControl::Load(LPSTREAM stream)
{
    if (!stream)
        return E_POINTER;
    return fw::com::Guarded([&] { return LoadFrom(stream); });
}

STDMETHODIMP ThumbControl::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (!stream)
        return E_POINTER;
    return fw::com::Guarded([&] {
        FW_RETURN_IF_FAILED(SaveTo(stream));
        if (clearDirty)
            SetDirty(false);
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    return fw::com::Guarded([&] {
        PersistedProperties properties;
        properties.caption = FromBstr(caption_.Get());
        const std::wstring& name = window_.FileName();
        properties.fileName = std::u16string(name.begin(), name.end());
        size->QuadPart = SaveProperties(properties).size();
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::InitNew()
{
    return S_OK;
}

// ---- IPersistStorage ----

STDMETHODIMP ThumbControl::InitNew(IStorage*)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::Load(IStorage* storage)
{
    if (!storage)
        return E_POINTER;
    return fw::com::Guarded([&] {
        fw::com::ComPtr<IStream> stream;
        FW_RETURN_IF_FAILED(
            storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put()));
        return LoadFrom(stream.Get());
    });
}

STDMETHODIMP ThumbControl::Save(IStorage* storage, BOOL)
{
    if (!storage)
        return E_POINTER;
    return fw::com::Guarded([&] {
        fw::com::ComPtr<IStream> stream;
        FW_RETURN_IF_FAILED(storage->CreateStream(
            kContentsStream, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, stream.Put()));
        FW_RETURN_IF_FAILED(SaveTo(stream.Get()));
        SetDirty(false);
        return S_OK;
    });
}

STDMETHODIMP ThumbControl::SaveCompleted(IStorage*)
{
    return S_OK;
}

STDMETHODIMP ThumbControl::HandsOffStorage()
{
    return S_OK;
}

}  // namespace thumbctl
