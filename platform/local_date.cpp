// Local calendar date over the C library's localtime_r.
#include "platform/clock.h"

#include <time.h>

bool plat_local_date(int64_t t, int *year, int *month, int *day) {
  time_t tt = time_t(t);
  tm parts;
  if (!localtime_r(&tt, &parts)) return false;
  *year = parts.tm_year + 1900;
  *month = parts.tm_mon + 1;
  *day = parts.tm_mday;
  return true;
}
