// The keyboard's lock and modifier state as the desktop sees it.
#pragma once

struct PlatKeyState {
  bool caps_lock_on, num_lock_on, scroll_lock_on;
  bool left_shift, right_shift, left_ctrl, right_ctrl, left_alt, right_alt, scroll_lock_down;
};

// Reads the current state; all false when no display can be reached.
PlatKeyState plat_key_state();
