// Runtime core: start-up, the four threads and their shared flags, program end,
// the statement epilogue with key and timer traps, and handle lists.
#pragma once

#include <atomic>
#include <cstdint>

struct RtString;

// ---- Shared flags between threads ---------------------------------------------
// Plain flags use relaxed order: every poll re-reads memory, nothing else is published.
extern std::atomic<int32_t> event_pending;          // run the epilogue after this statement
extern std::atomic<int32_t> retry_statement;        // the epilogue asks for the statement again
extern std::atomic<uint8_t> program_paused;         // bit 0: paused by the Pause key
extern std::atomic<uint8_t> end_requested;          // end now (END, Ctrl+Break, dialog No)
extern std::atomic<uint8_t> exit_in_progress;       // shutdown has begun
extern std::atomic<int32_t> parked_threads;         // bit 0 program thread, bit 1 timer thread
extern std::atomic<int32_t> window_close_requested; // bit 0 close button, bit 1 trapped Ctrl+Break
extern std::atomic<int32_t> exit_trapping;          // 1 once rt_exit_requests was called
extern std::atomic<int32_t> autodisplay;            // 1 auto frames, 0 on request, -1 switch-off asked
extern std::atomic<int32_t> threads_started;        // 1 once the worker threads run
extern std::atomic<int32_t> window_hidden;          // 1 while the program hid its window
extern std::atomic<int32_t> frame_counter;          // housekeeping frame steps; bit 3 = blink phase

extern int32_t start_clock_ms;   // rt_clock_ms at the start-up clock synchronisation
extern int32_t start_ms_of_day;  // local time of day at start-up, whole seconds, in ms
extern RtString *command_line;   // COMMAND$
extern int32_t environment_count;

// Offset of the emulated BIOS tick counter in conventional memory.
constexpr int32_t BIOS_TICK_COUNT = 0x46C;

// ---- Entry, threads, end --------------------------------------------------------
using RtMainRoutine = void (*)();

// The process entry: builds the tables, starts the threads, opens the window and
// runs the toolkit loop. Never returns in practice.
int rt_entry(int argc, char **argv, RtMainRoutine main_routine);

// Start-up steps 1 to 11 (tables, directory, COMMAND$, clock, keys, palettes, fonts,
// SCREEN 0) without threads or window; rt_entry calls it, unit tests call it alone.
void rt_init_tables(int argc, char **argv);

int64_t rt_clock_ms();
[[noreturn]] void rt_end();
[[noreturn]] void rt_halt_program_thread();
[[noreturn]] void rt_shutdown();
int32_t rt_exit_requests();
void rt_fpe_handler(int signal_number);
void rt_chain_receive();

// The translated main routine's prologue (precision, the arithmetic-fault signal).
void rt_prologue();

// One housekeeping step of the BIOS tick counter at 0x46C (exposed for tests).
void rt_update_bios_ticks();

// Joins the process arguments after the program name with single blanks.
RtString *rt_build_command_line(int argc, char **argv);

// ---- Statement epilogue and events -----------------------------------------------
void rt_statement_epilogue(int32_t line);
void rt_event_dispatch();

// After a statement: true when the epilogue asks to run it again.
inline bool rt_after_statement(int32_t line) {
  if (event_pending.load(std::memory_order_relaxed) == 0) return false;
  rt_statement_epilogue(line);
  return retry_statement.load(std::memory_order_relaxed) != 0;
}

// After a line that holds only a label: there is nothing to run again.
inline void rt_after_label(int32_t line) {
  if (event_pending.load(std::memory_order_relaxed) == 0) return;
  rt_statement_epilogue(line);
  retry_statement.store(0, std::memory_order_relaxed);
}

// A translated statement on one line: RT_STMT(42, body;) runs the body, then the
// epilogue check, and runs the body again while the epilogue asks for it.
#define RT_STMT(line, ...) \
  do { __VA_ARGS__; } while (rt_after_statement(line))
#define RT_LABEL(line) rt_after_label(line)

// Handler identifiers are the translated program's own; it dispatches them.
using RtTrapHandler = void (*)(int64_t handler_id);
extern RtTrapHandler trap_handler;  // installed by a program that uses ON KEY / ON TIMER

struct KeyTrapSlot {
  int32_t trap_defined;
  int64_t handler_id;
  uint8_t state;          // 0 off, 1 on, other values stopped
  std::atomic<uint8_t> pending;  // events waiting; raised on the display thread, taken here
  int32_t key_code;
  int32_t alt_key_code;
  uint8_t scan_code;
  uint8_t shift_flags;
  RtString *soft_key_text;
};
constexpr int KEY_TRAP_SLOTS = 32;
extern KeyTrapSlot key_trap_slots[KEY_TRAP_SLOTS];

struct TimerTrapSlot {
  uint8_t in_use;
  int32_t has_handler;
  int64_t handler_id;
  std::atomic<uint8_t> state;
  std::atomic<uint8_t> pending;   // 0 none, 1 fired, 2 being dispatched
  double interval;
  double last_fired;
};
extern TimerTrapSlot *timer_trap_slots;
extern std::atomic<int32_t> timer_trap_count;
// Grows the slot array to hold at least count slots (program thread only).
void rt_timer_slots_reserve(int32_t count);
// One pass of the timer-trap thread over the slots (exposed for tests); true while a
// slot is armed, so that the thread keeps its millisecond resolution.
bool rt_timer_poll(double now_seconds);

// Key codes whose key-down a trap or soft key took; their key-up is not reported.
constexpr int TAKEN_KEYS_MAX = 255;
extern int32_t taken_keys[TAKEN_KEYS_MAX];
extern int32_t taken_key_count;

void rt_key_traps_reset();  // default key codes of the 32 slots
// Key-down path: true when a trap or soft key took the key. from_soft_key marks
// keys that a soft key is typing; they skip the trap checks.
bool kbd_trap_check(int32_t key_code, int32_t key_hit_value, bool from_soft_key = false);

// ---- Handle lists -----------------------------------------------------------------
struct HandleList {
  int32_t element_size;
  int32_t slot_size;         // record, its 32-bit tag, rounded up to keep records aligned
  uint8_t *current_block;
  int32_t block_used;
  int32_t block_capacity;
  int32_t *free_stack;       // 1-based
  int32_t free_top;
  int32_t free_capacity;
  uint8_t *blocks[64];       // 1-based, up to 63 blocks
  int32_t block_count;
  uint8_t **slots;           // indexed by handle
  int32_t highest_handle;
  int32_t slots_capacity;
};

HandleList *rt_hlist_new(int32_t element_size);
int32_t rt_hlist_alloc(HandleList *list);
int32_t rt_hlist_free(HandleList *list, int32_t handle);  // -1 freed, 0 out of range or free
void *rt_hlist_get(HandleList *list, int32_t handle);
int32_t rt_hlist_handle_of(HandleList *list, const void *record);

extern HandleList *device_handles;   // 8-byte records
extern HandleList *stream_handles;   // 20-byte records
extern HandleList *socket_handles;   // 20-byte records
