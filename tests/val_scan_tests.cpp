// Text to numbers: VAL, the INPUT # scanner and the conversions of a scanned number.
#include "errors/errors.h"
#include "fixture.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

static long double val_of(const std::string &text) {
  return num_val(rtstr_from_bytes(text.data(), int32_t(text.size())));
}

static int32_t take_error() {
  int32_t code = int32_t(pending_error.load());
  pending_error.store(0);
  return code;
}

TEST(Val, DecimalRadixAndJunk) {
  rt_test_init();
  struct Case {
    std::string text;
    long double value;
    int32_t error;
  } cases[] = {
      {"", 0, 0}, {"abc", 0, 0}, {"-.5E+1", -5, 0}, {"12e-1", 1.2L, 0}, {"--1", 0, 0},
      {"+-1", 0, 0}, {"1,000", 1, 0}, {"1 2 3", 123, 0}, {"\t7", 7, 0}, {"  -  5", -5, 0},
      {"1E", 1, 0}, {"1E--5", 1, 0}, {"1.5D2", 150, 0}, {".5", 0.5L, 0}, {"0.05", 0.05L, 0},
      {"000.000125", 0.000125L, 0}, {"5E-3", 0.005L, 0}, {"1E+0000000000000000005", 1e5L, 0},
      {std::string(20, '9'), 1e20L, 0},
      {"9223372036854775807", 9223372036854775807.0L, 0},
      {"-9223372036854775808", -9223372036854775808.0L, 0},
      {"18446744073709551617", 18446744073709551616.0L, 0},  // nearest extended
      {"1e5000", HUGE_VALL, 0}, {"-1e5000", -HUGE_VALL, 0}, {"1e-5000", 0, 0},
      {"1E1234567890123456789", HUGE_VALL, 0},  // the 19th exponent digit ends the scan
      {"&HFFFF", 65535, 0}, {"&hff", 255, 0}, {"&H F F", 255, 0}, {"&O17", 15, 0},
      {"&H" + std::string(16, 'F'), -1, 0}, {"&H" + std::string(16, '0') + "1", 1, 0},
      {"&H1" + std::string(16, '0'), 0, 6}, {"&O" + std::string(22, '7'), 0, 6},
      {"&O1" + std::string(21, '7'), -1, 0}, {"&H", 0, 0}, {"&", 0, 0}, {"&X12", 0, 0},
      {"&B101", 0, 0}, {"&H12G4", 0x12, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    long double v = val_of(c.text);
    EXPECT_EQ(take_error(), c.error);
    EXPECT_EQ(v, c.value);
  }
}

TEST(Val, LongTextsKeepTheirRounding) {
  rt_test_init();
  // 1 + 2^-64 in extended is a tie; the digits far behind it decide the rounding.
  std::string tie = "1.0000000000000000000542101086242752217003726400434970855712890625";
  EXPECT_EQ(val_of(tie), 1.0L);
  EXPECT_EQ(val_of(tie + std::string(2000, '0') + "1"), 1.0L + LDBL_EPSILON);
  EXPECT_EQ(val_of("0." + std::string(3000, '0') + "1"), 1e-3001L);
  EXPECT_EQ(val_of("0." + std::string(6000, '0') + "1"), 0);
  EXPECT_EQ(val_of(std::string(5000, '1')), HUGE_VALL);
  EXPECT_EQ(val_of(std::string(7000, '1')), HUGE_VALL);
}

TEST(Val, DoesNothingWhileAnErrorWaits) {
  rt_test_init();
  err_raise(13);
  EXPECT_EQ(val_of("42"), 0);
  EXPECT_EQ(val_of("&HFFFFFFFFFFFFFFFFFF"), 0);
  EXPECT_EQ(take_error(), 13);
}

namespace {

struct ScanCase {
  std::string text;
  int32_t status;
  int32_t position;     // after the call
  uint8_t kind;
  bool negative;
  std::string digits;
  int64_t exponent;
};

}  // namespace

TEST(NumScan, ItemsStatusesAndPositions) {
  rt_test_init();
  const ScanCase cases[] = {
      {"", NUM_SCAN_NOTHING, 0, 0, false, "", 0},
      {"1.5E+,x", NUM_SCANNED, 6, 0, false, "15", 0},
      {"1.2.3", NUM_SCAN_SYNTAX, 3, 0, false, "12", 0},
      {"12.5", NUM_SCANNED, 4, 0, false, "125", 1},
      {"100", NUM_SCANNED, 3, 0, false, "100", 2},
      {"-0.05", NUM_SCANNED, 5, 0, true, "5", -2},
      {".5", NUM_SCANNED, 2, 0, false, "5", -1},
      {"1e-3,", NUM_SCANNED, 5, 0, false, "1", -3},
      {"+5", NUM_SCANNED, 2, 0, false, "5", 0},
      {"25D2", NUM_SCANNED, 4, 0, false, "25", 3},
      {"0", NUM_SCANNED, 1, 0, false, "", 0},
      {"-", NUM_SCANNED, 1, 0, false, "", 0},
      {"-.", NUM_SCANNED, 2, 0, false, "", 0},
      {"--5", NUM_SCAN_SYNTAX, 1, 0, true, "", 0},
      {"1 2", NUM_SCAN_SYNTAX, 1, 0, false, "1", 0},
      {"5x", NUM_SCAN_SYNTAX, 1, 0, false, "5", 0},
      {"1E+-2", NUM_SCAN_SYNTAX, 3, 0, false, "1", 0},
      {"1E1234567890123456789", NUM_SCAN_OVERFLOW, 20, 0, false, "1", 0},
      {"1E000000000000000000001", NUM_SCANNED, 23, 0, false, "1", 1},
      {std::string(256, '7') + ",", NUM_SCANNED, 257, 0, false, std::string(256, '7'), 255},
      {std::string(257, '7'), NUM_SCAN_OVERFLOW, 256, 0, false, std::string(256, '7'), 255},
      {"&HFF,9", NUM_SCANNED, 5, 1, false, "FF", 0},
      {"&o0017", NUM_SCANNED, 6, 2, false, "17", 0},
      {"&,", NUM_SCANNED, 2, 0, false, "", 0},
      {"&", NUM_SCAN_SYNTAX, 1, 0, false, "", 0},
      {"&X1", NUM_SCAN_SYNTAX, 1, 0, false, "", 0},
      {"&H1G", NUM_SCAN_SYNTAX, 3, 1, false, "1", 0},
      {"&O8", NUM_SCAN_SYNTAX, 2, 2, false, "", 0},
      {"&H" + std::string(300, '0') + "1", NUM_SCANNED, 303, 1, false, "1", 0},
  };
  for (const ScanCase &c : cases) {
    SCOPED_TRACE(c.text);
    ScannedNumber n;
    int32_t position = 0;
    int32_t status = num_scan(reinterpret_cast<const uint8_t *>(c.text.data()), &position,
                              int32_t(c.text.size()), &n);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(position, c.position);
    EXPECT_EQ(n.kind, c.kind);
    EXPECT_EQ(bool(n.negative), c.negative);
    EXPECT_EQ(std::string(n.digits, n.digit_count), c.digits);
    EXPECT_EQ(n.exponent, c.exponent);
  }
}

TEST(NumScan, StartsAtThePositionAndStopsAtTheEnd) {
  rt_test_init();
  const char *text = "12,34,5678";
  const uint8_t *bytes = reinterpret_cast<const uint8_t *>(text);
  ScannedNumber n;
  int32_t position = 3;
  EXPECT_EQ(num_scan(bytes, &position, 7, &n), NUM_SCANNED);  // "34,5" up to end 7
  EXPECT_EQ(std::string(n.digits, n.digit_count), "34");
  EXPECT_EQ(position, 6);
  EXPECT_EQ(num_scan(bytes, &position, 7, &n), NUM_SCANNED);
  EXPECT_EQ(std::string(n.digits, n.digit_count), "5");
  EXPECT_EQ(position, 7);
  EXPECT_EQ(num_scan(bytes, &position, 7, &n), NUM_SCAN_NOTHING);
}

namespace {

struct ConvertCase {
  std::string text;
  int32_t i64_fits;
  int64_t i64;
  int32_t u64_fits;
  uint64_t u64;
};

}  // namespace

static ScannedNumber scanned(const std::string &text) {
  ScannedNumber n;
  int32_t position = 0;
  EXPECT_EQ(num_scan(reinterpret_cast<const uint8_t *>(text.data()), &position,
                     int32_t(text.size()), &n),
            NUM_SCANNED)
      << text;
  return n;
}

TEST(ScannedConversions, IntegersRoundHalfAwayAndKeepTheirLimits) {
  rt_test_init();
  const ConvertCase cases[] = {
      {"2.5", 1, 3, 1, 3}, {"-2.5", 1, -3, 0, 0}, {"0.05", 1, 0, 1, 0}, {"0.5", 1, 1, 1, 1},
      {"-0.4", 1, 0, 1, 0}, {"-0.5", 1, -1, 0, 0}, {"-0.05", 1, 0, 1, 0}, {"-0", 1, 0, 1, 0},
      {"1.5E3", 1, 1500, 1, 1500}, {"-7", 1, -7, 0, 0},
      {"9223372036854775807", 1, INT64_MAX, 1, 9223372036854775807ull},
      {"9223372036854775806.5", 1, INT64_MAX, 1, 9223372036854775807ull},
      {"9223372036854775807.5", 0, 0, 1, 9223372036854775808ull},
      {"9223372036854775808", 0, 0, 1, 9223372036854775808ull},
      {"-9223372036854775808", 1, INT64_MIN, 0, 0},
      {"-9223372036854775808.5", 0, 0, 0, 0},
      {"-9223372036854775809", 0, 0, 0, 0},
      {"9E18", 1, 9000000000000000000ll, 1, 9000000000000000000ull},
      {"1E19", 0, 0, 1, 10000000000000000000ull},
      {"18446744073709551615", 0, 0, 1, UINT64_MAX},
      {"18446744073709551615.5", 0, 0, 0, 0},
      {"18446744073709551616", 0, 0, 0, 0},
      {"1E20", 0, 0, 0, 0},
      {"&HFFFFFFFFFFFFFFFF", 1, -1, 1, UINT64_MAX},
      {"&H10000000000000000", 0, 0, 0, 0},
      {"&O1777777777777777777777", 1, -1, 1, UINT64_MAX},
      {"&O2000000000000000000000", 0, 0, 0, 0},
  };
  for (const ConvertCase &c : cases) {
    SCOPED_TRACE(c.text);
    ScannedNumber n = scanned(c.text);
    int64_t i;
    uint64_t u;
    EXPECT_EQ(num_scanned_to_i64(&n, &i), c.i64_fits);
    if (c.i64_fits) {
      EXPECT_EQ(i, c.i64);
    }
    EXPECT_EQ(num_scanned_to_u64(&n, &u), c.u64_fits);
    if (c.u64_fits) {
      EXPECT_EQ(u, c.u64);
    }
  }
}

TEST(ScannedConversions, FloatingLimitsAndDigits) {
  rt_test_init();
  struct Case {
    std::string text;
    int32_t fits;
    long double value;
  } cases[] = {
      {"1.5", 1, 1.5L}, {"-2.5E-3", 1, (long double)-2.5e-3}, {"0.1", 1, (long double)0.1},
      {"1.7976931348623157E308", 1, DBL_MAX}, {"1.7976931348623158E308", 0, 0},
      {"1.8E308", 0, 0}, {"1E309", 0, 0}, {"9E307", 1, (long double)9e307},
      {"4.9E-324", 1, (long double)4.9e-324}, {"1E-325", 1, 0},
      // Only the first 17 digits are read.
      {"123456789012345678999", 1, (long double)1.2345678901234567e20},
      {"&HFF", 1, 255}, {"&HFFFFFFFFFFFFFFFF", 1, -1}, {"&H10000000000000000", 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ScannedNumber n = scanned(c.text);
    long double v;
    EXPECT_EQ(num_scanned_to_float(&n, &v), c.fits);
    if (c.fits) {
      EXPECT_EQ(v, c.value);
    }
  }
}
