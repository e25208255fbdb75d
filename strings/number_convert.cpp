// Conversions of a ScannedNumber to signed and unsigned 64-bit integers (rounded
// half away from zero) and to floating point, each saying whether the value fits.
#include "errors/errors.h"
#include "strings/strings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The answer while an error waits: no value.
template <typename T>
static int32_t no_fit(T *value) {
  *value = 0;
  return 0;
}

static int32_t radix_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

// Hexadecimal and octal digits as a 64-bit pattern; false when wider than 64 bits.
static bool radix_pattern(const ScannedNumber *n, uint64_t *pattern) {
  *pattern = 0;
  int32_t bits = n->kind == 1 ? 4 : 3;
  int32_t count = n->digit_count;
  bool too_wide = bits == 4 ? count > 16 : count > 22 || (count == 22 && n->digits[0] > '1');
  if (too_wide) return false;
  for (int32_t i = 0; i < count; i++) {
    *pattern = (*pattern << bits) | uint64_t(radix_digit_value(n->digits[i]));
  }
  return true;
}

// Compares the leading digits with a limit: -1 below it, 0 equal so far, 1 above.
static int32_t compare_leading(const ScannedNumber *n, const char *limit) {
  int32_t length = int32_t(std::strlen(limit));
  for (int32_t i = 0; i < length && i < n->digit_count; i++) {
    if (n->digits[i] != limit[i]) return n->digits[i] > limit[i] ? 1 : -1;
  }
  return 0;
}

static char digit_at(const ScannedNumber *n, int64_t position) {
  return position >= 0 && position < n->digit_count ? n->digits[position] : '0';
}

// The digits at positions 0..exponent as a whole number (the caller has checked
// that it cannot pass 2^64 - 1).
static uint64_t integer_part(const ScannedNumber *n) {
  uint64_t v = 0;
  for (int64_t i = 0; i <= n->exponent; i++) v = v * 10 + uint64_t(digit_at(n, i) - '0');
  return v;
}

// Below -1 the rounding digit lies before the first stored digit: an implicit 0.
static bool rounds_away(const ScannedNumber *n) {
  if (n->exponent < -1) return false;
  int64_t position = n->exponent + 1;
  return position < n->digit_count && n->digits[position] >= '5';
}

int32_t num_scanned_to_i64(const ScannedNumber *n, int64_t *value) {
  if (err_pending()) return no_fit(value);
  *value = 0;
  if (n->digit_count == 0) return 1;
  if (n->kind != 0) {
    uint64_t pattern;
    if (!radix_pattern(n, &pattern)) return 0;
    *value = int64_t(pattern);
    return 1;
  }
  if (n->exponent > 18) return 0;
  if (n->exponent == 18 &&
      compare_leading(n, n->negative ? "9223372036854775808" : "9223372036854775807") > 0) {
    return 0;
  }
  uint64_t limit = n->negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
  uint64_t magnitude = integer_part(n);
  if (rounds_away(n)) {
    if (magnitude == limit) return 0;
    magnitude++;
  }
  *value = n->negative ? int64_t(0 - magnitude) : int64_t(magnitude);
  return 1;
}

int32_t num_scanned_to_u64(const ScannedNumber *n, uint64_t *value) {
  if (err_pending()) return no_fit(value);
  *value = 0;
  if (n->digit_count == 0) return 1;
  if (n->kind != 0) return radix_pattern(n, value) ? 1 : 0;
  if (n->negative && n->exponent >= 0) return 0;
  if (n->exponent > 19) return 0;
  if (n->exponent == 19 && compare_leading(n, "18446744073709551615") > 0) return 0;
  uint64_t magnitude = integer_part(n);
  if (rounds_away(n)) {
    if (n->negative || magnitude == UINT64_MAX) return 0;
    magnitude++;
  }
  *value = magnitude;
  return 1;
}

int32_t num_scanned_to_float(const ScannedNumber *n, long double *value) {
  if (err_pending()) return no_fit(value);
  *value = 0;
  if (n->digit_count == 0) return 1;
  if (n->kind != 0) {
    int64_t whole;
    if (!num_scanned_to_i64(n, &whole)) return 0;
    *value = (long double)whole;
    return 1;
  }
  if (n->exponent > 308) return 0;
  if (n->exponent == 308 && compare_leading(n, "17976931348623157") > 0) return 0;
  if (n->exponent < -324) return 1;
  // At most 17 digits, read as a double; written without a point so that the
  // locale's decimal point cannot matter.
  char text[48];
  int32_t used = n->digit_count < 17 ? n->digit_count : 17;
  int32_t length = 0;
  if (n->negative) text[length++] = '-';
  std::memcpy(text + length, n->digits, size_t(used));
  length += used;
  std::snprintf(text + length, sizeof text - size_t(length), "E%lld",
                (long long)(n->exponent - (used - 1)));
  *value = (long double)std::strtod(text, nullptr);
  return 1;
}
