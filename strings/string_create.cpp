// Making and freeing strings: main-area and low strings, read-only constants,
// fixed-length wrappers, temporaries, and the 4-byte low descriptor records.
#include "errors/errors.h"
#include "strings/string_private.h"

#include <climits>
#include <cstring>

uint8_t *data_segment = nullptr;
int32_t low_used = LOW_AREA_START;
int32_t low_top = LOW_AREA_END;

// Lengths are signed 32-bit; anything longer is out of string space, not a wrap.
static uint32_t checked_length(uint32_t length) {
  if (length <= uint32_t(INT32_MAX)) return length;
  err_raise(14);
  return 0;
}

RtString *rtstr_new(uint32_t length, bool temporary) {
  length = checked_length(length);
  size_t room = size_t(length) + STRING_SLACK;
  if (string_used + room > string_area_size) rtstr_compact(room);
  RtString *s = rtstr_take_descriptor();
  s->length = int32_t(length);
  s->bytes = string_area + string_used;
  string_used += room;
  rtstr_list_append(&string_list, s);
  if (temporary) rtstr_enter_temp(s);
  return s;
}

void rtstr_write_low_record(const RtString *s) {
  if (!s->low_descriptor) return;
  uint32_t length = uint32_t(s->length);
  uint32_t offset = uint32_t(s->bytes - data_segment);
  s->low_descriptor[0] = uint8_t(length);
  s->low_descriptor[1] = uint8_t(length >> 8);
  s->low_descriptor[2] = uint8_t(offset);
  s->low_descriptor[3] = uint8_t(offset >> 8);
}

void rtstr_take_low_record(RtString *s, int32_t fatal_code) {
  if (low_top - 4 < low_used) rtstr_compact_low_area();
  low_top -= 4;
  if (low_top < low_used) err_raise(fatal_code);
  s->low_descriptor = data_segment + low_top;
  s->low_descriptor_offset = low_top;
  rtstr_write_low_record(s);
}

RtString *rtstr_new_low(uint32_t length, bool temporary) {
  length = checked_length(length);
  // A permanent string also needs its record; compacting for both at once avoids a
  // fatal stop while holes could still make room.
  int32_t need = int32_t(length > uint32_t(LOW_AREA_END) ? LOW_AREA_END : length) + (temporary ? 0 : 4);
  if (low_used + need > low_top) rtstr_compact_low(need);
  RtString *s = rtstr_take_descriptor();
  s->length = int32_t(length);
  s->bytes = data_segment + low_used;
  s->in_low_memory = 1;
  low_used += int32_t(length);
  rtstr_list_append(&low_string_list, s);
  if (temporary)
    rtstr_enter_temp(s);
  else
    rtstr_take_low_record(s, 514);
  return s;
}

RtString *rtstr_from_bytes(const void *text, int32_t length) {
  static const uint8_t empty_text[1] = {0};
  if (length < 0) {
    err_raise(5);
    length = 0;
  }
  RtString *s = rtstr_take_descriptor();
  // The constant is never written through this pointer: is_read_only guards it.
  s->bytes = const_cast<uint8_t *>(text && length > 0 ? static_cast<const uint8_t *>(text) : empty_text);
  s->length = text ? length : 0;
  s->is_read_only = 1;
  rtstr_enter_temp(s);
  return s;
}

RtString *rtstr_from_cstr(const char *text) {
  return rtstr_from_bytes(text, text ? int32_t(strnlen(text, size_t(INT32_MAX))) : 0);
}

RtString *rtstr_wrap_fixed(void *address, int32_t length, bool temporary) {
  if (length < 0) {
    err_raise(5);
    length = 0;
  }
  RtString *s = rtstr_take_descriptor();
  s->bytes = static_cast<uint8_t *>(address);
  s->length = length;
  s->is_fixed = 1;
  if (temporary) {
    rtstr_enter_temp(s);
    return s;
  }
  uint8_t *segment_end = data_segment + (DATA_SEGMENT_END - DATA_SEGMENT_START);
  if (s->bytes > data_segment && s->bytes < segment_end) rtstr_take_low_record(s, 515);
  return s;
}

RtString *rtstr_make_temporary(RtString *s) {
  if (!s || s->temp_slot != 0) return s;  // entered twice it would be freed twice
  rtstr_enter_temp(s);
  return s;
}

// ---- Freeing -----------------------------------------------------------------------

static void leave_temp_list(RtString *s) {
  if (s->temp_slot == 0 || temp_list[s->temp_slot] != s) return;
  temp_list[s->temp_slot] = list_hole;
  uint32_t count = temp_count;
  while (temp_list[count - 1] == list_hole) count--;  // slot 0 holds null and stops this
  temp_count = count;
}

// Trailing holes go, and the fill offset falls back behind the last live string.
static void shrink_main_area() {
  RtString **entries = string_list.entries;
  int32_t count = string_list.count;
  while (count > 0 && entries[count - 1] == list_hole) count--;
  string_list.count = count;
  if (count == 0) {
    string_used = 0;
    return;
  }
  const RtString *last = entries[count - 1];
  size_t end = size_t(last->bytes - string_area) + size_t(last->length) + STRING_SLACK;
  string_used = end < string_area_size ? end : string_area_size;
}

static void leave_area_list(RtString *s) {
  StringList *list = rtstr_list_of(s);
  // An entry that no longer names s (a double free) must not punch a hole in another.
  if (s->list_slot < 0 || s->list_slot >= list->count || list->entries[s->list_slot] != s) return;
  list->entries[s->list_slot] = list_hole;
  if (s->list_slot != list->count - 1) return;  // nothing behind the last live string changed
  if (s->in_low_memory)
    list->count--;
  else
    shrink_main_area();
}

void rtstr_free(RtString *s) {
  if (!s || s == list_hole) return;
  if (s->field_binding) {
    if (field_unbind_handler) field_unbind_handler(s);
    s->field_binding = nullptr;
  }
  leave_temp_list(s);
  if (rtstr_has_list_entry(s)) leave_area_list(s);
  rtstr_release_descriptor(s);
}

int32_t rtstr_low_top() { return low_top; }

void rtstr_restore_low_top(int32_t saved) {
  if (saved >= low_used && saved <= LOW_AREA_END) low_top = saved;
}
