// A freshly allocated block costs the system a page fault and a page of zeroes at
// the first write to each of its pages: about a third of a large picture's decode.
// A PageToucher takes those faults on another thread while the decode writes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/win/handles.h"

namespace thumbctl::wic {

class PageToucher {
public:
    // Touches the pages of [begin, begin + size), from the end down when `downward`
    // (the order a bottom-up picture is written in). Small blocks are not worth a
    // thread and are left alone.
    PageToucher(uint8_t* begin, size_t size, bool downward);
    // Stops and waits for the thread.
    ~PageToucher();
    PageToucher(const PageToucher&) = delete;
    PageToucher& operator=(const PageToucher&) = delete;

private:
    static DWORD WINAPI Main(void* self);
    void Run();

    uint8_t* begin_;
    size_t size_;
    bool downward_;
    volatile LONG stop_ = 0;
    fw::UniqueHandle thread_;
};

}  // namespace thumbctl::wic
