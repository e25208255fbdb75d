// Compaction of the main string area (with its geometric growth) and of the low
// string area inside the data segment.
#include "errors/errors.h"
#include "strings/string_private.h"

#include <cstdlib>
#include <cstring>

// Every live string keeps its offset; offsets are taken as integers because the old
// block is gone once realloc has moved it.
static void grow_area(size_t new_size) {
  uintptr_t old_base = reinterpret_cast<uintptr_t>(string_area);
  uint8_t *fresh = static_cast<uint8_t *>(realloc(string_area, new_size));
  if (!fresh) err_raise(512);
  for (int32_t i = 0; i < string_list.count; i++) {
    RtString *s = string_list.entries[i];
    if (s == list_hole) continue;
    s->bytes = fresh + (reinterpret_cast<uintptr_t>(s->bytes) - old_base);
  }
  string_area = fresh;
  string_area_size = new_size;
}

void rtstr_compact(size_t need) {
  if (string_list.count > 0) {
    uint8_t *cursor = string_area;
    for (int32_t i = 0; i < string_list.count; i++) {
      RtString *s = string_list.entries[i];
      if (s == list_hole) continue;
      // Gaps of up to the slack are left: moving a string for so little is not worth it.
      if (s->bytes - cursor > STRING_SLACK) {
        if (s->length != 0) memmove(cursor, s->bytes, size_t(s->length));
        s->bytes = cursor;
      }
      cursor = s->bytes + s->length;
    }
    string_used = size_t(cursor - string_area);
  }
  if (need + 2 * string_used + STRING_SLACK >= string_area_size) grow_area(need + 2 * string_area_size);
}

void rtstr_compact_low_area() {
  int32_t cursor = LOW_AREA_START;
  for (int32_t i = 0; i < low_string_list.count; i++) {
    RtString *s = low_string_list.entries[i];
    if (s == list_hole) continue;
    uint8_t *target = data_segment + cursor;
    if (s->bytes != target) {
      memmove(target, s->bytes, size_t(s->length));
      s->bytes = target;
      rtstr_write_low_record(s);
    }
    cursor += s->length;
  }
  low_used = cursor;
}

void rtstr_compact_low(int32_t need) {
  rtstr_compact_low_area();
  if (low_used + need > low_top) err_raise(513);
}
