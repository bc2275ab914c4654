// Shared set-up of the host tests: an apartment, the stub control's registration and a
// top-level window to host controls in.
#pragma once

#include <gtest/gtest.h>

#include "framework/com/com_ptr.h"
#include "framework/com/module.h"
#include "framework/win/window.h"
#include "tests/support/stub_control.h"

namespace host_test {

class ParentWindow : public fw::Window {
public:
    bool Create()
    {
        static const fw::WindowClass cls(GetModuleHandleW(nullptr), L"HostTestParent", 0, nullptr,
                                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        return fw::Window::Create(cls, nullptr, L"host test", WS_POPUP | WS_CLIPCHILDREN, 0,
                                  RECT{0, 0, 320, 240});
    }
};

class HostFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ResetStub();
        ASSERT_EQ(registration_.Result(), S_OK);
        ASSERT_TRUE(parent_.Create());
        objects_ = fw::com::Module::Objects();
    }
    void TearDown() override
    {
        parent_.Destroy();
        EXPECT_EQ(Stub().living, 0) << "stub control leaked";
        ResetStub();
        EXPECT_EQ(fw::com::Module::Objects(), objects_) << "site, frame or sink objects leaked";
    }

    fw::com::CoInitScope com_{COINIT_APARTMENTTHREADED};
    StubRegistration registration_;
    ParentWindow parent_;
    long objects_ = 0;
};

}  // namespace host_test
