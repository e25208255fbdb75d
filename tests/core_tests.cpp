// Runtime core: COMMAND$, the BIOS tick counter, timer traps, exit requests, key-trap defaults.
#include "core/core.h"
#include "fixture.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <string>

static std::string text_of(const RtString *s) { return std::string(reinterpret_cast<char *>(s->bytes), size_t(s->length)); }

TEST(CommandLine, JoinsArgumentsWithSingleBlanks) {
  rt_test_init();
  char prog[] = "prog", a_b[] = "a b", c[] = "c";
  char *two[] = {prog, a_b, c};
  EXPECT_EQ(text_of(rt_build_command_line(3, two)), "a b c");
  char *none[] = {prog};
  EXPECT_EQ(rt_build_command_line(1, none)->length, 0);
  EXPECT_EQ(rt_build_command_line(0, none)->length, 0);
}

TEST(BiosTicks, CountsEighteenPointTwoPerSecondSinceMidnight) {
  rt_test_init();
  start_clock_ms = int32_t(rt_clock_ms());
  start_ms_of_day = 3600 * 1000;  // one o'clock: 65,520 ticks
  rt_update_bios_ticks();
  const uint8_t *p = conventional_memory + BIOS_TICK_COUNT;
  uint32_t ticks = p[0] | p[1] << 8 | p[2] << 16;
  EXPECT_GE(ticks, 65520u);
  EXPECT_LE(ticks, 65521u);
  start_ms_of_day = 86400 * 1000 - 1;  // wraps at midnight
  start_clock_ms = int32_t(rt_clock_ms()) - 2;
  rt_update_bios_ticks();
  EXPECT_EQ(p[0] | p[1] << 8 | p[2] << 16, 0);
}

TEST(TimerTraps, FirstCycleStartsTheClockThenFiresEachInterval) {
  rt_test_init();
  TimerTrapSlot &slot = timer_trap_slots[0];
  slot.has_handler = 1;
  slot.state = 1;
  slot.interval = 1.0;
  rt_timer_poll(10.0);
  EXPECT_EQ(slot.last_fired, 10.0);
  EXPECT_EQ(slot.pending, 0);
  rt_timer_poll(10.5);
  EXPECT_EQ(slot.pending, 0);
  event_pending = 0;
  rt_timer_poll(11.25);
  EXPECT_EQ(slot.pending, 1);
  EXPECT_EQ(slot.last_fired, 11.0);
  EXPECT_EQ(event_pending, 1);
  slot.pending = 0;
  rt_timer_poll(20.0);  // fell behind by whole intervals: restart from now
  EXPECT_EQ(slot.last_fired, 20.0);
}

TEST(TimerTraps, SlotsSurviveGrowth) {
  rt_test_init();
  timer_trap_slots[0].interval = 2.5;
  rt_timer_slots_reserve(40);
  EXPECT_EQ(timer_trap_count, 40);
  EXPECT_EQ(timer_trap_slots[0].in_use, 1);
  EXPECT_EQ(timer_trap_slots[0].interval, 2.5);
  EXPECT_EQ(timer_trap_slots[39].in_use, 0);
}

TEST(ExitRequests, TakeOverReturnsAndClearsTheBits) {
  rt_test_init();
  window_close_requested = 1;
  EXPECT_EQ(rt_exit_requests(), 1);
  EXPECT_EQ(exit_trapping, 1);
  EXPECT_EQ(rt_exit_requests(), 0);
}

TEST(KeyTraps, DefaultKeyCodes) {
  rt_test_init();
  struct { int slot; int32_t code, alt; } rows[] = {
      {1, 0x3B00, 0}, {10, 0x4400, 0}, {11, 0x4800, 100264}, {12, 0x4B00, 100260},
      {13, 0x4D00, 100262}, {14, 0x5000, 100258}, {30, 0x8500, 0}, {31, 0x8600, 0}, {15, 0, 0}, {0, 0, 0}};
  for (auto r : rows) {
    EXPECT_EQ(key_trap_slots[r.slot].key_code, r.code) << r.slot;
    EXPECT_EQ(key_trap_slots[r.slot].alt_key_code, r.alt) << r.slot;
  }
}

// Shape 1: a statement runs again while the epilogue asks for it.
TEST(Statements, RetryRunsTheStatementAgainAndLabelsNever) {
  rt_test_init();
  int runs = 0;
  event_pending = 0;
  RT_STMT(1, runs++);
  EXPECT_EQ(runs, 1);
  event_pending = 1;  // nothing pending behind it: the epilogue clears and goes on
  RT_STMT(2, runs++);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(event_pending, 0);
  event_pending = 1;
  RT_LABEL(3);
  EXPECT_EQ(retry_statement, 0);
}
