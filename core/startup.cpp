// Process entry and start-up order, COMMAND$ and the start-up clock synchronisation.
#include "core/core.h"
#include "core/core_private.h"
#include "display/display.h"
#include "errors/errors.h"
#include "input/input.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/thread.h"
#include "screen/screen.h"
#include "strings/strings.h"

#include <cstring>
#include <vector>

std::atomic<int32_t> event_pending{0};
std::atomic<int32_t> retry_statement{0};
std::atomic<uint8_t> program_paused{0};
std::atomic<uint8_t> end_requested{0};
std::atomic<uint8_t> exit_in_progress{0};
std::atomic<int32_t> parked_threads{0};
std::atomic<int32_t> window_close_requested{0};
std::atomic<int32_t> exit_trapping{0};
std::atomic<int32_t> autodisplay{1};
std::atomic<int32_t> threads_started{0};
std::atomic<int32_t> window_hidden{0};
std::atomic<int32_t> frame_counter{0};

int32_t start_clock_ms = 0;
int32_t start_ms_of_day = 0;
RtString *command_line = nullptr;
int32_t environment_count = 0;

HandleList *device_handles = nullptr;
HandleList *stream_handles = nullptr;
HandleList *socket_handles = nullptr;

RtMainRoutine program_main_routine = nullptr;

int64_t rt_clock_ms() { return plat_clock_ms(); }

// Cut the executable's path at its last separator: before a slash, after a colon.
static void change_to_executable_folder() {
  std::vector<char> path(65536);
  if (!plat_module_path(path.data(), path.size())) return;
  for (size_t i = strlen(path.data()); i-- > 0;) {
    if (path[i] == '/' || path[i] == '\\') {
      path[i] = 0;
      break;
    }
    if (path[i] == ':') {
      path[i + 1] = 0;
      break;
    }
  }
  plat_chdir(path.data());  // fails silently, as a name without a folder does
}

RtString *rt_build_command_line(int argc, char **argv) {
  size_t total = 0;
  for (int i = 1; i < argc; i++) total += strlen(argv[i]) + (i > 1);
  RtString *s = rtstr_new(uint32_t(total), false);
  uint8_t *out = s->bytes;
  for (int i = 1; i < argc; i++) {
    if (i > 1) *out++ = ' ';
    size_t n = strlen(argv[i]);
    memcpy(out, argv[i], n);
    out += n;
  }
  return s;
}

// Start-up falls on a wall-clock second boundary so that TIMER's fraction is aligned
// with the clock's seconds. We sleep towards the boundary instead of spinning.
static void synchronise_clock() {
  int64_t t0 = plat_time_now();
  int64_t t1 = 0;
  if (t0 != -1) {
    do {
      plat_sleep_ms(1);
      t1 = plat_time_now();
    } while (t1 == t0);
  }
  start_clock_ms = int32_t(rt_clock_ms());
  int h, m, s;
  start_ms_of_day = plat_local_time(t1, &h, &m, &s) ? (h * 3600 + m * 60 + s) * 1000 : 0;
}

static void time_of_day_without_waiting() {
  start_clock_ms = int32_t(rt_clock_ms());
  int h, m, s;
  start_ms_of_day = plat_local_time(plat_time_now(), &h, &m, &s) ? (h * 3600 + m * 60 + s) * 1000 : 0;
}

static bool tables_ready = false;

void rt_init_tables(int argc, char **argv) {
  if (tables_ready) return;
  tables_ready = true;
  device_handles = rt_hlist_new(8);
  stream_handles = rt_hlist_new(20);
  socket_handles = rt_hlist_new(20);
  disp_clear_ring();
  rt_key_traps_reset();
  rt_timer_slots_reserve(1);
  timer_trap_slots[0].in_use = 1;
  if (argc > 0) change_to_executable_folder();
  environment_count = plat_environment_size() + 1;
  rtstr_init();
  command_line = rt_build_command_line(argc, argv);
  if (argc > 0) synchronise_clock(); else time_of_day_without_waiting();
  kbd_startup();
  kbd_reset_queues();
  scr_startup();
}

int rt_entry(int argc, char **argv, RtMainRoutine main_routine) {
  program_main_routine = main_routine;
  err_main_routine = main_routine;
  rt_init_tables(argc, argv);
  plat_thread_start(rt_program_thread);
  plat_thread_start(rt_timer_thread);
  threads_started.store(1, std::memory_order_release);
  plat_thread_start(rt_housekeeping_thread);
  disp_window_run(argc, argv);
}

static bool first_entry = true;

void rt_prologue() {
  if (first_entry) {
    first_entry = false;
    plat_fpu_extended_precision();
  }
  plat_route_arith_fault(rt_fpe_handler);
}

void rt_fpe_handler(int) { err_raise(11); }
