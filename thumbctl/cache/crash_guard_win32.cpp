// How a fault inside foreign code is caught without compiler SEH support.
//
// GCC has no __try/__except. A vectored exception handler sees the access
// violation first on the faulting thread. It acts only when that thread is
// inside CallGuarded (a guard record in a Win32 TLS slot); then it does not
// unwind anything itself: it rewrites the faulting context so that execution
// continues in ResumeAfterFault on a fresh, aligned spot of the same stack
// below the faulting frame, and returns EXCEPTION_CONTINUE_EXECUTION. The
// system finishes its exception dispatch normally (NtContinue), and only then,
// in ordinary thread context, ResumeAfterFault does __builtin_longjmp back into
// CallGuarded.
//
// __builtin_setjmp/__builtin_longjmp restore just the frame pointer, the stack
// pointer and the resume address; the compiler treats the receiver as
// clobbering every register, so callee-saved registers (including xmm6-15 on
// x86_64) are reloaded from CallGuarded's own frame. Nothing walks the foreign
// frames: msvcrt's longjmp on x86_64 would unwind them with RtlUnwindEx, which
// needs unwind data a plug-in may not have, and a longjmp straight out of the
// handler would abandon the dispatcher's own frames. On i686 the frame-based
// handler chain at fs:[0] may still name registrations of the abandoned
// frames, so the guard saves it on entry and puts it back after a fault;
// x86_64 keeps no such chain.
//
// Only EXCEPTION_ACCESS_VIOLATION is taken; other faults go on to the normal
// handlers. The handler is registered for the duration of each guarded call
// only, so no handler outlives the library. Whatever the foreign code held
// at the fault (memory, locks) stays as it was: the caller reports the fault
// and advises the user to quit.
#include <windows.h>

#include <cstdint>

#include "thumbctl/cache/crash_guard.h"

namespace thumbctl::cache {
namespace {

struct Guard {
    void* jump[5];  // __builtin_setjmp buffer
    Guard* outer;
#ifndef _WIN64
    void* exceptionList;  // fs:[0] at entry
#endif
};

class GuardSlot {
public:
    GuardSlot() : index_(TlsAlloc()) {}
    ~GuardSlot()
    {
        if (index_ != TLS_OUT_OF_INDEXES)
            TlsFree(index_);
    }
    GuardSlot(const GuardSlot&) = delete;
    GuardSlot& operator=(const GuardSlot&) = delete;

    bool Valid() const { return index_ != TLS_OUT_OF_INDEXES; }
    Guard* Get() const { return static_cast<Guard*>(TlsGetValue(index_)); }
    void Set(Guard* g) const { TlsSetValue(index_, g); }

private:
    DWORD index_;
};

GuardSlot& Slot()
{
    static GuardSlot slot;
    return slot;
}

[[noreturn]] __attribute__((noinline, used)) void ResumeAfterFault()
{
    Guard* guard = Slot().Get();
    __builtin_longjmp(guard->jump, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    if (!Slot().Valid() || !Slot().Get())
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* c = info->ContextRecord;
    // Leave room below the faulting frame, keep 16-byte alignment and enter the
    // stub as if called (return address slot taken).
#ifdef _WIN64
    uintptr_t sp = (static_cast<uintptr_t>(c->Rsp) - 1024) & ~uintptr_t{15};
    c->Rsp = sp - 8;
    c->Rip = reinterpret_cast<uintptr_t>(&ResumeAfterFault);
#else
    uintptr_t sp = (static_cast<uintptr_t>(c->Esp) - 1024) & ~uintptr_t{15};
    c->Esp = static_cast<DWORD>(sp - 4);
    c->Eip = static_cast<DWORD>(reinterpret_cast<uintptr_t>(&ResumeAfterFault));
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

class HandlerRegistration {
public:
    HandlerRegistration() : handle_(AddVectoredExceptionHandler(1, &OnException)) {}
    ~HandlerRegistration()
    {
        if (handle_)
            RemoveVectoredExceptionHandler(handle_);
    }
    HandlerRegistration(const HandlerRegistration&) = delete;
    HandlerRegistration& operator=(const HandlerRegistration&) = delete;
    explicit operator bool() const { return handle_ != nullptr; }

private:
    void* handle_;
};

// Kept out of line: the receiver of __builtin_setjmp must not be merged into a
// caller, and __builtin_longjmp must come from another function.
__attribute__((noinline)) bool RunGuarded(Guard& guard, void (*fn)(void*), void* context)
{
    if (__builtin_setjmp(guard.jump) == 0) {
        Slot().Set(&guard);
        fn(context);
        return true;
    }
    return false;
}

}  // namespace

bool CallGuarded(void (*fn)(void*), void* context)
{
    GuardSlot& slot = Slot();
    HandlerRegistration handler;
    if (!slot.Valid() || !handler) {
        fn(context);  // unguarded rather than not at all
        return true;
    }
    Guard guard{};
    guard.outer = slot.Get();
#ifndef _WIN64
    guard.exceptionList = NtCurrentTeb()->NtTib.ExceptionList;
#endif
    bool completed = RunGuarded(guard, fn, context);
#ifndef _WIN64
    if (!completed)
        NtCurrentTeb()->NtTib.ExceptionList =
            static_cast<EXCEPTION_REGISTRATION_RECORD*>(guard.exceptionList);
#endif
    slot.Set(guard.outer);
    return completed;
}

}  // namespace thumbctl::cache
