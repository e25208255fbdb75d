// Waiting statements: the delay given in seconds and the frame-rate limiter. Both
// sleep in slices of at most 9 ms and run the epilogue between slices, so Pause,
// traps and the end request are served while a program waits here.
#include "core/core.h"
#include "errors/errors.h"
#include "platform/clock.h"
#include "strings/strings.h"

#include <algorithm>
#include <cmath>

double limit_last = 0;

constexpr int32_t WAIT_SLICE_MS = 9;
constexpr double DELAY_MAX_SECONDS = 2147483.647;
constexpr double LIMIT_MAX_INTERVAL_MS = 60000;
constexpr double LIMIT_LATE_TOLERANCE_MS = 16;

void num_delay(double seconds) {
  if (err_pending()) return;
  if (!(seconds >= 0 && seconds <= DELAY_MAX_SECONDS)) {  // NaN fails as well
    err_raise(5);
    return;
  }
  const double wait_ms = seconds * 1000;
  int64_t start = rt_clock_ms(), last_seen = start;
  for (;;) {
    int64_t now = rt_clock_ms();
    if (now < last_seen) start -= last_seen - now;  // clock went back: keep the time waited
    last_seen = now;
    double remaining = wait_ms - double(now - start);
    if (remaining > WAIT_SLICE_MS) {
      plat_sleep_ms(WAIT_SLICE_MS);
      rt_statement_epilogue(0);
      continue;
    }
    plat_sleep_ms(std::max(1, int32_t(std::ceil(remaining))));
    return;
  }
}

// Returns true once the release is settled; false after a slice, to read the clock again.
static bool limit_step(double interval) {
  double now = double(rt_clock_ms());
  // Slices are truncated to whole ms and our sleeps are exact, so a release may come
  // a fraction of a ms before its instant and limit_last lies just ahead of the clock.
  // Only a lead of more than an interval means the clock went back.
  if (limit_last == 0 || limit_last - now > interval) {
    limit_last = now;
    return true;
  }
  double elapsed = now - limit_last;
  if (elapsed < interval) {
    int32_t remaining = std::max(1, int32_t(interval - elapsed));
    if (remaining > WAIT_SLICE_MS) {
      plat_sleep_ms(WAIT_SLICE_MS);
      rt_statement_epilogue(0);
      return false;
    }
    plat_sleep_ms(remaining);
    limit_last += interval;
    return true;
  }
  // Slightly late keeps the cadence; later than that starts afresh instead of catching up.
  if (elapsed <= interval + LIMIT_LATE_TOLERANCE_MS)
    limit_last += interval;
  else
    limit_last = now;
  return true;
}

void num_limit(double rate) {
  if (err_pending()) return;
  if (!(rate > 0) || !(1000 / rate <= LIMIT_MAX_INTERVAL_MS)) {
    err_raise(5);
    return;
  }
  const double interval = 1000 / rate;
  while (!limit_step(interval)) {
    if (err_pending()) return;  // the epilogue ran a handler that failed: leave the wait
  }
}
