// Fuzz target: the PRINT USING engine with arbitrary format strings and values of
// every type, chained the way the translated program chains them.
#include "fuzz_support.h"

#include "errors/errors.h"
#include "strings/strings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct Reader {
  const uint8_t *data;
  size_t size;
  size_t at;
};

}  // namespace

static uint64_t take(Reader *r, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n && r->at < r->size; i++) v |= uint64_t(r->data[r->at++]) << (8 * i);
  return v;
}

// One value of the kind picked by the selector byte; position is the previous result.
static int32_t format_one(Reader *r, RtString *format, int32_t position, RtString *out) {
  uint8_t kind = uint8_t(take(r, 1));
  uint64_t bits = take(r, 8);
  switch (kind % 7) {
    case 0: return num_using_i64(format, position, int64_t(bits), out);
    case 1: return num_using_u64(format, position, bits, out);
    case 2: {
      float f;
      uint32_t b32 = uint32_t(bits);
      std::memcpy(&f, &b32, sizeof f);
      return num_using_single(format, position, f, out);
    }
    case 3: {
      double d;
      std::memcpy(&d, &bits, sizeof d);
      return num_using_double(format, position, d, out);
    }
    case 4: {
      long double x = 0;
      uint8_t raw[10];
      std::memcpy(raw, &bits, 8);
      uint16_t top = uint16_t(take(r, 2));
      std::memcpy(raw + 8, &top, 2);
      std::memcpy(&x, raw, 10);
      return num_using_extended(format, position, x, out);
    }
    case 5: {
      static const char letters[] = "ABCDEFGHIJKL";
      return num_using(format, position, out, rtstr_from_bytes(letters, int32_t(bits % 12)));
    }
    default:  // an arbitrary, possibly invalid position
      return num_using_i64(format, int32_t(bits % 64) - 8, 1, out);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz_init_once();
  if (size < 1) return 0;
  uint32_t mark = temp_count;
  Reader r{data, size, 0};
  int32_t values = int32_t(take(&r, 1) % 5);
  size_t value_bytes = size_t(values) * 11;
  if (value_bytes > size - 1) value_bytes = size - 1;
  Reader value_reader{data + 1, value_bytes, 0};
  const uint8_t *format_bytes = data + 1 + value_bytes;
  int32_t format_length = int32_t(size - 1 - value_bytes);

  RtString *format = rtstr_new(0, false);
  rtstr_assign(format, rtstr_from_bytes(format_bytes, format_length));
  RtString *out = rtstr_new(0, false);
  int32_t position = 0;
  for (int32_t v = 0; v < values; v++) {
    position = format_one(&value_reader, format, position, out);
    if (position < 0 || position > format->length) __builtin_trap();
    pending_error.store(0);  // go on: the engine's state after an error is fuzzed too
  }
  rtstr_free(out);
  rtstr_free(format);
  fuzz_end_input(mark);
  return 0;
}
