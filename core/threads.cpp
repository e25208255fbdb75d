// The program, timer-trap and housekeeping threads, program end and shutdown.
#include "core/core_private.h"
#include "display/display.h"
#include "errors/errors.h"
#include "files/files.h"
#include "input/input.h"
#include "os/os.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "print/print.h"
#include "screen/screen.h"
#include "strings/strings.h"

constexpr auto relaxed = std::memory_order_relaxed;

void rt_program_thread() {
  program_main_routine();
  rt_end();  // a main routine ends in its implicit END; this only guards a bare return
}

void rt_timer_thread() {
  for (;;) {
    // A 1 ms sleep keeps millisecond resolution without spinning a core; with no
    // timer armed the thread only needs to notice the shutdown.
    bool armed = rt_timer_poll(double(rt_clock_ms()) * 0.001);
    plat_sleep_ms(armed ? 1 : 16);
    if (exit_in_progress.load(relaxed)) {
      parked_threads.fetch_or(2);
      return;
    }
  }
}

void rt_update_bios_ticks() {
  uint32_t t = uint32_t(int64_t(rt_clock_ms()) - start_clock_ms + start_ms_of_day) % 86400000u;
  uint32_t ticks = uint32_t(double(t) * 0.0182);
  uint8_t *p = conventional_memory + BIOS_TICK_COUNT;
  p[0] = uint8_t(ticks);
  p[1] = uint8_t(ticks >> 8);
  p[2] = uint8_t(ticks >> 16);
}

void rt_housekeeping_thread() {
  int phase = 0;
  bool shell_seen = false;
  for (;;) {
    if (window_close_requested.load(relaxed) && !exit_trapping.load(relaxed)) rt_shutdown();
    rt_update_bios_ticks();
    bool from_shell = false;
    if (shell_running.load(relaxed)) {
      if (shell_seen) {
        plat_sleep_ms(64);
        continue;
      }
      shell_seen = from_shell = true;
    } else {
      shell_seen = false;
    }
    if (!from_shell) {
      plat_sleep_ms(15);
      plat_sleep_ms(1);
      if (end_requested.load(relaxed)) rt_shutdown();
      phase ^= 1;
      prn_idle_check();
    }
    // The retrace status port sees one vertical retrace per frame step.
    retrace_now.store(phase == 1, relaxed);
    if (phase == 1) retrace_latch.store(1, relaxed);
    if (phase == 1 || from_shell) {
      if (autodisplay.load(relaxed)) disp_build_frame();
      frame_counter.fetch_add(1, relaxed);
    }
    if (phase == 0 && !shell_running.load(relaxed)) kbd_sync_locks();
  }
}

void rt_shutdown() {
  exit_in_progress.store(1, relaxed);
  event_pending.store(1, relaxed);
  while (parked_threads.load(relaxed) != 3) plat_sleep_ms(16);
  prn_flush_pending();
  file_close_all();
  plat_exit(0);
}

void rt_halt_program_thread() {
  parked_threads.fetch_or(1);
  while (!exit_in_progress.load(relaxed)) plat_sleep_ms(16);
  for (;;) plat_sleep_ms(16);
}

// INKEY$ returned a key; its temporaries go at once.
static bool key_waiting() {
  uint32_t mark = temp_count;
  return rtstr_release_temps(mark, kbd_inkey()->length != 0 ? -1 : 0) != 0;
}

void rt_end() {
  file_close_all();
  exit_trapping.store(0, relaxed);
  if (!window_hidden.load(relaxed)) {
    scr_end_prompt();
    if (kbd_available()) {
      while (key_waiting()) plat_sleep_ms(0);
      autodisplay.store(1, relaxed);
      do {
        plat_sleep_ms(1);  // a 1 ms poll instead of a yield: the prompt may wait for hours
        if (exit_in_progress.load(relaxed)) rt_halt_program_thread();
      } while (!key_waiting());
    } else {
      autodisplay.store(1, relaxed);
    }
  }
  end_requested.store(1, relaxed);
  rt_halt_program_thread();
}

int32_t rt_exit_requests() {
  exit_trapping.store(1, relaxed);
  return window_close_requested.exchange(0, relaxed);
}
