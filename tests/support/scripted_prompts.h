// Message boxes for tests: records every text shown and answers from a script.
// An unexpected prompt fails the test and is answered with Cancel/No.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "framework/core/prompts.h"

namespace testing_support {

std::string Utf8(const std::wstring& text);

class ScriptedPrompts final : public fw::Prompts {
public:
    struct Shown {
        std::wstring text;
        std::wstring caption;
        unsigned flags;
    };

    ScriptedPrompts() { previous_ = fw::SetPrompts(this); }
    ~ScriptedPrompts() override { fw::SetPrompts(previous_); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Queues answers for the next prompts, in order.
    ScriptedPrompts& Answer(int id)
    {
        answers_.push_back(id);
        return *this;
    }

    int Message(intptr_t owner, const std::wstring& text, const std::wstring& caption,
                unsigned flags) override;

    const std::vector<Shown>& All() const { return shown_; }
    size_t Count() const { return shown_.size(); }
    const Shown& At(size_t i) const { return shown_.at(i); }
    const Shown& Last() const { return shown_.back(); }

private:
    fw::Prompts* previous_ = nullptr;
    std::deque<int> answers_;
    std::vector<Shown> shown_;
};

}  // namespace testing_support
