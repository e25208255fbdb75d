// PRINT USING internals: the digit form of a value, the description of a numeric
// field, the field scanners and the number formatter, with their output buffer.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t USING_DIGITS_MAX = 1024;

// The value is the digit string read as an integer times 10^exponent. The string
// has no leading zeros except the single "0" of a zero value; digits past its end
// count as zeros, so trailing zeros may be left off.
struct DigitForm {
  char digits[USING_DIGITS_MAX + 2];
  int32_t count;
  int32_t exponent;
  bool negative;
};

struct NumericField {
  int32_t end;               // format position after the field
  int32_t integer_places;    // I
  int32_t fraction_places;   // F
  bool point;
  bool comma;
  bool dollar;
  bool asterisk_fill;
  bool leading_plus;
  bool trailing_plus;
  bool trailing_minus;
  int32_t exponent_digits;   // 0, 2 (^^^^) or 3 (^^^^^)
};

// Grows as needed; kept for the life of the program.
struct UsingBuffer {
  char *bytes;
  size_t length;
  size_t capacity;
};

void using_put(UsingBuffer *out, char c);
void using_put_bytes(UsingBuffer *out, const uint8_t *bytes, size_t n);

// True when a numeric field starts at position.
bool using_scan_numeric(const uint8_t *format, int32_t length, int32_t position,
                        NumericField *field);
// Length of a string field at position, 0 when there is none; *width is -1 for "&"
// (the whole string), 1 for "!", the field's width for a backslash field.
int32_t using_scan_string(const uint8_t *format, int32_t length, int32_t position,
                          int32_t *width);

// Formats the digit form into the field, rounding it (in place) at most once.
void using_format_number(const NumericField *field, DigitForm *value, char exponent_letter,
                         UsingBuffer *out);
