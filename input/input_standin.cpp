// Stand-ins for the keyboard until it exists.
#include "input/input.h"
#include "strings/strings.h"

#include <atomic>

void kbd_startup() {}
void kbd_reset_queues() {}
void kbd_sync_locks() {}
RtString *kbd_inkey() { return rtstr_from_bytes("", 0); }
bool kbd_available() { return false; }
std::atomic<int32_t> sleep_wake{0};
void kbd_glut_char_down(unsigned char, int, int) {}
void kbd_glut_char_up(unsigned char, int, int) {}
void kbd_glut_special_down(int, int, int) {}
void kbd_glut_special_up(int, int, int) {}
void kbd_poll_extra_keys() {}
