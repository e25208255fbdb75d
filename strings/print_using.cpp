// The PRINT USING engine: walks the format from field to field, formats the value
// that waits, copies literal text, and its entries for every numeric type.
#include "errors/errors.h"
#include "strings/number_private.h"
#include "strings/print_using_private.h"
#include "strings/strings.h"

#include <cstdlib>
#include <cstring>

namespace {

enum UsingMode { USING_WRITTEN = 0, USING_NUMBER_WAITS = 1, USING_STRING_WAITS = 2 };

}  // namespace

// Engine state: only the program thread formats.
static UsingMode using_mode = USING_WRITTEN;
static DigitForm using_digits;
static char using_exponent_letter = 'E';
static UsingBuffer using_buffer;
constexpr size_t USING_BUFFER_KEPT = size_t(1) << 20;

// ---- Output buffer ------------------------------------------------------------------

static bool reserve(UsingBuffer *out, size_t extra) {
  if (out->length + extra <= out->capacity) return true;
  size_t wanted = out->capacity ? out->capacity : 256;
  while (wanted < out->length + extra) wanted *= 2;
  char *grown = static_cast<char *>(std::realloc(out->bytes, wanted));
  if (!grown) {
    err_raise(7);
    return false;
  }
  out->bytes = grown;
  out->capacity = wanted;
  return true;
}

void using_put(UsingBuffer *out, char c) {
  if (reserve(out, 1)) out->bytes[out->length++] = c;
}

void using_put_bytes(UsingBuffer *out, const uint8_t *bytes, size_t n) {
  if (n == 0 || !reserve(out, n)) return;
  std::memcpy(out->bytes + out->length, bytes, n);
  out->length += n;
}

// Appends the buffered text to output in one piece. Runs before an error is raised,
// so that the statement can print what was made before the error.
static void flush_output(RtString *output) {
  UsingBuffer *b = &using_buffer;
  if (b->length == 0) return;
  int64_t total = int64_t(output->length) + int64_t(b->length);
  b->length = 0;
  if (total > INT32_MAX) {
    err_raise(14);
    return;
  }
  RtString *joined = rtstr_new(uint32_t(total), true);
  // Read output's bytes only now: rtstr_new may have compacted the area.
  std::memcpy(joined->bytes, output->bytes, size_t(output->length));
  std::memcpy(joined->bytes + output->length, using_buffer.bytes,
              size_t(total - output->length));
  rtstr_assign(output, joined);
  // A huge string field should not pin its copy for the rest of the program.
  if (b->capacity > USING_BUFFER_KEPT) {
    std::free(b->bytes);
    *b = UsingBuffer{};
  }
}

// ---- Engine -----------------------------------------------------------------------

static void put_string_field(const RtString *value, int32_t width) {
  if (width < 0) {
    using_put_bytes(&using_buffer, value->bytes, size_t(value->length));
    return;
  }
  int32_t taken = value->length < width ? value->length : width;
  using_put_bytes(&using_buffer, value->bytes, size_t(taken));
  for (int32_t i = taken; i < width; i++) using_put(&using_buffer, ' ');
}

// One step at position: a field or a literal character. Returns the next position,
// or -1 when the engine stops at this field (*stop_code is the error, 0 for none).
static int32_t using_step(const uint8_t *fmt, int32_t length, int32_t pos, const RtString *value,
                          int32_t *stop_code) {
  NumericField field;
  if (using_scan_numeric(fmt, length, pos, &field)) {
    if (using_mode == USING_WRITTEN) return -1;
    if (using_mode == USING_STRING_WAITS) {
      *stop_code = 13;
      return -1;
    }
    using_format_number(&field, &using_digits, using_exponent_letter, &using_buffer);
    using_mode = USING_WRITTEN;
    return field.end;
  }
  int32_t width = 0;
  int32_t taken = using_scan_string(fmt, length, pos, &width);
  if (taken > 0) {
    if (using_mode == USING_WRITTEN) return -1;
    if (using_mode == USING_NUMBER_WAITS) {
      *stop_code = 13;
      return -1;
    }
    put_string_field(value, width);
    using_mode = USING_WRITTEN;
    return pos + taken;
  }
  if (fmt[pos] == '_' && pos + 1 < length) pos++;
  using_put(&using_buffer, char(fmt[pos]));
  return pos + 1;
}

