// Runs a call into foreign code (a decoder) so that an access violation inside
// it ends the call instead of the process.
#pragma once

namespace thumbctl::cache {

// Calls fn(context). Returns false when an access violation was raised on this
// thread during the call; the call is then abandoned at the faulting point.
bool CallGuarded(void (*fn)(void*), void* context);

template <typename F>
bool CallGuarded(F& f)
{
    return CallGuarded([](void* c) { (*static_cast<F*>(c))(); }, &f);
}

}  // namespace thumbctl::cache
