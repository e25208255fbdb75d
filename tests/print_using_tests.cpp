// PRINT USING: numeric and string fields, literal text, rounding, overflow and errors,
// driven as the translated program drives it, one entry call per value.
#include "errors/errors.h"
#include "fixture.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

enum Kind { INT, UINT, SINGLE, DOUBLE, EXTENDED, TEXT };

struct Value {
  Kind kind;
  long double number;
  const char *text;
};

Value i(long double v) { return {INT, v, nullptr}; }
Value u(long double v) { return {UINT, v, nullptr}; }
Value s(long double v) { return {SINGLE, v, nullptr}; }
Value d(long double v) { return {DOUBLE, v, nullptr}; }
Value x(long double v) { return {EXTENDED, v, nullptr}; }
Value t(const char *v) { return {TEXT, 0, v}; }

struct Outcome {
  std::string text;
  int32_t error;
  int32_t position;  // returned by the last call
};

}  // namespace

static int32_t format_value(RtString *format, int32_t position, const Value &v, RtString *out) {
  switch (v.kind) {
    case INT: return num_using_i64(format, position, int64_t(v.number), out);
    case UINT: return num_using_u64(format, position, uint64_t(v.number), out);
    case SINGLE: return num_using_single(format, position, float(v.number), out);
    case DOUBLE: return num_using_double(format, position, double(v.number), out);
    case EXTENDED: return num_using_extended(format, position, v.number, out);
    case TEXT: return num_using(format, position, out, rtstr_from_cstr(v.text));
  }
  return 0;
}

// The statement: an empty output string, a copy of the format, one call per value.
static Outcome print_using(const std::string &format_text, const std::vector<Value> &values) {
  uint32_t mark = temp_count;
  RtString *format = rtstr_new(0, false);
  rtstr_assign(format, rtstr_from_bytes(format_text.data(), int32_t(format_text.size())));
  RtString *out = rtstr_new(0, false);
  int32_t position = 0;
  for (const Value &v : values) position = format_value(format, position, v, out);
  Outcome o{std::string(reinterpret_cast<char *>(out->bytes), size_t(out->length)),
            int32_t(pending_error.load()), position};
  pending_error.store(0);
  rtstr_free(out);
  rtstr_free(format);
  rtstr_release_temps(mark, 0);
  return o;
}

namespace {

struct UsingCase {
  std::string format;
  std::vector<Value> values;
  std::string text;
  int32_t error;
};

}  // namespace

static void run_cases(const std::vector<UsingCase> &cases) {
  for (const UsingCase &c : cases) {
    SCOPED_TRACE("format \"" + c.format + "\" expecting \"" + c.text + "\"");
    Outcome o = print_using(c.format, c.values);
    EXPECT_EQ(o.text, c.text);
    EXPECT_EQ(o.error, c.error);
  }
}

TEST(PrintUsing, TheGameClockLine) {
  rt_test_init();
  // Minutes and seconds as the reader computes them; 59.7 s left shows 1 and -0.3.
  run_cases({
      {" ###:##.###", {s(9), s(59.7L)}, "   9:59.700", 0},
      {" ###:##.###", {s(1), s(-0.3L)}, "   1:-0.300", 0},
      {" ###:##.###", {s(0), s(-0.3L)}, "   0:-0.300", 0},
      {" ###:##.###", {s(10), s(0)}, "  10: 0.000", 0},
      {" ###:##.###", {s(0), s(0.0004L)}, "   0: 0.000", 0},
      {" ###:##.###", {s(0), s(9.9996L)}, "   0:10.000", 0},
  });
}

TEST(PrintUsing, FixedFields) {
  rt_test_init();
  run_cases({
      {"##.##", {s(3.14159L)}, " 3.14", 0},
      {"##.##", {s(-3.14159L)}, "-3.14", 0},
      {"##.##", {s(123.456L)}, "%123.46", 0},
      {"##.##", {s(9.996L)}, "10.00", 0},
      {"#.#", {s(9.96L)}, "%10.0", 0},
      {".##", {s(0.5L)}, ".50", 0},
      {"#.##", {s(0.5L)}, "0.50", 0},
      {"#.##", {s(-0.5L)}, "-.50", 0},
      {".##", {i(0)}, ".00", 0},
      {"##", {i(0)}, " 0", 0},
      {"##.##", {d(-0.0L)}, " 0.00", 0},
      {"####", {i(-12)}, " -12", 0},
      {"#", {u(18446744073709551615.0L)}, "%18446744073709551615", 0},
      {"#.#", {d(0.25L)}, "0.3", 0},
      // The exact binary values: 2.675 is 2.67499999..., 1.005 is 1.00499999...
      {"#.##", {d(2.675L)}, "2.67", 0},
      {"#.##", {d(1.005L)}, "1.00", 0},
      {"#.##########", {s(0.1L)}, "0.1000000015", 0},
      {"##.##", {x(0.5L)}, " 0.50", 0},
      {".##", {x(0.5L)}, ".50", 0},
      {"#.##", {x(-0.5L)}, "-.50", 0},
      {".##", {x(0.006L)}, ".01", 0},
      {".##", {x(0.005L)}, ".00", 0},  // 0.00499999... in binary
  });
}

