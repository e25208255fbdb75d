// Fuzz target: num_scan over an arbitrary text item after item, each result put
// through the three conversions; positions must only move forward within the text.
#include "fuzz_support.h"

#include "strings/strings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz_init_once();
  uint32_t mark = temp_count;
  int32_t end = int32_t(size);
  int32_t position = 0;
  for (;;) {
    ScannedNumber n;
    int32_t before = position;
    int32_t status = num_scan(data, &position, end, &n);
    if (position < before || position > end) __builtin_trap();
    if (n.digit_count > 256 || n.kind > 2) __builtin_trap();
    if (status == NUM_SCANNED) {
      if (position == before) __builtin_trap();  // no progress would never end
      int64_t i;
      uint64_t u;
      long double x;
      num_scanned_to_i64(&n, &i);
      num_scanned_to_u64(&n, &u);
      if (num_scanned_to_float(&n, &x) && std::isnan(x)) __builtin_trap();
      continue;
    }
    if (status == NUM_SCAN_NOTHING) break;
    // Syntax or overflow: skip the offending character as INPUT # would skip the item.
    position++;
    if (position >= end) break;
  }
  fuzz_end_input(mark);
  return 0;
}
