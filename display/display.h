// Display: the frame builder that turns the visible page into 32-bit frames, and the
// presenter with the window layer.
#pragma once

#include <atomic>
#include <cstdint>

// ---- Frame ring ---------------------------------------------------------------------
// The builder (housekeeping or program thread) owns every entry that is not yet
// published; it publishes with a release store of frame_last once the pixels are
// complete. The presenter (display thread) reads only the newest frame's pixels and
// writes only `consumed` and `shown`.
struct Frame {
  uint32_t *frame_pixels;  // 0xAARRGGBB, first row = top row; null = entry free
  int32_t frame_width;
  int32_t frame_height;
  int32_t frame_bytes;
  std::atomic<uint8_t> consumed;  // the presenter has moved past it
  std::atomic<uint8_t> shown;     // the presenter has drawn it
};

constexpr int FRAME_RING_SIZE = 64;  // live indexes 1..64, index 0 never used
extern Frame frame_ring[FRAME_RING_SIZE + 1];
extern std::atomic<int32_t> frame_first;  // oldest frame owned by the ring, 0 before the first
extern std::atomic<int32_t> frame_last;   // newest published frame

// Index after i in the ring (after 64 comes 1) and before it (before 1 comes 64).
inline int32_t disp_ring_next(int32_t i) { return i >= FRAME_RING_SIZE ? 1 : i + 1; }
inline int32_t disp_ring_prev(int32_t i) { return i <= 1 ? FRAME_RING_SIZE : i - 1; }

// Start-up: empty the frame ring and forget every copy the builder keeps.
void disp_clear_ring();

// ---- Frame builder ---------------------------------------------------------------------
// Cleared by SCREEN and font loading so that the next frame is painted in full.
extern std::atomic<int32_t> prev_frame_valid;

// One builder pass over display_image (housekeeping thread, or the program thread
// while autodisplay is 0). Builds a frame only when something visible changed.
void disp_build_frame();
// The display statement: the first call in automatic mode switches automatic display
// off through the -1 -> 0 hand-over; later calls build a frame at once.
void disp_display();
// Turns automatic display back on.
void disp_autodisplay();

// The rows of a text cursor cell that the cursor paints, [*first, *last]; false when
// it paints none. font_height is the cell height.
bool disp_cursor_rows(int start, int stop, int font_height, int *first, int *last);

// ---- Presenter (display thread) ------------------------------------------------------
extern int32_t window_width;   // client size last reported by the reshape callback
extern int32_t window_height;
extern int32_t forced_redraw;  // draw the newest frame again (reshape, expose)
extern int32_t layer_order;    // drawing pass of the frame: 2 = pass 1, 1 = pass 3 (blended)

// What the presenter has to do on this display request.
enum class PresentAction { nothing, resize, draw };
struct PresentStep {
  PresentAction action;
  int32_t frame;  // ring index of the frame to draw, or whose size to take
};
// Steps of the display callback that decide, without touching the window: marks the
// frames passed as consumed and picks the frame to draw or the size to ask for.
PresentStep disp_present_begin();
// After drawing: frames published meanwhile are passed too.
void disp_present_end();

// The toolkit callbacks of the window layer.
void disp_present();
void disp_redisplay_timer(int value);
void disp_reshape(int width, int height);

// Events the toolkit does not report. kind 1 close request, 2 a key (Pause 100019,
// Break 100318; a positive a2 is a key-down), 3 raw mouse motion (a1, a2).
// Returns true when the event was handled (a handled close keeps the window).
bool disp_window_event(int32_t kind, int32_t a1, int32_t a2);

// Creates the window, registers the callbacks and runs the toolkit loop (display
// thread); never returns.
[[noreturn]] void disp_window_run(int argc, char **argv);
