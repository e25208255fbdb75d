// Number text: STR$ of every numeric type, and the exact decimal digits beneath it.
#include "errors/errors.h"
#include "fixture.h"
#include "strings/number_private.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static std::string text_of(const RtString *s) {
  return std::string(reinterpret_cast<const char *>(s->bytes), size_t(s->length));
}

namespace {

enum Kind { I32, I64, U32, U64, SINGLE, DOUBLE, EXTENDED };

struct StrCase {
  Kind kind;
  long double value;   // integers below 2^63 are exact here
  const char *text;
};

}  // namespace

static RtString *str_of(const StrCase &c) {
  switch (c.kind) {
    case I32: return num_str_int(int32_t(c.value));
    case I64: return num_str_i64(int64_t(c.value));
    case U32: return num_str_uint(uint32_t(c.value));
    case U64: return num_str_u64(uint64_t(c.value));
    case SINGLE: return num_str_single(float(c.value));
    case DOUBLE: return num_str_double(double(c.value));
    case EXTENDED: return num_str_extended(c.value);
  }
  return nullptr;
}

TEST(StrText, EveryTypeAsBasicWritesIt) {
  rt_test_init();
  volatile double three_tenths = 0.3, six_tenths = 0.6;  // a runtime sum, not a constant
  const StrCase cases[] = {
      {I32, 0, " 0"}, {I64, 0, " 0"}, {U32, 0, " 0"}, {U64, 0, " 0"},
      {SINGLE, 0, " 0"}, {DOUBLE, 0, " 0"}, {EXTENDED, 0, " 0"},
      {SINGLE, -0.0L, " 0"},
      {I32, 5, " 5"}, {I32, -5, "-5"}, {U32, 100, " 100"},
      {I32, -2147483648.0L, "-2147483648"},
      {I64, -9223372036854775807.0L - 1, "-9223372036854775808"},
      {SINGLE, 1.5L, " 1.5"}, {DOUBLE, 1.5L, " 1.5"},
      {SINGLE, 1234567, " 1234567"}, {SINGLE, 9999999, " 9999999"},
      {SINGLE, 10000000, " 1E+07"}, {SINGLE, 12345678, " 1.234568E+07"},
      {SINGLE, 0.0000001L, " .0000001"}, {SINGLE, 0.000000015L, " 1.5E-08"},
      {SINGLE, -0.5L, "-.5"}, {SINGLE, 0.1L, " .1"},
      {SINGLE, 3.4028234663852886e38L, " 3.402823E+38"},
      // 2^-11 = 4.8828125E-04 ends exactly on a 5: ties go to the even digit.
      {SINGLE, 0.00048828125L, " 4.882812E-04"},
      {DOUBLE, 1e16L, " 1D+16"}, {DOUBLE, 1e15L, " 1000000000000000"},
      {DOUBLE, 1e100L, " 1D+100"}, {DOUBLE, 1.5e-300L, " 1.5D-300"},
      {DOUBLE, 1.0L / 3, " .3333333333333333"}, {DOUBLE, -0.25L, "-.25"},
      {DOUBLE, three_tenths + six_tenths, " .9"},
      {DOUBLE, 0.99999999999999989L, " 1"},
      {DOUBLE, 1e-16L, " .0000000000000001"}, {DOUBLE, -1e-17L, "-1D-17"},
      {DOUBLE, 123.456L, " 123.456"}, {DOUBLE, 0.00001L, " .00001"},
      {DOUBLE, 123456789012345678.0L, " 1.234567890123457D+17"},
      // 2^-24 = 5.9604644775390625E-08: a tie at the seventeenth digit.
      {DOUBLE, 0.000000059604644775390625L, " 5.960464477539062D-08"},
      {DOUBLE, DBL_MAX, " 1.797693134862316D+308"},
      {DOUBLE, 4.9406564584124654e-324L, " 4.940656458412465D-324"},
      {EXTENDED, 1.0L / 3, " .3333333333333333"}, {EXTENDED, -1.5L, "-1.5"},
  };
  uint32_t mark = temp_count;
  for (const StrCase &c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(text_of(str_of(c)), c.text);
  }
  EXPECT_EQ(text_of(num_str_u64(UINT64_MAX)), " 18446744073709551615");
  rtstr_release_temps(mark, 0);
}

TEST(StrText, InfinityAndNotANumberAreNamed) {
  rt_test_init();
  EXPECT_EQ(text_of(num_str_double(HUGE_VAL)), " INF");
  EXPECT_EQ(text_of(num_str_single(-HUGE_VALF)), "-INF");
  EXPECT_EQ(text_of(num_str_double(std::nan(""))), " NAN");
  EXPECT_EQ(text_of(num_str_extended(1e400L)), " INF");  // beyond the double range
}

TEST(StrText, ResultsAreTemporariesAndNothingHappensWhileAnErrorWaits) {
  rt_test_init();
  RtString *s = num_str_double(2.5);
  EXPECT_TRUE(s->is_temporary);
  err_raise(5);
  EXPECT_EQ(num_str_double(2.5)->length, 0);
  EXPECT_EQ(num_str_int(7)->length, 0);
}

static std::string exact_digits(uint64_t mantissa, int32_t exponent2, int32_t capacity,
                                int32_t *exponent10, bool *inexact) {
  static char buffer[EXACT_DIGITS_MAX + 2];
  DecimalDigits d{buffer, capacity, 0, 0, false};
  num_exact_decimal(mantissa, exponent2, &d);
  *exponent10 = d.exponent10;
  *inexact = d.inexact;
  return std::string(buffer, size_t(d.count));
}

