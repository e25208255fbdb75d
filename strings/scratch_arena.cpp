// The scratch arena: bump allocation for the translated program's non-string
// variables, released to a saved position when a procedure ends.
#include "errors/errors.h"
#include "strings/string_private.h"

#include <cstdint>
#include <cstdlib>

ScratchArena scratch_arena{};

// Blocks given up for a larger one: never freed, because values in them stay live.
struct AbandonedBlock {
  uint8_t *block;
  AbandonedBlock *next;
};
static AbandonedBlock *abandoned_blocks = nullptr;

static void new_scratch_block(size_t capacity) {
  if (scratch_arena.block_start) {
    auto *old = static_cast<AbandonedBlock *>(malloc(sizeof(AbandonedBlock)));
    if (!old) err_raise(504);
    *old = AbandonedBlock{scratch_arena.block_start, abandoned_blocks};
    abandoned_blocks = old;
  }
  uint8_t *block = static_cast<uint8_t *>(calloc(1, capacity));
  if (!block) err_raise(504);
  scratch_arena.block_start = block;
  scratch_arena.position = block;
  scratch_arena.block_end = block + capacity;
  scratch_arena.capacity = capacity;
}

void rtstr_scratch_init() { new_scratch_block(SCRATCH_FIRST_BLOCK); }

void *rt_scratch_alloc(size_t n) {
  n = (n + SCRATCH_ALIGN - 1) & ~(SCRATCH_ALIGN - 1);
  ScratchArena &a = scratch_arena;
  if (n < size_t(a.block_end - a.position)) {
    uint8_t *p = a.position;
    a.position += n;
    return p;
  }
  new_scratch_block(n + 2 * a.capacity);
  a.position += n;
  return a.block_start;
}

void rt_scratch_release(void *position) {
  ScratchArena &a = scratch_arena;
  uintptr_t p = reinterpret_cast<uintptr_t>(position);
  bool inside = p >= reinterpret_cast<uintptr_t>(a.block_start) && p <= reinterpret_cast<uintptr_t>(a.block_end);
  a.position = inside ? static_cast<uint8_t *>(position) : a.block_start;
}

void *rt_scratch_position() { return scratch_arena.position; }
