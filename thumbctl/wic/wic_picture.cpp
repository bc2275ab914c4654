#include "thumbctl/wic/wic_picture.h"

#include <propidl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "framework/com/com_ptr.h"
#include "framework/win/handles.h"
#include "thumbctl/wic/exif_orientation.h"
#include "thumbctl/wic/heif_picture.h"
#include "thumbctl/wic/jpeg_picture.h"
#include "thumbctl/wic/mapped_file.h"
#include "thumbctl/wic/picture_format.h"
#include "thumbctl/wic/raw_picture.h"
#include "thumbctl/wic/webp_picture.h"

namespace thumbctl::wic {
namespace {

using fw::com::ComPtr;

// Stored rows are fetched from WIC a band of about this many bytes at a time.
constexpr uint64_t kBandBytes = 1 << 20;
// The Exif segment of a JPEG comes before the pixels; 64 KB is its largest size.
constexpr DWORD kHeadBytes = 128 * 1024;

int ResultFor(HRESULT hr)
{
    if (hr == E_OUTOFMEMORY)
        return kOutOfMemory;
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND || hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT)
        return kUnknownFormat;
    return kBrokenData;
}

// Up to `limit` bytes of `file` from `offset`; false when it cannot be read.
bool ReadBytes(HANDLE file, uint64_t offset, uint64_t limit, std::vector<uint8_t>& bytes)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) < offset)
        return false;
    const uint64_t count = std::min<uint64_t>(limit, static_cast<uint64_t>(size.QuadPart) - offset);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        return false;
    bytes.resize(static_cast<size_t>(count));
    DWORD read = 0;
    return count == 0 ||
           (ReadFile(file, bytes.data(), static_cast<DWORD>(count), &read, nullptr) && read == count);
}

HRESULT CreateFactory(ComPtr<IWICImagingFactory>& factory)
{
    return CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                            __uuidof(IWICImagingFactory), factory.PutVoid());
}

// Calls `visit` with each installed decoder until it answers true.
template <typename Visit>
void ForEachDecoder(IWICImagingFactory* factory, Visit&& visit)
{
    ComPtr<IEnumUnknown> decoders;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, decoders.Put())))
        return;
    ComPtr<IUnknown> item;
    ULONG fetched = 0;
    for (int i = 0; i < 1000 && decoders->Next(1, item.Put(), &fetched) == S_OK && fetched == 1; ++i) {
        if (visit(item))
            return;
    }
}

// The first frame of a picture and what it needs to stay readable. Members are
// released in reverse order: the frame before its decoder, the stream before the
// bytes under it.
class OpenPicture {
public:
    int Open(const PictureSource& source);
    int Orientation();

    IWICImagingFactory* Factory() const { return factory_.Get(); }
    IWICBitmapFrameDecode* Frame() const { return frame_.Get(); }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }

private:
    int OpenFile(const PictureSource& source);
    bool Head(const uint8_t*& data, size_t& size);

    PictureSource source_;
    std::wstring path_;
    std::vector<uint8_t> bytes_;  // a file read from an offset, or the head of one
    ComPtr<IWICImagingFactory> factory_;
    ComPtr<IWICStream> stream_;
    ComPtr<IWICBitmapDecoder> decoder_;
    ComPtr<IWICBitmapFrameDecode> frame_;
    UINT width_ = 0;
    UINT height_ = 0;
};

int OpenPicture::Open(const PictureSource& source)
{
    source_ = source;
    HRESULT hr = CreateFactory(factory_);
    if (FAILED(hr))
        return hr == E_OUTOFMEMORY ? kOutOfMemory : kInternalError;

    if (source.path) {
        const int r = OpenFile(source);
        if (r != kOk)
            return r;
    } else {
        if (!source.data || source.size == 0)
            return kUnknownFormat;
        if (source.size > MAXDWORD)
            return kOutOfMemory;
        hr = factory_->CreateStream(stream_.Put());
        if (FAILED(hr))
            return ResultFor(hr);
        hr = stream_->InitializeFromMemory(const_cast<BYTE*>(source.data), static_cast<DWORD>(source.size));
        if (FAILED(hr))
            return ResultFor(hr);
    }
    if (!decoder_) {
        hr = factory_->CreateDecoderFromStream(stream_.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                               decoder_.Put());
        if (FAILED(hr))
            return ResultFor(hr);
    }
    hr = decoder_->GetFrame(0, frame_.Put());
    if (FAILED(hr))
        return ResultFor(hr);
    hr = frame_->GetSize(&width_, &height_);
    if (FAILED(hr) || width_ == 0 || height_ == 0)
        return kBrokenData;
    return kOk;
}

