// A picture cache without its COM face: the slot table, its Win32 mutex, the
// dispatcher thread and one loader thread per decode.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/win/handles.h"
#include "thumbctl/cache/slot_table.h"

namespace thumbctl::cache {

constexpr DWORD kDispatcherWaitMs = 100;
constexpr DWORD kIdlePauseMs = 30;
constexpr DWORD kLoaderLimitMs = 5000;
constexpr DWORD kStopLimitMs = 15000;

// The table lock as an unnamed Win32 mutex: a loader terminated while it held
// the mutex leaves it abandoned, and the next wait still acquires it.
class Win32TableLock final : public TableLock {
public:
    Win32TableLock();
    void Lock() override;
    void Unlock() override;
    HANDLE Handle() const { return mutex_.get(); }
    explicit operator bool() const { return static_cast<bool>(mutex_); }

private:
    fw::UniqueHandle mutex_;
};

class PictureCacheEngine {
public:
    // Sizes from the library settings, applied as by SetCacheSize.
    PictureCacheEngine();
    PictureCacheEngine(int16_t slotCount, int16_t cacheOutLimit);
    ~PictureCacheEngine();
    PictureCacheEngine(const PictureCacheEngine&) = delete;
    PictureCacheEngine& operator=(const PictureCacheEngine&) = delete;

    // False when the events, the mutex or the dispatcher could not be made.
    bool Started() const { return started_; }

    // S_OK with the bitmap and its description written, else E_FAIL and nothing written.
    HRESULT RequestBitmap(HWND window, const std::string& path, HBITMAP* bitmap, BITMAP* description);
    void SetCacheSize(int16_t slotCount, int16_t cacheOutLimit);

    SlotTable& Table() { return *table_; }

private:
    static DWORD WINAPI DispatcherMain(void* self);
    static DWORD WINAPI LoaderMain(void* args);
    void Dispatch();
    void RunLoader(const std::shared_ptr<PictureEntry>& entry);
    void Load(PictureEntry& entry);

    Win32TableLock lock_;
    std::unique_ptr<SlotTable> table_;
    fw::UniqueHandle stopEvent_;
    fw::UniqueHandle startedEvent_;
    fw::UniqueHandle wakeEvent_;  // set by a request that missed
    fw::UniqueHandle dispatcher_;
    DWORD dispatcherId_ = 0;
    bool started_ = false;
};

}  // namespace thumbctl::cache
