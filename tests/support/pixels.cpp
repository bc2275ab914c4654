#include "tests/support/pixels.h"

#include "framework/core/filesystem.h"
#include "framework/core/path.h"
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

bool SaveArtefact(const Dib& dib, const char* name)
{
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = dib.width;
    ih.biHeight = -dib.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    const size_t pixels = static_cast<size_t>(dib.width) * dib.height * 4;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + pixels);
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const auto out = fw::SystemFileSystem()->Create(fw::ParentOf(exe) + "\\" + name + ".bmp");
    return out && dib.bits && out->Write(&fh, sizeof fh) == sizeof fh &&
           out->Write(&ih, sizeof ih) == sizeof ih && out->Write(dib.bits, pixels) == pixels && out->Close();
}

}  // namespace testing_support
