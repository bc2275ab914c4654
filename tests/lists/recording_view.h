// A list view for tests: keeps what a window would show and logs every call.
#pragma once

#include <string>
#include <vector>

#include "lists/list_model.h"

namespace testing_support {

class RecordingView final : public lists::ListView {
public:
    void SetScrollRange(int maximum, bool redraw) override
    {
        rangeMax = maximum;
        Log("range " + std::to_string(maximum) + (redraw ? " redraw" : ""));
    }
    void SetScrollPosition(int position, bool) override { scrollPosition = position; }
    bool IsActive() const override { return active; }
    void PreloadFile(const std::string& path) override { Log("preload " + path); }
    void DisplayFile(const std::string& path) override
    {
        displayed.push_back(path);
        Log("display " + path);
    }
    void SetCaption(const std::string& text) override { caption = text; }
    void StartRecheckTimer(unsigned milliseconds) override
    {
        timerPeriod = milliseconds;
        timerRunning = true;
        ++timerStarts;
    }
    void StopRecheckTimer() override { timerRunning = false; }

    // Calls that show something (display, preload), without range changes.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> shown;
        for (const std::string& call : calls)
            if (call.rfind("range", 0) != 0)
                shown.push_back(call);
        return shown;
    }
    void Reset()
    {
        calls.clear();
        displayed.clear();
        caption.clear();
    }

    bool active = false;
    int rangeMax = -1;
    int scrollPosition = -1;
    std::string caption;
    std::vector<std::string> displayed;
    std::vector<std::string> calls;
    unsigned timerPeriod = 0;
    bool timerRunning = false;
    int timerStarts = 0;

private:
    void Log(std::string call) { calls.push_back(std::move(call)); }
};

}  // namespace testing_support
