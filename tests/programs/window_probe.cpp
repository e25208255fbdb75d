// Test program for the window tests: shows a known pattern of cells (text screen) or
// of palette indexes (SCREEN 12, argument "12") and stays until the window is closed.
// With "trap" it takes over close requests and reports each one on standard output;
// with "switch" as well, the first one also switches a text screen to SCREEN 12.
#include "core/core.h"
#include "platform/clock.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>

static int screen_mode = 0;
static bool trap_close = false;
static bool switch_on_close = false;

// Cell (x, y): a full block in colour x mod 16 on odd diagonals, else a blank on
// background y mod 8; the window test computes the same picture from the palette.
static void paint_cells() {
  ImageSurface *page = dest_image;
  for (int y = 0; y < page->height; y++)
    for (int x = 0; x < page->width; x++) {
      uint8_t *cell = page->pixels + (y * page->width + x) * 2;
      cell[0] = ((x + y) & 1) ? 219 : 32;
      cell[1] = uint8_t((x % 16) | ((y % 8) << 4));
    }
}

static void paint_pixels() {
  ImageSurface *page = dest_image;
  for (int y = 0; y < page->height; y++)
    for (int x = 0; x < page->width; x++) page->pixels[y * page->width + x] = uint8_t(((x / 8) ^ (y / 4)) & 15);
}

static void say(const char *text) {
  printf("%s\n", text);
  fflush(stdout);
}

static void take_close_request() {
  if (!(rt_exit_requests() & 1)) return;
  if (switch_on_close && screen_mode == 0) {
    screen_mode = 12;
    scr_screen(12, 0, 0, 0, 0, 1);
    paint_pixels();
  }
  say("close requested");
}

static void prog_main() {
  rt_prologue();
  RT_STMT(1, if (screen_mode) scr_screen(screen_mode, 0, 0, 0, 0, 1));
  RT_STMT(2, if (screen_mode) paint_pixels(); else paint_cells());
  RT_STMT(3, if (trap_close) rt_exit_requests(); say("ready"));
  for (;;) {
    RT_STMT(4, if (trap_close) take_close_request());
    RT_STMT(5, plat_sleep_ms(10));
  }
}

int main(int argc, char **argv) {
  for (int i = 1; i < argc; i++) {
    if (!strcmp(argv[i], "12")) screen_mode = 12;
    if (!strcmp(argv[i], "trap")) trap_close = true;
    if (!strcmp(argv[i], "switch")) trap_close = switch_on_close = true;
  }
  return rt_entry(argc, argv, prog_main);
}
