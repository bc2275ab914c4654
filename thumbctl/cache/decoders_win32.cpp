#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "framework/ax/dispatch_call.h"
#include "framework/com/com_ptr.h"
#include "framework/core/codepage.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/win/gdi.h"
#include "framework/win/handles.h"
#include "framework/win/system_library.h"
#include "thumbctl/cache/beep.h"
#include "thumbctl/cache/crash_guard.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

// The locale the picture's properties are read in.
constexpr LCID kPictureLocale = 0x0400;

// The pixel memory of a bitmap as GDI describes it.
size_t BitmapBytes(uintptr_t handle)
{
    BITMAP info{};
    if (!handle || !GetObjectA(reinterpret_cast<HGDIOBJ>(handle), sizeof info, &info))
        return 0;
    return static_cast<size_t>(info.bmWidthBytes) *
           static_cast<size_t>(info.bmHeight > 0 ? info.bmHeight : 0);
}

// Whether a picture object made by OleLoadPicture deletes its GDI handle when
// it is released. Windows' does; Wine's (given fRunmode TRUE) does not, and
// every decoded picture would then leak its bitmap. Found out once with a 1x1
// bitmap: a handle that outlives its picture is ours to delete.
bool LoadedPicturesOwnTheirHandles()
{
    static const bool owns = [] {
        static const unsigned char kBmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0,   0, 0,  40,
                                             0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1,   0, 24, 0,
                                             0,   0,   0,  0, 0, 0, 4, 0, 0, 0, 0,  0,   0, 0,  0,
                                             0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  255, 0, 0,  0};
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof kBmp);
        if (!block)
            return true;
        if (void* data = GlobalLock(block)) {
            memcpy(data, kBmp, sizeof kBmp);
            GlobalUnlock(block);
        }
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
            GlobalFree(block);
            return true;
        }
        IPicture* picture = nullptr;
        HRESULT hr =
            OleLoadPicture(stream, sizeof kBmp, TRUE, IID_IPicture, reinterpret_cast<void**>(&picture));
        stream->Release();
        if (FAILED(hr) || !picture)
            return true;
        OLE_HANDLE value = 0;
        picture->get_Handle(&value);
        picture->Release();
        auto bitmap = reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(static_cast<int32_t>(value)));
        if (bitmap && GetObjectType(bitmap) == OBJ_BITMAP) {
            DeleteObject(bitmap);
            return false;
        }
        return true;
    }();
    return owns;
}

// A picture object from the OLE loader: delivered only when it is a bitmap.
class OlePicture final : public Picture {
public:
    explicit OlePicture(IPictureDisp* picture)
        : picture_(picture), ownsHandle_(LoadedPicturesOwnTheirHandles())
    {
    }
    ~OlePicture() override
    {
        if (ownsHandle_) {
            picture_->Release();
            return;
        }
        LONG type = 0;
        LONG value = 0;
        const bool known = Property(DISPID_PICT_TYPE, type) && Property(DISPID_PICT_HANDLE, value);
        picture_->Release();
        if (!known || !value)
            return;
        const auto handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(value));
        if (type == PICTYPE_BITMAP)
            DeleteObject(static_cast<HGDIOBJ>(handle));
        else if (type == PICTYPE_ICON)
            DestroyIcon(static_cast<HICON>(handle));
        else if (type == PICTYPE_METAFILE)
            DeleteMetaFile(static_cast<HMETAFILE>(handle));
        else if (type == PICTYPE_ENHMETAFILE)
            DeleteEnhMetaFile(static_cast<HENHMETAFILE>(handle));
    }
    OlePicture(const OlePicture&) = delete;
    OlePicture& operator=(const OlePicture&) = delete;

    // The type and the handle of a loaded picture never change: asked once.
    bool BitmapHandle(uintptr_t& handle) override
    {
        if (!asked_) {
            asked_ = true;
            LONG type = 0;
            LONG value = 0;
            // OLE_HANDLE is 32 bits; GDI handles widen by sign extension.
            if (Property(DISPID_PICT_TYPE, type) && type == PICTYPE_BITMAP &&
                Property(DISPID_PICT_HANDLE, value))
                bitmap_ = static_cast<uintptr_t>(static_cast<intptr_t>(value));
        }
        handle = bitmap_;
        return bitmap_ != 0;
    }

    size_t Bytes() override
    {
        uintptr_t handle = 0;
        return BitmapHandle(handle) ? BitmapBytes(handle) : 0;
    }

