#include "tests/support/pixels.h"

#include <cstring>
#include <string>

#include "framework/win/gdi.h"

namespace testing_support {

Dib::Dib(int w, int h, uint32_t color) : width(w), height(h)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    bits = static_cast<uint32_t*>(p);
    if (bits) {
        for (int i = 0; i < w * h; ++i)
            bits[i] = color;
    }
}

void Dib::Fill(const std::function<uint32_t(int, int)>& color)
{
    GdiFlush();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[static_cast<size_t>(y) * width + x] = color(x, y);
}

Dib CaptureClient(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    Dib dib(client.right, client.bottom);
    fw::WindowDc screen(window);
    fw::UniqueMemoryDc memory(CreateCompatibleDC(screen.Dc()));
    {
        fw::SelectObjectScope selected(memory.get(), dib.Handle());
        BitBlt(memory.get(), 0, 0, dib.width, dib.height, screen.Dc(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    return dib;
}

std::string BmpFile(const Dib& dib)
{
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = dib.width;
    ih.biHeight = -dib.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    const size_t pixels = static_cast<size_t>(dib.width) * dib.height * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + pixels);
    std::string file(fh.bfSize, '\0');
    std::memcpy(file.data(), &fh, sizeof fh);
    std::memcpy(file.data() + sizeof fh, &ih, sizeof ih);
    if (dib.bits)
        std::memcpy(file.data() + fh.bfOffBits, dib.bits, pixels);
    return file;
}

bool SaveArtefact(const Dib& dib, const char* name)
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    file = file.substr(0, file.find_last_of('\\') + 1) + name + ".bmp";
    const std::string bytes = BmpFile(dib);
    fw::UniqueHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!out)
        return false;
    DWORD written = 0;
    return WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

int WrongPixels(const Dib& dib, const RECT& where, uint32_t inside)
{
    int wrong = 0;
    for (int y = 0; y < dib.height; ++y) {
        for (int x = 0; x < dib.width; ++x) {
            const POINT p{x, y};
            const uint32_t want = PtInRect(&where, p) ? inside : 0xFFFFFFu;
            if (dib.At(x, y) != want)
                ++wrong;
        }
    }
    return wrong;
}

}  // namespace testing_support
