// Test fixture: the runtime's tables without threads or a window.
#include "fixture.h"
#include "core/core.h"
#include "platform/msgbox.h"

#include <cstdio>

// A unit test never waits for a person: boxes are answered as without a display.
static int answer_box(const char *text, const char *caption, unsigned) {
  fprintf(stderr, "%s\n%s\n", caption ? caption : "", text ? text : "");
  return 0;
}

void rt_test_init() {
  plat_message_box_set_hook(answer_box);
  rt_init_tables(0, nullptr);
}