private:
    bool Property(DISPID id, LONG& out)
    {
        fw::com::Variant result;
        if (FAILED(fw::ax::GetProperty(picture_, id, result.Get(), kPictureLocale)))
            return false;
        VARIANT as32;
        VariantInit(&as32);
        HRESULT hr = VariantChangeType(&as32, result.Get(), 0, VT_I4);
        if (FAILED(hr))
            hr = VariantChangeType(&as32, result.Get(), 0, VT_UI4);
        if (FAILED(hr))
            return false;
        out = as32.vt == VT_I4 ? as32.lVal : static_cast<LONG>(as32.ulVal);
        return true;
    }

    IPictureDisp* picture_;
    const bool ownsHandle_;
    bool asked_ = false;  // guarded by the table lock, like every delivery
    uintptr_t bitmap_ = 0;
};

// A device-dependent bitmap made from a plug-in's result. Its memory may take the
// pixels of a later picture of the same size.
class BitmapPicture final : public Picture {
public:
    explicit BitmapPicture(HBITMAP bitmap) : bitmap_(bitmap) {}
    bool BitmapHandle(uintptr_t& handle) override
    {
        handle = reinterpret_cast<uintptr_t>(bitmap_.get());
        return bitmap_.get() != nullptr;
    }
    size_t Bytes() override { return BitmapBytes(reinterpret_cast<uintptr_t>(bitmap_.get())); }
    bool Reusable() const override { return true; }

private:
    fw::UniqueGdiObject bitmap_;
};

struct ComRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};

using SusieGetPicture = int(WINAPI*)(LPCSTR buf, LONG_PTR len, unsigned int flag, HANDLE* info, HANDLE* bits,
                                     FARPROC progress, LONG_PTR data);

// Checks the plug-in's blocks and writes them into a bitmap: into `picture` when the
// spares give one of the picture's size, else into a new one. Runs guarded: handles
// that are not local memory at all may fault in LocalSize or LocalLock.
void PictureFromPackedDib(HLOCAL info, HLOCAL bits, const SpareSource& spares,
                          std::unique_ptr<Picture>& picture)
{
    const size_t infoBytes = LocalSize(info);
    const size_t bitsBytes = LocalSize(bits);
    if (infoBytes < sizeof(BITMAPINFOHEADER) || bitsBytes == 0)
        return;
    fw::LocalLockScope infoLock(info);
    fw::LocalLockScope bitsLock(bits);
    if (!infoLock.Data() || !bitsLock.Data())
        return;
    const auto* bmi = static_cast<const BITMAPINFO*>(infoLock.Data());
    const BITMAPINFOHEADER& header = bmi->bmiHeader;
    if (!PackedDibFits(header, infoBytes, bitsBytes))
        return;
    const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (spares)
        picture = spares([&](Picture& spare) {
            const SIZE size = ReusableSize(spare);
            return size.cx == header.biWidth && size.cy == height;
        });
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    if (!dc)
        return;
    uintptr_t reused = 0;
    if (picture && picture->BitmapHandle(reused) &&
        SetDIBits(dc, reinterpret_cast<HBITMAP>(reused), 0, static_cast<UINT>(height), bitsLock.Data(), bmi,
                  DIB_RGB_COLORS) == static_cast<int>(height)) {
        ReleaseDC(desktop, dc);
        return;
    }
    picture.reset();
    HBITMAP bitmap = CreateDIBitmap(dc, &header, CBM_INIT, bitsLock.Data(), bmi, DIB_RGB_COLORS);
    ReleaseDC(desktop, dc);
    if (bitmap)
        picture = std::make_unique<BitmapPicture>(bitmap);
}

}  // namespace

