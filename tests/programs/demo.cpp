// A small program on the runtime: builds strings, prints them and COMMAND$, and ends.
#include "core/core.h"
#include "screen/screen.h"
#include "strings/strings.h"

static RtString *greeting;

// PRINT item: a permanent copy of the item is printed, then freed.
static void print_line(RtString *item) {
  RtString *copy = rtstr_assign(rtstr_new(0, false), item);
  scr_print_fit(copy);
  scr_print(copy, 0);
  rtstr_free(copy);
  scr_print(null_string, 1);
}

static void demo_main() {
  rt_prologue();
  uint32_t mark = temp_count;
  greeting = rtstr_new(0, false);
  RT_STMT(1, rtstr_assign(greeting, rtstr_concat(rtstr_from_cstr("Hello, "), rtstr_from_cstr("world")));
          rtstr_release_temps(mark, 0));
  RT_STMT(2, rtstr_assign(greeting, rtstr_concat(greeting, rtstr_from_cstr("!"))); rtstr_release_temps(mark, 0));
  RT_STMT(3, print_line(greeting));
  RT_STMT(4, print_line(rtstr_concat(rtstr_concat(rtstr_from_cstr("["), command_line), rtstr_from_cstr("]")));
          rtstr_release_temps(mark, 0));
  rt_end();
}

int main(int argc, char **argv) { return rt_entry(argc, argv, demo_main); }
