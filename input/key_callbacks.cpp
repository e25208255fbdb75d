// The toolkit's keyboard callbacks mapped to key codes, and the display timer's poll
// for the keys the toolkit does not report.
#include "display/display.h"
#include "input/key_state.h"
#include "platform/xkeys.h"

// X11 reports Ctrl with BackSpace, Tab and Return as their own codes, which Ctrl+H,
// Ctrl+I and Ctrl+M share, and Ctrl+2, Ctrl+3..8 as control characters of other keys.
// When the watcher knows the key's own character we take that.
static int32_t character_under_ctrl(int32_t key, bool down, int32_t modifiers) {
  if (key == 10) return 13;  // Ctrl+Enter as Windows reports it; Ctrl+J reads alike
  int32_t own = plat_key_char_without_ctrl(key, down);
  if (own == 8) return 127;  // Ctrl+Backspace becomes Ctrl+Delete
  if (own > 0) return own;
  if (key >= 1 && key <= 26) return key + ((modifiers & KBD_MOD_SHIFT) ? 64 : 96);
  return key;
}

// A modifier whose release went to another window (focus moved while it was held)
// would stay held for ever; the event's own modifier state tells us it is up.
static void release_stale_modifiers(int32_t modifiers) {
  static const struct { int32_t mod, left, right; } pairs[] = {
      {KBD_MOD_SHIFT, KEY_LEFT_SHIFT, KEY_RIGHT_SHIFT},
      {KBD_MOD_CTRL, KEY_LEFT_CTRL, KEY_RIGHT_CTRL},
      {KBD_MOD_ALT, KEY_LEFT_ALT, KEY_RIGHT_ALT},
  };
  for (const auto &p : pairs) {
    if (modifiers & p.mod) continue;
    if (kbd_in_held_list(p.left)) kbd_key_up(p.left);
    if (kbd_in_held_list(p.right)) kbd_key_up(p.right);
  }
}

void kbd_char_event(int32_t key, bool down, int32_t modifiers) {
  if (down) release_stale_modifiers(modifiers);
  if (modifiers & KBD_MOD_CTRL) key = character_under_ctrl(key, down, modifiers);
  if (key == 127) key = KEY_DELETE;
  if (down)
    kbd_key_down(key);
  else
    kbd_key_up(key);
}

static int32_t special_key_code(int32_t key) {
  if (key >= 1 && key <= 10) return (0x3B + key - 1) << 8;  // F1..F10
  switch (key) {
    case 11: return 0x8500;  // F11
    case 12: return 0x8600;  // F12
    case 100: return 0x4B00;  // Left
    case 101: return 0x4800;  // Up
    case 102: return 0x4D00;  // Right
    case 103: return 0x5000;  // Down
    case 104: return 0x4900;  // Page Up
    case 105: return 0x5100;  // Page Down
    case 106: return 0x4700;  // Home
    case 107: return 0x4F00;  // End
    case 108: return KEY_INSERT;
    case 111: return KEY_DELETE;  // the toolkit's own Delete key, where it reports one
    case 112: return KEY_LEFT_SHIFT;
    case 113: return KEY_RIGHT_SHIFT;
    case 114: return KEY_LEFT_CTRL;
    case 115: return KEY_RIGHT_CTRL;
    case 116: return KEY_LEFT_ALT;
    case 117: return KEY_RIGHT_ALT;
    default: return 0;
  }
}

static bool is_modifier(int32_t code) { return code >= KEY_RIGHT_SHIFT && code <= KEY_LEFT_ALT; }

void kbd_special_event(int32_t key, bool down, int32_t modifiers) {
  int32_t code = special_key_code(key);
  if (code == 0) return;
  if (down && !is_modifier(code)) release_stale_modifiers(modifiers);
  if (down)
    kbd_key_down(code);
  else
    kbd_key_up(code);
}

void kbd_glut_char_down(unsigned char key, int, int) { kbd_char_event(key, true, plat_toolkit_modifiers()); }
void kbd_glut_char_up(unsigned char key, int, int) { kbd_char_event(key, false, plat_toolkit_modifiers()); }
void kbd_glut_special_down(int key, int, int) { kbd_special_event(key, true, plat_toolkit_modifiers()); }
void kbd_glut_special_up(int key, int, int) { kbd_special_event(key, false, plat_toolkit_modifiers()); }

void kbd_poll_extra_keys() {
  kbd_apply_lock_events();
  PlatExtraKey key;
  while (plat_extra_key_next(&key)) {
    if (key.kind == PLAT_EXTRA_SHIFT_TAB) {
      key.down ? kbd_key_down(9) : kbd_key_up(9);  // Shift is held: the key table makes it (0, 15)
      continue;
    }
    int32_t code = key.kind == PLAT_EXTRA_BREAK ? KEY_BREAK : KEY_PAUSE;
    disp_window_event(2, code, key.down ? 1 : -1);  // the window layer's entry for unreported keys
  }
}
