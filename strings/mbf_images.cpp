// Memory images in Microsoft Binary Format: MKSMBF$, CVSMBF, MKDMBF$ and CVDMBF.
// MBF keeps the exponent in the last byte (0 = the value 0) and the sign at the top
// of the mantissa bytes; its exponent bias is two above IEEE single's.
#include "errors/errors.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cmath>
#include <cstring>

static RtString *empty_after_error() {
  err_raise(5);
  return rtstr_new_temp(0);
}

static RtString *mbf_image(uint64_t pattern, int32_t size) {
  RtString *r = rtstr_new_temp(size);
  for (int32_t i = 0; i < size; i++) r->bytes[i] = uint8_t(pattern >> (8 * i));
  return r;
}

static uint64_t read_le(const RtString *s, int32_t size) {
  uint64_t pattern = 0;
  for (int32_t i = 0; i < size; i++) pattern |= uint64_t(s->bytes[i]) << (8 * i);
  return pattern;
}

// ---- Single: 23 mantissa bits, sign in bit 23, exponent byte in bits 24..31 ----------

// The value as MBF exponent byte and 24-bit significand with its leading 1 (sign apart).
// Subnormal singles are normalised first: IEEE exponent 0 is not "exponent - 2" here.
static bool single_to_mbf(float v, uint32_t *pattern) {
  uint32_t bits;
  memcpy(&bits, &v, 4);
  uint32_t sign = bits >> 31, ieee_exponent = (bits >> 23) & 0xFF, mantissa = bits & 0x7FFFFF;
  if (ieee_exponent == 0 && mantissa == 0) {
    *pattern = 0;  // both zeros: MBF has one zero, exponent byte 0
    return true;
  }
  int32_t exponent = int32_t(ieee_exponent);
  if (exponent >= 254) return false;  // 254 would need byte 256; 255 is infinity or NaN
  if (exponent == 0) {
    exponent = 1;
    while (!(mantissa & 0x800000)) {
      mantissa <<= 1;
      exponent--;
    }
    mantissa &= 0x7FFFFF;
  }
  int32_t mbf_exponent = exponent + 2;
  if (mbf_exponent < 1) return false;  // below 2^-128: nothing in MBF holds it
  *pattern = (uint32_t(mbf_exponent) << 24) | (sign << 23) | mantissa;
  return true;
}

RtString *rtstr_mk_mbf32(float v) {
  if (err_pending()) return rtstr_new_temp(0);
  uint32_t pattern;
  if (!single_to_mbf(v, &pattern)) return empty_after_error();
  return mbf_image(pattern, 4);
}

float rtstr_cv_mbf32(RtString *s) {
  if (err_pending()) return 0;
  if (s->length < 4) {
    err_raise(5);
    return 0;
  }
  uint32_t pattern = uint32_t(read_le(s, 4));
  uint32_t mbf_exponent = pattern >> 24, sign = (pattern >> 23) & 1, mantissa = pattern & 0x7FFFFF;
  if (mbf_exponent == 0) return 0.0f;
  if (mbf_exponent <= 2) {
    // Exponent bytes 1 and 2 land below the normal singles: the nearest subnormal.
    double magnitude = std::ldexp(double(mantissa | 0x800000), int32_t(mbf_exponent) - 129 - 23);
    return float(sign ? -magnitude : magnitude);
  }
  uint32_t bits = (sign << 31) | ((mbf_exponent - 2) << 23) | mantissa;
  float v;
  memcpy(&v, &bits, 4);
  return v;
}

// ---- Double: 55 mantissa bits, sign in bit 55, exponent byte in bits 56..63 ----------
// IEEE biased exponents 895..1149 map to MBF exponent bytes 1..255.

constexpr int32_t MBF64_EXPONENT_OFFSET = 894;

RtString *rtstr_mk_mbf64(double v) {
  if (err_pending()) return rtstr_new_temp(0);
  if (v == 0) return mbf_image(0, 8);  // negative zero too: MBF has one zero
  uint64_t bits;
  memcpy(&bits, &v, 8);
  int32_t ieee_exponent = int32_t((bits >> 52) & 0x7FF);
  int32_t mbf_exponent = ieee_exponent - MBF64_EXPONENT_OFFSET;
  if (mbf_exponent < 1 || mbf_exponent > 255) return empty_after_error();
  uint64_t sign = bits >> 63, mantissa = bits & 0xFFFFFFFFFFFFFull;
  return mbf_image((uint64_t(mbf_exponent) << 56) | (sign << 55) | (mantissa << 3), 8);
}

// Rounds the 55-bit MBF mantissa to IEEE's 52 bits, to nearest with ties to even.
// A carry out of the mantissa moves the exponent up by one.
static uint64_t round_mbf64_mantissa(uint64_t mantissa55, int32_t *ieee_exponent) {
  uint64_t kept = mantissa55 >> 3, dropped = mantissa55 & 7;
  if (dropped > 4 || (dropped == 4 && (kept & 1))) kept++;
  if (kept >> 52) {
    kept = 0;
    (*ieee_exponent)++;
  }
  return kept;
}

double rtstr_cv_mbf64(RtString *s) {
  if (err_pending()) return 0;
  if (s->length < 8) {
    err_raise(5);
    return 0;
  }
  uint64_t pattern = read_le(s, 8);
  int32_t mbf_exponent = int32_t(pattern >> 56);
  if (mbf_exponent == 0) return 0.0;
  uint64_t sign = (pattern >> 55) & 1;
  int32_t ieee_exponent = mbf_exponent + MBF64_EXPONENT_OFFSET;
  uint64_t mantissa = round_mbf64_mantissa(pattern & 0x7FFFFFFFFFFFFFull, &ieee_exponent);
  uint64_t bits = (sign << 63) | (uint64_t(ieee_exponent) << 52) | mantissa;
  double v;
  memcpy(&v, &bits, 8);
  return v;
}
