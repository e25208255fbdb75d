// The number scanner of INPUT #: one item of text into a ScannedNumber, decimal
// with its state machine, or hexadecimal and octal after "&".
#include "errors/errors.h"
#include "strings/strings.h"

#include <cstring>

namespace {

enum ScanState { SCAN_START, SCAN_SIGNED, SCAN_INTEGER, SCAN_FRACTION, SCAN_EXP_LETTER,
                 SCAN_EXP_SIGNED, SCAN_EXP_DIGITS };

struct ExponentPart {
  bool negative;
  int64_t value;
  int32_t digits;  // significant digits
};

}  // namespace

constexpr int32_t SCANNED_DIGITS_MAX = 256;

static int32_t radix_digit(uint8_t c, uint8_t kind) {
  int32_t v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  int32_t limit = kind == 1 ? 16 : 8;
  return v < limit ? v : -1;
}

// After "&": leading zeros are not kept, so a long run of them is no overflow.
static int32_t scan_radix(const uint8_t *text, int32_t *position, int32_t end,
                          ScannedNumber *number) {
  int32_t i = *position + 1;
  if (i < end && text[i] == ',') {
    *position = i + 1;
    return NUM_SCANNED;
  }
  if (i >= end) {
    *position = i;
    return NUM_SCAN_SYNTAX;
  }
  uint8_t letter = text[i];
  if (letter == 'H' || letter == 'h') {
    number->kind = 1;
  } else if (letter == 'O' || letter == 'o') {
    number->kind = 2;
  } else {
    *position = i;
    return NUM_SCAN_SYNTAX;
  }
  for (i++; i < end && text[i] != ','; i++) {
    if (radix_digit(text[i], number->kind) < 0) {
      *position = i;
      return NUM_SCAN_SYNTAX;
    }
    if (number->digit_count == 0 && text[i] == '0') continue;
    if (number->digit_count == SCANNED_DIGITS_MAX) {
      *position = i;
      return NUM_SCAN_OVERFLOW;
    }
    number->digits[number->digit_count++] = char(text[i]);
  }
  *position = i < end ? i + 1 : i;
  return NUM_SCANNED;
}

static int32_t store_significant(ScannedNumber *number, uint8_t c) {
  if (number->digit_count == SCANNED_DIGITS_MAX) return NUM_SCAN_OVERFLOW;
  number->digits[number->digit_count++] = char(c);
  return NUM_SCANNED;
}

// One character of the decimal state machine: NUM_SCANNED to go on, else a status.
static int32_t scan_step(ScannedNumber *number, ExponentPart *exp, ScanState *state,
                         uint8_t c) {
  bool is_digit = c >= '0' && c <= '9';
  bool is_letter = c == 'D' || c == 'E' || c == 'd' || c == 'e';
  bool is_sign = c == '-' || c == '+';
  ScanState s = *state;
  if (is_sign && s == SCAN_START) {
    number->negative = c == '-';
    *state = SCAN_SIGNED;
  } else if (is_sign && s == SCAN_EXP_LETTER) {
    exp->negative = c == '-';
    *state = SCAN_EXP_SIGNED;
  } else if (c == '.' && s <= SCAN_INTEGER) {
    if (number->digit_count == 0) number->exponent = -1;
    *state = SCAN_FRACTION;
  } else if (is_letter && s < SCAN_EXP_LETTER) {
    *state = SCAN_EXP_LETTER;
  } else if (is_digit && s <= SCAN_INTEGER) {
    *state = SCAN_INTEGER;
    if (c == '0' && number->digit_count == 0) return NUM_SCANNED;
    if (number->digit_count == SCANNED_DIGITS_MAX) return NUM_SCAN_OVERFLOW;
    if (number->digit_count > 0) number->exponent++;
    return store_significant(number, c);
  } else if (is_digit && s == SCAN_FRACTION) {
    if (c == '0' && number->digit_count == 0) {
      number->exponent--;
      return NUM_SCANNED;
    }
    return store_significant(number, c);
  } else if (is_digit && s >= SCAN_EXP_LETTER) {
    *state = SCAN_EXP_DIGITS;
    if (c == '0' && exp->digits == 0) return NUM_SCANNED;
    if (exp->digits == 18) return NUM_SCAN_OVERFLOW;
    exp->digits++;
    exp->value = exp->value * 10 + (c - '0');
  } else {
    return NUM_SCAN_SYNTAX;
  }
  return NUM_SCANNED;
}

int32_t num_scan(const uint8_t *text, int32_t *position, int32_t end, ScannedNumber *number) {
  if (err_pending()) return NUM_SCAN_NOTHING;
  std::memset(number, 0, sizeof *number);
  if (*position >= end) return NUM_SCAN_NOTHING;
  if (text[*position] == '&') return scan_radix(text, position, end, number);

  ExponentPart exp{};
  ScanState state = SCAN_START;
  int32_t i = *position;
  for (; i < end && text[i] != ','; i++) {
    int32_t status = scan_step(number, &exp, &state, text[i]);
    if (status != NUM_SCANNED) {
      *position = i;
      return status;
    }
  }
  *position = i < end ? i + 1 : i;
  number->exponent += exp.negative ? -exp.value : exp.value;
  if (number->digit_count == 0) {
    number->exponent = 0;
    number->negative = 0;
  }
  return NUM_SCANNED;
}
