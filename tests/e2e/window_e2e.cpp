// The window as a user meets it: its title and size per screen mode, the snap-back
// after a resize, the close button, and the pixels on the screen against the page.
#include "e2e/harness.h"

#include <gtest/gtest.h>

#include <unistd.h>
// After gtest: Xlib's macros (None, Bool) would break its templates.
#include <X11/Xlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr int START_MS = 15000;  // start-up waits up to a second for the wall clock
constexpr int EXIT_MS = 15000;

// The 16 colours of the default palette.
constexpr uint32_t PALETTE16[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                    0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                    0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// The probe's text pattern: full blocks in colour x mod 16 on odd diagonals, blanks
// on background y mod 8 elsewhere; 8 x 16 cells.
uint32_t text_pattern(int px, int py) {
  int x = px / 8, y = py / 16;
  return ((x + y) & 1) ? PALETTE16[x % 16] : PALETTE16[y % 8];
}

uint32_t pixel_pattern(int px, int py) { return PALETTE16[((px / 8) ^ (py / 4)) & 15]; }

struct Probe {
  E2eProcess process;
  E2eWindow window = 0;
};

Probe start_probe(const std::vector<std::string> &args, const std::string &tag) {
  Probe p;
  p.process = e2e_spawn(e2e_program_path("window_probe"), args, tag);
  if (p.process.pid > 0) p.window = e2e_find_window("Untitled", START_MS);
  // Without a window manager the toolkit leaves the window at (-1, -1), partly off
  // the screen; a grab needs all of it.
  if (p.window) e2e_move(p.window, 20, 20);
  return p;
}

bool ready(const Probe &p) {
  return e2e_read_file(p.process.stdout_path).find("ready") != std::string::npos;
}

bool has_size(E2eWindow window, int width, int height) {
  E2eGeometry g;
  return e2e_window_geometry(window, &g) && g.width == width && g.height == height;
}

// Pixels of the window that differ from the pattern; the picture is saved for a look.
int mismatches(E2eWindow window, int width, int height, uint32_t (*pattern)(int, int), const std::string &name) {
  E2eImage image;
  if (!e2e_grab(window, &image) || image.width != width || image.height != height) return -1;
  int wrong = 0;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) wrong += image.at(x, y) != pattern(x, y);
  if (wrong) e2e_save_image(image, e2e_output_path(name));
  return wrong;
}

// The screen catches up within a few frames; compare until it matches or time runs out.
bool shows_pattern(E2eWindow window, int width, int height, uint32_t (*pattern)(int, int),
                   const std::string &name) {
  int last = -1;
  bool ok = e2e_wait_until([&] { return (last = mismatches(window, width, height, pattern, name)) == 0; }, 5000);
  if (!ok) ADD_FAILURE() << last << " pixels differ, see " << e2e_output_path(name);
  return ok;
}

class WindowE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!e2e_have_display()) GTEST_SKIP() << "no X server";
  }
};

TEST_F(WindowE2e, TextScreenWindowIsUntitled640x400AndShowsTheCells) {
  Probe p = start_probe({}, "window_text");
  ASSERT_NE(p.window, 0u) << "no window titled Untitled";
  EXPECT_EQ(e2e_window_title(p.window), "Untitled");
  ASSERT_TRUE(e2e_wait_until([&] { return ready(p); }, START_MS));
  EXPECT_TRUE(e2e_wait_until([&] { return has_size(p.window, 640, 400); }, 5000));
  EXPECT_TRUE(shows_pattern(p.window, 640, 400, text_pattern, "window_text"));
  e2e_kill(&p.process);
}

TEST_F(WindowE2e, Screen12Window640x480ShowsThePalettePixelsAndSnapsBack) {
  Probe p = start_probe({"12"}, "window_screen12");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_wait_until([&] { return ready(p); }, START_MS));
  ASSERT_TRUE(e2e_wait_until([&] { return has_size(p.window, 640, 480); }, 5000));
  EXPECT_TRUE(shows_pattern(p.window, 640, 480, pixel_pattern, "window_screen12"));
  ASSERT_TRUE(e2e_resize(p.window, 900, 700));
  EXPECT_TRUE(e2e_wait_until([&] { return has_size(p.window, 640, 480); }, 5000)) << "no snap-back";
  EXPECT_TRUE(shows_pattern(p.window, 640, 480, pixel_pattern, "window_screen12_after_resize"));
  e2e_kill(&p.process);
}

