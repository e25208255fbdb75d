// End-to-end test harness: programs run as real processes, their windows found, looked
// at and driven in a real X server (DISPLAY set by tools/with-xvfb.sh; no window manager).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---- Processes -------------------------------------------------------------------------
struct E2eProcess {
  int pid = -1;             // -1 when the start failed
  std::string stdout_path;  // the program's standard output and error, as files
  std::string stderr_path;
  bool exited = false;
  int exit_code = -1;       // the exit status, or 128 + signal number after a signal
};

std::string e2e_program_path(const std::string &name);  // the test program prog_<name>
std::string e2e_game_path();                              // the game's executable
std::string e2e_output_path(const std::string &file);    // a file in the tests build folder

// Starts exe with the arguments; output goes to <tag>.stdout and <tag>.stderr in the tests
// build folder (tag defaults to the executable's name). Children still running when the
// test process ends are killed.
E2eProcess e2e_spawn(const std::string &exe, const std::vector<std::string> &args = {},
                     const std::string &tag = "");
// True once the process has ended, within timeout_ms; exit_code is set then.
bool e2e_wait_exit(E2eProcess *process, int timeout_ms);
bool e2e_running(E2eProcess *process);
void e2e_kill(E2eProcess *process);
std::string e2e_read_file(const std::string &path);

// ---- Waiting -----------------------------------------------------------------------------
void e2e_sleep_ms(int ms);
// Polls the condition every 20 ms; true as soon as it holds, false after timeout_ms.
bool e2e_wait_until(const std::function<bool()> &condition, int timeout_ms);

// ---- Windows -----------------------------------------------------------------------------
using E2eWindow = unsigned long;

// False (with a message on stderr) when no X server can be reached.
bool e2e_have_display();
// The first window anywhere in the tree whose title (_NET_WM_NAME or WM_NAME) is exactly
// title, waiting up to timeout_ms for it to appear and be mapped; 0 when none did.
E2eWindow e2e_find_window(const std::string &title, int timeout_ms);
std::string e2e_window_title(E2eWindow window);
bool e2e_window_exists(E2eWindow window);
bool e2e_wait_window_gone(E2eWindow window, int timeout_ms);

struct E2eGeometry {
  int x, y;           // top-left corner in root coordinates
  int width, height;
};
bool e2e_window_geometry(E2eWindow window, E2eGeometry *geometry);

struct E2eImage {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, rows top to bottom
  uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
// The window's pixels as they are on the screen (the part inside the screen).
bool e2e_grab(E2eWindow window, E2eImage *image);
// Writes <path>.ppm, and <path>.png when ImageMagick's convert is there; returns the
// file written last ("" on failure).
std::string e2e_save_image(const E2eImage &image, const std::string &path_without_extension);

// ---- Input -------------------------------------------------------------------------------
// Keys in xdotool's names ("Return", "y", "ctrl+c"), sent to the window itself.
bool e2e_key(E2eWindow window, const std::string &keys);
// Keys through the XTEST extension, to whichever window has the keyboard focus.
bool e2e_key_focused(const std::string &keys);
bool e2e_type(E2eWindow window, const std::string &text);
// Moves the pointer to (x, y) inside the window and clicks the button there.
bool e2e_click(E2eWindow window, int x, int y, int button = 1);
// The window manager's close request (WM_DELETE_WINDOW), as a manager would send it.
bool e2e_close_window(E2eWindow window);
bool e2e_resize(E2eWindow window, int width, int height);
// Puts the window on top of its siblings.
bool e2e_raise(E2eWindow window);

// ---- Added for the window tests ----------------------------------------------------------
// Moves the window's top-left corner to (x, y) of the root window, as a manager would.
bool e2e_move(E2eWindow window, int x, int y);

// ---- Added for the game tests ------------------------------------------------------------
// e2e_spawn with extra environment entries ("NAME=value") for the child alone, such as
// LD_PRELOAD of a clock-faking library.
E2eProcess e2e_spawn_with_env(const std::string &exe, const std::vector<std::string> &args,
                              const std::string &tag, const std::vector<std::string> &environment);
// Types text with delay_ms between the keys, for readers that take a key per frame.
bool e2e_type_slowly(E2eWindow window, const std::string &text, int delay_ms);
