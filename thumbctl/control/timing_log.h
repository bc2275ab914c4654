// An optional timing log of the control: when the environment variable
// VELMORA_TIMING_LOG names a file, every request and paint appends one line
// "<microseconds> <event> <detail>" to it (the benchmarks read it). Off, each call
// costs one test of a flag.
#pragma once

#include <string>

namespace thumbctl {

bool TimingLogOn();
// Microseconds on the performance counter (0 when the log is off).
long long TimingNow();
void TimingLog(const char* event, const std::wstring& detail);
void TimingLog(const char* event, const char* format, ...);

}  // namespace thumbctl
