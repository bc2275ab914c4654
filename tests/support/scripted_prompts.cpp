#include "tests/support/scripted_prompts.h"

#include "framework/core/text.h"

#include <gtest/gtest.h>

#include <mutex>

namespace testing_support {

std::string Utf8(const std::wstring& text)
{
    return fw::Utf8FromWide(text);
}

int ScriptedPrompts::Message(intptr_t, const std::wstring& text, const std::wstring& caption, unsigned flags)
{
    static std::mutex lock;  // prompts may come from worker threads
    std::lock_guard<std::mutex> guard(lock);
    shown_.push_back({text, caption, flags});
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected prompt: " << Utf8(text);
        return (flags & 0xF) == fw::kMbYesNo ? fw::kIdNo : fw::kIdCancel;
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

}  // namespace testing_support
