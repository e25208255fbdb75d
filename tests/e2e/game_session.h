// The game under test: one run of marrowvale in its window, its screen read back as text,
// and the clock shown at the top of the turn screen.
#pragma once

#include "e2e/harness.h"
#include "e2e/screen_text.h"

#include <functional>
#include <string>
#include <vector>

constexpr int GAME_START_MS = 30000;   // start-up waits up to a second for the wall clock
constexpr int GAME_SCREEN_MS = 20000;  // a screen expected after a key, on a loaded machine
constexpr int GAME_EXIT_MS = 20000;
constexpr int TYPE_DELAY_MS = 80;      // the reader takes one key event per 1/30 s

struct GameSession {
  E2eProcess process;
  E2eWindow window = 0;
  E2eImage image;     // the last screenshot
  ScreenText screen;  // and its text
};

// Starts the game (with extra environment entries) and waits for the intro on its screen.
void game_start(GameSession *g, const std::string &tag, const std::vector<std::string> &environment = {});
// Grabs and reads the 640 x 480 screen until it holds, up to timeout_ms.
bool game_wait_screen(GameSession *g, const std::function<bool(const ScreenText &)> &holds,
                      int timeout_ms = GAME_SCREEN_MS);
// Writes the last screenshot as <name>.png into the tests build folder.
void game_save(GameSession *g, const std::string &name);
// Presses a key every half second until the process ends (END drains keys before waiting).
void game_press_until_exit(GameSession *g);

// The countdown at row 2, columns 32 to 42, in seconds; -1e9 when it is not there.
double game_clock_seconds(const ScreenText &screen);
// The prompt row without its trailing blanks, except the one after the "> ".
std::string game_prompt_line(const ScreenText &screen, int row);

// libfaketime, with every clock of the child running `speed` times as fast.
bool game_faketime_available();
std::vector<std::string> game_faketime_environment(int speed);
