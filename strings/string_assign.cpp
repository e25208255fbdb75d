// BASIC string assignment (take-over, growth in place, relocation), concatenation,
// and the release of a statement's temporaries.
#include "errors/errors.h"
#include "strings/string_private.h"

#include <climits>
#include <cstring>

static bool same_list(const RtString *a, const RtString *b) {
  return rtstr_has_list_entry(a) && rtstr_has_list_entry(b) && a->in_low_memory == b->in_low_memory;
}

static void set_fill_offset(bool low, const uint8_t *end) {
  if (low)
    low_used = int32_t(end - data_segment);
  else
    string_used = size_t(end - string_area);
}

static void copy_in_place(RtString *dest, const RtString *src) {
  if (src->length != 0) memmove(dest->bytes, src->bytes, size_t(src->length));
  dest->length = src->length;
}

static void assign_fixed(RtString *dest, const RtString *src) {
  int32_t n = src->length < dest->length ? src->length : dest->length;
  if (n != 0) memmove(dest->bytes, src->bytes, size_t(n));
  if (n < dest->length) memset(dest->bytes + n, ' ', size_t(dest->length - n));
}

// The destination takes the source's bytes and list entry; nothing is copied.
static void take_over(RtString *dest, RtString *src) {
  StringList *list = rtstr_list_of(dest);
  if (list->entries[dest->list_slot] == dest) list->entries[dest->list_slot] = list_hole;  // old bytes: compaction's
  list->entries[src->list_slot] = dest;
  dest->list_slot = src->list_slot;
  if (src->temp_slot != 0 && temp_list[src->temp_slot] == src) {
    temp_list[src->temp_slot] = list_hole;
    if (uint32_t(src->temp_slot) == temp_count - 1) temp_count--;
  }
  dest->bytes = src->bytes;
  dest->length = src->length;
  rtstr_release_descriptor(src);
  rtstr_write_low_record(dest);
}

static void relocate(RtString *dest, const RtString *src) {
  bool low = dest->in_low_memory;
  StringList *list = rtstr_list_of(dest);
  if (list->entries[dest->list_slot] == dest) list->entries[dest->list_slot] = list_hole;
  if (low) {
    if (low_used + src->length > low_top) rtstr_compact_low(src->length);
  } else if (string_used + size_t(src->length) > string_area_size) {
    rtstr_compact(size_t(src->length));
  }
  rtstr_list_append(list, dest);
  dest->bytes = low ? data_segment + low_used : string_area + string_used;
  set_fill_offset(low, dest->bytes + src->length);
  copy_in_place(dest, src);  // src->bytes is read only now: compaction may have moved it
}

// Whether s may grow in place until new_end: nothing live (but skip) starts before
// new_end, and the area ends after it. When it may, entries behind s that are all holes
// (or skip, which the caller frees) are cut off and the fill offset follows s.
[[gnu::always_inline]] static inline bool claim_in_place(RtString *s, const uint8_t *new_end, const RtString *skip) {
  bool low = s->in_low_memory;
  StringList *list = rtstr_list_of(s);
  for (int32_t i = s->list_slot + 1; i < list->count; i++) {
    const RtString *next = list->entries[i];
    if (next == list_hole || next == skip) continue;
    return next->bytes >= new_end;
  }
  const uint8_t *area_end = low ? data_segment + low_top : string_area + string_area_size;
  if (new_end > area_end) return false;
  list->count = s->list_slot + 1;
  set_fill_offset(low, new_end);
  return true;
}

static void grow(RtString *dest, const RtString *src) {
  const RtString *skip = src->is_temporary && same_list(dest, src) ? src : nullptr;
  if (claim_in_place(dest, dest->bytes + src->length, skip))
    copy_in_place(dest, src);
  else
    relocate(dest, src);
}

// A read-only destination has no bytes of ours; it becomes an empty main string
// at the end of the area so that the ordinary rules apply.
static void adopt_read_only(RtString *dest) {
  dest->is_read_only = 0;
  dest->length = 0;
  if (string_used + STRING_SLACK > string_area_size) rtstr_compact(STRING_SLACK);
  dest->bytes = string_area + string_used;
  rtstr_list_append(&string_list, dest);
}

RtString *rtstr_assign(RtString *dest, RtString *src) {
  if (err_pending()) return dest;
  if (dest == src) return dest;
  if (dest->is_fixed) {
    assign_fixed(dest, src);
  } else {
    if (dest->is_read_only) adopt_read_only(dest);
    if (src->is_temporary && same_list(dest, src)) {
      take_over(dest, src);
      return dest;
    }
    if (src->length <= dest->length)
      copy_in_place(dest, src);
    else
      grow(dest, src);
  }
  if (src->is_temporary) rtstr_free(src);
  rtstr_write_low_record(dest);
  return dest;
}

// Apart from the common path so that the latter stays a short leaf.
[[gnu::noinline]] static RtString *concat_into_new(RtString *left, RtString *right, int64_t total) {
  if (total > INT32_MAX) {
    err_raise(14);
    return rtstr_from_bytes("", 0);
  }
  RtString *result = rtstr_new(uint32_t(total), true);
  // The operands' bytes are read after rtstr_new: it may have compacted the area.
  memcpy(result->bytes, left->bytes, size_t(left->length));
  memcpy(result->bytes + left->length, right->bytes, size_t(right->length));
  if (left->is_temporary) rtstr_free(left);
  if (right->is_temporary && right != left) rtstr_free(right);
  return result;
}

RtString *rtstr_concat(RtString *left, RtString *right) {
  if (err_pending()) return rtstr_from_bytes("", 0);
  if (right->length == 0) return left;
  if (left->length == 0) return right;
  int64_t total = int64_t(left->length) + right->length;
  // A disposable left operand that has room behind it is extended where it lies, as
  // string functions reuse disposable arguments; right never lies in that room.
  if (total <= INT32_MAX && rtstr_is_disposable(left) && claim_in_place(left, left->bytes + total, nullptr)) {
    memcpy(left->bytes + left->length, right->bytes, size_t(right->length));
    left->length = int32_t(total);
    if (right->is_temporary && right != left) rtstr_free(right);
    return left;
  }
  return concat_into_new(left, right, total);
}

int32_t rtstr_release_temps(uint32_t mark, int32_t value) {
  if (mark < 1) mark = 1;  // slot 0 is never a string
  while (temp_count > mark) {
    temp_count--;
    RtString *s = temp_list[temp_count];
    if (s != list_hole) rtstr_free(s);
  }
  return value;
}
