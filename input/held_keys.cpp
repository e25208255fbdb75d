// The held-key list, kbd_is_held with the keypad twins, and the BIOS status bytes
// recomputed from the held keys.
#include "input/key_state.h"
#include "strings/strings.h"

constexpr auto relaxed = std::memory_order_relaxed;

std::atomic<int32_t> held_keys[HELD_KEYS_MAX];
std::atomic<int32_t> held_key_count{0};

bool kbd_in_held_list(int32_t code) {
  int32_t n = held_key_count.load(relaxed);
  for (int32_t i = 0; i < n; i++)
    if (held_keys[i].load(relaxed) == code) return true;
  return false;
}

// The list can hold every distinct key code the pipeline produces many times over;
// a key beyond its capacity is simply not held.
void kbd_hold(int32_t code) {
  if (kbd_in_held_list(code)) return;
  int32_t n = held_key_count.load(relaxed);
  if (n >= HELD_KEYS_MAX) return;
  held_keys[n].store(code, relaxed);
  held_key_count.store(n + 1, std::memory_order_release);
}

void kbd_release(int32_t code) {
  int32_t n = held_key_count.load(relaxed);
  for (int32_t i = 0; i < n; i++) {
    if (held_keys[i].load(relaxed) != code) continue;
    for (int32_t j = i + 1; j < n; j++) held_keys[j - 1].store(held_keys[j].load(relaxed), relaxed);
    held_key_count.store(n - 1, std::memory_order_release);
    return;
  }
}

void kbd_toggle_held(int32_t code) {
  if (kbd_in_held_list(code))
    kbd_release(code);
  else
    kbd_hold(code);
}

bool kbd_shift_held() { return kbd_in_held_list(KEY_LEFT_SHIFT) || kbd_in_held_list(KEY_RIGHT_SHIFT); }
bool kbd_ctrl_held() { return kbd_in_held_list(KEY_LEFT_CTRL) || kbd_in_held_list(KEY_RIGHT_CTRL); }
bool kbd_alt_held() { return kbd_in_held_list(KEY_LEFT_ALT) || kbd_in_held_list(KEY_RIGHT_ALT); }

// Keypad twin of a character or navigation code, 0 when it has none.
static int32_t keypad_twin(int32_t code) {
  switch (code) {
    case 13: return KEY_PAD_ENTER;
    case '*': return 100268;
    case '+': return 100270;
    case '-': return 100269;
    case '.': return 100266;
    case '/': return 100267;
    default: break;
  }
  if (code >= '0' && code <= '9') return KEY_PAD_DIGIT_0 + (code - '0');
  static const int32_t nav_twin[13] = {200007, 200008, 200009, 0,      200004, 200005, 200006,
                                       0,      200001, 200002, 200003, 200000, 200010};  // scans 71..83
  if (code >= 256 && (code & 0xFF) == 0) {
    int32_t scan = code >> 8;
    if (scan >= 71 && scan <= 83) return nav_twin[scan - 71];
  }
  return 0;
}

int32_t kbd_is_held(int32_t code) {
  if (kbd_in_held_list(code)) return 1;
  int32_t twin = keypad_twin(code);
  return twin != 0 && kbd_in_held_list(twin) ? 1 : 0;
}

static uint8_t bit_if(bool held, int bit) { return held ? uint8_t(1u << bit) : 0; }

static void store_flag_byte(int32_t address, uint8_t value) {
  std::atomic_ref<uint8_t>(conventional_memory[address]).store(value, relaxed);
}

void kbd_update_flags() {
  if (!conventional_memory) return;
  uint8_t flags = bit_if(kbd_in_held_list(KEY_RIGHT_SHIFT), 0) | bit_if(kbd_in_held_list(KEY_LEFT_SHIFT), 1) |
                  bit_if(kbd_ctrl_held(), 2) | bit_if(kbd_alt_held(), 3) |
                  bit_if(kbd_in_held_list(KEY_SCROLL_LOCK_ON), 4) | bit_if(kbd_in_held_list(KEY_NUM_LOCK), 5) |
                  bit_if(kbd_in_held_list(KEY_CAPS_LOCK), 6) | bit_if(kbd_in_held_list(KEY_INSERT_MODE_ON), 7);
  uint8_t flags2 = bit_if(kbd_in_held_list(KEY_LEFT_CTRL), 0) | bit_if(kbd_in_held_list(KEY_LEFT_ALT), 1) |
                   bit_if(kbd_in_held_list(KEY_SYSREQ), 2) | bit_if(kbd_in_held_list(KEY_PAUSE), 3) |
                   bit_if(kbd_in_held_list(KEY_SCROLL_LOCK), 4) | bit_if(kbd_in_held_list(KEY_INSERT), 7);
  uint8_t flags3 = bit_if(kbd_in_held_list(KEY_RIGHT_CTRL), 0) | bit_if(kbd_in_held_list(KEY_RIGHT_ALT), 1) | 0x10;
  store_flag_byte(BIOS_KBD_FLAGS, flags);
  store_flag_byte(BIOS_KBD_FLAGS2, flags2);
  store_flag_byte(BIOS_KBD_FLAGS3, flags3);
}