int OpenPicture::OpenFile(const PictureSource& source)
{
    path_ = WidePath(source.path);
    if (path_.empty())
        return kReadError;
    {
        // A file that cannot be read is told apart from one WIC does not understand.
        const fw::UniqueHandle file = OpenForReading(path_);
        if (!file)
            return kReadError;
        // A picture inside another file: its bytes from the offset on.
        if (source.offset != 0 && !ReadBytes(file.get(), source.offset, MAXDWORD, bytes_))
            return kReadError;
    }
    if (source.offset == 0) {
        const HRESULT hr = factory_->CreateDecoderFromFilename(
            path_.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder_.Put());
        return FAILED(hr) ? ResultFor(hr) : kOk;
    }
    if (bytes_.empty())
        return kUnknownFormat;
    HRESULT hr = factory_->CreateStream(stream_.Put());
    if (FAILED(hr))
        return ResultFor(hr);
    hr = stream_->InitializeFromMemory(bytes_.data(), static_cast<DWORD>(bytes_.size()));
    return FAILED(hr) ? ResultFor(hr) : kOk;
}

// The picture's first bytes, read from its file when they are not in memory.
bool OpenPicture::Head(const uint8_t*& data, size_t& size)
{
    if (source_.data) {
        data = source_.data;
        size = source_.size;
        return true;
    }
    if (bytes_.empty()) {
        const fw::UniqueHandle file = OpenForReading(path_);
        if (!file || !ReadBytes(file.get(), source_.offset, kHeadBytes, bytes_))
            return false;
    }
    data = bytes_.data();
    size = bytes_.size();
    return true;
}

int UShortValue(const PROPVARIANT& v)
{
    switch (v.vt) {
        case VT_UI2:
            return v.uiVal;
        case VT_I2:
            return v.iVal;
        case VT_UI4:
            return v.ulVal <= 8 ? static_cast<int>(v.ulVal) : 0;
        case VT_I4:
            return v.lVal;
        default:
            return 0;
    }
}

int OpenPicture::Orientation()
{
    ComPtr<IWICMetadataQueryReader> reader;
    if (SUCCEEDED(frame_->GetMetadataQueryReader(reader.Put()))) {
        for (const wchar_t* name :
             {L"/app1/ifd/{ushort=274}", L"/ifd/{ushort=274}", L"System.Photo.Orientation"}) {
            PROPVARIANT value;
            PropVariantInit(&value);
            const HRESULT hr = reader->GetMetadataByName(name, &value);
            const int orientation = SUCCEEDED(hr) ? UShortValue(value) : 0;
            PropVariantClear(&value);
            if (orientation >= 1 && orientation <= 8)
                return orientation;
        }
    }
    // Wine's JPEG decoder has no metadata reader: the Exif segment is read here.
    GUID container{};
    if (FAILED(decoder_->GetContainerFormat(&container)) || container != GUID_ContainerFormatJpeg)
        return 1;
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!Head(data, size))
        return 1;
    const int orientation = JpegExifOrientation(data, size);
    return orientation ? orientation : 1;
}

int BitsPerPixel(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame)
{
    WICPixelFormatGUID format{};
    if (FAILED(frame->GetPixelFormat(&format)))
        return 0;
    ComPtr<IWICComponentInfo> component;
    if (FAILED(factory->CreateComponentInfo(format, component.Put())))
        return 0;
    ComPtr<IWICPixelFormatInfo> pixel;
    if (FAILED(component.As(pixel)))
        return 0;
    UINT bits = 0;
    return SUCCEEDED(pixel->GetBitsPerPixel(&bits)) ? static_cast<int>(bits) : 0;
}

uint16_t Dpi(double value)
{
    return value > 0 && value < 65535 ? static_cast<uint16_t>(value + 0.5) : 0;
}

// Pixels as WIC hands them over: 24bppBGR as decoded (most JPEG, BMP and TIFF
// files), anything else as 32bppPBGRA to be composed on white.
UINT BytesPerPixel(RowFormat format)
{
    return format == RowFormat::kBgr ? 3 : 4;
}

