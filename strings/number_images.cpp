// Memory images of numbers: MKI$/CVI and the other packs of integers, IEEE floats,
// the 80-bit extended value and bit fields, all little-endian.
#include "errors/errors.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cstring>

static RtString *pack_bytes(uint64_t pattern, int32_t size) {
  if (err_pending()) return rtstr_new_temp(0);
  RtString *r = rtstr_new_temp(size);
  for (int32_t i = 0; i < size; i++) r->bytes[i] = uint8_t(pattern >> (8 * i));
  return r;
}

// Reads size bytes little-endian; 0 with error 5 when s is shorter.
static uint64_t unpack_bytes(const RtString *s, int32_t size) {
  if (err_pending()) return 0;
  if (s->length < size) {
    err_raise(5);
    return 0;
  }
  uint64_t pattern = 0;
  for (int32_t i = 0; i < size; i++) pattern |= uint64_t(s->bytes[i]) << (8 * i);
  return pattern;
}

RtString *rtstr_mk_i8(int8_t v) { return pack_bytes(uint8_t(v), 1); }
RtString *rtstr_mk_u8(uint8_t v) { return pack_bytes(v, 1); }
RtString *rtstr_mk_i16(int16_t v) { return pack_bytes(uint16_t(v), 2); }
RtString *rtstr_mk_u16(uint16_t v) { return pack_bytes(v, 2); }
RtString *rtstr_mk_i32(int32_t v) { return pack_bytes(uint32_t(v), 4); }
RtString *rtstr_mk_u32(uint32_t v) { return pack_bytes(v, 4); }
RtString *rtstr_mk_i64(int64_t v) { return pack_bytes(uint64_t(v), 8); }
RtString *rtstr_mk_u64(uint64_t v) { return pack_bytes(v, 8); }

RtString *rtstr_mk_single(float v) {
  uint32_t bits;
  memcpy(&bits, &v, 4);
  return pack_bytes(bits, 4);
}

RtString *rtstr_mk_double(double v) {
  uint64_t bits;
  memcpy(&bits, &v, 8);
  return pack_bytes(bits, 8);
}

int8_t rtstr_cv_i8(RtString *s) { return int8_t(unpack_bytes(s, 1)); }
uint8_t rtstr_cv_u8(RtString *s) { return uint8_t(unpack_bytes(s, 1)); }
int16_t rtstr_cv_i16(RtString *s) { return int16_t(unpack_bytes(s, 2)); }
uint16_t rtstr_cv_u16(RtString *s) { return uint16_t(unpack_bytes(s, 2)); }
int32_t rtstr_cv_i32(RtString *s) { return int32_t(unpack_bytes(s, 4)); }
uint32_t rtstr_cv_u32(RtString *s) { return uint32_t(unpack_bytes(s, 4)); }
int64_t rtstr_cv_i64(RtString *s) { return int64_t(unpack_bytes(s, 8)); }
uint64_t rtstr_cv_u64(RtString *s) { return unpack_bytes(s, 8); }

float rtstr_cv_single(RtString *s) {
  uint32_t bits = uint32_t(unpack_bytes(s, 4));
  float v;
  memcpy(&v, &bits, 4);
  return v;
}

double rtstr_cv_double(RtString *s) {
  uint64_t bits = unpack_bytes(s, 8);
  double v;
  memcpy(&v, &bits, 8);
  return v;
}

// ---- Extended: the x87 80-bit value in its 10 bytes, then 22 zero bytes -------------

constexpr int32_t EXTENDED_VALUE_BYTES = 10;
constexpr int32_t EXTENDED_IMAGE_BYTES = 32;

RtString *rtstr_mk_extended(long double v) {
  if (err_pending()) return rtstr_new_temp(0);
  static_assert(sizeof(long double) >= EXTENDED_VALUE_BYTES, "x87 extended expected");
  RtString *r = rtstr_new_temp(EXTENDED_IMAGE_BYTES);
  memset(r->bytes, 0, EXTENDED_IMAGE_BYTES);
  memcpy(r->bytes, &v, EXTENDED_VALUE_BYTES);  // the padding bytes of long double are not copied
  return r;
}

long double rtstr_cv_extended(RtString *s) {
  if (err_pending()) return 0;
  if (s->length < EXTENDED_IMAGE_BYTES) {
    err_raise(5);
    return 0;
  }
  long double v = 0;
  memcpy(&v, s->bytes, EXTENDED_VALUE_BYTES);
  return v;
}

// ---- Bit fields of 1 to 64 bits ------------------------------------------------------

static bool bit_count_valid(int32_t bits) {
  if (bits >= 1 && bits <= 64) return true;
  err_raise(5);
  return false;
}

static uint64_t low_bits_mask(int32_t bits) {
  return bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
}

RtString *rtstr_mk_bits(uint64_t v, int32_t bits) {
  if (err_pending()) return rtstr_new_temp(0);
  if (!bit_count_valid(bits)) return rtstr_new_temp(0);
  return pack_bytes(v & low_bits_mask(bits), (bits + 7) / 8);
}

uint64_t rtstr_cv_ubits(RtString *s, int32_t bits) {
  if (err_pending()) return 0;
  if (!bit_count_valid(bits)) return 0;
  return unpack_bytes(s, (bits + 7) / 8) & low_bits_mask(bits);
}

int64_t rtstr_cv_sbits(RtString *s, int32_t bits) {
  uint64_t v = rtstr_cv_ubits(s, bits);
  if (bits >= 1 && bits < 64 && (v >> (bits - 1)) & 1) v |= ~low_bits_mask(bits);
  return int64_t(v);
}
