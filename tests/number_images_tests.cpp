// Memory images of numbers: integer, IEEE, extended and bit-field packs, and the
// Microsoft Binary Format conversions with their exponent rules.
#include "fixture.h"
#include "string_test_support.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>

using namespace std::string_literals;

static std::string image(RtString *s) { return bytes_of(s); }

TEST(IntegerImages, LittleEndianBytesAndRoundTrips) {
  rt_test_init();
  EXPECT_EQ(image(rtstr_mk_i16(-2)), "\xFE\xFF");
  EXPECT_EQ(rtstr_cv_i16(rtstr_mk_i16(-2)), -2);
  EXPECT_EQ(image(rtstr_mk_i8(-128)), "\x80");
  EXPECT_EQ(rtstr_cv_i8(make_variable("\x80")), -128);
  EXPECT_EQ(rtstr_cv_u8(make_variable("\x80")), 128);
  EXPECT_EQ(image(rtstr_mk_u16(0xABCD)), "\xCD\xAB");
  EXPECT_EQ(rtstr_cv_u16(make_variable("\xFE\xFF")), 65534);
  EXPECT_EQ(image(rtstr_mk_i32(0x01020304)), "\x04\x03\x02\x01");
  EXPECT_EQ(rtstr_cv_i32(make_variable("\xFF\xFF\xFF\x7F")), INT32_MAX);
  EXPECT_EQ(rtstr_cv_u32(rtstr_mk_u32(0xDEADBEEF)), 0xDEADBEEFu);
  EXPECT_EQ(rtstr_cv_i64(rtstr_mk_i64(INT64_MIN)), INT64_MIN);
  EXPECT_EQ(image(rtstr_mk_u64(0x0102030405060708ull)), "\x08\x07\x06\x05\x04\x03\x02\x01");
  EXPECT_EQ(rtstr_cv_u64(rtstr_mk_u64(UINT64_MAX)), UINT64_MAX);
  // Extra bytes after the image are ignored.
  EXPECT_EQ(rtstr_cv_i16(make_variable("\x01\x00\xFF\xFF"s)), 1);
  EXPECT_EQ(take_error(), 0u);
}

TEST(IntegerImages, ShortStringsRaiseError5AndGiveZero) {
  rt_test_init();
  RtString *one = make_variable("\x01"), *three = make_variable("\x01\x02\x03");
  RtString *seven = make_variable("1234567"), *thirty_one = make_variable(std::string(31, '\1'));
  const std::pair<const char *, std::function<double()>> reads[] = {
      {"CVI", [&] { return double(rtstr_cv_i16(one)); }},
      {"CVL", [&] { return double(rtstr_cv_i32(three)); }},
      {"u16", [&] { return double(rtstr_cv_u16(one)); }},
      {"i64", [&] { return double(rtstr_cv_i64(seven)); }},
      {"CVS", [&] { return double(rtstr_cv_single(three)); }},
      {"CVD", [&] { return double(rtstr_cv_double(seven)); }},
      {"extended", [&] { return double(rtstr_cv_extended(thirty_one)); }},
      {"i8", [&] { return double(rtstr_cv_i8(null_string)); }},
  };
  for (auto &[name, read] : reads) {
    EXPECT_EQ(read(), 0) << name;
    EXPECT_EQ(take_error(), 5u) << name;
  }
}

