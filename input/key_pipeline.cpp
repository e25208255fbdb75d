// The key-down and key-up paths: control keys (Break, Pause, resume, Alt+Enter), key
// traps, the key-hit ring, BIOS buffer entries and scan codes, the lock toggles.
#include "core/core.h"
#include "input/key_state.h"

constexpr auto relaxed = std::memory_order_relaxed;

// Lock states taken over at start-up are not key presses: Num Lock found on while
// Ctrl is held must not start the program paused.
bool kbd_taking_over_locks = false;

static bool is_keypad_code(int32_t code) {
  return (code >= KEY_PAD_DIGIT_0 && code <= KEY_PAD_ENTER) ||
         (code >= KEY_PAD_NAV_INSERT && code <= KEY_PAD_NAV_DELETE);
}

// Steps that keep the key from the program: true when the key is used up.
static bool control_key(int32_t code) {
  if (code == KEY_BREAK || (code == KEY_SCROLL_LOCK && kbd_ctrl_held())) {
    if (exit_trapping.load(relaxed))
      window_close_requested.fetch_or(2, relaxed);
    else
      end_requested.store(1, relaxed);
    return true;
  }
  if (!kbd_taking_over_locks && (code == KEY_PAUSE || (code == KEY_NUM_LOCK && kbd_ctrl_held()))) {
    program_paused.fetch_or(1, relaxed);
    event_pending.store(1, relaxed);
    return true;
  }
  if (program_paused.load(relaxed) & 1) {  // any key-down resumes, and does nothing else
    program_paused.fetch_and(uint8_t(~1u), relaxed);
    return true;
  }
  return code == 13 && kbd_alt_held();  // Alt+Enter is swallowed
}

// Alt beats Ctrl beats Shift; keypad digits with Num Lock take their columns between
// Shift and Ctrl.
static int choose_column(bool num_lock_keypad) {
  int column = KC_PLAIN;
  bool shift = kbd_shift_held();
  if (shift) column = KC_SHIFT;
  if (num_lock_keypad) column = shift ? KC_NUM_LOCK_SHIFT : KC_NUM_LOCK;
  if (kbd_ctrl_held()) column = KC_CTRL;
  if (kbd_alt_held()) column = KC_ALT;
  return column;
}

static void add_produced(int32_t produced, int32_t make) {
  if (produced == 0) return;
  if (produced & 0xFF00)
    kbd_queue_add(0, uint8_t(produced >> 8));
  else
    kbd_queue_add(uint8_t(produced), uint8_t(make));
}

static void character_entry(int32_t code) {
  const int32_t *r = key_table[code];
  if (r[KC_MAKE] == 0) {
    kbd_queue_add(uint8_t(code), 0);
    return;
  }
  kbd_scan_append(uint8_t(r[KC_MAKE]));
  add_produced(r[choose_column(false)], r[KC_MAKE]);
}

static void keypad_or_extended_entry(int32_t code, bool insert_was_held) {
  const int32_t *r = key_table[kbd_record_of(code)];
  if (r[KC_PLAIN] == 0) {
    kbd_queue_add(0, uint8_t(code >> 8));
    return;
  }
  kbd_scan_append(uint8_t(r[KC_MAKE]));
  if (code == KEY_INSERT) {
    if (!insert_was_held && !kbd_shift_held() && !kbd_ctrl_held() && !kbd_alt_held())
      kbd_toggle_held(KEY_INSERT_MODE_ON);
    kbd_update_flags();  // also for bit 7 of 0x418, Insert held
  }
  bool num_lock_keypad = code >= KEY_PAD_DIGIT_0 && code <= KEY_PAD_DIGIT_0 + 10;
  add_produced(r[choose_column(num_lock_keypad)], r[KC_MAKE]);
}

static void modifier_entry(int32_t code, bool scroll_was_held) {
  int32_t make = kbd_modifier_make(code);
  if (make == 0) return;
  kbd_scan_append(uint8_t(make));
  if (code == KEY_SCROLL_LOCK && !scroll_was_held && !kbd_ctrl_held()) kbd_toggle_held(KEY_SCROLL_LOCK_ON);
  kbd_update_flags();
}

void kbd_key_down(int32_t code, bool from_soft_key) {
  if (code < 0) return;  // not a key code
  if (code == 0) code = KEY_CHAR_ZERO;
  bool insert_was_held = code == KEY_INSERT && kbd_in_held_list(KEY_INSERT);
  bool scroll_was_held = code == KEY_SCROLL_LOCK && kbd_in_held_list(KEY_SCROLL_LOCK);
  kbd_hold(code);
  if (!control_key(code)) {
    int32_t value = kbd_hit_value(code);
    if (!kbd_trap_check(code, value, from_soft_key)) {
      kbd_hit_append(value);
      int32_t entry_code = code == KEY_CHAR_ZERO ? 0 : code;
      if (entry_code <= 255)
        character_entry(entry_code);
      else if (is_keypad_code(entry_code) || entry_code <= 65535)
        keypad_or_extended_entry(entry_code, insert_was_held);
      else
        modifier_entry(entry_code, scroll_was_held);
    }
  }
  sleep_wake.store(1, std::memory_order_release);  // every key-down, swallowed ones too
}

// The toolkit reports a character's release with the modifiers of that moment, so
// Shift let go first turns the release of 'A' into 'a'. The release then belongs to
// the held character of the same physical key.
static int32_t held_code_for_release(int32_t code) {
  if (code < 1 || code > 255 || kbd_in_held_list(code)) return code;
  int32_t make = key_table[code][KC_MAKE];
  if (make == 0) return code;
  for (int32_t c = 1; c <= 255; c++)
    if (key_table[c][KC_MAKE] == make && kbd_in_held_list(c)) return c;
  return code;
}

static bool remove_taken_key(int32_t code) {
  for (int32_t i = 0; i < taken_key_count; i++) {
    if (taken_keys[i] != code) continue;
    for (int32_t j = i + 1; j < taken_key_count; j++) taken_keys[j - 1] = taken_keys[j];
    taken_key_count--;
    return true;
  }
  return false;
}

static void break_code(int32_t code) {
  int32_t record = kbd_record_of(code);
  if (record >= 0) {
    const int32_t *r = key_table[record];
    if (r[KC_PLAIN] != 0) kbd_scan_append(uint8_t(r[KC_MAKE] + 128));
    if (code == KEY_INSERT) kbd_update_flags();
    return;
  }
  int32_t make = kbd_modifier_make(code);
  if (make == 0) return;
  kbd_scan_append(uint8_t(make + 128));
  kbd_update_flags();
}

void kbd_key_up(int32_t code, bool) {
  if (code < 0) return;
  if (code == 0) code = KEY_CHAR_ZERO;
  code = held_code_for_release(code);
  kbd_release(code);
  int32_t value = kbd_hit_value(code);
  if (remove_taken_key(code)) return;
  kbd_hit_append(-value);
  if (code != KEY_CHAR_ZERO) break_code(code);
}
