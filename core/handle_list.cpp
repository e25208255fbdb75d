// Handle lists: pools of fixed-size records named by handles 1, 2, ...; records never move.
#include "core/core.h"
#include "errors/errors.h"

#include <cstdlib>
#include <cstring>

// Out of memory in the runtime's own tables is fatal.
static void *grow(void *p, size_t bytes) {
  void *q = realloc(p, bytes);
  if (!q) err_raise(257);
  return q;
}

// The tag follows the record at the next 4-byte boundary, and slots are a multiple
// of the pointer size: records hold pointers on a 64-bit build and must stay aligned.
static int32_t tag_offset(int32_t element_size) { return (element_size + 3) & ~3; }

static int32_t slot_size_for(int32_t element_size) {
  constexpr int32_t align = int32_t(alignof(void *));
  return (tag_offset(element_size) + 4 + align - 1) & ~(align - 1);
}

static int32_t &tag_of(const HandleList *list, uint8_t *record) {
  return *reinterpret_cast<int32_t *>(record + tag_offset(list->element_size));
}

HandleList *rt_hlist_new(int32_t element_size) {
  HandleList *list = static_cast<HandleList *>(calloc(1, sizeof(HandleList)));
  if (!list) err_raise(257);
  list->element_size = element_size;
  list->slot_size = slot_size_for(element_size);
  list->free_stack = static_cast<int32_t *>(grow(nullptr, sizeof(int32_t)));
  list->slots = static_cast<uint8_t **>(grow(nullptr, sizeof(uint8_t *)));
  return list;
}

int32_t rt_hlist_alloc(HandleList *list) {
  if (list->free_top > 0) {  // last released, first reused
    int32_t h = list->free_stack[list->free_top--];
    uint8_t *record = list->slots[h];
    memset(record, 0, size_t(list->element_size));
    tag_of(list, record) = h;
    return h;
  }
  if (list->block_used + 1 > list->block_capacity) {
    int32_t capacity = list->block_capacity * 2 + 1;  // blocks of 1, 3, 7, 15, ...
    if (list->block_count + 1 >= int32_t(sizeof list->blocks / sizeof list->blocks[0])) err_raise(257);
    uint8_t *block = static_cast<uint8_t *>(calloc(size_t(capacity) + 1, size_t(list->slot_size)));
    if (!block) err_raise(257);
    list->current_block = block;
    list->block_capacity = capacity;
    list->block_used = 0;
    list->blocks[++list->block_count] = block;
  }
  int32_t h = list->highest_handle + 1;
  list->block_used++;  // slot 0 of each block is never handed out
  uint8_t *record = list->current_block + size_t(list->block_used) * size_t(list->slot_size);
  tag_of(list, record) = h;
  if (h > list->slots_capacity) {
    list->slots_capacity = list->slots_capacity * 2 + 1;
    list->slots = static_cast<uint8_t **>(grow(list->slots, (size_t(list->slots_capacity) + 1) * sizeof(uint8_t *)));
  }
  list->slots[h] = record;
  list->highest_handle = h;
  return h;
}

static bool is_allocated(const HandleList *list, int32_t h) {
  return h >= 1 && h <= list->highest_handle && tag_of(list, list->slots[h]) != 0;
}

int32_t rt_hlist_free(HandleList *list, int32_t h) {
  if (!is_allocated(list, h)) return 0;
  tag_of(list, list->slots[h]) = 0;
  if (list->free_top + 1 > list->free_capacity) {
    list->free_capacity = list->free_capacity * 2 + 1;
    list->free_stack =
        static_cast<int32_t *>(grow(list->free_stack, (size_t(list->free_capacity) + 1) * sizeof(int32_t)));
  }
  list->free_stack[++list->free_top] = h;
  return -1;
}

void *rt_hlist_get(HandleList *list, int32_t h) {
  return is_allocated(list, h) ? list->slots[h] : nullptr;
}

int32_t rt_hlist_handle_of(HandleList *list, const void *record) {
  if (!record) return 0;
  return tag_of(list, static_cast<uint8_t *>(const_cast<void *>(record)));
}
