// String comparisons: the six relational operators on counted byte strings.
#include "errors/errors.h"
#include "strings/strings.h"

#include <algorithm>
#include <cstring>

// memcmp orders bytes as unsigned values, which is the order BASIC gives CHR$(200) > "z".
static int compare_strings(const RtString *a, const RtString *b) {
  int32_t common = std::min(a->length, b->length);
  int prefix = common > 0 ? memcmp(a->bytes, b->bytes, size_t(common)) : 0;
  if (prefix != 0) return prefix;
  return (a->length > b->length) - (a->length < b->length);
}

static int32_t truth(bool b) { return b ? -1 : 0; }

int32_t rtstr_equal(RtString *a, RtString *b) {
  if (err_pending()) return 0;
  if (a->length != b->length) return 0;
  return truth(a->length == 0 || memcmp(a->bytes, b->bytes, size_t(a->length)) == 0);
}

int32_t rtstr_not_equal(RtString *a, RtString *b) {
  if (err_pending()) return 0;
  return ~rtstr_equal(a, b);
}

int32_t rtstr_less(RtString *a, RtString *b) {
  if (err_pending()) return 0;
  return truth(compare_strings(a, b) < 0);
}

int32_t rtstr_greater(RtString *a, RtString *b) {
  if (err_pending()) return 0;
  return truth(compare_strings(a, b) > 0);
}

int32_t rtstr_less_equal(RtString *a, RtString *b) {
  if (err_pending()) return 0;
  return truth(compare_strings(a, b) <= 0);
}

int32_t rtstr_greater_equal(RtString *a, RtString *b) {
  if (err_pending()) return 0;
  return truth(compare_strings(a, b) >= 0);
}
