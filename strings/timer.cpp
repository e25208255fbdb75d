// Clock functions: TIMER with and without an accuracy, DATE$ and TIME$.
#include "core/core.h"
#include "errors/errors.h"
#include "platform/clock.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cmath>
#include <cstdio>

constexpr int64_t MS_PER_DAY = 86400000;
constexpr long double TICKS_PER_SECOND = 18.2L;

// 64-bit: rt_clock_ms does not wrap, so TIMER restarts only at midnight.
uint32_t num_ms_of_day() {
  int64_t since_start = rt_clock_ms() - int64_t(start_clock_ms);
  int64_t ms = (since_start + int64_t(start_ms_of_day)) % MS_PER_DAY;
  return uint32_t(ms < 0 ? ms + MS_PER_DAY : ms);
}

long double num_timer_at(uint32_t ms_of_day, double accuracy, bool accuracy_given) {
  if (err_pending()) return 0;
  if (accuracy_given && !(accuracy > 0)) {
    err_raise(5);
    return 0;
  }
  long double seconds = (long double)ms_of_day / 1000.0L;
  long double step = accuracy_given ? 1.0L / (long double)accuracy : TICKS_PER_SECOND;
  long double value = std::nearbyint(seconds * step) / step;  // ties to even
  return accuracy_given ? value : (long double)(float)value;
}

long double num_timer(double accuracy, bool accuracy_given) {
  if (err_pending()) return 0;
  return num_timer_at(num_ms_of_day(), accuracy, accuracy_given);
}

static RtString *two_digit_fields(const char *format, int a, int b, int c, int32_t length) {
  char text[48];
  snprintf(text, sizeof text, format, a, b, c);
  RtString *r = rtstr_new_temp(length);
  for (int32_t i = 0; i < length; i++) r->bytes[i] = uint8_t(text[i]);
  return r;
}

RtString *rt_date() {
  if (err_pending()) return rtstr_new_temp(0);
  int year, month, day;
  int64_t now = plat_time_now();
  if (now == -1 || !plat_local_date(now, &year, &month, &day)) {
    err_raise(5);
    return rtstr_new_temp(0);
  }
  return two_digit_fields("%02d-%02d-%04d", month, day, year % 10000, 10);
}

RtString *rt_time() {
  if (err_pending()) return rtstr_new_temp(0);
  int hour, minute, second;
  int64_t now = plat_time_now();
  if (now == -1 || !plat_local_time(now, &hour, &minute, &second)) {
    err_raise(5);
    return rtstr_new_temp(0);
  }
  return two_digit_fields("%02d:%02d:%02d", hour, minute, second, 8);
}

// DATE$ = and TIME$ = leave the system clock alone.
void rt_date_set(RtString *) {}
void rt_time_set(RtString *) {}
