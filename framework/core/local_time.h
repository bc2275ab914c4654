// A file time as calendar fields in local time.
#pragma once

#include <cstdint>

namespace fw {

// All fields are 0 when the time is not known.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// A FILETIME value (100 ns units since 1601, UTC) in local time: the system's time
// zone on Windows, UTC elsewhere. Zero fields when the value cannot be converted.
LocalTime ToLocalTime(uint64_t fileTime);

}  // namespace fw
