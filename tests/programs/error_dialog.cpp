// Test program for the error dialog: error 9 on line 51 (or 301 with "critical"; with
// "nohandler" it claims an ON ERROR handler it does not have), then prints "continued".
#include "core/core.h"
#include "errors/errors.h"

#include <cstdio>
#include <cstring>

static const char *program_mode = "";

static void say(const char *text) {
  printf("%s\n", text);
  fflush(stdout);
}

static void prog_main() {
  if (err_take_handler_jump()) err_exit_without_handler();  // this program has no handler
  rt_prologue();
  RT_STMT(50, say("started"); if (strcmp(program_mode, "nohandler") == 0) handler_active = 1);
  RT_STMT(51, err_raise(strcmp(program_mode, "critical") == 0 ? 301 : 9));
  RT_STMT(52, say("continued"));
  rt_end();
}

int main(int argc, char **argv) {
  if (argc > 1) program_mode = argv[1];
  return rt_entry(argc, argv, prog_main);
}
