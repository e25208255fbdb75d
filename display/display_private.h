// Display internals shared between the builder's files: the copies the builder keeps
// from pass to pass, the frame-slot operations of the ring and the passes.
#pragma once

#include "display/display.h"

struct ImageSurface;

constexpr auto relaxed = std::memory_order_relaxed;

// ---- Builder state (only the one running builder touches it) -----------------------
extern uint8_t *cell_copy;  // text cells last drawn, 2 bytes per cell
extern int32_t cell_copy_size;
extern uint32_t text_palette_copy[256];
extern int32_t prev_blink, prev_cursor_phase;
extern int32_t prev_cursor_x, prev_cursor_y;  // 0-based cursor cell of the last text frame
// Our addition: hiding the cursor or changing its shape repaints its cell at once
// instead of waiting for the next phase flip.
extern int32_t prev_cursor_shown, prev_cursor_start, prev_cursor_stop;
extern uint8_t *pixel_copy;  // palette-index bytes last drawn
extern int32_t pixel_copy_size;
extern uint32_t graphics_palette_copy[256];

// ---- Ring operations (builder side) -------------------------------------------------
// Frees consumed frames from frame_first on, never one of the four newest.
void disp_reclaim_frames();
bool disp_ring_full();
// A free entry for a width x height frame, its buffer reused from the oldest consumed
// frame of the same size when there is one. Returns 0 when no buffer could be had.
// An entry still holding pixels ends the process with 9090.
int32_t disp_take_slot(int32_t width, int32_t height);
// Makes entry n the newest frame; its pixels must be complete.
void disp_publish(int32_t n);

// The presenter's own position: the next entry it will mark consumed (0 = start at
// frame_first). Marking in order keeps it from ever touching an entry the builder
// is filling, whatever frame_first does meanwhile.
extern int32_t present_mark;

// ---- Passes: each returns the published frame's index, or 0 when nothing changed ----
int32_t disp_text_pass(ImageSurface *image);
int32_t disp_palette_pass(ImageSurface *image);
int32_t disp_argb_pass(ImageSurface *image);

// Frame size of an image in pixels; false when it has no drawable size.
bool disp_frame_size(const ImageSurface *image, int32_t *width, int32_t *height);
