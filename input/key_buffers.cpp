// The three places a key is stored: the BIOS keyboard buffer in conventional memory,
// the key-hit ring and the keyboard controller's scan-code buffer.
#include "input/key_state.h"
#include "strings/strings.h"

constexpr auto relaxed = std::memory_order_relaxed;
constexpr auto acquire = std::memory_order_acquire;
constexpr auto release = std::memory_order_release;

// ---- BIOS keyboard buffer ------------------------------------------------------------
// Single producer (display thread) writes the tail, single consumer (program thread)
// the head; each index is published with a release store after the entry's bytes.

static std::atomic_ref<uint8_t> bios_byte(int32_t address) {
  return std::atomic_ref<uint8_t>(conventional_memory[address]);
}

bool kbd_queue_slot_valid(int32_t offset) {
  return offset >= BIOS_KBD_FIRST && offset <= BIOS_KBD_LAST && (offset & 1) == 0;
}

// A program may POKE the head and tail; an index outside the buffer would make us
// write over the rest of the BIOS data area, so the key is refused instead.
bool kbd_queue_add(uint8_t character, uint8_t scan) {
  if (!conventional_memory) return false;
  int32_t tail = bios_byte(BIOS_KBD_TAIL).load(relaxed);
  int32_t head = bios_byte(BIOS_KBD_HEAD).load(acquire);
  if (!kbd_queue_slot_valid(tail) || !kbd_queue_slot_valid(head)) return false;
  int32_t next = tail + 2 > BIOS_KBD_LAST ? BIOS_KBD_FIRST : tail + 2;
  if (next == head) return false;  // full: the BIOS loses the new key
  bios_byte(0x400 + tail).store(character, relaxed);
  bios_byte(0x401 + tail).store(scan, relaxed);
  bios_byte(BIOS_KBD_TAIL).store(uint8_t(next), release);
  return true;
}

void kbd_queue_clear() {
  if (!conventional_memory) return;
  bios_byte(BIOS_KBD_HEAD).store(BIOS_KBD_FIRST, relaxed);
  bios_byte(BIOS_KBD_HEAD + 1).store(0, relaxed);
  bios_byte(BIOS_KBD_TAIL).store(BIOS_KBD_FIRST, release);
  bios_byte(BIOS_KBD_TAIL + 1).store(0, relaxed);
}

// ---- Key-hit ring ----------------------------------------------------------------------
// The read index has two writers: the consumer, and a producer that finds the ring full
// and drops the oldest entry. Both advance it with compare-and-swap, so an entry is
// never both dropped and read.

static std::atomic<int32_t> key_hit_queue[KEY_HIT_QUEUE_SIZE];
static std::atomic<int32_t> key_hit_write{0};
static std::atomic<int32_t> key_hit_read{0};

static int32_t hit_next(int32_t i) { return (i + 1) % KEY_HIT_QUEUE_SIZE; }

void kbd_hit_append(int32_t value) {
  int32_t w = key_hit_write.load(relaxed);
  int32_t r = key_hit_read.load(acquire);
  if (hit_next(w) == r) key_hit_read.compare_exchange_strong(r, hit_next(r));
  key_hit_queue[w].store(value, relaxed);
  key_hit_write.store(hit_next(w), release);
}

void kbd_hit_clear() { key_hit_read.store(key_hit_write.load(acquire), relaxed); }

int32_t kbd_next_key_event() {
  for (;;) {
    int32_t r = key_hit_read.load(acquire);
    if (r == key_hit_write.load(acquire)) return 0;
    int32_t value = key_hit_queue[r].load(relaxed);
    if (key_hit_read.compare_exchange_strong(r, hit_next(r))) return value;
  }
}

// ---- Scan-code buffer ---------------------------------------------------------------------
// Same scheme as the key-hit ring: one slot stays free, so 257 slots hold 256 codes.

constexpr int32_t SCAN_RING = SCAN_BUFFER_SIZE + 1;
static std::atomic<uint8_t> scan_ring[SCAN_RING];
static std::atomic<int32_t> scan_write{0};
static std::atomic<int32_t> scan_read{0};
static std::atomic<int32_t> scan_last_read{0x81};

static int32_t scan_next(int32_t i) { return (i + 1) % SCAN_RING; }

void kbd_scan_append(uint8_t code) {
  int32_t w = scan_write.load(relaxed);
  int32_t r = scan_read.load(acquire);
  if (w != r && scan_ring[(w + SCAN_RING - 1) % SCAN_RING].load(relaxed) == code) return;
  if (scan_next(w) == r) scan_read.compare_exchange_strong(r, scan_next(r));
  scan_ring[w].store(code, relaxed);
  scan_write.store(scan_next(w), release);
}

void kbd_scan_clear() {
  scan_read.store(scan_write.load(acquire), relaxed);
  scan_last_read.store(0x81, relaxed);
}

int32_t kbd_read_scan_code() {
  for (;;) {
    int32_t r = scan_read.load(acquire);
    if (r == scan_write.load(acquire)) return scan_last_read.load(relaxed);
    int32_t code = scan_ring[r].load(relaxed);
    if (scan_read.compare_exchange_strong(r, scan_next(r))) {
      scan_last_read.store(code, relaxed);
      return code;
    }
  }
}

// ---- Key codes ------------------------------------------------------------------------------

int32_t kbd_hit_value(int32_t code) {
  static const int32_t pad_symbols[6] = {46, 47, 42, 45, 43, 13};  // . / * - + Enter
  static const int32_t pad_navigation[11] = {0x5200, 0x4F00, 0x5000, 0x5100, 0x4B00, 0x4C00,
                                             0x4D00, 0x4700, 0x4800, 0x4900, 0x5300};
  if (code >= KEY_PAD_DIGIT_0 && code <= KEY_PAD_DIGIT_0 + 9) return '0' + (code - KEY_PAD_DIGIT_0);
  if (code > KEY_PAD_DIGIT_0 + 9 && code <= KEY_PAD_ENTER) return pad_symbols[code - KEY_PAD_DIGIT_0 - 10];
  if (code >= KEY_PAD_NAV_INSERT && code <= KEY_PAD_NAV_DELETE) return pad_navigation[code - KEY_PAD_NAV_INSERT];
  return code;
}

int32_t kbd_record_of(int32_t code) {
  if (code == KEY_CHAR_ZERO) return 0;
  if (code >= 0 && code <= 255) return code;
  if (code >= KEY_PAD_DIGIT_0 && code <= KEY_PAD_ENTER) return KEY_RECORD_KEYPAD + (code - KEY_PAD_DIGIT_0);
  if (code >= KEY_PAD_NAV_INSERT && code <= KEY_PAD_NAV_DELETE)
    return KEY_RECORD_KEYPAD + (code - KEY_PAD_NAV_INSERT);
  if (code >= 256 && code <= 65535) return KEY_RECORD_EXTENDED + (code >> 8);
  return -1;
}

int32_t kbd_modifier_make(int32_t code) {
  switch (code) {
    case KEY_LEFT_SHIFT: return 42;
    case KEY_RIGHT_SHIFT: return 54;
    case KEY_LEFT_ALT:
    case KEY_RIGHT_ALT: return 56;
    case KEY_LEFT_CTRL:
    case KEY_RIGHT_CTRL: return 29;
    case KEY_NUM_LOCK: return 69;
    case KEY_CAPS_LOCK: return 58;
    case KEY_SCROLL_LOCK: return 70;
    default: return 0;
  }
}
