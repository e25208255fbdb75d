// Fuzz target: VAL of arbitrary text, and STR$ of arbitrary bit patterns read back
// with VAL, which must land within the rounding of the printed digits.
#include "fuzz_support.h"

#include "strings/strings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

static void check_val(const uint8_t *data, size_t size) {
  RtString *text = rtstr_from_bytes(data, int32_t(size));
  long double v = num_val(text);
  if (std::isnan(v)) __builtin_trap();  // VAL never makes a NaN
}

static void check_text_shape(const RtString *s) {
  if (s->length < 2 || s->length > 26) __builtin_trap();
  if (s->bytes[0] != ' ' && s->bytes[0] != '-') __builtin_trap();
}

// STR$ keeps 16 (or 15) significant digits of a double, 7 of a single.
static void check_round_trip(long double printed, long double original, long double tolerance) {
  long double error = std::fabs(printed - original);
  if (error > std::fabs(original) * tolerance) __builtin_trap();
}

static void check_str(const uint8_t *data, size_t size) {
  if (size < 8) return;
  double d;
  std::memcpy(&d, data, sizeof d);
  float f;
  std::memcpy(&f, data, sizeof f);
  RtString *text = num_str_double(d);
  check_text_shape(text);
  if (std::isfinite(d)) check_round_trip(num_val(text), d, 1e-14L);
  text = num_str_single(f);
  check_text_shape(text);
  if (std::isfinite(f)) check_round_trip(num_val(text), f, 1e-6L);
  int64_t i;
  std::memcpy(&i, data, sizeof i);
  if (num_val(num_str_i64(i)) != (long double)i) __builtin_trap();
  if (size >= 10) {
    long double x = 0;
    std::memcpy(&x, data, 10);
    check_text_shape(num_str_extended(x));
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz_init_once();
  uint32_t mark = temp_count;
  check_val(data, size);
  fuzz_end_input(mark);
  check_str(data, size);
  fuzz_end_input(mark);
  return 0;
}