struct PixelSource {
    ComPtr<IWICBitmapSource> source;
    RowFormat format = RowFormat::kBgr;
};

// Pixels that WIC can read but not turn into colours (no converter for them)
// are refused rather than shown wrong.
int PixelsOf(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, PixelSource& pixels)
{
    WICPixelFormatGUID format{};
    if (SUCCEEDED(frame->GetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR) {
        pixels = {ComPtr<IWICBitmapSource>(frame), RowFormat::kBgr};
        return kOk;
    }
    ComPtr<IWICFormatConverter> converter;
    HRESULT hr = factory->CreateFormatConverter(converter.Put());
    if (FAILED(hr))
        return ResultFor(hr);
    hr = converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
    if (FAILED(hr))
        return hr == E_OUTOFMEMORY ? kOutOfMemory : kUnknownFormat;
    pixels = {ComPtr<IWICBitmapSource>(converter.Get()), RowFormat::kPremultipliedBgra};
    return kOk;
}

// Copies the stored rows from WIC into the DIB, a band at a time.
int FillFromWic(const PixelSource& pixels, UINT width, UINT height, UprightDib& dib, const Progress& progress)
{
    const uint64_t rowBytes = uint64_t{width} * BytesPerPixel(pixels.format);
    if (rowBytes > 0x7FFFFFFF)
        return kOutOfMemory;
    const UINT bandRows = static_cast<UINT>(std::clamp<uint64_t>(kBandBytes / rowBytes, 1, height));
    std::vector<uint8_t> band(static_cast<size_t>(rowBytes * bandRows));
    if (progress.Cancelled(0))
        return kCancelled;
    for (UINT top = 0; top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        const HRESULT hr = pixels.source->CopyPixels(&rect, static_cast<UINT>(rowBytes),
                                                     static_cast<UINT>(rowBytes * rows), band.data());
        if (FAILED(hr))
            return ResultFor(hr);
        for (UINT r = 0; r < rows; ++r)
            dib.Put(top + r, band.data() + rowBytes * r, pixels.format);
        if (progress.Cancelled(top + rows))
            return kCancelled;
    }
    return kOk;
}

// A file goes to the plug-in's own decoder for its format (JPEG only for its pixels:
// its facts come from WIC); kNotForThisDecoder leaves it to WIC.
int DecodeOwnFormat(const PictureSource& source, PictureRequest& request)
{
    MappedFile file;
    const uint8_t* start = source.data;
    size_t size = source.size;
    if (source.path) {
        const int r = file.Open(source.path, source.offset);
        if (r != kOk)
            return r;
        start = file.Data();
        size = file.Size();
    }
    switch (FormatOf(start, size, source.path ? source.path : "")) {
        case PictureFormat::kJpeg:
            return request.facts ? kNotForThisDecoder : DecodeJpegUpright(start, size, 0, request);
        case PictureFormat::kWebp:
            return DecodeWebp(start, size, request);
        case PictureFormat::kHeif:
            return DecodeHeif(start, size, request);
        case PictureFormat::kRaw:
            return DecodeRaw(start, size, request);
        case PictureFormat::kOther:
            break;
    }
    return kNotForThisDecoder;
}

}  // namespace

int ReadPictureFacts(const PictureSource& source, PictureFacts& facts)
{
    PictureRequest request;
    request.facts = &facts;
    int r = DecodeOwnFormat(source, request);
    if (r != kNotForThisDecoder)
        return r;
    OpenPicture picture;
    r = picture.Open(source);
    if (r != kOk)
        return r;
    const OrientationMap map = MapForOrientation(picture.Orientation(), picture.Width(), picture.Height());
    double dpiX = 0;
    double dpiY = 0;
    if (FAILED(picture.Frame()->GetResolution(&dpiX, &dpiY)))
        dpiX = dpiY = 0;
    facts.width = map.swapsSides ? picture.Height() : picture.Width();
    facts.height = map.swapsSides ? picture.Width() : picture.Height();
    facts.xDpi = Dpi(map.swapsSides ? dpiY : dpiX);
    facts.yDpi = Dpi(map.swapsSides ? dpiX : dpiY);
    facts.bitsPerPixel = BitsPerPixel(picture.Factory(), picture.Frame());
    return kOk;
}

