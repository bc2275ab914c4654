#include <ole2.h>
#include <windows.h>

#include "framework/core/clock.h"
#include "thumbctl/cache/beep.h"
#include "thumbctl/cache/decoders.h"
#include "thumbctl/cache/picture_cache_engine.h"
#include "thumbctl/server/interface.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

// The file lookup of every request. GetFileAttributesExA gives the same
// last-write time as FindFirstFileA for a file name, without opening a
// directory search, which makes it several times cheaper on a hit; a name with
// wildcards names no file here instead of the first match.
bool LookUpFile(const std::string& path, uint64_t& lastWrite)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    lastWrite = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
    return true;
}

int16_t AsShort(long value)
{
    return static_cast<int16_t>(value);  // as a short parameter receives it
}

}  // namespace

Win32TableLock::Win32TableLock() : mutex_(CreateMutexA(nullptr, FALSE, nullptr))
{
}

void Win32TableLock::Lock()
{
    // WAIT_ABANDONED also means the mutex is ours now.
    WaitForSingleObject(mutex_.get(), INFINITE);
}

void Win32TableLock::Unlock()
{
    ReleaseMutex(mutex_.get());
}

PictureCacheEngine::PictureCacheEngine()
    : PictureCacheEngine(AsShort(CurrentSettings().CacheSize()), AsShort(CurrentSettings().BufferingSize()))
{
}

PictureCacheEngine::PictureCacheEngine(int16_t slotCount, int16_t cacheOutLimit)
{
    table_ = std::make_unique<SlotTable>(SlotTable::Environment{fw::SystemClock(), &LookUpFile, lock_, &Beep},
                                         slotCount, cacheOutLimit);
    table_->SetMemoryBudget(CurrentSettings().MemoryBudgetBytes());
    stopEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    startedEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    wakeEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    jobEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    doneEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!lock_ || !stopEvent_ || !startedEvent_ || !wakeEvent_ || !jobEvent_ || !doneEvent_)
        return;
    dispatcher_.reset(CreateThread(nullptr, 0, &DispatcherMain, this, 0, &dispatcherId_));
    if (!dispatcher_)
        return;
    WaitForSingleObject(startedEvent_.get(), INFINITE);
    started_ = true;
}

PictureCacheEngine::~PictureCacheEngine()
{
    table_->Clear();
    if (dispatcher_) {
        SetEvent(stopEvent_.get());
        if (WaitForSingleObject(dispatcher_.get(), kStopLimitMs) == WAIT_TIMEOUT) {
            Beep();
            EndThread(dispatcher_.get(), 0, system_, kSafePointLimitMs);
        }
    }
    StopLoader();
    // An entry still loading here belonged to a terminated dispatcher; the
    // table is empty, so nothing is released twice.
}

void PictureCacheEngine::StopLoader()
{
    if (!loader_)
        return;
    job_ = nullptr;
    SetEvent(jobEvent_.get());
    if (WaitForSingleObject(loader_.get(), kStopLimitMs) == WAIT_TIMEOUT) {
        Beep();
        EndThread(loader_.get(), 0, system_, kSafePointLimitMs);
        WaitForSingleObject(loader_.get(), kStopLimitMs);
        plugins_.AbandonBusy();
    }
    loader_.reset();
}

HRESULT PictureCacheEngine::RequestBitmap(HWND window, const std::string& path, HBITMAP* bitmap,
                                          BITMAP* description)
{
    bool ok = table_->RequestBitmap(reinterpret_cast<uintptr_t>(window), path, [&](uintptr_t handle) {
        auto h = reinterpret_cast<HBITMAP>(handle);
        *bitmap = h;
        GetObjectA(h, sizeof(BITMAP), description);
    });
    if (!ok)
        SetEvent(wakeEvent_.get());  // an idle dispatcher looks at once
    return ok ? S_OK : E_FAIL;
}

void PictureCacheEngine::SetCacheSize(int16_t slotCount, int16_t cacheOutLimit)
{
    table_->SetCacheSize(slotCount, cacheOutLimit);
}

DWORD WINAPI PictureCacheEngine::DispatcherMain(void* self)
{
    static_cast<PictureCacheEngine*>(self)->Dispatch();
    return 0;
}

