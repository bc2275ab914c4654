// HRESULT helpers: early return, an exception that carries an HRESULT, and the guard
// that turns C++ exceptions into HRESULTs at COM boundaries.
#pragma once

#include <objbase.h>

#include <exception>
#include <new>
#include <stdexcept>

#define FW_RETURN_IF_FAILED(expr)      \
    do {                               \
        const HRESULT fw_hr_ = (expr); \
        if (FAILED(fw_hr_))            \
            return fw_hr_;             \
    } while (0)

namespace fw::com {

class HResultError : public std::runtime_error {
public:
    explicit HResultError(HRESULT hr) : std::runtime_error("COM call failed"), hr_(hr) {}
    HRESULT Code() const { return hr_; }

private:
    HRESULT hr_;
};

inline void ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr))
        throw HResultError(hr);
}

// The HRESULT for the exception being handled; call only inside a catch block.
inline HRESULT HResultFromCurrentException() noexcept
{
    try {
        throw;
    } catch (const HResultError& e) {
        return e.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::invalid_argument&) {
        return E_INVALIDARG;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Runs `body` (returning HRESULT) and reports any exception as an HRESULT.
template <typename F>
HRESULT Guarded(F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return HResultFromCurrentException();
    }
}

}  // namespace fw::com
