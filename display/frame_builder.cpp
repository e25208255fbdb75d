// The builder pass: the pause handshake with SCREEN, reclaiming, the pass by kind of
// image, and the display statements with their hand-over to the program thread.
#include "core/core.h"
#include "display/display_private.h"
#include "errors/errors.h"
#include "platform/clock.h"
#include "screen/screen.h"

#include <climits>

std::atomic<int32_t> prev_frame_valid{0};

// Release: our reads of the page are done before SCREEN, seeing 2, replaces it.
static void answer_pause() {
  int32_t asked = 1;
  if (display_pause.compare_exchange_strong(asked, 2, std::memory_order_acq_rel, relaxed)) plat_sleep_ms(0);
}

static void pass_end() {
  answer_pause();
  int32_t switch_off = -1;
  // Release: the program thread builds next and must see the copies this pass left.
  autodisplay.compare_exchange_strong(switch_off, 0, std::memory_order_release, relaxed);
}

bool disp_frame_size(const ImageSurface *image, int32_t *width, int32_t *height) {
  int64_t w = image->width, h = image->height;
  if (image->is_text) {
    int32_t font = image->font;
    if (font < 0 || font > font_max_handle) return false;
    w *= font_widths[font];
    h *= font_heights[font];
  }
  // Sizes that no window could show; the byte count must also fit its int32 field.
  if (w <= 0 || h <= 0 || w * h * 4 > INT32_MAX) return false;
  *width = int32_t(w);
  *height = int32_t(h);
  return true;
}

static void run_pass(ImageSurface *image) {
  if (image->is_text)
    disp_text_pass(image);
  else if (image->bits_per_pixel == 32)
    disp_argb_pass(image);
  else
    disp_palette_pass(image);
}

void disp_build_frame() {
  // Pairs with the release store that handed building to this thread (autodisplay),
  // so the copies the other thread's passes left are visible here.
  std::atomic_thread_fence(std::memory_order_acquire);
  display_builder_ready.store(1, std::memory_order_release);
  answer_pause();
  // A hidden window builds nothing, but a switch-off request is still answered:
  // otherwise the display statement would wait for ever.
  if (window_hidden.load(relaxed)) return pass_end();
  ImageSurface *image = display_image.load(std::memory_order_acquire);
  if (display_pause.load(std::memory_order_acquire) != 0 || !image) return pass_end();
  disp_reclaim_frames();
  if (disp_ring_full()) return;  // the newest frame stays; the hand-over waits too
  run_pass(image);
  pass_end();
}

void disp_display() {
  if (err_pending()) return;
  if (autodisplay.load(std::memory_order_acquire) == 0) return disp_build_frame();
  autodisplay.store(-1, relaxed);
  while (autodisplay.load(std::memory_order_acquire) != 0) {
    // The shutdown builds no more frames; the next epilogue parks this thread.
    if (exit_in_progress.load(relaxed)) return;
    plat_sleep_ms(1);
  }
  // The last automatic pass may have started before the statements that led here;
  // one pass of our own shows the screen as it is now.
  disp_build_frame();
}

void disp_autodisplay() {
  if (err_pending()) return;
  // Release: the housekeeping thread builds next and must see this thread's copies.
  autodisplay.store(1, std::memory_order_release);
}
