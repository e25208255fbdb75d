// Strings and numbers: string descriptors and string memory, temporaries, conventional
// memory with PEEK/POKE, string functions, number text, PRINT USING, numeric built-ins.
#pragma once

#include <cstddef>
#include <cstdint>

// ==== String values and temporary strings ==========================================

struct FieldBinding;

// The descriptor of every BASIC string. Texts are counted and may hold any byte.
struct RtString {
  uint8_t *bytes;
  int32_t length;
  uint8_t in_low_memory;         // bytes live in the low string area
  uint8_t *low_descriptor;       // 4-byte record in the data segment (length, offset), or null
  int32_t low_descriptor_offset;
  int32_t list_slot;             // entry in string_list or low_string_list
  uint8_t is_temporary;
  int32_t temp_slot;             // entry in temp_list; 0 none
  uint8_t is_fixed;              // fixed length over storage it does not own
  uint8_t is_read_only;          // bytes of a constant text
  FieldBinding *field_binding;   // FIELD binding, null for other strings
};

// Temporary, and none of fixed, read-only, low: its consumer may change it in place.
inline bool rtstr_is_disposable(const RtString *s) {
  return s->is_temporary && !s->is_fixed && !s->is_read_only && !s->in_low_memory;
}

extern uint32_t temp_count;      // used slots of temp_list; a statement's mark
extern RtString *null_string;    // permanent empty low string
extern RtString *space_string;   // permanent one-byte low string " "

RtString *rtstr_new(uint32_t length, bool temporary);
RtString *rtstr_new_low(uint32_t length, bool temporary);
RtString *rtstr_from_cstr(const char *text);
RtString *rtstr_from_bytes(const void *text, int32_t length);
RtString *rtstr_wrap_fixed(void *address, int32_t length, bool temporary);
RtString *rtstr_make_temporary(RtString *s);
RtString *rtstr_assign(RtString *dest, RtString *src);
RtString *rtstr_concat(RtString *left, RtString *right);
void rtstr_free(RtString *s);
int32_t rtstr_release_temps(uint32_t mark, int32_t value);

// Builds the string memory and conventional memory (start-up; idempotent).
void rtstr_init();

void *rt_scratch_alloc(size_t n);
void rt_scratch_release(void *position);
void *rt_scratch_position();

// ==== Conventional memory ==========================================================

constexpr int32_t CONVENTIONAL_MEMORY_SIZE = 1114099;
constexpr int32_t DATA_SEGMENT = 80;                 // segment of the data segment
constexpr int32_t DATA_SEGMENT_START = DATA_SEGMENT * 16;
constexpr int32_t DATA_SEGMENT_END = DATA_SEGMENT_START + 65536;  // first byte after it

extern uint8_t *conventional_memory;
extern uint8_t *current_segment;     // base address of PEEK and POKE

void rt_def_seg(int32_t segment, bool given);
int32_t rt_peek(int32_t offset);
void rt_poke(int32_t offset, int32_t value);
uint8_t *rt_low_block_alloc(int32_t n);
void rt_low_block_free(uint8_t *p);
