// Late-bound calls through IDispatch::Invoke: methods, property gets and puts, with
// ANSI strings converted to BSTR on the way in and back on the way out. Every helper
// makes exactly one Invoke (IID_NULL, LOCALE_USER_DEFAULT unless the call names its
// locale) and reports its HRESULT; a null target gives E_POINTER and no call.
#pragma once

#include <oaidl.h>

#include <span>
#include <string>

namespace fw::ax {

// Arguments are given in declaration order (Invoke takes them backwards); the callee
// may not keep or free them. `result` may be null.
HRESULT Invoke(IDispatch* target, DISPID id, WORD flags, std::span<VARIANT> args, VARIANT* result,
               LCID locale = LOCALE_USER_DEFAULT);

HRESULT CallMethod(IDispatch* target, DISPID id, std::span<VARIANT> args = {}, VARIANT* result = nullptr,
                   LCID locale = LOCALE_USER_DEFAULT);
// A method with one string argument, the ANSI text as a BSTR (empty stays empty).
HRESULT CallMethod(IDispatch* target, DISPID id, const std::string& ansiArgument);

HRESULT GetProperty(IDispatch* target, DISPID id, VARIANT* result, LCID locale = LOCALE_USER_DEFAULT);
// A string property converted to ANSI; `value` is left untouched on failure.
HRESULT GetStringProperty(IDispatch* target, DISPID id, std::string& value);

// DISPATCH_PROPERTYPUT with the named argument DISPID_PROPERTYPUT.
HRESULT PutProperty(IDispatch* target, DISPID id, const VARIANT& value);
// An object property set by value (DISPATCH_PROPERTYPUT with VT_UNKNOWN), as
// type-library dispatch matches a property declared propput only with that flag.
HRESULT PutObjectProperty(IDispatch* target, DISPID id, IUnknown* object);

}  // namespace fw::ax