TEST(FloatImages, SingleDoubleAndExtendedRoundTrips) {
  rt_test_init();
  EXPECT_EQ(image(rtstr_mk_single(1.0f)), "\x00\x00\x80\x3F"s);
  EXPECT_EQ(image(rtstr_mk_double(-2.0)), "\0\0\0\0\0\0\x00\xC0"s);
  for (float v : {0.0f, -0.0f, 1.5f, -3.25e-20f, FLT_MAX, FLT_TRUE_MIN, INFINITY}) {
    float back = rtstr_cv_single(rtstr_mk_single(v));
    EXPECT_EQ(memcmp(&back, &v, 4), 0) << v;
  }
  for (double v : {0.1, -1e300, DBL_TRUE_MIN, -double(INFINITY)}) {
    double back = rtstr_cv_double(rtstr_mk_double(v));
    EXPECT_EQ(memcmp(&back, &v, 8), 0) << v;
  }
  EXPECT_TRUE(std::isnan(rtstr_cv_single(rtstr_mk_single(NAN))));

  long double third = 1.0L / 3;
  RtString *ext = rtstr_mk_extended(third);
  ASSERT_EQ(ext->length, 32);
  EXPECT_EQ(image(ext).substr(10), std::string(22, '\0'));
  EXPECT_EQ(image(rtstr_mk_extended(1.0L)).substr(0, 10), "\0\0\0\0\0\0\0\x80\xFF\x3F"s);
  EXPECT_EQ(rtstr_cv_extended(ext), third);
}

TEST(BitFieldImages, MaskSizeAndSignExtension) {
  rt_test_init();
  struct { uint64_t value; int32_t bits; std::string bytes; uint64_t unsigned_back; int64_t signed_back; } cases[] = {
      {255, 4, "\x0F", 15, -1},
      {5, 4, "\x05", 5, 5},
      {8, 4, "\x08", 8, -8},
      {1, 1, "\x01", 1, -1},
      {0xFFF, 12, "\xFF\x0F", 0xFFF, -1},
      {0x800, 12, "\x00\x08"s, 0x800, -2048},
      {0x7FF, 12, "\xFF\x07", 0x7FF, 2047},
      {UINT64_MAX, 63, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 0x7FFFFFFFFFFFFFFFull, -1},
      {uint64_t(1) << 62, 63, "\0\0\0\0\0\0\0\x40"s, uint64_t(1) << 62, INT64_MIN / 2},
      {UINT64_MAX, 64, std::string(8, '\xFF'), UINT64_MAX, -1},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " in " + std::to_string(c.bits) + " bits");
    RtString *packed = rtstr_mk_bits(c.value, c.bits);
    EXPECT_EQ(image(packed), c.bytes);
    EXPECT_EQ(rtstr_cv_ubits(packed, c.bits), c.unsigned_back);
    EXPECT_EQ(rtstr_cv_sbits(packed, c.bits), c.signed_back);
  }
  // Bits above n in the string are masked away when reading.
  EXPECT_EQ(rtstr_cv_ubits(make_variable("\xFF"), 3), 7u);
  EXPECT_EQ(take_error(), 0u);

  EXPECT_EQ(rtstr_cv_ubits(make_variable("\x01"), 9), 0u);  // needs 2 bytes
  EXPECT_EQ(take_error(), 5u);
  for (int32_t bad : {0, 65, -3}) {
    EXPECT_EQ(rtstr_mk_bits(1, bad)->length, 0);
    EXPECT_EQ(take_error(), 5u);
  }
}

// ---- Microsoft Binary Format -----------------------------------------------------------

struct MbfSingleCase {
  float value;
  std::string bytes;
};

TEST(MbfSingle, KnownValuesBothWays) {
  rt_test_init();
  const MbfSingleCase cases[] = {
      {1.0f, "\x00\x00\x00\x81"s},
      {-1.0f, "\x00\x00\x80\x81"s},
      {0.5f, "\x00\x00\x00\x80"s},
      {10.0f, "\x00\x00\x20\x84"s},
      {0.0f, "\0\0\0\0"s},
      {-0.1f, "\xCD\xCC\xCC\x7D"s},
      {0x1.fffffep+126f, "\xFF\xFF\x7F\xFF"s},  // the largest MBF single
      {0x1p-126f, "\0\0\0\x03"s},               // the smallest normal single
      {0x1p-128f, "\0\0\0\x01"s},               // a subnormal single, MBF exponent 1
      {0x1.8p-128f, "\0\0\x40\x01"s},
  };
  for (const MbfSingleCase &c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(image(rtstr_mk_mbf32(c.value)), c.bytes);
    EXPECT_EQ(rtstr_cv_mbf32(make_variable(c.bytes)), c.value);
  }
  EXPECT_EQ(image(rtstr_mk_mbf32(-0.0f)), "\0\0\0\0"s);
  // Exponent byte 0 is zero whatever the mantissa holds.
  EXPECT_EQ(rtstr_cv_mbf32(make_variable("\x12\x34\xD6\x00"s)), 0.0f);
  EXPECT_EQ(take_error(), 0u);
}

