// The thread's message loop: each message is first offered to the filters
// (accelerators, MDI keys, a frame's key handling); idle handlers run whenever the
// queue has emptied, except after messages that do not change what idle work shows
// (mouse moves, paints, caret blinks).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace fw {

class MessageLoop {
public:
    // Returns true when it consumed the message.
    using Filter = std::function<bool(MSG&)>;
    // Called with the number of idle calls since the last message; returns true for
    // more idle time.
    using IdleHandler = std::function<bool(int count)>;

    void AddFilter(Filter filter) { filters_.push_back(std::move(filter)); }
    void AddIdleHandler(IdleHandler handler) { idle_.push_back(std::move(handler)); }

    // Runs until WM_QUIT; returns its exit code.
    int Run();
    // Processes the messages waiting now, each offered to the filters first, while long
    // work keeps its window alive; a WM_QUIT among them is posted again for Run.
    void PumpPending();

    // Whether idle processing should follow `message`.
    static bool IsIdleMessage(const MSG& message);

private:
    bool RunIdle(int count);
    void Dispatch(MSG& message);

    std::vector<Filter> filters_;
    std::vector<IdleHandler> idle_;
};

}  // namespace fw
