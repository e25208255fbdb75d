// STR$ and PRINT's number text: integers of every width, single, double and
// extended, with BASIC's choice between fixed and scientific notation.
#include "errors/errors.h"
#include "strings/number_private.h"
#include "strings/strings.h"

#include <cstring>

namespace {

struct FloatStyle {
  int32_t precision;       // significant digits P
  char letter;             // exponent letter
  int32_t fixed_max;       // largest exponent written in fixed notation
  int32_t fixed_min_diff;  // smallest exponent - digits written in fixed notation
  bool retry_on_nine;      // hide binary tails such as 0.3 + 0.6
};

constexpr FloatStyle single_style{7, 'E', 6, -8, false};
constexpr FloatStyle double_style{16, 'D', 15, -17, true};

}  // namespace

static RtString *text_result(const char *text, int32_t length) {
  RtString *s = rtstr_new(uint32_t(length), true);
  if (length > 0) std::memcpy(s->bytes, text, size_t(length));
  return s;
}


static RtString *integer_text(bool negative, uint64_t magnitude) {
  char text[24];
  text[0] = negative ? '-' : ' ';
  int32_t n = 1 + num_write_unsigned(magnitude, text + 1);
  return text_result(text, n);
}

RtString *num_str_int(int32_t v) {
  if (err_pending()) return rtstr_new(0, true);
  return integer_text(v < 0, v < 0 ? uint64_t(-int64_t(v)) : uint64_t(v));
}

RtString *num_str_i64(int64_t v) {
  if (err_pending()) return rtstr_new(0, true);
  uint64_t magnitude = v < 0 ? 0 - uint64_t(v) : uint64_t(v);
  return integer_text(v < 0, magnitude);
}

RtString *num_str_uint(uint32_t v) {
  if (err_pending()) return rtstr_new(0, true);
  return integer_text(false, v);
}

RtString *num_str_u64(uint64_t v) {
  if (err_pending()) return rtstr_new(0, true);
  return integer_text(false, v);
}

// The value rounded to P significant digits (ties to even on the exact expansion);
// for doubles a P-th digit 9 means rounding to P - 1 digits instead.
static void significant_digits(const BinaryFloat &f, const FloatStyle &style, char *buffer,
                               char *spare, DecimalDigits *d) {
  d->digits = buffer;
  d->capacity = style.precision + 1;
  num_exact_decimal(f.mantissa, f.exponent2, d);
  DecimalDigits shorter = *d;
  shorter.digits = spare;
  std::memcpy(spare, buffer, size_t(d->count));
  num_round_half_even(d, style.precision);
  bool ninth = d->count == style.precision && d->digits[style.precision - 1] == '9';
  if (style.retry_on_nine && ninth) {
    num_round_half_even(&shorter, style.precision - 1);
    *d = shorter;
  }
}

static int32_t write_fixed(const DecimalDigits &d, char *out) {
  int32_t n = 0, e = d.exponent10;
  if (e >= 0) {
    for (int32_t i = 0; i <= e; i++) out[n++] = i < d.count ? d.digits[i] : '0';
    if (d.count > e + 1) {
      out[n++] = '.';
      for (int32_t i = e + 1; i < d.count; i++) out[n++] = d.digits[i];
    }
    return n;
  }
  // "0.5" loses its leading zero: BASIC writes " .5".
  out[n++] = '.';
  for (int32_t i = 0; i < -e - 1; i++) out[n++] = '0';
  for (int32_t i = 0; i < d.count; i++) out[n++] = d.digits[i];
  return n;
}

static int32_t write_scientific(const DecimalDigits &d, char letter, char *out) {
  int32_t n = 0;
  out[n++] = d.digits[0];
  if (d.count > 1) {
    out[n++] = '.';
    for (int32_t i = 1; i < d.count; i++) out[n++] = d.digits[i];
  }
  out[n++] = letter;
  int32_t e = d.exponent10;
  out[n++] = e < 0 ? '-' : '+';
  if (e < 0) e = -e;
  if (e >= 100) out[n++] = char('0' + e / 100);
  out[n++] = char('0' + e / 10 % 10);
  out[n++] = char('0' + e % 10);
  return n;
}

static RtString *special_text(const BinaryFloat &f) {
  if (f.kind == FLOAT_NAN) return text_result(" NAN", 4);
  return f.negative ? text_result("-INF", 4) : text_result(" INF", 4);
}

static RtString *float_text(double v, const FloatStyle &style) {
  BinaryFloat f = num_split_double(v);
  if (f.kind != FLOAT_FINITE) return special_text(f);
  char buffer[24], spare[24];
  DecimalDigits d{};
  significant_digits(f, style, buffer, spare, &d);
  if (d.count == 0) return text_result(" 0", 2);

  char text[48];
  text[0] = f.negative ? '-' : ' ';
  int32_t e = d.exponent10;
  bool fixed = e <= style.fixed_max && e - d.count >= style.fixed_min_diff;
  int32_t n = fixed ? write_fixed(d, text + 1) : write_scientific(d, style.letter, text + 1);
  return text_result(text, n + 1);
}

RtString *num_str_single(float v) {
  if (err_pending()) return rtstr_new(0, true);
  return float_text(double(v), single_style);
}

RtString *num_str_double(double v) {
  if (err_pending()) return rtstr_new(0, true);
  return float_text(v, double_style);
}

RtString *num_str_extended(long double v) {
  if (err_pending()) return rtstr_new(0, true);
  return float_text(double(v), double_style);
}
