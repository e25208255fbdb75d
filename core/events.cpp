// The statement epilogue, the dispatch of key and timer traps, and the key-trap check.
#include "core/core.h"
#include "errors/errors.h"
#include "platform/clock.h"
#include "strings/strings.h"

constexpr auto relaxed = std::memory_order_relaxed;

KeyTrapSlot key_trap_slots[KEY_TRAP_SLOTS];
TimerTrapSlot *timer_trap_slots = nullptr;
std::atomic<int32_t> timer_trap_count{0};
static int32_t timer_trap_capacity = 0;
RtTrapHandler trap_handler = nullptr;

int32_t taken_keys[TAKEN_KEYS_MAX];
int32_t taken_key_count = 0;

static int32_t key_handler_running = 0;
static int32_t device_handler_running = 0;

// SLEEP's wake flag lives with the key reader; a timer event ends a SLEEP.
extern std::atomic<int32_t> sleep_wake;

static void set_key_codes(int slot, int32_t code, int32_t alt_code) {
  key_trap_slots[slot].key_code = code;
  key_trap_slots[slot].alt_key_code = alt_code;
}

void rt_key_traps_reset() {
  for (KeyTrapSlot &slot : key_trap_slots) {
    slot.trap_defined = 0;
    slot.handler_id = 0;
    slot.state = 0;
    slot.pending.store(0, relaxed);
    slot.key_code = slot.alt_key_code = 0;
    slot.scan_code = slot.shift_flags = 0;
    slot.soft_key_text = nullptr;
  }
  for (int i = 1; i <= 10; i++) set_key_codes(i, (0x3B + i - 1) << 8, 0);  // F1..F10
  set_key_codes(11, 0x4800, 100264);  // Up, keypad 8
  set_key_codes(12, 0x4B00, 100260);  // Left, keypad 4
  set_key_codes(13, 0x4D00, 100262);  // Right, keypad 6
  set_key_codes(14, 0x5000, 100258);  // Down, keypad 2
  set_key_codes(30, 0x8500, 0);       // F11
  set_key_codes(31, 0x8600, 0);       // F12
  taken_key_count = 0;
}

// The slots never move while the timer thread reads them: the array only grows
// before ON TIMER arms a slot, and old arrays are kept.
void rt_timer_slots_reserve(int32_t count) {
  if (count <= timer_trap_capacity) {
    if (count > timer_trap_count.load(relaxed)) timer_trap_count.store(count, std::memory_order_release);
    return;
  }
  int32_t capacity = timer_trap_capacity * 2 + 1;
  if (capacity < count) capacity = count;
  TimerTrapSlot *grown = new TimerTrapSlot[capacity]();
  int32_t used = timer_trap_count.load(relaxed);
  for (int32_t i = 0; i < used; i++) {
    TimerTrapSlot &from = timer_trap_slots[i], &to = grown[i];
    to.in_use = from.in_use;
    to.has_handler = from.has_handler;
    to.handler_id = from.handler_id;
    to.state.store(from.state.load(relaxed), relaxed);
    to.pending.store(from.pending.load(relaxed), relaxed);
    to.interval = from.interval;
    to.last_fired = from.last_fired;
  }
  timer_trap_slots = grown;  // the old array is abandoned, never freed
  timer_trap_capacity = capacity;
  timer_trap_count.store(count, std::memory_order_release);
}

bool rt_timer_poll(double now) {
  int32_t count = timer_trap_count.load(std::memory_order_acquire);
  TimerTrapSlot *slots = timer_trap_slots;
  bool armed = false;
  for (int32_t i = 0; i < count; i++) {
    TimerTrapSlot &slot = slots[i];
    armed |= slot.in_use && slot.has_handler && slot.state.load(relaxed) == 1;
    if (!slot.in_use || !slot.has_handler || !slot.state.load(relaxed) || slot.pending.load(relaxed) != 0 ||
        !(slot.interval < now - slot.last_fired))
      continue;
    if (slot.last_fired == 0.0) {  // the first cycle only starts the clock
      slot.last_fired = now;
      continue;
    }
    slot.last_fired += slot.interval;
    double behind = now - slot.last_fired;
    if (slot.interval <= (behind < 0 ? -behind : behind)) slot.last_fired = now;
    slot.pending.store(1, relaxed);
    event_pending.store(1, relaxed);
  }
  return armed;
}

void rt_statement_epilogue(int32_t line) {
  event_pending.store(0, relaxed);  // first: an event raised from here on is not lost
  retry_statement.store(0, relaxed);
  while ((program_paused.load(relaxed) & 1) || exit_in_progress.load(relaxed)) {
    if (exit_in_progress.load(relaxed)) rt_halt_program_thread();
    plat_sleep_ms(10);
  }
  if (err_pending()) {
    error_line = line;
    err_dialog();
    if (retry_request) {
      retry_request = 0;
      retry_statement.store(1, relaxed);
    }
    return;
  }
  rt_event_dispatch();
}

static void run_handler(int64_t id) {
  if (trap_handler) trap_handler(id);
}

void rt_event_dispatch() {
  if (in_handler) return;
  // Input-device traps: the table is empty until input devices are supported.
  (void)device_handler_running;
  for (int i = 1; i < KEY_TRAP_SLOTS && !key_handler_running; i++) {
    KeyTrapSlot &slot = key_trap_slots[i];
    if (!slot.trap_defined || slot.state != 1 || !slot.pending) continue;
    key_handler_running = 1;
    slot.pending.fetch_sub(1, relaxed);
    run_handler(slot.handler_id);
    key_handler_running = 0;
    i = 0;  // scan again from slot 1
  }
  int32_t count = timer_trap_count.load(std::memory_order_acquire);
  for (int32_t i = 0; i < count; i++) {
    TimerTrapSlot &slot = timer_trap_slots[i];
    if (!slot.in_use || !slot.has_handler || slot.state.load(relaxed) != 1 || slot.pending.load(relaxed) != 1)
      continue;
    slot.pending.store(2, relaxed);
    run_handler(slot.handler_id);
    slot.pending.store(0, relaxed);
    sleep_wake.store(1, relaxed);
  }
}
