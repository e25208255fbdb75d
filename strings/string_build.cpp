// String functions: SPACE$, STRING$, CHR$, ASC, LEN, LSET and RSET.
#include "errors/errors.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cstring>

RtString *rtstr_space(int32_t n) { return rtstr_repeat(n, ' '); }

// The code is not range-checked: only its low 8 bits count.
RtString *rtstr_repeat(int32_t n, int32_t code) {
  if (err_pending()) return rtstr_new_temp(0);
  RtString *r = rtstr_new_temp(n);
  if (r->length > 0) memset(r->bytes, uint8_t(code), size_t(r->length));
  return r;
}

RtString *rtstr_chr(int32_t code) {
  if (err_pending()) return rtstr_new_temp(0);
  if (code < 0 || code > 255) {
    err_raise(5);
    return rtstr_new_temp(0);
  }
  RtString *r = rtstr_new_temp(1);
  r->bytes[0] = uint8_t(code);
  return r;
}

int32_t rtstr_asc(RtString *s) { return rtstr_asc(s, 1); }

int32_t rtstr_asc(RtString *s, int32_t position) {
  if (err_pending()) return 0;
  if (position < 1 || position > s->length) {
    err_raise(5);
    return 0;
  }
  return s->bytes[position - 1];
}

int32_t rtstr_len(RtString *s) {
  if (err_pending()) return 0;
  return s->length;
}

RtFieldStore field_store_handler = nullptr;

// Copies r into d without changing d's length; r may be d itself.
static void store_aligned(RtString *d, RtString *r, bool to_right) {
  if (d->is_read_only || d->length == 0) return;
  size_t room = size_t(d->length), n = size_t(r->length);
  if (n >= room) {
    memmove(d->bytes, r->bytes, room);
    return;
  }
  size_t pad = room - n;
  if (to_right) {
    memmove(d->bytes + pad, r->bytes, n);
    memset(d->bytes, ' ', pad);
  } else {
    if (n > 0) memmove(d->bytes, r->bytes, n);
    memset(d->bytes + n, ' ', pad);
  }
}

void rtstr_lset(RtString *d, RtString *r) {
  if (err_pending()) return;
  store_aligned(d, r, false);
  if (d->field_binding && field_store_handler) field_store_handler(d);
}

void rtstr_rset(RtString *d, RtString *r) {
  if (err_pending()) return;
  store_aligned(d, r, true);
  if (d->field_binding && field_store_handler) field_store_handler(d);
}
