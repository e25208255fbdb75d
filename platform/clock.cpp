// Clock and sleeping over POSIX clocks.
#include "platform/clock.h"

#include <sched.h>
#include <time.h>

static int64_t monotonic_ms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

static const int64_t process_start_ms = monotonic_ms();

int64_t plat_clock_ms() { return monotonic_ms() - process_start_ms; }

void plat_sleep_ms(int32_t n) {
  if (n <= 0) {
    sched_yield();
    return;
  }
  timespec ts{n / 1000, (n % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {  // interrupted: sleep the rest
  }
}

int64_t plat_time_now() { return int64_t(time(nullptr)); }

bool plat_local_time(int64_t t, int *hour, int *minute, int *second) {
  time_t tt = time_t(t);
  tm parts;
  if (!localtime_r(&tt, &parts)) return false;
  *hour = parts.tm_hour;
  *minute = parts.tm_min;
  *second = parts.tm_sec;
  return true;
}
