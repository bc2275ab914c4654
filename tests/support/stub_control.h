// A stub ActiveX control for the host tests, in the manner of Wine's tests: it records
// the calls a container makes, drives the site the way a windowed control does, and
// fails the test on calls a container of this kind should not make.
#pragma once

#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "framework/com/com_ptr.h"

namespace host_test {

// {7B1D2E60-3C4A-4B8E-9F10-2A3B4C5D6E01}
constexpr CLSID kStubClass = {0x7b1d2e60, 0x3c4a, 0x4b8e, {0x9f, 0x10, 0x2a, 0x3b, 0x4c, 0x5d, 0x6e, 0x01}};
// The stub's default outgoing dispatch interface.
constexpr IID kStubEvents = {0x7b1d2e60, 0x3c4a, 0x4b8e, {0x9f, 0x10, 0x2a, 0x3b, 0x4c, 0x5d, 0x6e, 0x02}};
// Some interface nobody implements.
constexpr IID kUnrelated = {0x7b1d2e60, 0x3c4a, 0x4b8e, {0x9f, 0x10, 0x2a, 0x3b, 0x4c, 0x5d, 0x6e, 0x03}};

// One IDispatch::Invoke the stub received.
struct InvokeRecord {
    DISPID id = 0;
    WORD flags = 0;
    std::vector<VARTYPE> types;       // in declaration order
    std::vector<std::wstring> texts;  // the BSTR arguments, in order
    std::vector<bool> nullTexts;      // whether each BSTR argument was null
    std::vector<DISPID> named;
    IUnknown* object = nullptr;  // a VT_UNKNOWN / VT_DISPATCH argument (not kept)
};

// What the stub does and what it saw. Reset before every test.
struct StubState {
    // Behaviour.
    DWORD miscStatus = OLEMISC_SETCLIENTSITEFIRST;
    HRESULT loadResult = S_OK;
    HRESULT doVerbResult = S_OK;
    HRESULT invokeResult = S_OK;
    std::wstring filter = L"*.jpg;*.bmp";

    // Observations.
    std::vector<std::string> calls;  // container calls in order, e.g. "SetClientSite site"
    std::vector<BYTE> loaded;        // the bytes Load read
    std::vector<InvokeRecord> invokes;
    HWND verbParent = nullptr;     // DoVerb's parent window
    RECT verbRect{};               // DoVerb's position
    HRESULT canActivate = E_FAIL;  // the site's answers during activation
    HWND siteWindow = nullptr;
    HWND frameWindow = nullptr;      // the frame's IOleWindow::GetWindow
    HWND frameInfoWindow = nullptr;  // OLEINPLACEFRAMEINFO::hwndFrame
    bool documentGiven = false;
    RECT contextPosition{};
    RECT contextClip{};
    HWND window = nullptr;                 // the control's own window while active
    int living = 0;                        // stub controls alive
    fw::com::ComPtr<IOleClientSite> site;  // the current client site
};

StubState& Stub();
void ResetStub();

// Fires an event on every advised sink of the living stub (arguments in declaration
// order); the number of sinks reached.
int FireEvent(DISPID id, std::vector<VARIANT> args = {});

// Registers the stub's class object under `clsid` for this apartment for the
// registration's life.
class StubRegistration {
public:
    explicit StubRegistration(const CLSID& clsid = kStubClass);
    ~StubRegistration();
    StubRegistration(const StubRegistration&) = delete;
    StubRegistration& operator=(const StubRegistration&) = delete;
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_ = E_FAIL;
    DWORD cookie_ = 0;
};

// Compares the recorded calls with `expected` and forgets them; failures name the
// caller's line.
void CheckCalls(const char* file, int line, const std::vector<std::string>& expected);
#define EXPECT_CALLS(...) ::host_test::CheckCalls(__FILE__, __LINE__, std::vector<std::string>{__VA_ARGS__})

}  // namespace host_test
