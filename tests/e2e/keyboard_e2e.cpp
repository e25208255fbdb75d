// The keyboard as a user meets it: keys sent with xdotool to a real window reach INKEY$
// as the key table says; Caps Lock taken over at start; Pause, Ctrl+Break, END's prompt;
// and the latency from a key sent to the program seeing it and to its echo on screen.
#include "e2e/harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int START_MS = 15000;  // start-up waits up to a second for the wall clock
constexpr int KEY_MS = 5000;

long long monotonic_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<std::string> lines_of(const E2eProcess &p, const std::string &prefix) {
  std::vector<std::string> out;
  std::istringstream in(e2e_read_file(p.stdout_path));
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  return out;
}

struct Program {
  E2eProcess process;
  E2eWindow window = 0;
};

// Starts prog_key_echo in a mode and waits for its window and its first statement.
Program start(const std::string &mode) {
  Program p;
  p.process = e2e_spawn(e2e_program_path("key_echo"), {mode}, "key_echo_" + mode);
  p.window = e2e_find_window("Untitled", START_MS);
  e2e_wait_until([&] { return !lines_of(p.process, "flags").empty(); }, START_MS);
  return p;
}

// Pause, Break and Shift+Tab come through a second X connection that opens on the
// display timer's first rounds; Shift+Tab shows when it is listening.
bool wait_for_key_watcher(Program &p, const std::string &prefix, const std::string &seen) {
  for (int attempt = 0; attempt < 25; attempt++) {
    e2e_key(p.window, "shift+Tab");
    if (e2e_wait_until([&] {
          for (const std::string &line : lines_of(p.process, prefix))
            if (line.find(seen) != std::string::npos) return true;
          return false;
        }, 200))
      return true;
  }
  return false;
}

// The INKEY$ bytes the next key line reports ("61", "00 3b"), "" on time-out.
std::string key_after(Program &p, const std::string &keys) {
  size_t before = lines_of(p.process, "key").size();
  if (!e2e_key(p.window, keys)) return "xdotool failed";
  std::string got;
  e2e_wait_until([&] {
    std::vector<std::string> lines = lines_of(p.process, "key");
    if (lines.size() <= before) return false;
    const std::string &line = lines[before];
    got = line.substr(4, line.find(" t=") - 4);
    return true;
  }, KEY_MS);
  return got;
}

int last_tick(const Program &p) {
  std::vector<std::string> ticks = lines_of(p.process, "tick");
  return ticks.empty() ? -1 : std::stoi(ticks.back().substr(5));
}

TEST(Keyboard, KeysReachInkeyAsTheKeyTableSays) {
  ASSERT_TRUE(e2e_have_display()) << "run under tools/with-xvfb.sh";
  Program p = start("echo");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(wait_for_key_watcher(p, "key", "key 00 0f"));
  struct Case {
    const char *keys, *bytes;
  };
  const Case cases[] = {
      {"a", "61"},           {"shift+a", "41"},           {"ctrl+c", "03"},       {"ctrl+Return", "0a"},
      {"shift+Tab", "00 0f"}, {"F1", "00 3b"},            {"alt+x", "00 2d"},     {"Up", "00 48"},
      {"shift+F11", "00 87"}, {"Delete", "00 53"},        {"ctrl+BackSpace", "00 93"}, {"ctrl+j", "0a"},
      {"ctrl+m", "0d"},       {"ctrl+Tab", "00 94"},      {"ctrl+2", "00 03"},    {"Escape", "1b"},
      {"KP_Enter", "0d"},     {"ctrl+shift+c", "03"},     {"End", "00 4f"},       {"F12", "00 86"},
  };
  for (const Case &c : cases) {
    std::string got = key_after(p, c.keys);
    // xdotool now and then delivers a modifier after its key; a mapping fault repeats.
    if (got != c.bytes) got = key_after(p, c.keys);
    EXPECT_EQ(got, c.bytes) << c.keys;
  }
  EXPECT_EQ(key_after(p, "q"), "71");
  EXPECT_TRUE(e2e_key(p.window, "Down"));  // END's prompt
  ASSERT_TRUE(e2e_wait_exit(&p.process, KEY_MS));
  EXPECT_EQ(p.process.exit_code, 0);
}

TEST(Keyboard, AltEnterAndShiftAloneGiveNoKey) {
  ASSERT_TRUE(e2e_have_display());
  Program p = start("echo");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_key(p.window, "alt+Return"));
  ASSERT_TRUE(e2e_key(p.window, "shift"));
  EXPECT_EQ(key_after(p, "b"), "62");  // the first key reported is the letter
  e2e_kill(&p.process);
}

TEST(Keyboard, CapsLockOnAtStartIsInTheStatusByteBeforeTheFirstStatement) {
  ASSERT_TRUE(e2e_have_display());
  ASSERT_TRUE(e2e_key_focused("Caps_Lock"));
  Program p = start("echo");
  std::vector<std::string> flags = lines_of(p.process, "flags");
  e2e_kill(&p.process);
  e2e_key_focused("Caps_Lock");  // leave the server as we found it
  ASSERT_FALSE(flags.empty());
  int f417 = std::stoi(flags[0].substr(6, 2), nullptr, 16);
  EXPECT_EQ(f417 & 0x40, 0x40) << flags[0];
}