static int32_t using_run(RtString *format, int32_t position, RtString *output,
                         const RtString *value) {
  const uint8_t *fmt = format->bytes;
  int32_t length = format->length;
  int32_t error_code = 0, result = 0;
  bool from_start = position == 0;
  if (position < 0 || position > length) {
    error_code = 5;
    position = length;
    from_start = true;
  }
  int32_t pos = position;
  while (error_code == 0) {
    if (pos >= length) {
      if (using_mode == USING_WRITTEN) break;
      // A value waits and no field is left: the format is used again from its
      // start, once; a format without any field cannot take it.
      if (from_start) {
        error_code = 5;
        break;
      }
      from_start = true;
      pos = 0;
      continue;
    }
    int32_t next = using_step(fmt, length, pos, value, &error_code);
    if (next < 0) {
      if (error_code == 0) result = pos;
      break;
    }
    pos = next;
  }
  flush_output(output);
  if (error_code != 0) {
    using_mode = USING_WRITTEN;
    err_raise(error_code);
    return 0;
  }
  return result;
}

int32_t num_using(RtString *format, int32_t position, RtString *output, RtString *value) {
  if (err_pending()) return 0;
  if (value) {
    using_mode = USING_STRING_WAITS;
  } else if (using_mode == USING_STRING_WAITS) {
    using_mode = USING_WRITTEN;  // no string came with the call
  }
  return using_run(format, position, output, value);
}

// ---- Entries: the digit form of each type ---------------------------------------

static void set_integer_digits(uint64_t magnitude, bool negative) {
  using_digits.count = num_write_unsigned(magnitude, using_digits.digits);
  using_digits.exponent = 0;
  using_digits.negative = negative;
}

// The exact expansion cut at `capacity` significant digits. False for an infinite
// value or not a number. A negative zero is formatted as zero.
static bool set_float_digits(const BinaryFloat &f, int32_t capacity) {
  if (f.kind != FLOAT_FINITE) return false;
  DecimalDigits d{using_digits.digits, capacity, 0, 0, false};
  num_exact_decimal(f.mantissa, f.exponent2, &d);
  if (d.count == 0) {
    set_integer_digits(0, false);
    return true;
  }
  using_digits.count = d.count;
  using_digits.exponent = d.exponent10 - (d.count - 1);
  using_digits.negative = f.negative;
  return true;
}

static int32_t run_number(RtString *format, int32_t position, RtString *output, char letter) {
  using_exponent_letter = letter;
  using_mode = USING_NUMBER_WAITS;
  int32_t next = using_run(format, position, output, nullptr);
  using_exponent_letter = 'E';
  return next;
}

static int32_t run_float(RtString *format, int32_t position, RtString *output,
                         const BinaryFloat &f, int32_t capacity, char letter) {
  if (!set_float_digits(f, capacity)) {
    err_raise(5);
    return 0;
  }
  return run_number(format, position, output, letter);
}

int32_t num_using_i64(RtString *format, int32_t position, int64_t value, RtString *output) {
  if (err_pending()) return 0;
  uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  set_integer_digits(magnitude, value < 0);
  return run_number(format, position, output, 'E');
}

int32_t num_using_u64(RtString *format, int32_t position, uint64_t value, RtString *output) {
  if (err_pending()) return 0;
  set_integer_digits(value, false);
  return run_number(format, position, output, 'E');
}

// "% .255E" holds 256 significant digits.
int32_t num_using_single(RtString *format, int32_t position, float value, RtString *output) {
  if (err_pending()) return 0;
  return run_float(format, position, output, num_split_double(double(value)), 256, 'E');
}

int32_t num_using_double(RtString *format, int32_t position, double value, RtString *output) {
  if (err_pending()) return 0;
  return run_float(format, position, output, num_split_double(value), 256, 'D');
}

int32_t num_using_extended(RtString *format, int32_t position, long double value,
                           RtString *output) {
  if (err_pending()) return 0;
  return run_float(format, position, output, num_split_extended(value), USING_DIGITS_MAX, 'F');
}
