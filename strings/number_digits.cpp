// Exact decimal expansion of binary floating values with big-integer arithmetic,
// the splitting of doubles and x87 extended values, and half-even digit rounding.
#include "strings/number_private.h"

#include <cfloat>
#include <cstring>

static_assert(LDBL_MANT_DIG == 64, "extended values must be the x87 80-bit format");

// Big enough for mantissa * 2^16448, the top of any 80-bit pattern.
constexpr int32_t LIMBS_MAX = (64 + 16448) / 32 + 2;
constexpr int32_t CHUNKS_MAX = (LIMBS_MAX * 32) / 29 + 2;   // 10^9 chunks of that
constexpr uint32_t CHUNK = 1000000000u;

BinaryFloat num_split_double(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  BinaryFloat f{};
  f.negative = (bits >> 63) != 0;
  int32_t biased = int32_t((bits >> 52) & 0x7FF);
  uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
  if (biased == 0x7FF) {
    f.kind = fraction ? FLOAT_NAN : FLOAT_INFINITE;
    return f;
  }
  f.mantissa = biased ? fraction | (uint64_t(1) << 52) : fraction;
  f.exponent2 = (biased ? biased : 1) - 1075;
  return f;
}

BinaryFloat num_split_extended(long double v) {
  uint8_t raw[10];
  std::memcpy(raw, &v, sizeof raw);
  BinaryFloat f{};
  std::memcpy(&f.mantissa, raw, 8);
  uint16_t top = uint16_t(raw[8] | (raw[9] << 8));
  f.negative = (top >> 15) != 0;
  int32_t biased = top & 0x7FFF;
  if (biased == 0x7FFF) {
    bool pure_infinity = (f.mantissa << 1) == 0;
    f.kind = pure_infinity ? FLOAT_INFINITE : FLOAT_NAN;
    f.mantissa = 0;
    return f;
  }
  // The integer bit is explicit, so subnormals share the exponent of the smallest normal.
  f.exponent2 = (biased ? biased : 1) - 16383 - 63;
  return f;
}

static void put_digit(DecimalDigits *out, uint32_t digit, int32_t power) {
  if (out->count == 0) {
    if (digit == 0) return;
    out->exponent10 = power;
  }
  if (out->count < out->capacity) {
    out->digits[out->count++] = char('0' + digit);
  } else if (digit != 0) {
    out->inexact = true;
  }
}

// Nine digits of a 10^9 chunk, most significant first; power is that of the first
// of the nine (put_digit drops zeros ahead of the first significant digit).
static void put_chunk(DecimalDigits *out, uint32_t chunk, int32_t power) {
  char text[9];
  for (int32_t i = 8; i >= 0; i--) {
    text[i] = char('0' + chunk % 10);
    chunk /= 10;
  }
  for (int32_t i = 0; i < 9; i++) put_digit(out, uint32_t(text[i] - '0'), power - i);
}

static bool is_full(const DecimalDigits *out) { return out->count >= out->capacity; }

// Divides the big integer in place by 10^9 and returns the remainder.
static uint32_t divide_by_chunk(uint32_t *limbs, int32_t *used) {
  uint64_t remainder = 0;
  for (int32_t i = *used - 1; i >= 0; i--) {
    uint64_t current = (remainder << 32) | limbs[i];
    limbs[i] = uint32_t(current / CHUNK);
    remainder = current % CHUNK;
  }
  while (*used > 0 && limbs[*used - 1] == 0) (*used)--;
  return uint32_t(remainder);
}

// mantissa * 2^shift, shift >= 0: a whole number, converted from the bottom up.
static void expand_integer(uint64_t mantissa, int32_t shift, DecimalDigits *out) {
  uint32_t limbs[LIMBS_MAX] = {};
  int32_t word = shift / 32, bit = shift % 32;
  unsigned __int128 moved = (unsigned __int128)mantissa << bit;
  limbs[word] = uint32_t(moved);
  limbs[word + 1] = uint32_t(moved >> 32);
  limbs[word + 2] = uint32_t(moved >> 64);
  int32_t used = word + 3;
  while (used > 0 && limbs[used - 1] == 0) used--;

  uint32_t chunks[CHUNKS_MAX];
  int32_t chunk_count = 0;
  while (used > 0) chunks[chunk_count++] = divide_by_chunk(limbs, &used);

  int32_t top = chunk_count - 1;
  put_chunk(out, chunks[top], 9 * top + 8);
  int32_t power = 9 * top - 1;
  for (int32_t i = top - 1; i >= 0; i--, power -= 9) {
    if (is_full(out)) {
      if (chunks[i] != 0) out->inexact = true;
      continue;
    }
    put_chunk(out, chunks[i], power);
  }
}

