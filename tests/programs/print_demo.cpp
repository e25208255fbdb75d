// Known text for screenshots: a few lines in mode 0, then the same kind of page in
// SCREEN 12, then it idles until the window is closed. With the argument 0 it stays
// in mode 0.
#include "core/core.h"
#include "errors/errors.h"
#include "platform/clock.h"
#include "screen/screen.h"
#include "strings/strings.h"

static uint32_t mark;

// PRINT text; (or PRINT text with its line end) as the translator writes it.
static void print_text(const char *text, bool line_end) {
  RtString *item = rtstr_new(0, false);
  rtstr_assign(item, rtstr_from_cstr(text));
  if (!err_pending()) {
    scr_print_fit(item);
    scr_print(item, 0);
  }
  rtstr_free(item);
  if (line_end) scr_print(null_string, 1);
}

static void print_page(const char *title) {
  RT_STMT(10, scr_cls(0, 0, 0); rtstr_release_temps(mark, 0));
  RT_STMT(11, print_text(title, true); rtstr_release_temps(mark, 0));
  RT_STMT(12, scr_color(14, 1, 0, 3); rtstr_release_temps(mark, 0));
  RT_STMT(13, print_text("Yellow on blue", true); rtstr_release_temps(mark, 0));
  RT_STMT(14, scr_color(7, 0, 0, 3); rtstr_release_temps(mark, 0));
  RT_STMT(15, print_text("Zone 1", false); scr_print_zone(); print_text("Zone 2", true);
          rtstr_release_temps(mark, 0));
  RT_STMT(16, scr_locate(10, 30, 0, 0, 0, 3); rtstr_release_temps(mark, 0));
  RT_STMT(17, print_text("Row 10, column 30", true); rtstr_release_temps(mark, 0));
  RT_STMT(18, scr_color(2, 0, 0, 3); rtstr_release_temps(mark, 0));
  RT_STMT(19, print_text("The quick brown fox jumps over the lazy dog 0123456789", true);
          rtstr_release_temps(mark, 0));
}

static void print_demo_main() {
  rt_prologue();
  mark = temp_count;
  print_page("MODE 0 TEXT PAGE");
  bool stay_in_text = rtstr_release_temps(mark, rtstr_equal(command_line, rtstr_from_cstr("0"))) != 0;
  if (!stay_in_text) {
    RT_STMT(20, scr_screen(12, 0, 0, 0, 0, 1); rtstr_release_temps(mark, 0));
    print_page("SCREEN 12 TEXT PAGE");
  }
  for (;;) RT_STMT(30, plat_sleep_ms(10); rtstr_release_temps(mark, 0));
}

int main(int argc, char **argv) { return rt_entry(argc, argv, print_demo_main); }
