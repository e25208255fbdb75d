// VAL: radix literals (&H, &O) and the decimal state machine, with spaces and tabs
// ignored wherever they stand; the decimal digits are read as an extended value.
#include "errors/errors.h"
#include "strings/strings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

enum ValState { VAL_START, VAL_SIGNED, VAL_INTEGER, VAL_FRACTION, VAL_EXP_LETTER,
                VAL_EXP_SIGNED, VAL_EXP_DIGITS };

// Digits kept for the reading; beyond them a sticky 1 keeps the rounding right.
constexpr int32_t VAL_DIGITS_KEPT = 1100;

struct ValScan {
  char digits[VAL_DIGITS_KEPT + 1];
  int32_t kept;
  bool dropped_nonzero;
  int64_t integer_digits;   // significant digits before the point
  int64_t fraction_zeros;   // zeros after the point before the first significant digit
  bool fraction_stored;     // a digit after the point was stored
  bool negative;
  bool exponent_negative;
  int64_t exponent_value;
  int32_t exponent_digits;  // significant exponent digits
};

}  // namespace

static bool is_blank(uint8_t c) { return c == ' ' || c == '\t'; }

static int32_t skip_blanks(const uint8_t *text, int32_t i, int32_t length) {
  while (i < length && is_blank(text[i])) i++;
  return i;
}

static int32_t hex_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The text after "&" at index i. Wider than 64 bits raises error 6.
static long double val_radix(const uint8_t *text, int32_t i, int32_t length) {
  if (length - i < 2) return 0;
  i = skip_blanks(text, i, length);
  if (i >= length) return 0;
  uint8_t letter = text[i++];
  int32_t bits_per_digit;
  if (letter == 'H' || letter == 'h') {
    bits_per_digit = 4;
  } else if (letter == 'O' || letter == 'o') {
    bits_per_digit = 3;
  } else {
    return 0;
  }
  uint64_t pattern = 0;
  int32_t significant = 0, first = 0;
  for (i = skip_blanks(text, i, length); i < length; i = skip_blanks(text, i + 1, length)) {
    int32_t digit = hex_value(text[i]);
    if (digit < 0 || digit >= (1 << bits_per_digit)) break;
    if (significant == 0 && digit == 0) continue;
    if (significant == 0) first = digit;
    significant++;
    bool too_wide = bits_per_digit == 4 ? significant > 16
                                        : significant > 22 || (significant == 22 && first != 1);
    if (too_wide) {
      err_raise(6);
      return 0;
    }
    pattern = (pattern << bits_per_digit) | uint64_t(digit);
  }
  return (long double)int64_t(pattern);
}

static void store_digit(ValScan *scan, uint8_t c) {
  if (scan->kept < VAL_DIGITS_KEPT) {
    scan->digits[scan->kept++] = char(c);
  } else if (c != '0') {
    scan->dropped_nonzero = true;
  }
}

static bool has_digits(const ValScan *scan) { return scan->kept > 0; }

// One character of the decimal state machine; false ends the scan.
static bool val_step(ValScan *scan, ValState *state, uint8_t c) {
  bool is_digit = c >= '0' && c <= '9';
  bool is_letter = c == 'D' || c == 'E' || c == 'd' || c == 'e';
  bool is_sign = c == '-' || c == '+';
  ValState s = *state;
  if (s == VAL_START && is_sign) {
    scan->negative = c == '-';
    *state = VAL_SIGNED;
  } else if (s == VAL_EXP_LETTER && is_sign) {
    scan->exponent_negative = c == '-';
    *state = VAL_EXP_SIGNED;
  } else if (c == '.' && (s == VAL_START || s == VAL_SIGNED || s == VAL_INTEGER)) {
    *state = VAL_FRACTION;
  } else if (is_letter && s < VAL_EXP_LETTER) {
    *state = VAL_EXP_LETTER;
  } else if (is_digit && s <= VAL_INTEGER) {
    *state = VAL_INTEGER;
    if (c == '0' && !has_digits(scan)) return true;
    store_digit(scan, c);
    scan->integer_digits++;
  } else if (is_digit && s == VAL_FRACTION) {
    if (c == '0' && !has_digits(scan)) {
      scan->fraction_zeros++;
      return true;
    }
    store_digit(scan, c);
    scan->fraction_stored = true;
  } else if (is_digit && s >= VAL_EXP_LETTER) {
    *state = VAL_EXP_DIGITS;
    if (c == '0' && scan->exponent_digits == 0) return true;
    if (scan->exponent_digits == 18) return false;
    scan->exponent_digits++;
    scan->exponent_value = scan->exponent_value * 10 + (c - '0');
  } else {
    return false;
  }
  return true;
}

static long double val_exact_integer(const ValScan *scan, bool *done) {
  *done = false;
  if (scan->exponent_value != 0 || scan->fraction_stored || scan->integer_digits > 19) return 0;
  uint64_t v = 0;
  for (int32_t i = 0; i < scan->kept; i++) {
    uint64_t digit = uint64_t(scan->digits[i] - '0');
    if (v > (uint64_t(INT64_MAX) - digit) / 10) return 0;
    v = v * 10 + digit;
  }
  *done = true;
  long double result = (long double)int64_t(v);
  return scan->negative ? -result : result;
}

// The digits read as "d1d2...dn E k", the way a formatted-input conversion reads them.
// Written without a decimal point, so the locale's point does not matter.
static long double val_read_digits(ValScan *scan) {
  int64_t exponent = scan->integer_digits > 0 ? scan->integer_digits - 1
                                              : -1 - scan->fraction_zeros;
  exponent += scan->exponent_negative ? -scan->exponent_value : scan->exponent_value;
  int32_t count = scan->kept;
  if (scan->dropped_nonzero) scan->digits[count++] = '1';
  // Far outside the extended range the reading can only overflow or vanish.
  if (exponent > 6000) return scan->negative ? -HUGE_VALL : HUGE_VALL;
  if (exponent < -6000) return scan->negative ? -0.0L : 0.0L;
  char text[VAL_DIGITS_KEPT + 40];
  int32_t n = 0;
  if (scan->negative) text[n++] = '-';
  for (int32_t i = 0; i < count; i++) text[n++] = scan->digits[i];
  std::snprintf(text + n, sizeof text - size_t(n), "E%lld",
                (long long)(exponent - (count - 1)));
  return std::strtold(text, nullptr);
}

long double num_val(const RtString *text) {
  if (err_pending()) return 0;
  const uint8_t *bytes = text->bytes;
  int32_t length = text->length;
  int32_t i = skip_blanks(bytes, 0, length);
  if (i < length && bytes[i] == '&') return val_radix(bytes, i + 1, length);

  ValScan scan{};
  ValState state = VAL_START;
  for (; i < length; i = skip_blanks(bytes, i + 1, length)) {
    if (!val_step(&scan, &state, bytes[i])) break;
  }
  if (!has_digits(&scan)) return 0;
  bool exact = false;
  long double whole = val_exact_integer(&scan, &exact);
  if (exact) return whole;
  return val_read_digits(&scan);
}
