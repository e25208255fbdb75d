// String memory: the descriptor pool, the string lists and the temp list, and the
// start-up that builds them together with null_string and space_string.
#include "errors/errors.h"
#include "strings/string_private.h"

#include <cstdlib>
#include <cstring>

RtString list_hole_marker{};
DescriptorPool descriptor_pool{};
uint8_t *string_area = nullptr;
size_t string_area_size = 0;
size_t string_used = 0;
StringList string_list{};
StringList low_string_list{};
RtString **temp_list = nullptr;
uint32_t temp_capacity = 0;
uint32_t temp_count = 1;
RtString *null_string = nullptr;
RtString *space_string = nullptr;
RtFieldUnbind field_unbind_handler = nullptr;

static void *allocate_or_die(size_t bytes, int32_t fatal_code) {
  void *p = calloc(1, bytes);
  if (!p) err_raise(fatal_code);
  return p;
}

static void *reallocate_or_die(void *old, size_t bytes, int32_t fatal_code) {
  void *p = realloc(old, bytes);
  if (!p) err_raise(fatal_code);
  return p;
}

// ---- Descriptor pool ---------------------------------------------------------------

static void new_descriptor_block() {
  // A block is never freed: other descriptors in it may still be live.
  descriptor_pool.block =
      static_cast<RtString *>(allocate_or_die(sizeof(RtString) * DESCRIPTOR_BLOCK, 508));
  descriptor_pool.block_used = 0;
}

RtString *rtstr_take_new_descriptor() {
  if (descriptor_pool.block_used == DESCRIPTOR_BLOCK) new_descriptor_block();
  return &descriptor_pool.block[descriptor_pool.block_used++];
}

void rtstr_grow_free_stack() {
  DescriptorPool &pool = descriptor_pool;
  pool.free_capacity *= 2;
  pool.free_stack = static_cast<RtString **>(
      reallocate_or_die(pool.free_stack, sizeof(RtString *) * size_t(pool.free_capacity), 508));
}

// ---- Lists ---------------------------------------------------------------------------

static int32_t list_fatal_code(const StringList *list) { return list == &low_string_list ? 509 : 510; }

void rtstr_list_pack(StringList *list) {
  int32_t live = 0;
  for (int32_t i = 0; i < list->count; i++) {
    RtString *s = list->entries[i];
    if (s == list_hole) continue;
    s->list_slot = live;
    list->entries[live++] = s;
  }
  list->count = live;
  if (live >= list->capacity / 2) {
    list->capacity *= 2;
    list->entries = static_cast<RtString **>(reallocate_or_die(
        list->entries, sizeof(RtString *) * (size_t(list->capacity) + 1), list_fatal_code(list)));
  }
}

void rtstr_grow_temp_list() {
  temp_capacity *= 2;
  temp_list = static_cast<RtString **>(
      reallocate_or_die(temp_list, sizeof(RtString *) * (size_t(temp_capacity) + 1), 511));
}

// ---- Start-up ------------------------------------------------------------------------

static void init_list(StringList *list, int32_t fatal_code) {
  list->capacity = INITIAL_LIST_CAPACITY;
  list->count = 0;
  list->entries = static_cast<RtString **>(
      allocate_or_die(sizeof(RtString *) * (size_t(list->capacity) + 1), fatal_code));
}

void rtstr_init() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  new_descriptor_block();
  descriptor_pool.free_capacity = DESCRIPTOR_BLOCK;
  descriptor_pool.free_stack =
      static_cast<RtString **>(allocate_or_die(sizeof(RtString *) * DESCRIPTOR_BLOCK, 508));
  init_list(&string_list, 510);
  init_list(&low_string_list, 509);
  temp_capacity = INITIAL_LIST_CAPACITY;
  temp_list = static_cast<RtString **>(allocate_or_die(sizeof(RtString *) * (temp_capacity + 1), 511));
  temp_count = 1;
  string_area_size = INITIAL_STRING_AREA;
  string_area = static_cast<uint8_t *>(allocate_or_die(string_area_size, 512));
  string_used = 0;
  rtstr_scratch_init();
  rtstr_conventional_init();
  null_string = rtstr_new_low(0, false);
  space_string = rtstr_new_low(1, false);
  space_string->bytes[0] = ' ';
}
