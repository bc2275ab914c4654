#include "thumbctl/wic/page_toucher.h"

namespace thumbctl::wic {
namespace {

constexpr size_t kPage = 4096;
constexpr size_t kWorthAThread = 4u << 20;

}  // namespace

PageToucher::PageToucher(uint8_t* begin, size_t size, bool downward)
    : begin_(begin), size_(size), downward_(downward)
{
    if (begin && size >= kWorthAThread)
        thread_.reset(CreateThread(nullptr, 0, &PageToucher::Main, this, 0, nullptr));
}

PageToucher::~PageToucher()
{
    if (!thread_)
        return;
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI PageToucher::Main(void* self)
{
    static_cast<PageToucher*>(self)->Run();
    return 0;
}

// Each touch adds nothing to the first word of a page, atomically: a page the
// decode has written already keeps its pixels.
void PageToucher::Run()
{
    const auto base = reinterpret_cast<uintptr_t>(begin_);
    const uintptr_t first = (base + kPage - 1) & ~uintptr_t{kPage - 1};
    const uintptr_t end = base + size_;
    if (first >= end)
        return;
    const size_t pages = (end - first + kPage - 1) / kPage;
    for (size_t i = 0; i < pages && !InterlockedCompareExchange(&stop_, 0, 0); ++i) {
        const size_t page = downward_ ? pages - 1 - i : i;
        InterlockedOr(reinterpret_cast<volatile LONG*>(first + page * kPage), 0);
    }
}

}  // namespace thumbctl::wic