TEST(PrintUsing, CommasFillCurrencyAndSigns) {
  rt_test_init();
  run_cases({
      {"#,###", {i(1234567)}, "%1,234,567", 0},
      {"#,###", {i(1234)}, "1,234", 0},
      {"#,###", {i(-1234)}, "%-1,234", 0},
      {"##,###.##", {s(1234.5L)}, " 1,234.50", 0},
      {"**$##.##", {s(12.5L)}, "**$12.50", 0},
      {"$$###.##", {s(12.5L)}, "  $12.50", 0},
      {"**##.##", {s(1.5L)}, "***1.50", 0},
      {"**##", {i(-5)}, "**-5", 0},
      {"+###", {i(5)}, "+  5", 0},
      {"+###", {i(-5)}, "-  5", 0},
      {"###-", {i(-5)}, "  5-", 0},
      {"###-", {i(5)}, "  5 ", 0},
      {"###+", {i(-5)}, "  5-", 0},
      {"###+", {i(5)}, "  5+", 0},
  });
}

TEST(PrintUsing, ExponentFieldsOfEveryType) {
  rt_test_init();
  run_cases({
      {"##.##^^^^", {i(12345)}, " 1.23E+04", 0},
      {"##.##^^^^", {s(12345)}, " 1.23E+04", 0},
      {"##.##^^^^", {d(12345)}, " 1.23D+04", 0},
      {"##.##^^^^", {x(12345)}, " 1.23F+04", 0},
      {"##.##^^^^^", {s(12345)}, " 1.23E+004", 0},
      {"##.##^^^^^", {d(12345)}, " 1.23D+004", 0},
      {"##.##^^^^^", {x(1.5e-300L)}, " 1.50F-300", 0},
      {"##.##^^^^", {d(1.5e-300L)}, "% 1.50D-300", 0},
      {"##.##^^^^", {i(-12345)}, "-1.23E+04", 0},
      {"##.##^^^^", {s(0.000123L)}, " 1.23E-04", 0},
      {"#.##^^^^", {s(9.999L)}, "0.10E+02", 0},
      {"+#.##^^^^", {i(5)}, "+5.00E+00", 0},
      {"#^^^^", {i(5)}, "5E+00", 0},
      {"#^^^^", {i(-5)}, "%-5E+00", 0},
      // The letter goes back to E after a double or extended value.
      {"##.##^^^^ ##.##^^^^", {d(1), s(1)}, " 1.00D+00  1.00E+00", 0},
  });
}

TEST(PrintUsing, StringFieldsAndLiteralText) {
  rt_test_init();
  run_cases({
      {"!", {t("ABC")}, "A", 0},
      {"!", {t("")}, " ", 0},
      {"\\  \\", {t("AB")}, "AB  ", 0},
      {"\\ \\", {t("ABCDE")}, "ABC", 0},
      {"[&]", {t("hello")}, "[hello]", 0},
      {"\\x", {t("Q")}, "\\x", 5},
      {"## apples", {i(5)}, " 5 apples", 0},
      {"_###", {i(5)}, "# 5", 0},
      {"__##", {i(5)}, "_ 5", 0},
      {"##_", {i(5)}, " 5_", 0},
      {"_!&", {t("Z")}, "!Z", 0},
  });
}

TEST(PrintUsing, ValuesWalkThroughTheFormatAndReuseIt) {
  rt_test_init();
  Outcome o = print_using("###:##.###", {i(1), i(2)});
  EXPECT_EQ(o.text, "  1: 2.000");
  EXPECT_EQ(o.position, 0);
  o = print_using("###:##.###", {i(1), i(2), i(3)});
  EXPECT_EQ(o.text, "  1: 2.000  3:");
  EXPECT_EQ(o.position, 4);
  o = print_using("A## B", {i(1), i(2)});
  EXPECT_EQ(o.text, "A 1 BA 2 B");
  o = print_using("& is ## years", {t("Ann"), i(7)});
  EXPECT_EQ(o.text, "Ann is  7 years");
}

TEST(PrintUsing, Errors) {
  rt_test_init();
  run_cases({
      {"abc", {i(5)}, "abc", 5},
      {"", {i(5)}, "", 5},
      {"x##", {t("AB")}, "x", 13},
      {"x&", {i(1)}, "x", 13},
      {"##", {s(INFINITY)}, "", 5},
      {"##", {d(NAN)}, "", 5},
      {"##", {x(-HUGE_VALL)}, "", 5},
  });
  // After an error the rest of the statement has no effect.
  Outcome o = print_using("## ##", {t("no"), i(1)});
  EXPECT_EQ(o.text, "");
  EXPECT_EQ(o.error, 13);
  // A position outside the format is refused.
  RtString *format = rtstr_from_cstr("##");
  RtString *out = rtstr_new(0, false);
  EXPECT_EQ(num_using_i64(format, 7, 1, out), 0);
  EXPECT_EQ(int32_t(pending_error.load()), 5);
  pending_error.store(0);
}

TEST(PrintUsing, FormatWithoutFieldFromTheMiddleStopsAfterOneRound) {
  rt_test_init();
  RtString *format = rtstr_from_cstr("ab");
  RtString *out = rtstr_new(0, false);
  EXPECT_EQ(num_using_i64(format, 1, 1, out), 0);
  EXPECT_EQ(int32_t(pending_error.load()), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(out->bytes), size_t(out->length)), "bab");
}