bool PackedDibFits(const BITMAPINFOHEADER& h, size_t infoBytes, size_t bitsBytes)
{
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > infoBytes)
        return false;
    if (h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return false;
    const unsigned bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    uint64_t tableBytes = 0;
    if (h.biCompression == BI_BITFIELDS) {
        if (bpp != 16 && bpp != 32)
            return false;
        if (h.biSize == sizeof(BITMAPINFOHEADER))
            tableBytes = 3 * sizeof(DWORD);  // the masks follow the header
    } else if (h.biCompression != BI_RGB) {
        return false;
    }
    if (bpp <= 8) {
        const uint64_t maxColours = uint64_t{1} << bpp;
        if (h.biClrUsed > maxColours)
            return false;
        tableBytes += (h.biClrUsed ? h.biClrUsed : maxColours) * sizeof(RGBQUAD);
    } else {
        if (h.biClrUsed > 256)
            return false;
        tableBytes += uint64_t{h.biClrUsed} * sizeof(RGBQUAD);
    }
    if (uint64_t{h.biSize} + tableBytes > infoBytes)
        return false;
    const uint64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    const uint64_t stride = (uint64_t(h.biWidth) * bpp + 31) / 32 * 4;
    return stride * height <= bitsBytes;
}

std::wstring PluginCrashText(const std::string& path)
{
    return L"SUSIEプラグイン使用中に、不正なメモリアクセスがありました。\r\n"
           L"VelmoraThumbCtlは、この例外をキャッチしましたが、プログラムの継続に支障をきたす場合があります。"
           L"\r\n"
           L"すみやかに終了することをお勧めします。\r\n"
           L"このエラーは画像の破損によるものの可能性が高いため、画像エディタ等で修正してください。\r\n"
           L"ファイル名:" +
           fw::WidenAnsi(path);
}

SIZE ReusableSize(Picture& picture)
{
    uintptr_t handle = 0;
    BITMAP info{};
    if (!picture.Reusable() || !picture.BitmapHandle(handle) ||
        !GetObjectA(reinterpret_cast<HGDIOBJ>(handle), sizeof info, &info))
        return SIZE{};
    return SIZE{info.bmWidth, info.bmHeight};
}

std::unique_ptr<Picture> BlankBitmap(SIZE size)
{
    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    if (!screen)
        return nullptr;
    fw::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, size.cx, size.cy));
    ReleaseDC(desktop, screen);
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc)
        return nullptr;
    {
        fw::SelectObjectScope selected(dc.get(), bitmap.get());
        PatBlt(dc.get(), 0, 0, size.cx, size.cy, WHITENESS);
    }
    return std::make_unique<BitmapPicture>(static_cast<HBITMAP>(bitmap.release()));
}

DecodeResult DecodeWithOle(const std::string& path)
{
    DecodeResult result;
    fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return result;
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return result;
    fw::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        return result;
    DWORD read = 0;
    BOOL ok = FALSE;
    if (void* data = GlobalLock(block.get())) {
        ok = ReadFile(file.get(), data, size, &read, nullptr);
        GlobalUnlock(block.get());
    }
    file.reset();
    if (!ok || read != size)
        return result;

    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &raw)))
        return result;
    block.release();  // the stream frees it
    std::unique_ptr<IStream, ComRelease> stream(raw);

    IPictureDisp* picture = nullptr;
    HRESULT hr = E_FAIL;
    auto load = [&] {
        hr = OleLoadPicture(stream.get(), static_cast<LONG>(size), TRUE, IID_IPictureDisp,
                            reinterpret_cast<void**>(&picture));
    };
    if (!CallGuarded(load)) {
        Beep();
        return result;  // whatever the loader left behind is not trusted
    }
    if (hr != S_OK || !picture) {
        if (picture)
            picture->Release();
        return result;
    }
    result.state = EntryState::kReadyPicture;
    result.picture = std::make_unique<OlePicture>(picture);
    return result;
}

HMODULE PluginModules::Acquire(const std::string& file)
{
    if (const auto found = modules_.find(file); found != modules_.end())
        return found->second.get();
    fw::UniqueModule module = fw::LoadLibraryAt(file);
    // GetPluginInfo may be missing; the other three must be there. Only GetPicture is
    // ever called.
    if (!module || !GetProcAddress(module.get(), "IsSupported") ||
        !GetProcAddress(module.get(), "GetPictureInfo") || !GetProcAddress(module.get(), "GetPicture"))
        return nullptr;
    const HMODULE loaded = module.get();
    modules_.emplace(file, std::move(module));
    return loaded;
}

