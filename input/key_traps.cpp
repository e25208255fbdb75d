// The key-down path's offer of each key to the key-trap slots (ON KEY) and the soft
// keys (KEY n, text).
#include "core/core.h"
#include "input/key_state.h"
#include "strings/strings.h"

// Keys with the 0xE0 prefix on a PC keyboard.
static bool is_extended_key(int32_t code) {
  switch (code) {
    case 0x4700: case 0x4800: case 0x4900: case 0x4B00: case 0x4D00:
    case 0x4F00: case 0x5000: case 0x5100: case 0x5200: case 0x5300:
    case 100267: case KEY_PAD_ENTER: case KEY_RIGHT_CTRL: case KEY_RIGHT_ALT:
      return true;
    default:
      return false;
  }
}

static int32_t make_code_of(int32_t code) {
  int32_t record = kbd_record_of(code);
  return record >= 0 ? key_table[record][KC_MAKE] : kbd_modifier_make(code);
}

// A modifier bit asks for the modifier held when set and not held when clear, except
// when the pressed key is that modifier itself.
static bool modifier_agrees(bool wanted, bool held, bool pressed_is_it) { return pressed_is_it || wanted == held; }

static bool shift_flags_agree(uint8_t flags, int32_t code) {
  bool is_shift = code == KEY_LEFT_SHIFT || code == KEY_RIGHT_SHIFT;
  bool is_ctrl = code == KEY_LEFT_CTRL || code == KEY_RIGHT_CTRL;
  bool is_alt = code == KEY_LEFT_ALT || code == KEY_RIGHT_ALT;
  if (!modifier_agrees(flags & 0x03, kbd_shift_held(), is_shift)) return false;
  if (!modifier_agrees(flags & 0x04, kbd_ctrl_held(), is_ctrl)) return false;
  if (!modifier_agrees(flags & 0x08, kbd_alt_held(), is_alt)) return false;
  if ((flags & 0x20) && !kbd_in_held_list(KEY_NUM_LOCK)) return false;
  if ((flags & 0x40) && !kbd_in_held_list(KEY_CAPS_LOCK)) return false;
  return ((flags & 0x80) != 0) == is_extended_key(code);
}

static int find_scan_code_trap(int32_t code) {
  int32_t make = make_code_of(code);
  if (make == 0) return -1;
  for (int i = 0; i < KEY_TRAP_SLOTS; i++) {
    const KeyTrapSlot &slot = key_trap_slots[i];
    if (slot.scan_code == make && slot.state && slot.trap_defined && shift_flags_agree(slot.shift_flags, code))
      return i;
  }
  return -1;
}

static bool slot_matches(const KeyTrapSlot &slot, int32_t code, int32_t value) {
  return slot.key_code == value || (slot.alt_key_code != 0 && slot.alt_key_code == code);
}

static int find_key_code_trap(int32_t code, int32_t value) {
  for (int i = 0; i < KEY_TRAP_SLOTS; i++) {
    const KeyTrapSlot &slot = key_trap_slots[i];
    if (slot.state && slot.trap_defined && slot_matches(slot, code, value)) return i;
  }
  return -1;
}

static void add_taken_key(int32_t code) {
  if (taken_key_count < TAKEN_KEYS_MAX) taken_keys[taken_key_count++] = code;
}

static void take_key(KeyTrapSlot &slot, int32_t code) {
  if (slot.state == 1) {
    // The dispatch counts down on the program thread meanwhile; never wrap to none.
    uint8_t n = slot.pending.load(std::memory_order_relaxed);
    while (n < 255 && !slot.pending.compare_exchange_weak(n, uint8_t(n + 1), std::memory_order_relaxed)) {
    }
  } else {
    slot.pending.store(1, std::memory_order_relaxed);
  }
  event_pending.store(1, std::memory_order_relaxed);
  add_taken_key(code);
}

// Types the soft key's text as key-downs and key-ups. The typed keys skip the soft
// keys themselves, so a text that holds its own key cannot recurse without end.
static bool type_soft_key(int32_t code, int32_t value) {
  for (int i = 0; i < KEY_TRAP_SLOTS; i++) {
    const KeyTrapSlot &slot = key_trap_slots[i];
    const RtString *text = slot.soft_key_text;
    if (!text || text->length <= 0 || !slot_matches(slot, code, value)) continue;
    add_taken_key(code);
    for (int32_t k = 0; k < text->length; k++) {
      int32_t byte = text->bytes[k];
      kbd_key_down(byte, true);
      kbd_key_up(byte, true);
    }
    return true;
  }
  return false;
}

bool kbd_trap_check(int32_t key_code, int32_t key_hit_value, bool from_soft_key) {
  if (from_soft_key) return false;
  int slot = find_scan_code_trap(key_code);
  if (slot < 0) slot = find_key_code_trap(key_code, key_hit_value);
  if (slot >= 0) {
    take_key(key_trap_slots[slot], key_code);
    return true;
  }
  return type_soft_key(key_code, key_hit_value);
}