TEST(ExactDecimal, ExpansionsAreExactAndCutWithoutRounding) {
  int32_t e10;
  bool inexact;
  // 0.1 as a double: 3602879701896397 * 2^-55.
  EXPECT_EQ(exact_digits(3602879701896397ull, -55, 100, &e10, &inexact),
            "1000000000000000055511151231257827021181583404541015625");
  EXPECT_EQ(e10, -1);
  EXPECT_FALSE(inexact);
  EXPECT_EQ(exact_digits(3602879701896397ull, -55, 20, &e10, &inexact), "10000000000000000555");
  EXPECT_TRUE(inexact);
  // A zero run inside the fraction: 1 + 2^-40 = 1.0000000000009094947017729282379150390625.
  EXPECT_EQ(exact_digits((1ull << 40) + 1, -40, 100, &e10, &inexact),
            "10000000000009094947017729282379150390625");
  EXPECT_EQ(e10, 0);
  // 2^100 = 1267650600228229401496703205376, a whole number through the big divide.
  EXPECT_EQ(exact_digits(1, 100, 100, &e10, &inexact), "1267650600228229401496703205376");
  EXPECT_EQ(e10, 30);
  // The smallest extended subnormal, 2^-16445: 11,495 digits, starting 3.6451995...E-4951.
  std::string tiny = exact_digits(1, -16445, EXACT_DIGITS_MAX, &e10, &inexact);
  EXPECT_EQ(e10, -4951);
  EXPECT_EQ(tiny.substr(0, 8), "36451995");
  EXPECT_EQ(tiny.size(), 11495u);
  EXPECT_EQ(tiny.back(), '5');
  EXPECT_FALSE(inexact);
  // The largest extended: (2^64 - 1) * 2^16320 = 1.18973149535723176502E+4932.
  std::string huge = exact_digits(UINT64_MAX, 16320, 21, &e10, &inexact);
  EXPECT_EQ(e10, 4932);
  EXPECT_EQ(huge, "118973149535723176502");
  EXPECT_TRUE(inexact);
}

TEST(ExactDecimal, HalfEvenRoundingLooksAtEveryDigitBehind) {
  struct Case {
    const char *digits;
    bool inexact;
    int32_t keep;
    const char *rounded;
    int32_t exponent_step;
  } cases[] = {
      {"125", false, 2, "12", 0}, {"135", false, 2, "14", 0}, {"1251", false, 2, "13", 0},
      {"125", true, 2, "13", 0},  {"124", true, 2, "12", 0},  {"995", false, 2, "1", 1},
      {"12", true, 2, "12", 0},
  };
  for (const Case &c : cases) {
    char buffer[16];
    std::strcpy(buffer, c.digits);
    DecimalDigits d{buffer, 15, int32_t(std::strlen(c.digits)), 3, c.inexact};
    num_round_half_even(&d, c.keep);
    EXPECT_EQ(std::string(buffer, size_t(d.count)), c.rounded) << c.digits;
    EXPECT_EQ(d.exponent10, 3 + c.exponent_step) << c.digits;
  }
}

// glibc's printf rounds the exact expansion half to even; it serves as the reference.
static std::string reference_digits(long double v, int32_t precision, int32_t *exponent10) {
  char text[400];
  std::snprintf(text, sizeof text, "%.*Le", precision - 1, v);
  std::string digits;
  const char *p = text + (text[0] == '-');
  for (; *p != 'e'; p++) {
    if (*p != '.') digits += *p;
  }
  *exponent10 = std::atoi(p + 1);
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  return digits;
}

static std::string rounded_digits(uint64_t mantissa, int32_t exponent2, int32_t precision,
                                  int32_t *exponent10) {
  static char buffer[EXACT_DIGITS_MAX + 2];
  DecimalDigits d{buffer, precision + 1, 0, 0, false};
  num_exact_decimal(mantissa, exponent2, &d);
  num_round_half_even(&d, precision);
  *exponent10 = d.exponent10;
  return std::string(buffer, size_t(d.count));
}

TEST(ExactDecimal, AgreesWithAnIndependentRoundingForRandomValues) {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state ^ (state >> 29);
  };
  const int32_t precisions[] = {1, 7, 16, 17, 40, 300};
  for (int32_t n = 0; n < 1500; n++) {
    uint64_t bits = next();
    double dv;
    std::memcpy(&dv, &bits, sizeof dv);
    if (!std::isfinite(dv) || dv == 0) continue;
    long double xv;
    uint8_t raw[16] = {};
    uint64_t m = next() | (n % 3 ? uint64_t(1) << 63 : 0);  // some subnormal patterns
    uint16_t top = uint16_t(next() % 0x7FFF);
    if ((m >> 63) == 0) top = 0;
    std::memcpy(raw, &m, 8);
    std::memcpy(raw + 8, &top, 2);
    std::memcpy(&xv, raw, sizeof xv);
    for (int32_t precision : precisions) {
      int32_t e_ref, e_ours;
      BinaryFloat f = num_split_double(dv);
      std::string ours = rounded_digits(f.mantissa, f.exponent2, precision, &e_ours);
      ASSERT_EQ(ours, reference_digits(dv, precision, &e_ref)) << dv << " P=" << precision;
      ASSERT_EQ(e_ours, e_ref);
      if (xv == 0) continue;
      BinaryFloat g = num_split_extended(xv);
      ours = rounded_digits(g.mantissa, g.exponent2, precision, &e_ours);
      ASSERT_EQ(ours, reference_digits(xv, precision, &e_ref)) << double(xv) << " P=" << precision;
      ASSERT_EQ(e_ours, e_ref);
    }
  }
}