void PictureCacheEngine::Dispatch()
{
    SetEvent(startedEvent_.get());
    const HANDLE waits[2] = {stopEvent_.get(), lock_.Handle()};
    for (;;) {
        DWORD r = WaitForMultipleObjects(2, waits, FALSE, kDispatcherWaitMs);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            return;
        if (r == WAIT_TIMEOUT)
            continue;
        // The mutex is ours (possibly abandoned by a terminated loader). The
        // choice takes it once more (Win32 mutexes are recursive) and marks the
        // entry loading before anyone else can free it.
        std::shared_ptr<PictureEntry> entry = table_->TakeNewestPending();
        lock_.Unlock();
        if (!entry) {
            WaitForSingleObject(wakeEvent_.get(), kIdlePauseMs);
            continue;
        }
        RunLoader(entry);
    }
}

void PictureCacheEngine::RunLoader(const std::shared_ptr<PictureEntry>& entry)
{
    if (!loader_) {
        ResetEvent(jobEvent_.get());
        loader_.reset(CreateThread(nullptr, 0, &LoaderMain, this, 0, nullptr));
        if (!loader_) {
            table_->Publish(*entry, EntryState::kPending, nullptr);  // chosen again at the next look
            return;
        }
    }
    ResetEvent(doneEvent_.get());
    job_ = entry.get();
    SetEvent(jobEvent_.get());
    const HANDLE waits[2] = {doneEvent_.get(), loader_.get()};
    const DWORD r = WaitForMultipleObjects(2, waits, FALSE, kLoaderLimitMs);
    if (r == WAIT_OBJECT_0)
        return;
    if (r == WAIT_TIMEOUT) {
        Beep();
        EndThread(loader_.get(), 0xFFFFFFFF, system_, kSafePointLimitMs);
        WaitForSingleObject(loader_.get(), kStopLimitMs);
        plugins_.AbandonBusy();
        table_->Publish(*entry, EntryState::kFailed, nullptr);
    }
    loader_.reset();  // the next decode starts a fresh loader
    // `entry` may have left the table meanwhile; the caller's reference is the
    // last one then, and it goes when the dispatcher moves on.
}

DWORD WINAPI PictureCacheEngine::LoaderMain(void* self)
{
    static_cast<PictureCacheEngine*>(self)->ServeLoads();
    return 0;
}

void PictureCacheEngine::ServeLoads()
{
    // Plug-ins may use COM; the picture objects made here are used from any thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        WaitForSingleObject(jobEvent_.get(), INFINITE);
        PictureEntry* const job = job_;
        if (!job)
            break;
        Load(*job);
        SetEvent(doneEvent_.get());
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

void PictureCacheEngine::Load(PictureEntry& entry)
{
    const HWND owner = reinterpret_cast<HWND>(table_->OwnerOf(entry));
    if (!IsWindow(owner)) {
        table_->Publish(entry, EntryState::kFailed, nullptr);
        return;
    }
    DecodeResult result = Decode(entry.path, plugins_, [this](const std::function<bool(Picture&)>& fits) {
        return table_->TakeSpare(fits);
    });
    const bool ready = result.state != EntryState::kFailed;
    // Asked while the picture is still the loader's alone.
    const SIZE size = ready && result.picture ? ReusableSize(*result.picture) : SIZE{};
    const size_t bytes = size.cx ? result.picture->Bytes() : 0;
    table_->Publish(entry, result.state, std::move(result.picture));
    if (ready)
        SendMessageA(reinterpret_cast<HWND>(table_->OwnerOf(entry)), kPictureReadyMessage, 0, 0);
    result.leftovers.reset();  // the picture is on screen (or was not wanted there)
    // With nothing else to do, a blank bitmap of this size waits spare, so that the next
    // new picture of this size is not written into memory never touched before.
    const auto sameSize = [&](Picture& spare) {
        const SIZE other = ReusableSize(spare);
        return other.cx == size.cx && other.cy == size.cy;
    };
    if (size.cx && table_->WantsSpare(bytes, sameSize))
        table_->AddSpare(BlankBitmap(size), bytes);
}

}  // namespace thumbctl::cache