TEST_F(WindowE2e, CloseRequestEndsTheProcessWithCodeZeroWhileTheWindowStaysUntilThen) {
  Probe p = start_probe({}, "window_close");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_wait_until([&] { return ready(p); }, START_MS));
  ASSERT_TRUE(e2e_close_window(p.window));
  bool window_lost_early = false;
  bool ended = e2e_wait_until(
      [&] {
        if (!e2e_running(&p.process)) return true;
        // Polled while the process runs: freeglut must not have destroyed its window.
        if (!e2e_window_exists(p.window) && e2e_running(&p.process)) window_lost_early = true;
        return false;
      },
      EXIT_MS);
  ASSERT_TRUE(ended || e2e_wait_exit(&p.process, 100));
  EXPECT_EQ(p.process.exit_code, 0);
  EXPECT_FALSE(window_lost_early);
}

int close_reports(const Probe &p) {
  std::string out = e2e_read_file(p.process.stdout_path);
  int n = 0;
  for (size_t at = out.find("close requested"); at != std::string::npos; at = out.find("close requested", at + 1)) n++;
  return n;
}

// The probe answers its first taken close request with SCREEN 12: the surviving window
// then follows the new frame size.
TEST_F(WindowE2e, TakenCloseRequestOnlyReportsAndTheWindowSurvivesAndFollowsScreen12) {
  Probe p = start_probe({"switch"}, "window_trap");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_wait_until([&] { return ready(p); }, START_MS));
  ASSERT_TRUE(e2e_wait_until([&] { return has_size(p.window, 640, 400); }, 5000));
  ASSERT_TRUE(e2e_close_window(p.window));
  EXPECT_TRUE(e2e_wait_until([&] { return close_reports(p) == 1; }, 5000));
  e2e_sleep_ms(300);  // several housekeeping cycles: nothing may end the program
  EXPECT_TRUE(e2e_running(&p.process));
  ASSERT_TRUE(e2e_window_exists(p.window));
  EXPECT_TRUE(e2e_wait_until([&] { return has_size(p.window, 640, 480); }, 5000));
  EXPECT_TRUE(shows_pattern(p.window, 640, 480, pixel_pattern, "window_trap"));
  ASSERT_TRUE(e2e_close_window(p.window));  // a second request is reported too
  EXPECT_TRUE(e2e_wait_until([&] { return close_reports(p) == 2; }, 5000));
  EXPECT_TRUE(e2e_running(&p.process));
  e2e_kill(&p.process);
}

// Another client's window over part of ours, shown for a moment and taken away.
void cover_for_a_moment(int x, int y, int width, int height) {
  Display *d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, unsigned(width), unsigned(height), 0, 0,
                                 WhitePixel(d, DefaultScreen(d)));
  XSetWindowAttributes override{};
  override.override_redirect = True;
  XChangeWindowAttributes(d, w, CWOverrideRedirect, &override);
  XMapRaised(d, w);
  XSync(d, False);
  e2e_sleep_ms(300);
  XUnmapWindow(d, w);
  XDestroyWindow(d, w);
  XCloseDisplay(d);
}

TEST_F(WindowE2e, UncoveredWindowIsDrawnAgainWithoutANewFrame) {
  Probe p = start_probe({"12"}, "window_expose");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_wait_until([&] { return ready(p); }, START_MS));
  ASSERT_TRUE(shows_pattern(p.window, 640, 480, pixel_pattern, "window_expose_before"));
  cover_for_a_moment(120, 120, 300, 200);  // the page does not change meanwhile
  EXPECT_TRUE(shows_pattern(p.window, 640, 480, pixel_pattern, "window_expose_after"));
  e2e_kill(&p.process);
}

// utime + stime of a process in clock ticks, from /proc/<pid>/stat.
long processor_ticks(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string skip;
  for (int i = 3; i < 14; i++) fields >> skip;  // fields 3..13
  long utime = 0, stime = 0;
  fields >> utime >> stime;
  return utime + stime;
}

// A measurement for the record, not a verdict: it prints the share of one core a
// program uses while its screen stands still.
TEST_F(WindowE2e, SteadyScreenProcessorUseIsReported) {
  Probe p = start_probe({"12"}, "window_idle");
  ASSERT_NE(p.window, 0u);
  ASSERT_TRUE(e2e_wait_until([&] { return ready(p); }, START_MS));
  e2e_sleep_ms(1000);
  long before = processor_ticks(p.process.pid);
  e2e_sleep_ms(10000);
  long after = processor_ticks(p.process.pid);
  ASSERT_GE(before, 0);
  double percent = double(after - before) / double(sysconf(_SC_CLK_TCK)) / 10.0 * 100.0;
  printf("processor use at a steady screen: %.1f%% of one core over 10 s\n", percent);
  RecordProperty("steady_cpu_percent", std::to_string(percent));
  e2e_kill(&p.process);
}

}  // namespace
