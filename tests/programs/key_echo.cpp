// Test program for the keyboard tests: reports every INKEY$ result on standard output
// (hex bytes and the monotonic time it was seen) and paints it into the top-left cell.
// Modes from COMMAND$: "echo" (default; q ends with END), "ticks" (a line per statement,
// for Pause), "end" (END at once), "events" (the key-event reader instead of INKEY$).
#include "core/core.h"
#include "input/input.h"
#include "platform/clock.h"
#include "screen/screen.h"
#include "strings/strings.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

static RtString *key;
static int32_t keys_seen = 0;

static long long monotonic_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

static bool mode_is(const char *name) {
  return command_line && size_t(command_line->length) == strlen(name) &&
         memcmp(command_line->bytes, name, strlen(name)) == 0;
}

static void report_flags() {
  printf("flags %02x %02x %02x\n", conventional_memory[BIOS_KBD_FLAGS], conventional_memory[BIOS_KBD_FLAGS2],
         conventional_memory[BIOS_KBD_FLAGS3]);
  fflush(stdout);
}

// A full block whose colour alternates with each key, so a screenshot shows each echo.
static void paint_echo() {
  ImageSurface *page = dest_image;
  if (!page || !page->pixels) return;
  page->pixels[0] = 219;
  page->pixels[1] = (keys_seen & 1) ? 0x0F : 0x0C;
}

static void report_key(const RtString *k) {
  keys_seen++;
  printf("key");
  for (int32_t i = 0; i < k->length; i++) printf(" %02x", k->bytes[i]);
  printf(" t=%lld\n", monotonic_ms());
  fflush(stdout);
  paint_echo();
}

static void report_event(int32_t value) {
  printf("event %d t=%lld\n", value, monotonic_ms());
  fflush(stdout);
}

static void tick(int32_t n) {
  while (int32_t value = kbd_next_key_event()) printf("event %d\n", value);
  printf("tick %d\n", n);
  fflush(stdout);
  plat_sleep_ms(10);
}

static void echo_main() {
  uint32_t mark = temp_count;
  key = rtstr_new(0, false);
  RT_STMT(1, report_flags());
  if (mode_is("end")) rt_end();
  if (mode_is("ticks")) {
    for (int32_t n = 0;; n++) RT_STMT(2, tick(n));
  }
  if (mode_is("events")) {
    for (;;) {
      int32_t value = 0;
      RT_STMT(3, value = kbd_next_key_event());
      if (value) RT_STMT(4, report_event(value));
      RT_STMT(5, plat_sleep_ms(1));
    }
  }
  for (;;) {
    RT_STMT(6, rtstr_assign(key, kbd_inkey()); rtstr_release_temps(mark, 0));
    if (key->length == 0) continue;
    RT_STMT(7, report_key(key));
    if (key->length == 1 && key->bytes[0] == 'q') break;
  }
  rt_end();
}

static void key_echo_main() {
  rt_prologue();
  echo_main();
}

int main(int argc, char **argv) { return rt_entry(argc, argv, key_echo_main); }
