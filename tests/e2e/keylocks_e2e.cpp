// The keyboard's lock and modifier state read from a real X server, changed with xdotool.
#include "e2e/harness.h"

#include <gtest/gtest.h>

namespace {

std::string probe() {
  E2eProcess p = e2e_spawn(e2e_program_path("keylocks_probe"));
  if (!e2e_wait_exit(&p, 10000)) {
    e2e_kill(&p);
    return "timeout";
  }
  return p.exit_code == 0 ? e2e_read_file(p.stdout_path) : "exit " + std::to_string(p.exit_code);
}

bool has(const std::string &line, const std::string &field) { return line.find(field) != std::string::npos; }

TEST(KeyLocks, CapsLockFollowsTheServersIndicator) {
  ASSERT_TRUE(e2e_have_display()) << "run under tools/with-xvfb.sh";
  std::string before = probe();
  ASSERT_TRUE(has(before, "caps=")) << before;
  bool was_on = has(before, "caps=1");
  ASSERT_TRUE(e2e_key_focused("Caps_Lock"));
  std::string after = probe();
  EXPECT_TRUE(has(after, was_on ? "caps=0" : "caps=1")) << before << after;
  ASSERT_TRUE(e2e_key_focused("Caps_Lock"));  // leave the server as we found it
  EXPECT_TRUE(has(probe(), was_on ? "caps=1" : "caps=0"));
}

// XTEST releases a client's keys when it disconnects, so one xdotool holds them while
// the probe reads. (xdotool presses the left key too for Shift_R and Alt_R, and nothing
// for Control_R, so the right-hand keys are checked only for staying up.)
TEST(KeyLocks, HeldModifiersAreSeenPerSide) {
  ASSERT_TRUE(e2e_have_display());
  ASSERT_EQ(system("xdotool keydown Shift_L keydown Control_L sleep 2 keyup Control_L keyup Shift_L &"), 0);
  e2e_sleep_ms(700);
  std::string held = probe();
  e2e_sleep_ms(2000);
  EXPECT_TRUE(has(held, "lshift=1 rshift=0 lctrl=1 rctrl=0 lalt=0 ralt=0")) << held;
  EXPECT_TRUE(has(probe(), "lshift=0 rshift=0 lctrl=0 rctrl=0"));
}

}  // namespace
