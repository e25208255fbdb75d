// Key reading: INKEY$ texts from the BIOS buffer, the key-event reader, SLEEP with and
// without a time, and SLEEP under Pause.
#include "core/core.h"
#include "errors/errors.h"
#include "fixture.h"
#include "input/input.h"
#include "platform/clock.h"
#include "platform/keylocks.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

static void fresh_keyboard() {
  rt_test_init();
  kbd_startup_from(PlatKeyState{});
}

static std::string inkey() {
  RtString *s = kbd_inkey();
  return std::string(reinterpret_cast<char *>(s->bytes), size_t(s->length));
}

TEST(Inkey, TextsOfTheBufferEntries) {
  struct Case {
    const char *name;
    int32_t held;  // modifier held around the key, 0 none
    int32_t code;
    std::string text;
  };
  const Case cases[] = {
      {"a", 0, 'a', "a"},
      {"F1", 0, 0x3B00, std::string("\0;", 2)},
      {"Ctrl+2", KEY_LEFT_CTRL, '2', std::string("\0\3", 2)},
      {"key code 0", 0, 0, std::string("\0", 1)},
      {"Alt+Space", KEY_LEFT_ALT, ' ', ""},
      {"Shift+Tab", KEY_RIGHT_SHIFT, 9, std::string("\0\x0f", 2)},
  };
  for (const Case &c : cases) {
    fresh_keyboard();
    EXPECT_EQ(inkey(), "") << c.name;
    if (c.held) kbd_key_down(c.held);
    kbd_key_down(c.code);
    EXPECT_EQ(inkey(), c.text) << c.name;
    EXPECT_EQ(inkey(), "") << c.name;
  }
}

TEST(Inkey, FifteenKeysInOrderAndTheHeadWraps) {
  fresh_keyboard();
  for (int round = 0; round < 3; round++) {  // 3 * 16 keys: the head wraps past 60
    for (int i = 0; i < 16; i++) kbd_key_down('a' + i);
    std::string got;
    for (std::string k; !(k = inkey()).empty();) got += k;
    EXPECT_EQ(got, "abcdefghijklmno") << round;
  }
}

TEST(Inkey, PendingErrorReturnsEmptyAndConsumesNothing) {
  fresh_keyboard();
  kbd_key_down('q');
  err_raise(5);
  EXPECT_EQ(inkey(), "");
  pending_error = 0;
  EXPECT_EQ(inkey(), "q");
}

TEST(Inkey, IndexesPokedOutsideTheBufferStartOverEmpty) {
  fresh_keyboard();
  conventional_memory[BIOS_KBD_HEAD] = 7;
  EXPECT_EQ(inkey(), "");
  EXPECT_EQ(conventional_memory[BIOS_KBD_HEAD], 30);
  EXPECT_EQ(conventional_memory[BIOS_KBD_TAIL], 30);
  kbd_key_down('z');
  EXPECT_EQ(inkey(), "z");
}

TEST(KeyEvents, ReaderReturnsEventsInOrderThenZero) {
  fresh_keyboard();
  EXPECT_EQ(kbd_next_key_event(), 0);
  kbd_key_down(KEY_LEFT_SHIFT);
  kbd_key_down('A');
  kbd_key_up('A');
  kbd_key_up(KEY_LEFT_SHIFT);
  for (int32_t want : {100304, 65, -65, -100304, 0}) EXPECT_EQ(kbd_next_key_event(), want);
  EXPECT_EQ(inkey(), "A");  // the BIOS buffer is read on its own
}

TEST(Sleep, WithATimeReturnsAfterIt) {
  fresh_keyboard();
  int64_t start = rt_clock_ms();
  kbd_sleep(1, true);
  EXPECT_GE(rt_clock_ms() - start, 999);
}

TEST(Sleep, PendingErrorReturnsAtOnceAndKeepsTheError) {
  fresh_keyboard();
  err_raise(5);
  kbd_sleep(3600, true);
  EXPECT_EQ(pending_error, 5u);
}

// An hour-long SLEEP that returns at all was ended by the key.
TEST(Sleep, KeyDownEndsItAndTheKeyStaysInTheBuffer) {
  fresh_keyboard();
  std::thread display([] {
    plat_sleep_ms(30);
    kbd_key_down('k');
  });
  kbd_sleep(3600, true);
  display.join();
  EXPECT_EQ(inkey(), "k");
}

TEST(Sleep, WithoutATimeEndsOnALoneShift) {
  fresh_keyboard();
  std::thread display([] {
    plat_sleep_ms(30);
    kbd_key_down(KEY_LEFT_SHIFT);
  });
  kbd_sleep(0, false);
  display.join();
  EXPECT_EQ(inkey(), "");
}

TEST(Sleep, PauseHoldsTheProgramUntilTheResumingKey) {
  fresh_keyboard();
  std::atomic<bool> resume_sent{false};
  std::thread display([&] {
    plat_sleep_ms(20);
    kbd_key_down(KEY_PAUSE);
    plat_sleep_ms(100);
    resume_sent = true;
    kbd_key_down('r');
  });
  kbd_sleep(0, false);
  rt_after_statement(1);  // the statement boundary after SLEEP holds a pause still pending
  display.join();
  EXPECT_TRUE(resume_sent);
  EXPECT_EQ(program_paused & 1, 0);
  EXPECT_EQ(inkey(), "");  // the resuming key is used up
}

TEST(Sleep, KeysBeforeTheSleepAreForgotten) {
  fresh_keyboard();
  kbd_key_down('x');
  std::thread display([] {
    plat_sleep_ms(30);
    kbd_key_down('y');
  });
  kbd_sleep(0, false);  // returns only for y
  display.join();
  EXPECT_EQ(inkey(), "x");
  EXPECT_EQ(inkey(), "y");
}
