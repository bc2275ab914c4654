#include "tests/support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <mutex>

namespace testing_support {

std::string Utf8(const std::wstring& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            uint32_t low = static_cast<uint32_t>(text[i + 1]) & 0xFFFFu;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
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
