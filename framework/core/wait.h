// The seam through which long work shows that it is under way: the wait cursor on
// Windows (framework/win/wait_cursor.h), nothing in portable tests. Begins and ends
// nest.
#pragma once

namespace fw {

class WaitIndicator {
public:
    virtual ~WaitIndicator() = default;
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

// Shows the wait for the life of the scope.
class WaitScope {
public:
    explicit WaitScope(WaitIndicator& indicator) : indicator_(indicator) { indicator_.BeginWait(); }
    ~WaitScope() { indicator_.EndWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    WaitIndicator& indicator_;
};

}  // namespace fw
