// Conventional memory: DEF SEG, PEEK and POKE with their range errors, and the
// top-down blocks below the 640 KiB mark.
#include "core/core.h"
#include "errors/errors.h"
#include "fixture.h"
#include "strings/string_private.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

class ConventionalMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    rt_test_init();
    pending_error.store(0);
  }
};

int32_t address_of(const uint8_t *p) { return int32_t(p - conventional_memory); }

}  // namespace

TEST_F(ConventionalMemory, PeekAndPokeRangeAtTheDataSegment) {
  struct Case {
    int32_t offset;
    int32_t address;  // -1: rejected with error 6
  } cases[] = {
      {0, DATA_SEGMENT_START},           {65535, DATA_SEGMENT_START + 65535},
      {-1, DATA_SEGMENT_START + 65535},  {-65536, DATA_SEGMENT_START},
      {65536, -1},                       {-65537, -1},
      {INT32_MAX, -1},                   {INT32_MIN, -1},
  };
  for (const Case &c : cases) {
    pending_error.store(0);
    if (c.address >= 0) conventional_memory[c.address] = 0;
    rt_poke(c.offset, 0x1A5);  // the low 8 bits are stored
    if (c.address < 0) {
      EXPECT_EQ(pending_error.load(), 6u) << c.offset;
      pending_error.store(0);
      EXPECT_EQ(rt_peek(c.offset), 0) << c.offset;
      EXPECT_EQ(pending_error.load(), 6u) << c.offset;
    } else {
      EXPECT_EQ(pending_error.load(), 0u) << c.offset;
      EXPECT_EQ(conventional_memory[c.address], 0xA5) << c.offset;
      EXPECT_EQ(rt_peek(c.offset), 0xA5) << c.offset;
    }
  }
}

TEST_F(ConventionalMemory, DefSegSelectsTheBase) {
  struct Case {
    int32_t segment;
    int32_t base;
  } cases[] = {{0, 0}, {0xB800, 0xB8000}, {-1, 65535 * 16}, {-65536, 0}, {65535, 65535 * 16}};
  for (const Case &c : cases) {
    rt_def_seg(c.segment, true);
    EXPECT_EQ(address_of(current_segment), c.base) << c.segment;
  }
  // The highest address of the emulation, segment 65535 offset 65535, is inside the block.
  rt_poke(65535, 7);
  EXPECT_EQ(conventional_memory[65535 * 16 + 65535], 7);
  rt_def_seg(0, false);
  EXPECT_EQ(current_segment, data_segment);
}

TEST_F(ConventionalMemory, DefSegOutOfRangeKeepsTheSegment) {
  rt_def_seg(0x40, true);
  for (int32_t bad : {65536, -65537}) {
    pending_error.store(0);
    rt_def_seg(bad, true);
    EXPECT_EQ(pending_error.load(), 6u);
    EXPECT_EQ(address_of(current_segment), 0x400);
  }
}

TEST_F(ConventionalMemory, PendingErrorStopsDefSegAndPoke) {
  rt_def_seg(0, true);
  pending_error.store(5);
  rt_def_seg(0xB800, true);
  rt_poke(0x500, 99);
  EXPECT_EQ(address_of(current_segment), 0);
  EXPECT_EQ(conventional_memory[0x500], 0);
  pending_error.store(0);
}

TEST_F(ConventionalMemory, PeekSeesTheBiosArea) {
  conventional_memory[BIOS_TICK_COUNT] = 0x34;
  rt_def_seg(0, true);
  EXPECT_EQ(rt_peek(BIOS_TICK_COUNT), 0x34);
}

TEST_F(ConventionalMemory, BlocksAreTakenTopDownFirstFit) {
  uint8_t *a = rt_low_block_alloc(100);   // rounded up to 112
  uint8_t *b = rt_low_block_alloc(16);
  uint8_t *c = rt_low_block_alloc(1);
  EXPECT_EQ(address_of(a), LOW_BLOCK_TOP - 112);
  EXPECT_EQ(address_of(b), LOW_BLOCK_TOP - 128);
  EXPECT_EQ(address_of(c), LOW_BLOCK_TOP - 144);
  rt_low_block_free(a);
  uint8_t *small = rt_low_block_alloc(48);  // fits the freed gap at the top
  EXPECT_EQ(address_of(small), LOW_BLOCK_TOP - 48);
  uint8_t *large = rt_low_block_alloc(80);  // the rest of the gap is only 64 bytes
  EXPECT_EQ(address_of(large), LOW_BLOCK_TOP - 144 - 80);
  uint8_t *filler = rt_low_block_alloc(64);
  EXPECT_EQ(address_of(filler), LOW_BLOCK_TOP - 112);
  rt_low_block_free(b);
  EXPECT_EQ(address_of(rt_low_block_alloc(16)), LOW_BLOCK_TOP - 128);
}

TEST_F(ConventionalMemory, EmptyAndForeignBlocksAreHarmless) {
  uint8_t *none = rt_low_block_alloc(0);
  EXPECT_EQ(address_of(none), LOW_BLOCK_TOP);
  rt_low_block_free(none);
  rt_low_block_free(nullptr);
  uint8_t *a = rt_low_block_alloc(32);
  rt_low_block_free(a + 16);  // not the start of a block
  rt_low_block_free(a);
  rt_low_block_free(a);       // already free
  EXPECT_EQ(rt_low_block_alloc(32), a);
  EXPECT_EQ(low_blocks.highest_index, 1);  // the record was reused
  EXPECT_EQ(low_blocks.records[low_blocks.first].next, 0);
}

TEST_F(ConventionalMemory, MemoryBetweenDataSegmentAndTopIsUsable) {
  // 65,536-byte blocks: eight fit above byte 66,816, the ninth does not.
  for (int i = 0; i < 8; i++) ASSERT_GE(address_of(rt_low_block_alloc(65536)), LOW_BLOCK_BOTTOM);
  EXPECT_EXIT(rt_low_block_alloc(65536), ::testing::ExitedWithCode(0), "Critical Error #6");
}

TEST_F(ConventionalMemory, OversizedBlockIsFatal) {
  EXPECT_EXIT(rt_low_block_alloc(65537), ::testing::ExitedWithCode(0), "Critical Error #5");
}