TEST(Keyboard, PauseFreezesAtAStatementBoundaryUntilTheNextKey) {
  ASSERT_TRUE(e2e_have_display());
  Program p = start("ticks");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(wait_for_key_watcher(p, "event", "event 9"));
  ASSERT_TRUE(e2e_wait_until([&] { return last_tick(p) >= 5; }, KEY_MS));
  ASSERT_TRUE(e2e_key(p.window, "Pause"));
  e2e_sleep_ms(300);
  int frozen = last_tick(p);
  e2e_sleep_ms(500);
  EXPECT_EQ(last_tick(p), frozen) << "still running while paused";
  ASSERT_TRUE(e2e_key(p.window, "a"));
  EXPECT_TRUE(e2e_wait_until([&] { return last_tick(p) > frozen + 3; }, KEY_MS)) << "did not resume";
  EXPECT_TRUE(e2e_running(&p.process));
  e2e_kill(&p.process);
}

TEST(Keyboard, CtrlBreakEndsWithoutThePrompt) {
  ASSERT_TRUE(e2e_have_display());
  Program p = start("ticks");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(wait_for_key_watcher(p, "event", "event 9"));
  ASSERT_TRUE(e2e_key(p.window, "ctrl+Pause"));
  ASSERT_TRUE(e2e_wait_exit(&p.process, KEY_MS)) << "still running: waiting at a prompt?";
  EXPECT_EQ(p.process.exit_code, 0);
}

TEST(Keyboard, EndPromptIgnoresShiftAndEndsOnAnArrow) {
  ASSERT_TRUE(e2e_have_display());
  Program p = start("end");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_key(p.window, "shift"));
  EXPECT_FALSE(e2e_wait_exit(&p.process, 700)) << "Shift alone ended the prompt";
  ASSERT_TRUE(e2e_key(p.window, "Left"));
  ASSERT_TRUE(e2e_wait_exit(&p.process, KEY_MS));
  EXPECT_EQ(p.process.exit_code, 0);
}

TEST(Keyboard, KeyEventReaderSeesPressesAndReleases) {
  ASSERT_TRUE(e2e_have_display());
  Program p = start("events");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_key(p.window, "shift+a"));
  std::vector<std::string> events;
  e2e_wait_until([&] { return (events = lines_of(p.process, "event")).size() >= 4; }, KEY_MS);
  e2e_kill(&p.process);
  std::vector<std::string> values;
  for (const std::string &e : events) values.push_back(e.substr(6, e.find(" t=") - 6));
  // xdotool lets go of Shift before the letter; the letter's release is still -65
  std::sort(values.begin() + 2, values.end());
  EXPECT_EQ(values, (std::vector<std::string>{"100304", "65", "-100304", "-65"}));
}

double percentile(std::vector<long long> v, double q) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : double(v[size_t(q * double(v.size() - 1))]);
}

// Figures only: printed for the report, never asserted.
TEST(Keyboard, LatencyFromXdotoolToProgramAndToScreen) {
  ASSERT_TRUE(e2e_have_display());
  Program p = start("echo");
  ASSERT_NE(p.window, 0u);
  std::vector<long long> to_program, after_xdotool, to_screen;
  const std::string letters = "abcdefghijklmnoprstuvwxyz";  // no q: it would end the program
  for (int i = 0; i < 60; i++) {
    size_t before = lines_of(p.process, "key").size();
    long long sent = monotonic_ms();
    ASSERT_TRUE(e2e_key(p.window, std::string(1, letters[size_t(i) % letters.size()])));
    long long returned = monotonic_ms();
    std::vector<std::string> lines;
    ASSERT_TRUE(e2e_wait_until([&] { return (lines = lines_of(p.process, "key")).size() > before; }, KEY_MS));
    long long seen = std::stoll(lines[before].substr(lines[before].find(" t=") + 3));
    to_program.push_back(seen - sent);
    after_xdotool.push_back(seen - returned);
    bool white_expected = ((before + 1) & 1) != 0;  // the echo cell alternates white / red
    E2eImage image;
    bool shown = e2e_wait_until([&] {
      return e2e_grab(p.window, &image) && image.width > 4 && ((image.at(4, 8) == 0xFFFFFF) == white_expected) &&
             image.at(4, 8) != 0;
    }, KEY_MS);
    if (shown) to_screen.push_back(monotonic_ms() - sent);
  }
  e2e_kill(&p.process);
  printf("latency to program over %zu keys: median %.0f ms, 95th percentile %.0f ms\n", to_program.size(),
         percentile(to_program, 0.5), percentile(to_program, 0.95));
  printf("  of which after xdotool returned: median %.0f ms, 95th percentile %.0f ms\n",
         percentile(after_xdotool, 0.5), percentile(after_xdotool, 0.95));
  printf("latency to screenshot over %zu keys: median %.0f ms, 95th percentile %.0f ms\n", to_screen.size(),
         percentile(to_screen, 0.5), percentile(to_screen, 0.95));
  RecordProperty("program_median_ms", int(percentile(to_program, 0.5)));
  RecordProperty("screen_median_ms", int(percentile(to_screen, 0.5)));
}

}  // namespace
