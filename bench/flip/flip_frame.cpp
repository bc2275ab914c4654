// Sizes the running sorter's frame so that the thumbnail control of the active list
// window (the picture area) is WIDTH x HEIGHT pixels, moves the frame to the screen's
// top left corner and prints where the picture lies in the frame's window:
//   region WxH+X+Y frame WxH
// The frame's window is the program's top-level X window under Wine, so the region
// is what fliplat watches there.
//   flip_frame WIDTH HEIGHT [TIMEOUT_MS]
// Exit status: 0 done, 1 no frame or no picture area within the time, 2 usage,
// 3 the size could not be reached.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr wchar_t kFrameClass[] = L"CClsMainFrame";
constexpr wchar_t kClientClass[] = L"MDIClient";
constexpr int kThumbnailId = 130;  // IDC_THUMBNAIL in the sorter's resources

HWND ActiveList(HWND frame)
{
    HWND client = FindWindowExW(frame, nullptr, kClientClass, nullptr);
    if (!client)
        return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
}

HWND PictureArea(HWND frame)
{
    HWND list = ActiveList(frame);
    return list ? GetDlgItem(list, kThumbnailId) : nullptr;
}

SIZE ClientSize(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const DWORD timeout = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 30000;
    if (width < 16 || height < 16)
        return 2;

    const DWORD start = GetTickCount();
    HWND frame = nullptr;
    HWND picture = nullptr;
    while (GetTickCount() - start < timeout) {
        frame = FindWindowW(kFrameClass, nullptr);
        picture = frame ? PictureArea(frame) : nullptr;
        if (picture && IsWindowVisible(frame))
            break;
        Sleep(50);
    }
    if (!picture) {
        std::fprintf(stderr, "flip_frame: no sorter frame with an active list window\n");
        return 1;
    }

    // The frame's borders, menu, status bar and the list window's scroll bar take a
    // fixed share: grow or shrink the frame by the difference until the area fits.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const SIZE now = ClientSize(picture);
        RECT outer{};
        GetWindowRect(frame, &outer);
        if (now.cx == width && now.cy == height && outer.left == 0 && outer.top == 0)
            break;
        SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left + width - now.cx,
                     outer.bottom - outer.top + height - now.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(200);
        picture = PictureArea(frame);
        if (!picture)
            return 1;
    }
    const SIZE size = ClientSize(picture);
    RECT outer{};
    GetWindowRect(frame, &outer);
    POINT origin{0, 0};
    ClientToScreen(picture, &origin);
    std::printf("region %ldx%ld+%ld+%ld frame %ldx%ld\n", size.cx, size.cy, origin.x - outer.left,
                origin.y - outer.top, outer.right - outer.left, outer.bottom - outer.top);
    return size.cx == width && size.cy == height ? 0 : 3;
}
