#include "framework/core/local_time.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fw {

#ifdef _WIN32

LocalTime ToLocalTime(uint64_t fileTime)
{
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
        return LocalTime();
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

#else

// Without a time zone database: UTC.
LocalTime ToLocalTime(uint64_t fileTime)
{
    constexpr uint64_t kTicksPerSecond = 10000000;
    constexpr int64_t kDaysFrom1601To1970 = 134774;
    const uint64_t seconds = fileTime / kTicksPerSecond;
    const int64_t days = static_cast<int64_t>(seconds / 86400) - kDaysFrom1601To1970;
    const int64_t rest = static_cast<int64_t>(seconds % 86400);

    // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;

    LocalTime t;
    t.year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    t.month = static_cast<int>(month);
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.milliseconds = static_cast<int>(fileTime % kTicksPerSecond / 10000);
    return t;
}

#endif

}  // namespace fw
