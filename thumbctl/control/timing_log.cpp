#include "thumbctl/control/timing_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "framework/core/text.h"

namespace thumbctl {
namespace {

struct LogFile {
    HANDLE file = INVALID_HANDLE_VALUE;
    LARGE_INTEGER frequency{};

    LogFile()
    {
        wchar_t path[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"VELMORA_TIMING_LOG", path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)
            return;
        QueryPerformanceFrequency(&frequency);
        file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

LogFile& Log()
{
    static LogFile log;
    return log;
}

void Write(const char* event, const char* detail)
{
    char line[1024];
    const int n = std::snprintf(line, sizeof line, "%lld %s %s\n", TimingNow(), event, detail);
    if (n <= 0)
        return;
    DWORD written = 0;
    WriteFile(Log().file, line, static_cast<DWORD>(n < static_cast<int>(sizeof line) ? n : sizeof line - 1),
              &written, nullptr);
}

}  // namespace

bool TimingLogOn()
{
    return Log().file != INVALID_HANDLE_VALUE;
}

long long TimingNow()
{
    if (!TimingLogOn())
        return 0;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart / (Log().frequency.QuadPart / 1000000 ? Log().frequency.QuadPart / 1000000 : 1);
}

void TimingLog(const char* event, const std::wstring& detail)
{
    if (TimingLogOn())
        Write(event, fw::Utf8FromWide(detail).c_str());
}

void TimingLog(const char* event, const char* format, ...)
{
    if (!TimingLogOn())
        return;
    char detail[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(detail, sizeof detail, format, args);
    va_end(args);
    Write(event, detail);
}

}  // namespace thumbctl
