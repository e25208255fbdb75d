// The presenter's decisions, apart from the window: which frame to draw, when to ask
// for a new window size, and which frames the presenter has passed.
#include "core/core.h"
#include "display/display_private.h"

int32_t window_width = 640;
int32_t window_height = 400;
int32_t forced_redraw = 0;
int32_t layer_order = 2;
int32_t present_mark = 0;

// Size requests since the last reshape report. A window manager may refuse them (a
// maximised window, a frame larger than the desktop); after this many the frame is
// drawn 1:1 at the top-left corner of whatever size the window has, instead of
// leaving the window without a picture. The next reshape report asks again.
constexpr int32_t RESIZE_ATTEMPTS = 25;
static int32_t resize_attempts = 0;

// Marks every frame before `last` consumed, in ring order from where the presenter
// stopped last time. Release: our reads of their pixels are done before the builder
// may reuse them.
static void pass_frames_before(int32_t last) {
  if (present_mark == 0) present_mark = frame_first.load(relaxed);
  for (int guard = 0; present_mark != last && guard < FRAME_RING_SIZE; guard++) {
    frame_ring[present_mark].consumed.store(1, std::memory_order_release);
    present_mark = disp_ring_next(present_mark);
  }
}

PresentStep disp_present_begin() {
  int32_t last = frame_last.load(std::memory_order_acquire);
  if (last == 0) return {PresentAction::nothing, 0};
  pass_frames_before(last);
  Frame &f = frame_ring[last];
  if (f.shown.load(relaxed) && !forced_redraw) return {PresentAction::nothing, last};
  // While paused the newest frame waits unshown, so it appears as soon as the pause
  // ends even if the screen does not change again.
  if (program_paused.load(relaxed) & 1) return {PresentAction::nothing, last};
  if (forced_redraw > 0) forced_redraw--;
  bool size_differs = f.frame_width != window_width || f.frame_height != window_height;
  if (size_differs && resize_attempts < RESIZE_ATTEMPTS) {
    resize_attempts++;
    return {PresentAction::resize, last};
  }
  f.shown.store(1, relaxed);
  return {PresentAction::draw, last};
}

void disp_present_end() { pass_frames_before(frame_last.load(std::memory_order_acquire)); }

void disp_reshape(int width, int height) {
  window_width = width;
  window_height = height;
  // Twice: the first draw after a resize may still land in the old-sized back buffer.
  forced_redraw = 2;
  resize_attempts = 0;
}
