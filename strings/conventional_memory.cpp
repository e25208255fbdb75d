// Conventional memory: the emulated segmented address space, DEF SEG, PEEK, POKE,
// and the blocks that arrays kept in conventional memory live in.
#include "errors/errors.h"
#include "strings/string_private.h"

#include <cstdlib>

uint8_t *conventional_memory = nullptr;
uint8_t *current_segment = nullptr;
LowBlockTable low_blocks{};

void rtstr_conventional_init() {
  conventional_memory = static_cast<uint8_t *>(calloc(1, CONVENTIONAL_MEMORY_SIZE));
  if (!conventional_memory) err_raise(257);
  data_segment = conventional_memory + DATA_SEGMENT_START;
  current_segment = data_segment;
  low_used = LOW_AREA_START;
  low_top = LOW_AREA_END;
  low_blocks.records = static_cast<LowBlock *>(calloc(size_t(LOW_BLOCK_RECORDS) + 1, sizeof(LowBlock)));
  low_blocks.free_indexes = static_cast<int32_t *>(calloc(size_t(LOW_BLOCK_RECORDS) + 1, sizeof(int32_t)));
  if (!low_blocks.records || !low_blocks.free_indexes) err_raise(257);
}

static bool in_word_range(int32_t value) { return value >= -65536 && value <= 65535; }

void rt_def_seg(int32_t segment, bool given) {
  if (err_pending()) return;
  if (!given) {
    current_segment = data_segment;
    return;
  }
  if (!in_word_range(segment)) {
    err_raise(6);
    return;
  }
  current_segment = conventional_memory + size_t(segment & 0xFFFF) * 16;
}

int32_t rt_peek(int32_t offset) {
  if (err_pending()) return 0;
  if (!in_word_range(offset)) {
    err_raise(6);
    return 0;
  }
  return current_segment[offset & 0xFFFF];
}

void rt_poke(int32_t offset, int32_t value) {
  if (err_pending()) return;
  if (!in_word_range(offset)) {
    err_raise(6);
    return;
  }
  current_segment[offset & 0xFFFF] = uint8_t(value);
}

// ---- Blocks below the 640 KiB mark -------------------------------------------------

static int32_t take_record_index() {
  if (low_blocks.free_top > 0) return low_blocks.free_indexes[low_blocks.free_top--];
  if (low_blocks.highest_index >= LOW_BLOCK_RECORDS) err_raise(507);
  return ++low_blocks.highest_index;
}

// First fit from the top: the gap above each block, then below the lowest one.
// Returns the record index of the block the new one goes below (0: at the top).
static int32_t find_place(int32_t size, int32_t *start) {
  int32_t upper = LOW_BLOCK_TOP;
  int32_t above = 0;
  for (int32_t i = low_blocks.first; i != 0; i = low_blocks.records[i].next) {
    const LowBlock &b = low_blocks.records[i];
    if (upper - b.end >= size) break;
    upper = b.start;
    above = i;
  }
  *start = upper - size;
  return above;
}

uint8_t *rt_low_block_alloc(int32_t n) {
  if (n > 65536) err_raise(505);
  if (n < 0) {
    err_raise(5);
    n = 0;
  }
  if (n == 0) return conventional_memory + LOW_BLOCK_TOP;
  int32_t size = (n + 15) & ~15;
  int32_t start;
  int32_t above = find_place(size, &start);
  if (start < LOW_BLOCK_BOTTOM) err_raise(506);
  int32_t index = take_record_index();
  LowBlock &b = low_blocks.records[index];
  b = LowBlock{start, start + size, size, index, 0};
  int32_t &link = above ? low_blocks.records[above].next : low_blocks.first;
  b.next = link;
  link = index;
  return conventional_memory + start;
}

void rt_low_block_free(uint8_t *p) {
  if (!p || p == conventional_memory + LOW_BLOCK_TOP) return;
  int32_t start = int32_t(p - conventional_memory);
  int32_t *link = &low_blocks.first;
  while (*link != 0 && low_blocks.records[*link].start != start) link = &low_blocks.records[*link].next;
  if (*link == 0) return;  // not a block of ours: nothing to free
  int32_t index = *link;
  *link = low_blocks.records[index].next;
  low_blocks.records[index] = LowBlock{};
  low_blocks.free_indexes[++low_blocks.free_top] = index;
}
