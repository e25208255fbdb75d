// String memory internals shared by the string files and inspected by tests:
// the descriptor pool, the two string areas with their lists, and the temp list.
#pragma once

#include "strings/strings.h"

#include <cstddef>
#include <cstdint>

// Every new main-area string gets this much room behind it to grow in place;
// compaction leaves gaps up to this size where they are.
constexpr int32_t STRING_SLACK = 32;
constexpr int32_t DESCRIPTOR_BLOCK = 65536;
constexpr int32_t INITIAL_LIST_CAPACITY = 65535;
constexpr size_t INITIAL_STRING_AREA = 1048576;
constexpr int32_t LOW_AREA_START = 256;   // low string bytes grow up from here
constexpr int32_t LOW_AREA_END = 65536;   // low descriptor records grow down from here

// A hole in string_list, low_string_list or temp_list. It points at a record that no
// string ever lives in, so it can never be mistaken for a descriptor.
extern RtString list_hole_marker;
inline RtString *const list_hole = &list_hole_marker;

// Pointers to the strings of one area in ascending order of their bytes, with holes.
// The array always holds capacity + 1 entries.
struct StringList {
  RtString **entries;
  int32_t count;
  int32_t capacity;
};

struct DescriptorPool {
  RtString *block;          // current block; descriptors never handed out lie at its end
  int32_t block_used;
  RtString **free_stack;
  int32_t free_top;
  int32_t free_capacity;
};

extern DescriptorPool descriptor_pool;
extern uint8_t *string_area;
extern size_t string_area_size;
extern size_t string_used;           // fill offset of string_area
extern StringList string_list;
extern StringList low_string_list;
extern RtString **temp_list;         // slot 0 unused and null; holes are list_hole
extern uint32_t temp_capacity;       // the array holds temp_capacity + 1 entries
extern uint8_t *data_segment;        // conventional_memory + DATA_SEGMENT_START
extern int32_t low_used;             // offsets within the data segment
extern int32_t low_top;

// Slow paths of the inline operations below: a new block, a larger stack or list.
RtString *rtstr_take_new_descriptor();
void rtstr_grow_free_stack();
void rtstr_list_pack(StringList *list);
void rtstr_grow_temp_list();

// Every statement takes and releases several descriptors and list slots, so the
// common paths are inline.
inline RtString *rtstr_take_descriptor() {
  DescriptorPool &pool = descriptor_pool;
  if (pool.free_top == 0) return rtstr_take_new_descriptor();
  RtString *s = pool.free_stack[--pool.free_top];
  *s = RtString{};
  return s;
}

inline void rtstr_release_descriptor(RtString *s) {
  if (descriptor_pool.free_top == descriptor_pool.free_capacity) rtstr_grow_free_stack();
  descriptor_pool.free_stack[descriptor_pool.free_top++] = s;
}

// Appends s to the list, packing (and perhaps growing) the list first when full.
inline void rtstr_list_append(StringList *list, RtString *s) {
  if (list->count > list->capacity) rtstr_list_pack(list);
  s->list_slot = list->count;
  list->entries[list->count++] = s;
}

inline void rtstr_enter_temp(RtString *s) {
  if (temp_count > temp_capacity) rtstr_grow_temp_list();
  s->temp_slot = int32_t(temp_count);
  temp_list[temp_count++] = s;
  s->is_temporary = 1;
}

// Takes a 4-byte low descriptor record from the top of the low area for s.
void rtstr_take_low_record(RtString *s, int32_t fatal_code);
void rtstr_write_low_record(const RtString *s);

// Compaction of the main area, growing it when less than about half would be free.
void rtstr_compact(size_t need);
// Compaction of the low area; fatal 513 when need bytes still do not fit.
void rtstr_compact_low(int32_t need);
void rtstr_compact_low_area();

inline bool rtstr_has_list_entry(const RtString *s) { return !s->is_fixed && !s->is_read_only; }
inline StringList *rtstr_list_of(const RtString *s) {
  return s->in_low_memory ? &low_string_list : &string_list;
}

void rtstr_scratch_init();
void rtstr_conventional_init();

// ---- Scratch arena -------------------------------------------------------------------
constexpr size_t SCRATCH_FIRST_BLOCK = 1048576;
constexpr size_t SCRATCH_ALIGN = 16;   // numeric variables of any width stay aligned

struct ScratchArena {
  uint8_t *block_start;
  uint8_t *position;
  uint8_t *block_end;
  size_t capacity;
};
extern ScratchArena scratch_arena;

// ---- Conventional-memory blocks ------------------------------------------------------
constexpr int32_t LOW_BLOCK_TOP = 655360;        // the 640 KiB mark
constexpr int32_t LOW_BLOCK_BOTTOM = DATA_SEGMENT_END;
constexpr int32_t LOW_BLOCK_RECORDS = 147136;

// Offsets in conventional_memory; next is the record index of the block below, 0 none.
struct LowBlock {
  int32_t start;
  int32_t end;
  int32_t size;
  int32_t index;
  int32_t next;
};

struct LowBlockTable {
  LowBlock *records;          // 1-based
  int32_t highest_index;      // records ever used
  int32_t *free_indexes;
  int32_t free_top;
  int32_t first;              // highest block, 0 none
};
extern LowBlockTable low_blocks;
