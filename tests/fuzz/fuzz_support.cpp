// Stand-ins for the few core and platform pieces that string memory and error
// raising reach, so the fuzz targets link with the strings and errors folders only.
#include "fuzz_support.h"

#include "core/core.h"
#include "errors/errors.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "strings/strings.h"

#include <cstdio>
#include <cstdlib>

std::atomic<int32_t> event_pending{0};
std::atomic<uint8_t> end_requested{0};

// A fatal error (exhausted memory) ends the process: in a fuzz run that is a finding.
int plat_message_box(const char *text, const char *caption, unsigned) {
  std::fprintf(stderr, "message box: %s / %s\n", caption, text);
  return 0;
}
void plat_exit(int) { std::abort(); }
void rt_halt_program_thread() { std::abort(); }

void fuzz_init_once() {
  static bool ready = false;
  if (ready) return;
  rtstr_init();
  ready = true;
}

uint32_t fuzz_end_input(uint32_t mark) {
  rtstr_release_temps(mark, 0);
  uint32_t code = pending_error.load();
  pending_error.store(0);
  event_pending.store(0);
  return code;
}