int32_t num_write_unsigned(uint64_t v, char *out) {
  char reversed[20];
  int32_t n = 0;
  do {
    reversed[n++] = char('0' + v % 10);
    v /= 10;
  } while (v);
  for (int32_t i = 0; i < n; i++) out[i] = reversed[n - 1 - i];
  return n;
}

static void put_integer_part(uint64_t whole, DecimalDigits *out) {
  char text[20];
  int32_t n = num_write_unsigned(whole, text);
  for (int32_t i = 0; i < n; i++) put_digit(out, uint32_t(text[i] - '0'), n - 1 - i);
}

// mantissa / 2^shift, shift > 0: the whole part, then the fraction nine digits at a
// time. The fraction is held as F / 2^(32 W) so that each carry out of the top limb
// after a multiplication by 10^9 is exactly the next chunk.
static void expand_fraction(uint64_t mantissa, int32_t shift, DecimalDigits *out) {
  uint64_t whole = shift < 64 ? mantissa >> shift : 0;
  uint64_t fraction = shift < 64 ? mantissa & ((uint64_t(1) << shift) - 1) : mantissa;
  if (whole) put_integer_part(whole, out);

  uint32_t limbs[LIMBS_MAX] = {};
  int32_t width = (shift + 31) / 32;
  unsigned __int128 aligned = (unsigned __int128)fraction << (32 * width - shift);
  for (int32_t i = 0; i < 3 && i < width; i++) limbs[i] = uint32_t(aligned >> (32 * i));
  int32_t low = 0, high = width < 3 ? width : 3;
  while (low < high && limbs[low] == 0) low++;
  while (high > low && limbs[high - 1] == 0) high--;

  int32_t power = -1;
  while (low < high && !is_full(out)) {
    uint64_t carry = 0;
    for (int32_t i = low; i < high; i++) {
      uint64_t product = uint64_t(limbs[i]) * CHUNK + carry;
      limbs[i] = uint32_t(product);
      carry = product >> 32;
    }
    uint32_t chunk = 0;
    if (high < width) {
      if (carry) limbs[high++] = uint32_t(carry);
    } else {
      chunk = uint32_t(carry);
    }
    while (low < high && limbs[low] == 0) low++;
    if (chunk || out->count > 0) put_chunk(out, chunk, power);
    power -= 9;
  }
  if (low < high) out->inexact = true;
}

void num_exact_decimal(uint64_t mantissa, int32_t exponent2, DecimalDigits *out) {
  out->count = 0;
  out->exponent10 = 0;
  out->inexact = false;
  if (mantissa == 0) return;
  while ((mantissa & 1) == 0 && exponent2 < 0) {
    mantissa >>= 1;
    exponent2++;
  }
  if (exponent2 > 16448 || exponent2 < -16448 - 64) return;  // no such value exists
  if (exponent2 >= 0) {
    expand_integer(mantissa, exponent2, out);
  } else {
    expand_fraction(mantissa, -exponent2, out);
  }
  while (out->count > 0 && out->digits[out->count - 1] == '0') out->count--;
}

void num_round_half_even(DecimalDigits *d, int32_t keep) {
  if (d->count <= keep) return;  // the digits after keep are zeros (or beyond our reach)
  char next = d->digits[keep];
  bool rest = d->inexact || d->count > keep + 1;
  bool odd = ((d->digits[keep - 1] - '0') & 1) != 0;
  bool up = next > '5' || (next == '5' && (rest || odd));
  d->count = keep;
  d->inexact = false;
  if (up) {
    int32_t i = keep - 1;
    while (i >= 0 && d->digits[i] == '9') d->digits[i--] = '0';
    if (i >= 0) {
      d->digits[i]++;
    } else {
      d->digits[0] = '1';
      d->count = 1;
      d->exponent10++;
    }
  }
  while (d->count > 0 && d->digits[d->count - 1] == '0') d->count--;
}
