// PRINT USING field scanners: numeric fields with their markers (#, point, comma,
// **, $$, **$, signs, carets) and the string fields !, & and backslash pairs.
#include "strings/print_using_private.h"

namespace {

enum FieldState { FIELD_NONE, FIELD_PLUS, FIELD_INTEGER, FIELD_FRACTION, FIELD_EXPONENT };

}  // namespace

static bool starts_with(const uint8_t *format, int32_t length, int32_t i, const char *marks) {
  for (int32_t k = 0; marks[k]; k++) {
    if (i + k >= length || format[i + k] != uint8_t(marks[k])) return false;
  }
  return true;
}

// Signs and carets, which only follow digit positions. Returns the characters taken
// (0 when c is neither); *ends is set when the character closes the field.
static int32_t scan_suffix(const uint8_t *format, int32_t length, int32_t i, FieldState *state,
                           NumericField *f, bool *ends) {
  uint8_t c = format[i];
  if (c == '+' || c == '-') {
    (c == '+' ? f->trailing_plus : f->trailing_minus) = true;
    *ends = true;
    return 1;
  }
  if (*state == FIELD_EXPONENT) return 0;
  for (int32_t carets = 5; carets >= 4; carets--) {
    if (starts_with(format, length, i, carets == 5 ? "^^^^^" : "^^^^")) {
      f->exponent_digits = carets - 2;
      *state = FIELD_EXPONENT;
      return carets;
    }
  }
  return 0;
}

// Leading markers: "**$", "**", "$$" and a leading "+".
static int32_t scan_prefix(const uint8_t *format, int32_t length, int32_t i, FieldState *state,
                           NumericField *f) {
  if (starts_with(format, length, i, "**$")) {
    f->asterisk_fill = f->dollar = true;
    f->integer_places = 2;
    *state = FIELD_INTEGER;
    return 3;
  }
  if (starts_with(format, length, i, "**")) {
    f->asterisk_fill = true;
    f->integer_places = 2;
    *state = FIELD_INTEGER;
    return 2;
  }
  if (starts_with(format, length, i, "$$")) {
    f->dollar = true;
    f->integer_places = 1;
    *state = FIELD_INTEGER;
    return 2;
  }
  if (*state == FIELD_NONE && format[i] == '+') {
    f->leading_plus = true;
    *state = FIELD_PLUS;
    return 1;
  }
  return 0;
}

// Characters taken by one step of the scanner, 0 at the end of the field.
static int32_t scan_step(const uint8_t *format, int32_t length, int32_t i, FieldState *state,
                         NumericField *f, bool *ends) {
  uint8_t c = format[i];
  if (*state >= FIELD_INTEGER) {
    int32_t taken = scan_suffix(format, length, i, state, f, ends);
    if (taken) return taken;
  }
  if (*state == FIELD_FRACTION && c == '#') {
    f->fraction_places++;
    return 1;
  }
  if (*state == FIELD_INTEGER && c == ',') {
    f->comma = true;
    f->integer_places++;
    return 1;
  }
  if (*state <= FIELD_INTEGER && c == '#') {
    f->integer_places++;
    *state = FIELD_INTEGER;
    return 1;
  }
  if (*state <= FIELD_INTEGER && c == '.') {
    f->point = true;
    *state = FIELD_FRACTION;
    return 1;
  }
  if (*state <= FIELD_PLUS) return scan_prefix(format, length, i, state, f);
  return 0;
}

bool using_scan_numeric(const uint8_t *format, int32_t length, int32_t position,
                        NumericField *field) {
  *field = NumericField{};
  FieldState state = FIELD_NONE;
  int32_t i = position;
  bool ends = false;
  while (i < length && !ends) {
    int32_t taken = scan_step(format, length, i, &state, field, &ends);
    if (taken == 0) break;
    i += taken;
  }
  field->end = i;
  return state >= FIELD_INTEGER &&
         (field->integer_places != 0 || field->fraction_places != 0);
}

int32_t using_scan_string(const uint8_t *format, int32_t length, int32_t position,
                          int32_t *width) {
  uint8_t c = format[position];
  if (c == '&') {
    *width = -1;
    return 1;
  }
  if (c == '!') {
    *width = 1;
    return 1;
  }
  if (c != '\\') return 0;
  int32_t i = position + 1;
  while (i < length && format[i] == ' ') i++;
  if (i >= length || format[i] != '\\') return 0;
  *width = i - position + 1;
  return *width;
}
