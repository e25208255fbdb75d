// Key reading on the program thread: INKEY$ from the BIOS buffer, and SLEEP with its
// wake flag. The key-event reader sits with its ring in key_buffers.cpp.
#include "core/core.h"
#include "errors/errors.h"
#include "input/key_state.h"
#include "platform/clock.h"
#include "strings/strings.h"

constexpr auto relaxed = std::memory_order_relaxed;

std::atomic<int32_t> sleep_wake{0};

// A loop waiting on INKEY$ would keep a core busy with bare yields; after a run of
// empty reads each further empty read sleeps 1 ms. Loops that only drain the buffer,
// or poll it now and then, never reach the run.
constexpr int32_t EMPTY_READS_BEFORE_SLEEPING = 32;
static int32_t empty_reads = 0;

static std::atomic_ref<uint8_t> bios_byte(int32_t address) {
  return std::atomic_ref<uint8_t>(conventional_memory[address]);
}

static void pause_between_reads() {
  plat_sleep_ms(empty_reads >= EMPTY_READS_BEFORE_SLEEPING ? 1 : 0);
}

// Reads one entry into bytes; returns the string length (0 when empty).
static int32_t take_entry(uint8_t bytes[2]) {
  int32_t head = bios_byte(BIOS_KBD_HEAD).load(relaxed);
  int32_t tail = bios_byte(BIOS_KBD_TAIL).load(std::memory_order_acquire);
  if (!kbd_queue_slot_valid(head) || !kbd_queue_slot_valid(tail)) {
    // POKEd outside the buffer: start over empty, as the producer refuses such an index.
    kbd_queue_clear();
    return 0;
  }
  if (head == tail) return 0;
  bytes[0] = bios_byte(0x400 + head).load(relaxed);
  bytes[1] = bios_byte(0x401 + head).load(relaxed);
  int32_t next = head + 2 > BIOS_KBD_LAST ? BIOS_KBD_FIRST : head + 2;
  bios_byte(BIOS_KBD_HEAD).store(uint8_t(next), std::memory_order_release);
  return bytes[0] != 0 || bytes[1] == 0 ? 1 : 2;  // (0, 0) reads as CHR$(0)
}

RtString *kbd_inkey() {
  if (err_pending()) return rtstr_new(0, true);
  pause_between_reads();
  uint8_t bytes[2] = {0, 0};
  int32_t length = take_entry(bytes);
  empty_reads = length == 0 ? empty_reads + 1 : 0;
  RtString *s = rtstr_new(uint32_t(length), true);
  for (int32_t i = 0; i < length; i++) s->bytes[i] = bytes[i];
  return s;
}

void kbd_sleep(int32_t seconds, bool given) {
  if (err_pending()) return;
  sleep_wake.store(0, relaxed);
  double start = given ? double(rt_clock_ms()) : 0.0;
  double duration = given ? double(seconds) * 1000.0 : 0.0;
  for (;;) {
    rt_statement_epilogue(0);  // pause, end, errors and traps while sleeping
    if (sleep_wake.load(std::memory_order_acquire)) return;
    if (exit_in_progress.load(relaxed)) return;
    if (duration <= 0) {
      plat_sleep_ms(9);
      continue;
    }
    double now = double(rt_clock_ms());
    if (start > now) return;
    double elapsed = now - start;
    if (duration <= elapsed) return;
    double remaining = duration - elapsed;  // SLEEP may ask for more ms than an int32 holds
    if (remaining < 10) {
      plat_sleep_ms(remaining < 1 ? 1 : int32_t(remaining));
      return;
    }
    plat_sleep_ms(9);
  }
}
