// Number text internals: binary floating values split into integer mantissa and
// power of two, their exact decimal expansion, and digit rounding.
#pragma once

#include <cstdint>

enum FloatClass : uint8_t { FLOAT_FINITE = 0, FLOAT_INFINITE = 1, FLOAT_NAN = 2 };

// value = mantissa * 2^exponent2; a zero has mantissa 0.
struct BinaryFloat {
  uint64_t mantissa;
  int32_t exponent2;
  bool negative;
  FloatClass kind;
};

BinaryFloat num_split_double(double v);
BinaryFloat num_split_extended(long double v);

// The leading significant digits of a decimal expansion, trailing zeros trimmed.
struct DecimalDigits {
  char *digits;        // caller's buffer of capacity + 1 characters '0'..'9'
  int32_t capacity;
  int32_t count;       // 0 for zero
  int32_t exponent10;  // power of ten of the first digit
  bool inexact;        // nonzero digits were cut off behind the kept ones
};

// Exact expansion of mantissa * 2^exponent2, cut (not rounded) at capacity digits.
// Decimal digits of v, most significant first; returns how many (1 to 20).
int32_t num_write_unsigned(uint64_t v, char *out);

void num_exact_decimal(uint64_t mantissa, int32_t exponent2, DecimalDigits *out);

// Rounds to at most keep digits, ties to even, as the C runtime's %E and %f do on
// the exact expansion. keep >= 1.
void num_round_half_even(DecimalDigits *d, int32_t keep);

// Largest exact expansion any x87 extended value needs (its smallest subnormal).
constexpr int32_t EXACT_DIGITS_MAX = 11600;
