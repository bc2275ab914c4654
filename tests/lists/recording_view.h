// A list view for tests: keeps what its window would show.
#pragma once

#include <string>
#include <vector>

#include "lists/list_model.h"

namespace testing_support {

class RecordingView final : public lists::ListView {
public:
    void SetScrollRange(int max, bool redraw) override
    {
        ranges.push_back(std::to_string(max) + (redraw ? "r" : ""));
    }
    void SetScrollPosition(int, bool) override {}
    bool IsActive() const override { return active; }
    void PreloadFile(const std::string& path) override { shown.push_back("preload " + path); }
    void DisplayFile(const std::string& path) override
    {
        displayed.push_back(path);
        shown.push_back(path);
    }
    void SetCaption(const std::string& text) override { caption = text; }
    void StartRecheckTimer(unsigned milliseconds) override { timerRunning = milliseconds != 0; }
    void StopRecheckTimer() override { timerRunning = false; }
    void Reset() { ranges.clear(), shown.clear(), displayed.clear(), caption.clear(); }

    bool active = false;
    // Scroll ranges set ("max", "maxr" when redrawn); displayed and preloaded files in order
    // ("path", "preload path"); displayed files only.
    std::vector<std::string> ranges, shown, displayed;
    std::string caption;
    bool timerRunning = false;  // the recheck timer
};

}  // namespace testing_support
