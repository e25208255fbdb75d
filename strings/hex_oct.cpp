// HEX$ and OCT$: the digits of a two's-complement pattern, as wide as the value's
// integer type needs to show its sign.
#include "errors/errors.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cmath>

static RtString *digits_text(uint64_t pattern, int32_t digit_count, int32_t bits_per_digit) {
  RtString *r = rtstr_new_temp(digit_count);
  const uint64_t mask = (uint64_t(1) << bits_per_digit) - 1;
  for (int32_t i = 0; i < digit_count; i++) {
    uint32_t digit = uint32_t((pattern >> (bits_per_digit * i)) & mask);
    r->bytes[digit_count - 1 - i] = uint8_t(digit < 10 ? '0' + digit : 'A' + digit - 10);
  }
  return r;
}

static int32_t hex_digit(uint64_t pattern, int32_t position) {  // position 1 = lowest
  return int32_t((pattern >> (4 * (position - 1))) & 15);
}

// Digits that a negative value needs: up to its highest digit that is not F, one more
// when that digit would read as positive (below 8), unless it already is the 16th.
static int32_t negative_hex_digits_needed(uint64_t pattern) {
  for (int32_t position = 16; position >= 1; position--) {
    int32_t digit = hex_digit(pattern, position);
    if (digit == 15) continue;
    return position + (digit < 8 && position < 16);
  }
  return 0;
}

RtString *num_hex(int64_t v, int32_t width_digits) {
  if (err_pending()) return rtstr_new_temp(0);
  uint64_t pattern = uint64_t(v);
  if (v == 0) return digits_text(0, 1, 4);
  if (v > 0) {
    int32_t highest = 16;
    while (hex_digit(pattern, highest) == 0) highest--;
    return digits_text(pattern, highest, 4);
  }
  int32_t needed = negative_hex_digits_needed(pattern);
  if (needed <= width_digits) return digits_text(pattern, width_digits, 4);
  int32_t digits = needed <= 4 ? 4 : needed <= 8 ? 8 : 16;
  return digits_text(pattern, digits, 4);
}

static int32_t highest_bit_position(uint64_t pattern) {  // 1 = lowest, 0 when none
  int32_t position = 0;
  while (position < 64 && (pattern >> position) != 0) position++;
  return position;
}

// Three bits a digit from the bottom; the top digit takes the one or two bits left.
static RtString *octal_field(uint64_t pattern, int32_t field_bits) {
  if (field_bits < 64) pattern &= (uint64_t(1) << field_bits) - 1;
  return digits_text(pattern, (field_bits + 2) / 3, 3);
}

RtString *num_oct(int64_t v, int32_t width_bits) {
  if (err_pending()) return rtstr_new_temp(0);
  uint64_t pattern = uint64_t(v);
  if (v == 0) return digits_text(0, 1, 3);
  if (v > 0) return octal_field(pattern, highest_bit_position(pattern));
  int32_t highest_zero = highest_bit_position(~pattern);
  int32_t field = highest_zero < width_bits ? width_bits
                  : highest_zero <= 15     ? 16
                  : highest_zero < 32      ? 32
                                           : 64;
  return octal_field(pattern, field);
}

// Floating values: the nearest 64-bit integer, shown as a 32-bit integer would be.
static bool float_to_i64(long double x, int64_t *v) {
  if (!(x > -9223372036854775808.0L && x < 9223372036854775808.0L)) {  // NaN fails too
    err_raise(6);
    return false;
  }
  *v = int64_t(std::nearbyint(x));
  return true;
}

RtString *num_hex_float(long double x) {
  if (err_pending()) return rtstr_new_temp(0);
  int64_t v;
  if (!float_to_i64(x, &v)) return rtstr_new_temp(0);
  return num_hex(v, 8);
}

RtString *num_oct_float(long double x) {
  if (err_pending()) return rtstr_new_temp(0);
  int64_t v;
  if (!float_to_i64(x, &v)) return rtstr_new_temp(0);
  return num_oct(v, 32);
}