TEST(MbfSingle, UnrepresentableValuesRaiseError5) {
  rt_test_init();
  for (float v : {FLT_MAX, 0x1p127f, -0x1.8p127f, INFINITY, NAN, 0x1p-129f, FLT_TRUE_MIN}) {
    SCOPED_TRACE(v);
    RtString *r = rtstr_mk_mbf32(v);
    EXPECT_EQ(r->length, 0);
    EXPECT_TRUE(r->is_temporary);
    EXPECT_EQ(take_error(), 5u);
  }
  EXPECT_EQ(rtstr_cv_mbf32(make_variable("\0\0\x81"s)), 0.0f);
  EXPECT_EQ(take_error(), 5u);
}

struct MbfDoubleCase {
  double value;
  std::string bytes;
};

TEST(MbfDouble, KnownValuesBothWays) {
  rt_test_init();
  const MbfDoubleCase cases[] = {
      {1.0, "\0\0\0\0\0\0\x00\x81"s},
      {-1.0, "\0\0\0\0\0\0\x80\x81"s},
      {0.5, "\0\0\0\0\0\0\x00\x80"s},
      {0.0, "\0\0\0\0\0\0\0\0"s},
      {0.1, "\xD0\xCC\xCC\xCC\xCC\xCC\x4C\x7D"s},
      {0x1.fffffffffffffp+126, "\xF8\xFF\xFF\xFF\xFF\xFF\x7F\xFF"s},  // largest
      {0x1p-128, "\0\0\0\0\0\0\0\x01"s},                              // smallest
  };
  for (const MbfDoubleCase &c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(image(rtstr_mk_mbf64(c.value)), c.bytes);
    EXPECT_EQ(rtstr_cv_mbf64(make_variable(c.bytes)), c.value);
  }
  EXPECT_EQ(image(rtstr_mk_mbf64(-0.0)), std::string(8, '\0'));
  EXPECT_EQ(take_error(), 0u);
}

TEST(MbfDouble, LowMantissaBitsRoundToNearestEven) {
  rt_test_init();
  const MbfDoubleCase cases[] = {
      {1.0, "\x04\0\0\0\0\0\x00\x81"s},               // exactly half: to even
      {1.0 + 0x1p-52, "\x05\0\0\0\0\0\x00\x81"s},     // above half: up
      {1.0 + 0x1p-51, "\x0C\0\0\0\0\0\x00\x81"s},     // half, odd kept bit: up
      {1.0 + 0x1p-52, "\x0B\0\0\0\0\0\x00\x81"s},     // below half: down
      {-2.0, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x81"s},    // carries into the exponent
  };
  for (const MbfDoubleCase &c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(rtstr_cv_mbf64(make_variable(c.bytes)), c.value);
  }
  EXPECT_EQ(take_error(), 0u);
}

TEST(MbfDouble, OutOfRangeValuesRaiseError5) {
  rt_test_init();
  for (double v : {0x1p127, 1e300, -1e300, 0x1p-129, 1e-300, DBL_TRUE_MIN, double(INFINITY), double(NAN)}) {
    SCOPED_TRACE(v);
    RtString *r = rtstr_mk_mbf64(v);
    EXPECT_EQ(r->length, 0);
    EXPECT_EQ(take_error(), 5u);
  }
  EXPECT_EQ(rtstr_cv_mbf64(make_variable("1234567")), 0.0);
  EXPECT_EQ(take_error(), 5u);
  // Round trips of values the format holds are exact.
  for (double v : {3.141592653589793, -123456.789, 0x1.23456789abcdep-100, 0x1.fp+120}) {
    EXPECT_EQ(rtstr_cv_mbf64(rtstr_mk_mbf64(v)), v);
  }
  EXPECT_EQ(take_error(), 0u);
}
