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
// Only EXCEPTION_ACCESS_VIOLATION is taken, and only with a sane stack
// pointer; other faults go on to the normal handlers. The handler runs first
// (before frame-based handlers), so a decoder that would have caught its own
// access violation loses that chance while guarded. The handler is registered for the duration of each
// guarded call only; one left behind by a terminated thread keeps the library loaded (see
// HandlerRegistration), so no handler outlives the library. Whatever the foreign code held at the fault
// (memory, locks) stays as it was: the caller reports the fault and advises the user to quit.
#include <windows.h>

#include <cstdint>

#include "framework/com/module.h"
#include "thumbctl/cache/crash_guard.h"

namespace thumbctl::cache {
namespace {

struct Guard {
    void* jump[5];  // __builtin_setjmp buffer
    Guard* outer;
    uintptr_t frame;  // RunGuarded's frame: the guarded call runs below it
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
#ifdef _WIN64
    const auto faultSp = static_cast<uintptr_t>(c->Rsp);
#else
    const auto faultSp = static_cast<uintptr_t>(c->Esp);
#endif
    // Only a fault below the guarded frame, on a stack pointer that still lies
    // in this thread's stack (the handler runs on it, so its reservation is
    // found from a local), can be resumed; anything else (a foreign call that
    // wrecked its stack pointer) is left alone. The exception dispatch has
    // already used the stack below the fault, so the stub's spot is committed.
    MEMORY_BASIC_INFORMATION stack = {};
    if (!VirtualQuery(&stack, &stack, sizeof stack))
        return EXCEPTION_CONTINUE_SEARCH;
    const auto stackEnd = reinterpret_cast<uintptr_t>(stack.AllocationBase) + 64 * 1024;
    if (faultSp >= Slot().Get()->frame || faultSp <= stackEnd)
        return EXCEPTION_CONTINUE_SEARCH;
        // Leave room below the faulting frame, keep 16-byte alignment and enter the
        // stub as if called (return address slot taken).
#ifdef _WIN64
    uintptr_t sp = (faultSp - 1024) & ~uintptr_t{15};
    c->Rsp = sp - 8;
    c->Rip = reinterpret_cast<uintptr_t>(&ResumeAfterFault);
#else
    uintptr_t sp = (faultSp - 1024) & ~uintptr_t{15};
    c->Esp = static_cast<DWORD>(sp - 4);
    c->Eip = static_cast<DWORD>(reinterpret_cast<uintptr_t>(&ResumeAfterFault));
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// While a handler is registered the library stays loaded (a module lock, as
// DllCanUnloadNow sees it). A loader thread terminated inside a guarded call
// (a hanging plug-in) never removes its handler; the lock it keeps stops the
// library from being unloaded under a handler that still points into it.
class HandlerRegistration {
public:
    HandlerRegistration() : handle_(AddVectoredExceptionHandler(1, &OnException))
    {
        if (handle_)
            fw::com::Module::Lock();
    }
    ~HandlerRegistration()
    {
        if (!handle_)
            return;
        RemoveVectoredExceptionHandler(handle_);
        fw::com::Module::Unlock();
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
    guard.frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
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
    asm volatile("movl %%fs:0, %0" : "=r"(guard.exceptionList));
#endif
    bool completed = RunGuarded(guard, fn, context);
#ifndef _WIN64
    if (!completed)
        asm volatile("movl %0, %%fs:0" : : "r"(guard.exceptionList) : "memory");
#endif
    slot.Set(guard.outer);
    return completed;
}

}  // namespace thumbctl::cache
