// Keys the toolkit does not report (Pause, Break) and details of the toolkit key event
// in hand, from a second X connection that watches the program's window.
#pragma once

// Modifiers of the toolkit key event in hand: bit 0 Shift, 1 Ctrl, 2 Alt. Valid only
// inside a toolkit keyboard callback.
int plat_toolkit_modifiers();

// Shift+Tab is ISO_Left_Tab under X11, which has no character and no toolkit number.
enum PlatExtraKeyKind { PLAT_EXTRA_PAUSE = 1, PLAT_EXTRA_BREAK = 2, PLAT_EXTRA_SHIFT_TAB = 3 };
struct PlatExtraKey {
  int kind;   // PlatExtraKeyKind
  bool down;  // press, else release
};

// Display thread, with the window's GL context current: the next press or release of
// Pause, Break (Ctrl+Pause) or Shift+Tab on the program's window; false when none.
// The first call opens the connection.
bool plat_extra_key_next(PlatExtraKey *key);

// Display thread, inside a toolkit keyboard callback for a key pressed with Ctrl: the
// character that key gives without Ctrl (the toolkit only reports the control
// character, which several keys share), -1 when unknown. `reported` is the toolkit's
// character, `down` whether it reports a press or a release.
int plat_key_char_without_ctrl(int reported, bool down);
