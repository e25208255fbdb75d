// The game under test: start, screen polling, the countdown and the clock-faking library.
#include "e2e/game_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

void game_start(GameSession *g, const std::string &tag, const std::vector<std::string> &environment) {
  ASSERT_TRUE(e2e_have_display()) << "run under tools/with-xvfb.sh";
  g->process = e2e_spawn_with_env(e2e_game_path(), {}, tag, environment);
  ASSERT_GT(g->process.pid, 0);
  g->window = e2e_find_window("Untitled", GAME_START_MS);
  ASSERT_NE(g->window, 0u) << "no game window; stderr: " << e2e_read_file(g->process.stderr_path);
  // Without a window manager it sits at (-1, -1), a pixel off screen, so we move it; but
  // only at its final size: a move between the toolkit's own resizes can leave the picture
  // drawn 72 pixels low or not at all (seen under libfaketime's speed-up).
  E2eGeometry geometry{};
  ASSERT_TRUE(e2e_wait_until([&] {
    return e2e_window_geometry(g->window, &geometry) && geometry.width == 640 && geometry.height == 480;
  }, GAME_START_MS)) << "the window never took screen 12's size";
  e2e_move(g->window, 20, 20);
  bool intro = game_wait_screen(g, [](const ScreenText &s) { return e2e_screen_find(s, "You wake on") == 3; },
                                GAME_START_MS);
  if (!intro) game_save(g, tag + "_no_intro");
  ASSERT_TRUE(intro) << "no intro; screen:\n" << e2e_screen_dump(g->screen);
}

bool game_wait_screen(GameSession *g, const std::function<bool(const ScreenText &)> &holds, int timeout_ms) {
  return e2e_wait_until([&] {
    if (!e2e_grab(g->window, &g->image) || g->image.width != 640 || g->image.height != 480) return false;
    g->screen = e2e_read_screen(g->image);
    return holds(g->screen);
  }, timeout_ms);
}

void game_save(GameSession *g, const std::string &name) {
  std::string saved = e2e_save_image(g->image, e2e_output_path(name));
  EXPECT_FALSE(saved.empty()) << name;
  printf("screenshot: %s\n", saved.c_str());
}

void game_press_until_exit(GameSession *g) {
  ASSERT_TRUE(e2e_wait_until([&] {
    if (e2e_running(&g->process)) e2e_key(g->window, "space");
    return e2e_wait_exit(&g->process, 500);
  }, GAME_EXIT_MS)) << "END's prompt did not end the game";
}

double game_clock_seconds(const ScreenText &screen) {
  static const std::regex clock(R"(^ {32}([ 0-9]{2}[0-9]):([ 0-9-]{2}\.[0-9]{3})$)");
  std::smatch m;
  std::string row = e2e_screen_row(screen, 2);
  if (!std::regex_match(row, m, clock)) return -1e9;
  return std::stod(m[1].str()) * 60 + std::stod(m[2].str());
}

std::string game_prompt_line(const ScreenText &screen, int row) {
  std::string line = e2e_screen_row(screen, row);
  return line == ">" ? "> " : line;
}

static const char *const FAKETIME_LIBRARIES[] = {
    "/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1",
    "/usr/lib/faketime/libfaketimeMT.so.1",
};

static std::string faketime_library() {
  for (const char *path : FAKETIME_LIBRARIES)
    if (access(path, R_OK) == 0) return path;
  return "";
}

bool game_faketime_available() { return !faketime_library().empty(); }

// Noon, far from the midnight at which TIMER restarts, then N times as fast. The library
// speeds up CLOCK_MONOTONIC (TIMER's source) and time() alike and shortens nanosleep and
// the other waits by the same factor, so the game keeps its pace in its own time.
std::vector<std::string> game_faketime_environment(int speed) {
  return {"LD_PRELOAD=" + faketime_library(), "FAKETIME=+0 x" + std::to_string(speed)};
}
