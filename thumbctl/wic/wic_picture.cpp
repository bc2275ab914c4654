#include "thumbctl/wic/wic_picture.h"

#include <propidl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "framework/com/com_ptr.h"
#include "framework/win/handles.h"
#include "thumbctl/wic/exif_orientation.h"
#include "thumbctl/wic/jpeg_picture.h"
#include "thumbctl/wic/page_toucher.h"

namespace thumbctl::wic {
namespace {

using fw::com::ComPtr;

using fw::LocalLockScope;
using fw::UniqueLocal;

// A 32-bit Windows process has 2 GB of address space in all; a 64-bit one still
// describes the block in a DWORD (biSizeImage).
constexpr uint64_t kMaxBlockBytes = sizeof(void*) == 4 ? 0x7FFFFFFFu : 0xFFFFFFFFu;
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

std::wstring WidePath(const char* path)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

fw::UniqueHandle OpenForReading(const std::wstring& path)
{
    return fw::UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

// A premultiplied colour over white.
inline uint8_t OnWhite(uint8_t colour, uint8_t alpha)
{
    const unsigned v = colour + (255u - alpha);
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

// Pixels as WIC hands them over: 24bppBGR as decoded (most JPEG, BMP and TIFF
// files), anything else as 32bppPBGRA to be composed on white; libjpeg-turbo's
// rows as BGR and one unused byte.
enum class RowFormat { kBgr, kBgrx, kPremultipliedBgra };

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

// The bottom-up 32-bit packed DIB being filled: each stored pixel is sent to its
// upright place. The blocks are handed over by Finish, or freed.
class UprightDib {
public:
    int Allocate(UINT width, UINT height, int orientation, double dpiX, double dpiY);
    // Stored row `y`; premultiplied alpha is composed on white.
    void Put(UINT y, const uint8_t* in, RowFormat format);
    // Where stored row `y` lies in the DIB when rows stay rows, left to right;
    // otherwise null and the row goes through Put.
    uint8_t* Direct(UINT y) const;
    void Finish(HLOCAL& info, HLOCAL& bits);

private:
    UINT width_ = 0;
    uint64_t outWidth_ = 0;
    uint64_t outHeight_ = 0;
    uint64_t stride_ = 0;
    int64_t origin_ = 0;
    ptrdiff_t stepX_ = 0;
    ptrdiff_t stepY_ = 0;
    UniqueLocal info_;
    UniqueLocal bits_;
    std::optional<LocalLockScope> lock_;
    std::optional<PageToucher> toucher_;  // goes before the block it touches
};

int UprightDib::Allocate(UINT width, UINT height, int orientation, double dpiX, double dpiY)
{
    const OrientationMap map = MapForOrientation(orientation, width, height);
    width_ = width;
    outWidth_ = map.swapsSides ? height : width;
    outHeight_ = map.swapsSides ? width : height;
    const uint64_t imageBytes = PackedDibBytes(outWidth_, outHeight_);
    if (imageBytes == 0)
        return kOutOfMemory;
    stride_ = imageBytes / outHeight_;
    // Upright (dx, dy) sits at (outHeight - 1 - dy) * stride + 4 * dx: linear in
    // the stored (x, y).
    const int64_t s = static_cast<int64_t>(stride_);
    origin_ = (static_cast<int64_t>(outHeight_) - 1 - map.cy) * s + 4 * map.cx;
    stepX_ = static_cast<ptrdiff_t>(4 * map.xx - s * map.yx);
    stepY_ = static_cast<ptrdiff_t>(4 * map.xy - s * map.yy);

    info_.reset(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFO)));
    bits_.reset(LocalAlloc(LMEM_MOVEABLE, static_cast<size_t>(imageBytes)));
    if (!info_ || !bits_)
        return kOutOfMemory;
    const LocalLockScope header(info_.get());
    lock_.emplace(bits_.get());
    if (!header.Data() || !lock_->Data())
        return kMemoryError;
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = static_cast<LONG>(outWidth_);
    h.biHeight = static_cast<LONG>(outHeight_);  // bottom-up
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(imageBytes);
    h.biXPelsPerMeter = static_cast<LONG>(Dpi(map.swapsSides ? dpiY : dpiX) * 10000 / 254);
    h.biYPelsPerMeter = static_cast<LONG>(Dpi(map.swapsSides ? dpiX : dpiY) * 10000 / 254);
    memcpy(header.Data(), &h, sizeof h);
    toucher_.emplace(lock_->Bytes(), static_cast<size_t>(imageBytes), stepY_ < 0);
    return kOk;
}

uint8_t* UprightDib::Direct(UINT y) const
{
    return stepX_ == 4 ? lock_->Bytes() + origin_ + stepY_ * static_cast<ptrdiff_t>(y) : nullptr;
}

void UprightDib::Put(UINT y, const uint8_t* in, RowFormat format)
{
    uint8_t* at = lock_->Bytes() + origin_ + stepY_ * static_cast<ptrdiff_t>(y);
    if (format == RowFormat::kBgr) {
        for (UINT x = 0; x < width_; ++x, in += 3, at += stepX_) {
            at[0] = in[0];
            at[1] = in[1];
            at[2] = in[2];
            at[3] = 0xFF;
        }
    } else if (format == RowFormat::kBgrx) {  // turned JPEG rows; upright ones go straight in
        for (UINT x = 0; x < width_; ++x, in += 4, at += stepX_)
            memcpy(at, in, 4);
    } else {
        for (UINT x = 0; x < width_; ++x, in += 4, at += stepX_) {
            const uint8_t alpha = in[3];
            at[0] = OnWhite(in[0], alpha);
            at[1] = OnWhite(in[1], alpha);
            at[2] = OnWhite(in[2], alpha);
            at[3] = 0xFF;
        }
    }
}

void UprightDib::Finish(HLOCAL& info, HLOCAL& bits)
{
    toucher_.reset();
    lock_.reset();
    info = info_.release();
    bits = bits_.release();
}

// Reports rows done to the caller's progress callback; true when it asks to stop.
class Progress {
public:
    Progress(ProgressCallback callback, LONG_PTR data, UINT rows)
        : callback_(callback), data_(data), total_(static_cast<int>(std::min<UINT>(rows, INT32_MAX)))
    {
    }
    bool Cancelled(UINT done) const
    {
        return callback_ && callback_(static_cast<int>(std::min<UINT>(done, INT32_MAX)), total_, data_);
    }

private:
    ProgressCallback callback_;
    LONG_PTR data_;
    int total_;
};

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

// JPEG rows go straight into the DIB when they need no turning, else through one
// row of scratch space.
class JpegIntoDib : public JpegRowSink {
public:
    JpegIntoDib(int orientation, ProgressCallback callback, LONG_PTR data)
        : orientation_(orientation), callback_(callback), data_(data)
    {
    }
    int Begin(uint32_t width, uint32_t height, double xDpi, double yDpi) override
    {
        rows_ = height;
        progress_.emplace(callback_, data_, height);
        const int r = dib_.Allocate(width, height, orientation_, xDpi, yDpi);
        if (r != kOk)
            return r;
        if (!dib_.Direct(0))
            scratch_.resize(size_t{width} * 4);
        return progress_->Cancelled(0) ? kCancelled : kOk;
    }
    uint8_t* Row(uint32_t y) override
    {
        uint8_t* direct = dib_.Direct(y);
        return direct ? direct : scratch_.data();
    }
    bool Filled(uint32_t y) override
    {
        if (!scratch_.empty())
            dib_.Put(y, scratch_.data(), RowFormat::kBgrx);
        // The callback hears about every 64th row and the last.
        return ((y + 1) % 64 != 0 && y + 1 != rows_) || !progress_->Cancelled(y + 1);
    }
    UprightDib& Dib() { return dib_; }

private:
    int orientation_;
    ProgressCallback callback_;
    LONG_PTR data_;
    uint32_t rows_ = 0;
    UprightDib dib_;
    std::vector<uint8_t> scratch_;
    std::optional<Progress> progress_;
};

// A file's bytes from an offset on, mapped rather than read: the decoder takes the
// pages from the system's file cache as it gets to them.
class MappedFile {
public:
    ~MappedFile()
    {
        if (view_)
            UnmapViewOfFile(view_);
    }
    // kOk with the bytes (none for an empty file), or kReadError.
    int Open(const char* path, uint64_t offset)
    {
        const fw::UniqueHandle file = OpenForReading(WidePath(path));
        LARGE_INTEGER size;
        if (!file || !GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) < offset)
            return kReadError;
        const uint64_t length = static_cast<uint64_t>(size.QuadPart) - offset;
        if (length == 0)
            return kOk;
        if (length > SIZE_MAX / 2)
            return kReadError;
        const fw::UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const uint64_t start = offset - offset % system.dwAllocationGranularity;
        view_ = mapping
                    ? MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                                    static_cast<DWORD>(start), static_cast<size_t>(length + offset - start))
                    : nullptr;
        if (!view_)
            return kReadError;
        data_ = static_cast<const uint8_t*>(view_) + (offset - start);
        size_ = static_cast<size_t>(length);
        return kOk;
    }
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    void* view_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A JPEG file goes to libjpeg-turbo; kNotForThisDecoder leaves it to WIC.
int DecodeJpegPicture(const PictureSource& source, ProgressCallback progress, LONG_PTR data, HLOCAL& info,
                      HLOCAL& bits)
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
    if (!LooksLikeJpeg(start, size))
        return kNotForThisDecoder;
    const int orientation = JpegExifOrientation(start, size);
    JpegIntoDib sink(orientation ? orientation : 1, progress, data);
    const int r = DecodeJpeg(start, size, sink);
    if (r == kOk)
        sink.Dib().Finish(info, bits);
    return r;
}

}  // namespace

uint64_t PackedDibBytes(uint64_t width, uint64_t height)
{
    if (width == 0 || height == 0 || width > kMaxBlockBytes / 4)
        return 0;
    const uint64_t stride = width * 4;
    if (height > kMaxBlockBytes / stride)
        return 0;
    return stride * height;
}

int ReadPictureFacts(const PictureSource& source, PictureFacts& facts)
{
    OpenPicture picture;
    const int r = picture.Open(source);
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
    int r = DecodeJpegPicture(source, progress, data, infoOut, bitsOut);
    if (r != kNotForThisDecoder)
        return r;

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
    if (r == kOk)
        dib.Finish(infoOut, bitsOut);
    return r;
}

bool RecognisesHeader(const uint8_t* data, size_t size)
{
    if (!data || size == 0 || size > MAXDWORD)
        return false;
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
    std::vector<DecoderFilter> filters;
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
