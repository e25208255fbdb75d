// Keyboard and input: the key pipeline, key reading and waiting, the INPUT editor.
#pragma once

#include <cstdint>

struct RtString;

// Start-up: empty key structures, then the lock and modifier keys found down.
void kbd_startup();
// Start-up: empty the key-hit queue and the BIOS keyboard buffer.
void kbd_reset_queues();
// Housekeeping: bring the lock keys in line with the desktop's.
void kbd_sync_locks();

// INKEY$: the next key of the BIOS buffer as a temporary, empty when none.
RtString *kbd_inkey();
// False while no key can arrive (END then does not wait for one).
bool kbd_available();

// Window callbacks of the key pipeline (display thread), registered by the window layer.
void kbd_glut_char_down(unsigned char key, int x, int y);
void kbd_glut_char_up(unsigned char key, int x, int y);
void kbd_glut_special_down(int key, int x, int y);
void kbd_glut_special_up(int key, int x, int y);
// Called by the 8 ms display timer: keys the toolkit does not report (Pause, Break).
void kbd_poll_extra_keys();
