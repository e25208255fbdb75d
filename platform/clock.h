// Clock and sleeping.
#pragma once

#include <cstdint>

// Milliseconds since the process started, from a monotonic clock.
int64_t plat_clock_ms();

// Sleeps n milliseconds; 0 yields the processor.
void plat_sleep_ms(int32_t n);

// Seconds since the epoch, -1 when unavailable (the wall clock).
int64_t plat_time_now();

// Local time of day of a wall-clock second: false when unavailable.
bool plat_local_time(int64_t t, int *hour, int *minute, int *second);

// ---- Calendar date ------------------------------------------------------------------
// Local calendar date of a wall-clock second (month 1..12, day 1..31): false when unavailable.
bool plat_local_date(int64_t t, int *year, int *month, int *day);
