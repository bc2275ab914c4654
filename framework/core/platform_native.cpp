// Seam defaults for builds without Win32: the built-in code page 932, no disk,
// a monotonic clock and a prompt seam that declines every question.
#ifndef _WIN32

#include <chrono>
#include <cstdint>

#include "framework/core/clock.h"
#include "framework/core/codepage.h"
#include "framework/core/filesystem.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"

namespace fw {

const CodePage& SystemCodePage()
{
    return CodePage932();
}

FileSystem* SystemFileSystem()
{
    return nullptr;
}

namespace {

class SteadyClock final : public Clock {
public:
    uint32_t Milliseconds() override
    {
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
};

class DecliningPrompts final : public Prompts {
public:
    int Message(intptr_t, const std::wstring&, const std::wstring&, unsigned flags) override
    {
        switch (flags & 0xF) {
            case kMbYesNo:
            case kMbYesNoCancel:
                return kIdNo;
            case kMbOkCancel:
                return kIdCancel;
            default:
                return kIdOk;
        }
    }
};

}  // namespace

Clock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

Prompts& DefaultPrompts()
{
    static DecliningPrompts prompts;
    return prompts;
}

std::wstring ProgramTitle()
{
    return std::wstring();
}

std::wstring WidenAnsi(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

std::string NarrowAnsiPath(std::wstring_view text)
{
    std::string ansi;
    ansi.reserve(text.size());
    for (wchar_t c : text)
        ansi.push_back(static_cast<uint32_t>(c) > 0xFF ? '?' : static_cast<char>(c));
    return ansi;
}

std::string NarrowAnsi(std::wstring_view text)
{
    return NarrowAnsiPath(text);
}

bool TryNarrowAnsi(std::wstring_view text, std::string& ansi)
{
    ansi = NarrowAnsiPath(text);
    for (wchar_t c : text)
        if (static_cast<uint32_t>(c) > 0xFF) {
            ansi.clear();
            return false;
        }
    return true;
}

}  // namespace fw

#endif