void PluginModules::Unload(HMODULE module)
{
    for (auto m = modules_.begin(); m != modules_.end(); ++m) {
        if (m->second.get() == module) {
            modules_.erase(m);
            return;
        }
    }
}

void PluginModules::AbandonBusy()
{
    const HMODULE busy = busy_;
    busy_ = nullptr;
    for (auto m = modules_.begin(); m != modules_.end(); ++m) {
        if (m->second.get() == busy) {
            m->second.release();
            modules_.erase(m);
            return;
        }
    }
}

DecodeResult DecodeWithPlugin(PluginModules& plugins, const std::string& plugin, const std::string& path,
                              const SpareSource& spares)
{
    DecodeResult result;
    const HMODULE module = plugins.Acquire(plugin);
    if (!module)
        return result;
    auto getPicture = reinterpret_cast<SusieGetPicture>(GetProcAddress(module, "GetPicture"));

    HANDLE given[2] = {nullptr, nullptr};
    int code = -1;
    auto call = [&] { code = getPicture(path.c_str(), 0, 0, &given[0], &given[1], nullptr, 0); };
    plugins.SetBusy(module);
    const bool returned = CallGuarded(call);
    plugins.SetBusy(nullptr);
    if (!returned) {
        // Whatever the handles hold now is not ours to free, and the plug-in's own
        // state is not trusted any more.
        plugins.Unload(module);
        fw::CurrentPrompts().Message(0, PluginCrashText(path), std::wstring(),
                                     fw::kMbIconHand | fw::kMbTaskModal);
        return result;
    }
    if (code != 0)
        return result;
    // From here the blocks are freed however the decode ends; one block given as
    // both is no picture and is freed once only.
    fw::UniqueLocal info(given[0]);
    fw::UniqueLocal bits(given[1] != given[0] ? given[1] : nullptr);
    if (!info || !bits)
        return result;

    std::unique_ptr<Picture> picture;
    auto convert = [&] { PictureFromPackedDib(info.get(), bits.get(), spares, picture); };
    if (!CallGuarded(convert)) {
        // The handles were not local memory: leave them alone.
        info.release();
        bits.release();
        return result;
    }
    if (!picture)
        return result;
    result.state = EntryState::kReadyBitmap;
    result.picture = std::move(picture);
    // The blocks are freed when the result lets go.
    struct Leftovers {
        fw::UniqueLocal info;
        fw::UniqueLocal bits;
    };
    result.leftovers = std::make_shared<Leftovers>(Leftovers{std::move(info), std::move(bits)});
    return result;
}

std::string PluginFileFor(const std::string& value, const std::string& libraryPath)
{
    const bool relative =
        !value.empty() && value[0] != '\\' && value[0] != '/' && (value.size() < 2 || value[1] != ':');
    if (!relative)
        return value;
    // The library's folder, ended by its last separator (never a trail byte).
    const fw::CodePage& cp = fw::SystemCodePage();
    size_t folderEnd = 0;
    for (size_t i = 0; i < libraryPath.size(); i = cp.Next(libraryPath.data(), i, libraryPath.size())) {
        if (libraryPath[i] == '\\' || libraryPath[i] == '/')
            folderEnd = i + 1;
    }
    if (folderEnd == 0)
        return value;
    const std::string beside = libraryPath.substr(0, folderEnd) + value;
    const DWORD attributes = GetFileAttributesA(beside.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? beside : value;
}

DecodeResult Decode(const std::string& path, PluginModules& plugins, const SpareSource& spares)
{
    DecoderChoice choice = CurrentSettings().DecoderFor(path, fw::SystemCodePage());
    if (!choice.plugin)
        return DecodeWithOle(path);
    // This code is linked into the library: its module is the library's.
    HMODULE library = nullptr;
    char libraryPath[MAX_PATH] = "";
    if (GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&PluginFileFor), &library))
        GetModuleFileNameA(library, libraryPath, MAX_PATH);
    return DecodeWithPlugin(plugins, PluginFileFor(choice.pluginPath, libraryPath), path, spares);
}

}  // namespace thumbctl::cache
