// A small program on the runtime: builds strings and ends.
#include "core/core.h"
#include "strings/strings.h"

static RtString *greeting;

static void demo_main() {
  rt_prologue();
  uint32_t mark = temp_count;
  greeting = rtstr_new(0, false);
  RT_STMT(1, rtstr_assign(greeting, rtstr_concat(rtstr_from_cstr("Hello, "), rtstr_from_cstr("world")));
          rtstr_release_temps(mark, 0));
  RT_STMT(2, rtstr_assign(greeting, rtstr_concat(greeting, rtstr_from_cstr("!"))); rtstr_release_temps(mark, 0));
  rt_end();
}

int main(int argc, char **argv) { return rt_entry(argc, argv, demo_main); }
