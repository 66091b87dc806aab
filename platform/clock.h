#pragma once
// Time sources and local-time conversions. Transient times (debounces,
// toasts, stall detection) are tick milliseconds; guide, catch-up and sports
// times are Unix seconds, shown in the user's local time zone: the one TZ
// names when it is set (an IANA name such as "Europe/Bucharest" or a POSIX
// rule such as "EET-2EEST,M3.5.0/3,M10.5.0/4"; on Windows, whose C runtime
// knows neither, the clock reads TZ itself and knows the common IANA names
// of its zones), else the system's.
#include <cstdint>

// Milliseconds of a monotonic clock (the "tick counter").
uint64_t TickMs();

// Seconds since the Unix epoch, now.
int64_t NowUnix();

struct LocalTime {
  int year = 1970;  // e.g. 2026
  int month = 1;    // 1-12
  int day = 1;      // 1-31
  int hour = 0, minute = 0, second = 0;
  int weekday = 4;  // 0 = Sunday
};

// Local calendar time of a Unix time.
LocalTime ToLocalTime(int64_t unixSeconds);

// UTC calendar time of a Unix time (the weekday included).
LocalTime ToUtcTime(int64_t unixSeconds);

// Unix time of a local calendar time (daylight saving decided by the zone's
// rules, as mktime does with tm_isdst = -1). Out-of-range fields normalise.
int64_t FromLocalTime(const LocalTime& local);
