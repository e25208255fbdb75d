// String functions: UCASE$, LCASE$, LTRIM$ and RTRIM$.
#include "errors/errors.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cstring>

// ASCII letters only: bytes above 127 belong to the code page and stay as they are.
static uint8_t upper_byte(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 32) : c; }
static uint8_t lower_byte(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; }

using ByteMap = uint8_t (*)(uint8_t);

static bool map_changes_something(const RtString *s, ByteMap map) {
  for (int32_t i = 0; i < s->length; i++)
    if (map(s->bytes[i]) != s->bytes[i]) return true;
  return false;
}

// A string that needs no change comes back as it is, neither copied nor freed.
static RtString *map_bytes(RtString *s, ByteMap map) {
  if (s->length == 0) return s;
  if (rtstr_is_disposable(s)) {
    for (int32_t i = 0; i < s->length; i++) s->bytes[i] = map(s->bytes[i]);
    return s;
  }
  if (!map_changes_something(s, map)) return s;
  RtString *r = rtstr_new_temp(s->length);
  for (int32_t i = 0; i < s->length; i++) r->bytes[i] = map(s->bytes[i]);  // s read after the allocation
  if (s->is_temporary) rtstr_free(s);
  return r;
}

RtString *rtstr_ucase(RtString *s) {
  if (err_pending()) return s;
  return map_bytes(s, upper_byte);
}

RtString *rtstr_lcase(RtString *s) {
  if (err_pending()) return s;
  return map_bytes(s, lower_byte);
}

// Spaces only: a tab is not trimmed.
RtString *rtstr_ltrim(RtString *s) {
  if (err_pending()) return s;
  int32_t skip = 0;
  while (skip < s->length && s->bytes[skip] == ' ') skip++;
  return rtstr_slice(s, skip, s->length - skip);
}

RtString *rtstr_rtrim(RtString *s) {
  if (err_pending()) return s;
  int32_t kept = s->length;
  while (kept > 0 && s->bytes[kept - 1] == ' ') kept--;
  return rtstr_slice(s, 0, kept);
}
