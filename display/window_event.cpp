// Events the toolkit does not report, delivered by the window layer: the close
// request, the Pause and Break keys, raw mouse motion.
#include "core/core.h"
#include "display/display.h"
#include "input/input.h"
#include "mouse/mouse.h"

bool disp_window_event(int32_t kind, int32_t a1, int32_t a2) {
  switch (kind) {
    case 1:  // handled: the window layer keeps the window alive
      window_close_requested.fetch_or(1, std::memory_order_relaxed);
      return true;
    case 2:
      if (a1 != KEY_PAUSE && a1 != KEY_BREAK) return false;
      if (a2 > 0) kbd_key_down(a1);
      else kbd_key_up(a1);
      return true;
    case 3:
      mouse_raw_motion(a1, a2);
      return true;
    default:
      return false;
  }
}