int DecodePicture(const PictureSource& source, ProgressCallback progress, LONG_PTR data, HLOCAL& infoOut,
                  HLOCAL& bitsOut)
{
    infoOut = nullptr;
    bitsOut = nullptr;
    PictureRequest request{nullptr, progress, data};
    int r = DecodeOwnFormat(source, request);
    if (r != kNotForThisDecoder) {
        infoOut = request.info;
        bitsOut = request.bits;
        return r;
    }

    OpenPicture picture;
    r = picture.Open(source);
    if (r != kOk)
        return r;
    PixelSource pixels;
    r = PixelsOf(picture.Factory(), picture.Frame(), pixels);
    if (r != kOk)
        return r;
    double dpiX = 0;
    double dpiY = 0;
    if (FAILED(picture.Frame()->GetResolution(&dpiX, &dpiY)))
        dpiX = dpiY = 0;
    UprightDib dib;
    r = dib.Allocate(picture.Width(), picture.Height(), picture.Orientation(), dpiX, dpiY);
    if (r == kOk)
        r = FillFromWic(pixels, picture.Width(), picture.Height(), dib,
                        Progress(progress, data, picture.Height()));
    if (r == kOk) {
        dib.Finish(request);
        infoOut = request.info;
        bitsOut = request.bits;
    }
    return r;
}

bool RecognisesHeader(const uint8_t* data, size_t size)
{
    if (!data || size == 0 || size > MAXDWORD)
        return false;
    if (IsOwnFormat(data, size))
        return true;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    if (FAILED(CreateFactory(factory)) || FAILED(factory->CreateStream(stream.Put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
        return false;
    bool recognised = false;
    ForEachDecoder(factory.Get(), [&](const ComPtr<IUnknown>& item) {
        ComPtr<IWICBitmapDecoderInfo> decoder;
        BOOL matches = FALSE;
        recognised = SUCCEEDED(item.As(decoder)) &&
                     SUCCEEDED(decoder->MatchesPattern(stream.Get(), &matches)) && matches;
        return recognised;
    });
    return recognised;
}

namespace {

std::string Ansi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), n, nullptr,
                        nullptr);
    return ansi;
}

template <typename Getter>
std::wstring WicText(Getter get)
{
    UINT length = 0;
    if (FAILED(get(0, nullptr, &length)) || length == 0)
        return std::wstring();
    std::wstring text(length, L'\0');
    if (FAILED(get(length, text.data(), &length)))
        return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// ".bmp,.dib" or ".jpg;.jpeg" to "*.bmp;*.dib".
std::string Patterns(const std::wstring& extensions)
{
    std::string patterns;
    size_t start = 0;
    while (start <= extensions.size()) {
        size_t end = extensions.find_first_of(L",;", start);
        if (end == std::wstring::npos)
            end = extensions.size();
        std::wstring one = extensions.substr(start, end - start);
        if (!one.empty() && one[0] == L'.')
            one.erase(0, 1);
        if (!one.empty()) {
            if (!patterns.empty())
                patterns += ';';
            patterns += "*." + Ansi(one);
        }
        start = end + 1;
    }
    return patterns;
}

}  // namespace

std::vector<DecoderFilter> DecoderFilters()
{
    std::string raw;
    for (const char* at = kRawExtensions; *at;) {
        const char* end = strchr(at, ';');
        const size_t length = end ? static_cast<size_t>(end - at) : strlen(at);
        raw += (raw.empty() ? "*." : ";*.") + std::string(at, length);
        at += end ? length + 1 : length;
    }
    std::vector<DecoderFilter> filters = {
        {"*.webp", "WebP"}, {"*.heic;*.heif;*.hif", "HEIF"}, {"*.avif", "AVIF"}, {raw, "Camera RAW"}};
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CreateFactory(factory)))
        return filters;
    ForEachDecoder(factory.Get(), [&](const ComPtr<IUnknown>& item) {
        ComPtr<IWICBitmapCodecInfo> codec;
        if (FAILED(item.As(codec)))
            return false;
        DecoderFilter filter;
        filter.patterns = Patterns(
            WicText([&](UINT n, WCHAR* s, UINT* got) { return codec->GetFileExtensions(n, s, got); }));
        filter.description =
            Ansi(WicText([&](UINT n, WCHAR* s, UINT* got) { return codec->GetFriendlyName(n, s, got); }));
        if (!filter.patterns.empty())
            filters.push_back(std::move(filter));
        return false;
    });
    return filters;
}

}  // namespace thumbctl::wic
