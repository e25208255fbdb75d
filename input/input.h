// Keyboard and input: the key pipeline, key reading and waiting, the INPUT editor.
#pragma once

#include <cstdint>

struct RtString;
struct PlatKeyState;

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

// ==== Key pipeline and key buffer =====================================================

// Key codes: 1..255 characters, scan code * 256 extended keys, 100000 + n and
// 200000 + n keys without characters.
constexpr int32_t KEY_INSERT = 0x5200;
constexpr int32_t KEY_DELETE = 0x5300;
constexpr int32_t KEY_PAUSE = 100019;
constexpr int32_t KEY_PAD_DIGIT_0 = 100256;   // keypad 0..9 with Num Lock on: 100256..100265
constexpr int32_t KEY_PAD_ENTER = 100271;     // keypad . / * - + Enter: 100266..100271
constexpr int32_t KEY_NUM_LOCK = 100300;
constexpr int32_t KEY_CAPS_LOCK = 100301;
constexpr int32_t KEY_SCROLL_LOCK = 100302;
constexpr int32_t KEY_RIGHT_SHIFT = 100303;
constexpr int32_t KEY_LEFT_SHIFT = 100304;
constexpr int32_t KEY_RIGHT_CTRL = 100305;
constexpr int32_t KEY_LEFT_CTRL = 100306;
constexpr int32_t KEY_RIGHT_ALT = 100307;
constexpr int32_t KEY_LEFT_ALT = 100308;
constexpr int32_t KEY_SYSREQ = 100317;
constexpr int32_t KEY_BREAK = 100318;
constexpr int32_t KEY_PAD_NAV_INSERT = 200000;  // keypad with Num Lock off: 200000..200010
constexpr int32_t KEY_PAD_NAV_DELETE = 200010;
constexpr int32_t KEY_SCROLL_LOCK_ON = 200011;  // pseudo key held while Scroll Lock is on
constexpr int32_t KEY_INSERT_MODE_ON = 200012;  // pseudo key held while insert mode is on
constexpr int32_t KEY_CHAR_ZERO = 200013;       // stands for key code 0

// BIOS data area bytes in conventional memory.
constexpr int32_t BIOS_KBD_FLAGS = 0x417;
constexpr int32_t BIOS_KBD_FLAGS2 = 0x418;
constexpr int32_t BIOS_KBD_FLAGS3 = 0x496;
constexpr int32_t BIOS_KBD_HEAD = 0x41A;  // offsets from 0x400, 30..60 step 2
constexpr int32_t BIOS_KBD_TAIL = 0x41C;
constexpr int32_t BIOS_KBD_FIRST = 30;
constexpr int32_t BIOS_KBD_LAST = 60;

// key_table: records 0..255 characters, 256 + scan code extended keys, 512..527 the
// keypad keys 0..9 . / * - + Enter. A produced code below 256 is a character, one with
// bits in 0xFF00 an extended code, 0 nothing.
constexpr int KEY_TABLE_RECORDS = 528;
constexpr int KEY_RECORD_EXTENDED = 256;
constexpr int KEY_RECORD_KEYPAD = 512;
enum KeyColumn { KC_IDENTITY, KC_MAKE, KC_PLAIN, KC_SHIFT, KC_CTRL, KC_ALT, KC_NUM_LOCK, KC_UNUSED7,
                 KC_UNUSED8, KC_NUM_LOCK_SHIFT, KC_COUNT };
extern const int32_t (&key_table)[KEY_TABLE_RECORDS][KC_COUNT];

// Modifier bits of a toolkit key event.
constexpr int32_t KBD_MOD_SHIFT = 1;
constexpr int32_t KBD_MOD_CTRL = 2;
constexpr int32_t KBD_MOD_ALT = 4;

// The key-down and key-up paths (display thread). from_soft_key marks keys a soft
// key is typing.
void kbd_key_down(int32_t code, bool from_soft_key = false);
void kbd_key_up(int32_t code, bool from_soft_key = false);
// 1 when held, counting the keypad twin of a character or navigation code.
int32_t kbd_is_held(int32_t code);
void kbd_hold(int32_t code);
void kbd_release(int32_t code);
// Recomputes the BIOS status bytes at 0x417, 0x418 and 0x496 from the held keys.
void kbd_update_flags();

// The toolkit callbacks' translation, with the modifiers of the event passed in.
void kbd_char_event(int32_t key, bool down, int32_t modifiers);
void kbd_special_event(int32_t key, bool down, int32_t modifiers);

// Port 0x60: the oldest code of the scan-code buffer, removed; the last one again
// when the buffer is empty (0x81 before any key).
int32_t kbd_read_scan_code();

// Start-up with a given desktop state (kbd_startup reads the desktop's).
void kbd_startup_from(const PlatKeyState &state);
// Housekeeping: lock changes are handed to the display thread, which owns the key
// structures; kbd_apply_lock_events runs them there (called by kbd_poll_extra_keys).
void kbd_sync_locks_to(const PlatKeyState &state);
void kbd_apply_lock_events();

// ==== Key reading and waiting ========================================================

// The key-event reader: next value of the key-hit queue (releases negative), 0 if none.
int32_t kbd_next_key_event();
// SLEEP: waits for the seconds (when given and positive) or for a key-down or event.
void kbd_sleep(int32_t seconds, bool given);
