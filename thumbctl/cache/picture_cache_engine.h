// A picture cache without its COM face: the slot table, its Win32 mutex, the
// dispatcher thread, the loader thread that decodes one entry after another (a fresh
// one after the time limit killed the last) and the plug-in modules.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/win/handles.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/cache/slot_table.h"
#include "thumbctl/cache/thread_end.h"

namespace thumbctl::cache {

constexpr DWORD kDispatcherWaitMs = 100;
constexpr DWORD kIdlePauseMs = 30;
constexpr DWORD kLoaderLimitMs = 5000;
constexpr DWORD kStopLimitMs = 15000;
// How long a thread over its limit may run on to leave the system's code before it is ended.
constexpr DWORD kSafePointLimitMs = 250;

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
    static DWORD WINAPI LoaderMain(void* self);
    void Dispatch();
    void RunLoader(const std::shared_ptr<PictureEntry>& entry);
    void StopLoader();
    void ServeLoads();
    void Load(PictureEntry& entry);

    Win32TableLock lock_;
    std::unique_ptr<SlotTable> table_;
    fw::UniqueHandle stopEvent_;
    fw::UniqueHandle startedEvent_;
    fw::UniqueHandle wakeEvent_;  // set by a request that missed
    fw::UniqueHandle dispatcher_;
    DWORD dispatcherId_ = 0;
    // Owned by the dispatcher: the loader, its two events and its job (null: end).
    fw::UniqueHandle loader_;
    fw::UniqueHandle jobEvent_;
    fw::UniqueHandle doneEvent_;
    PictureEntry* job_ = nullptr;
    PluginModules plugins_;  // used by the loader
    const SystemModules system_;
    bool started_ = false;
};

}  // namespace thumbctl::cache
