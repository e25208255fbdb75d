// Numeric functions with argument checks (LOG, EXP, FIX) and the rounding of
// floating values to integers, ties to even.
#include "errors/errors.h"
#include "strings/strings.h"

#include <cmath>
#include <cstdint>

constexpr double EXP_SINGLE_LIMIT = 88.02969;
constexpr double EXP_DOUBLE_LIMIT = 709.782712893;

long double num_log(double x) {
  if (err_pending()) return 0;
  if (x <= 0) {
    err_raise(5);
    return 0;
  }
  return std::log(x);
}

static long double checked_exp(double x, double limit) {
  if (err_pending()) return 0;
  if (std::isnan(x) || x > limit) {
    err_raise(6);
    return 0;
  }
  return std::exp(x);
}

long double num_exp_single(float x) { return checked_exp(x, EXP_SINGLE_LIMIT); }
long double num_exp(double x) { return checked_exp(x, EXP_DOUBLE_LIMIT); }
// Too large for a double becomes infinity, which the limit test refuses.
long double num_exp(long double x) { return checked_exp(double(x), EXP_DOUBLE_LIMIT); }

long double num_fix(double x) {
  if (err_pending()) return 0;
  return std::trunc(x);
}

// An extended value keeps its 64-bit mantissa: narrowing to double first would drop
// the low digits of integers above 2^53.
long double num_fix(long double x) {
  if (err_pending()) return 0;
  return std::trunc(x);
}

// The default rounding mode is to nearest, ties to even. Values outside the target
// type (and NaN) give the integer-indefinite pattern, as the x87 store does, instead
// of a conversion C++ leaves undefined.
int32_t num_round_int(double x) {
  if (err_pending()) return 0;
  double r = std::nearbyint(x);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;
  return int32_t(r);
}

int32_t num_round_int(float x) { return num_round_int(double(x)); }

int64_t num_round_int(long double x) {
  if (err_pending()) return 0;
  long double r = std::nearbyint(x);
  if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) return INT64_MIN;
  return int64_t(r);
}
