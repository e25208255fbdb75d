// The text pass: turns a page of (character, attribute) cells into pixels, redrawing
// only the cells that changed, blinking characters and the cursor cell.
#include "core/core.h"
#include "display/display_private.h"
#include "screen/screen.h"

#include <cstdlib>
#include <cstring>

uint8_t *cell_copy = nullptr;
int32_t cell_copy_size = 0;
uint32_t text_palette_copy[256];
int32_t prev_blink = 0, prev_cursor_phase = 0;
int32_t prev_cursor_x = -1, prev_cursor_y = -1;
int32_t prev_cursor_shown = 0, prev_cursor_start = -1, prev_cursor_stop = -1;
// The frame this pass published last. Only that one matches cell_copy; when the
// newest frame came from another pass (a selection change that kept
// prev_frame_valid), this pass paints in full.
static int32_t own_newest_frame = 0;

namespace {
struct TextPass {
  const ImageSurface *image;
  uint32_t *pixels;
  int32_t frame_width;
  int fw, fh;
  int32_t font;
  uint32_t colours[16];  // opaque: the palette's high byte means nothing on screen
  bool full;             // every cell is drawn
  int blink;             // also the cursor phase
  int cx, cy;            // cursor cell, 0-based
  bool cursor_moved, cursor_look_changed;
  bool cursor_painted;   // the cursor is showing in this frame
  int cursor_first, cursor_last;
};
}  // namespace

static bool cursor_look_changed(const ImageSurface *image) {
  return prev_cursor_shown != image->cursor_visible || prev_cursor_start != image->cursor_start ||
         prev_cursor_stop != image->cursor_stop;
}

// Where the cursor shows: a wrap still owed puts it at the start of the next row.
static void cursor_cell(const ImageSurface *image, int *cx, int *cy) {
  *cx = image->cursor_col - 1;
  *cy = image->cursor_row - 1;
  if (image->wrap_pending == 2 && *cy < image->height - 1) *cx = 0, *cy += 1;
}

static void paint_glyph(const TextPass &p, uint32_t *at, uint8_t ch, uint32_t fg, uint32_t bg) {
  const uint8_t *glyph = font_glyph(p.font, ch);
  int rows = glyph ? font_glyph_height(p.font) : 0;
  for (int r = 0; r < p.fh; r++, at += p.frame_width) {
    const uint8_t *ink = r < rows ? glyph + r * 8 : nullptr;
    if (!ink) {
      for (int j = 0; j < p.fw; j++) at[j] = bg;
    } else if (p.fw == 8) {
      for (int j = 0; j < 8; j++) at[j] = ink[j] ? fg : bg;
    } else {  // double-width fonts write every glyph pixel twice; others scale alike
      for (int j = 0; j < p.fw; j++) at[j] = ink[j * 8 / p.fw] ? fg : bg;
    }
  }
}

static void paint_cell(const TextPass &p, int x, int y, uint8_t ch, uint8_t attr) {
  uint32_t fg = p.colours[attr & 15], bg = p.colours[(attr >> 4) & 7];
  if ((attr & 0x80) && p.blink) fg = bg;  // blinking characters vanish half the time
  uint32_t *corner = p.pixels + int64_t(y) * p.fh * p.frame_width + int64_t(x) * p.fw;
  paint_glyph(p, corner, ch, fg, bg);
  if (!p.cursor_painted || x != p.cx || y != p.cy) return;
  uint32_t ink = p.colours[attr & 15];  // the cursor does not blink with the character
  for (int r = p.cursor_first; r <= p.cursor_last; r++) {
    uint32_t *row = corner + int64_t(r) * p.frame_width;
    for (int j = 0; j < p.fw; j++) row[j] = ink;
  }
}

static bool cell_needs_drawing(const TextPass &p, int x, int y, const uint8_t *cell, const uint8_t *old) {
  if (p.full || cell[0] != old[0] || cell[1] != old[1]) return true;
  if ((cell[1] & 0x80) && p.blink != prev_blink) return true;
  bool at_cursor = x == p.cx && y == p.cy;
  if (at_cursor && (p.blink != prev_cursor_phase || p.cursor_look_changed)) return true;
  return p.cursor_moved && (at_cursor || (x == prev_cursor_x && y == prev_cursor_y));
}

static void draw_cells(const TextPass &p) {
  const ImageSurface *image = p.image;
  for (int y = 0; y < image->height; y++) {
    for (int x = 0; x < image->width; x++) {
      int64_t offset = (int64_t(y) * image->width + x) * 2;
      const uint8_t *cell = image->pixels + offset;
      uint8_t *old = cell_copy + offset;
      uint8_t ch = cell[0], attr = cell[1];  // read once: the program may be writing
      const uint8_t now[2] = {ch, attr};
      if (!cell_needs_drawing(p, x, y, now, old)) continue;
      old[0] = ch;
      old[1] = attr;
      paint_cell(p, x, y, ch, attr);
    }
  }
}

// Steps 1 and 2: copies that no longer match make this pass a full one.
static bool prepare_copies(const ImageSurface *image, bool *full) {
  int32_t size = int32_t(image->width) * image->height * 2;
  if (size != cell_copy_size || !cell_copy) {
    uint8_t *fresh = static_cast<uint8_t *>(malloc(size_t(size)));
    if (!fresh) return false;
    free(cell_copy);
    cell_copy = fresh;
    cell_copy_size = size;
    *full = true;
  }
  if (*full || memcmp(text_palette_copy, image->palette, sizeof text_palette_copy) != 0) {
    memcpy(text_palette_copy, image->palette, sizeof text_palette_copy);
    *full = true;
  }
  return true;
}

static bool something_changed(const TextPass &p) {
  return p.full || p.blink != prev_blink || p.blink != prev_cursor_phase || p.cursor_moved ||
         p.cursor_look_changed || memcmp(p.image->pixels, cell_copy, size_t(cell_copy_size)) != 0;
}

// Step 6: the new frame starts as the newest one when that one matches the copies.
static void start_from_newest(TextPass &p, int32_t slot) {
  const Frame &newest = frame_ring[frame_last.load(relaxed)];
  if (!p.full && newest.frame_pixels && newest.frame_bytes == frame_ring[slot].frame_bytes)
    memcpy(p.pixels, newest.frame_pixels, size_t(newest.frame_bytes));
  else
    p.full = true;
}

static void remember_pass(const TextPass &p) {
  prev_blink = prev_cursor_phase = p.blink;
  prev_cursor_x = p.cx;
  prev_cursor_y = p.cy;
  prev_cursor_shown = p.image->cursor_visible;
  prev_cursor_start = p.image->cursor_start;
  prev_cursor_stop = p.image->cursor_stop;
}

static void init_pass(TextPass &p, const ImageSurface *image, int32_t width) {
  p.image = image;
  p.frame_width = width;
  p.font = image->font;
  p.fw = font_widths[p.font];
  p.fh = font_heights[p.font];
  for (int i = 0; i < 16; i++) p.colours[i] = text_palette_copy[i] | 0xFF000000u;
  p.blink = (frame_counter.load(relaxed) & 8) ? 1 : 0;
  cursor_cell(image, &p.cx, &p.cy);
  p.cursor_moved = p.cx != prev_cursor_x || p.cy != prev_cursor_y;
  p.cursor_look_changed = cursor_look_changed(image);
  p.cursor_painted = image->cursor_visible && p.blink &&
                     disp_cursor_rows(image->cursor_start, image->cursor_stop, p.fh, &p.cursor_first,
                                      &p.cursor_last);
}

int32_t disp_text_pass(ImageSurface *image) {
  int32_t width, height;
  if (!image->pixels || !image->palette || !disp_frame_size(image, &width, &height)) return 0;
  TextPass p{};
  p.full = prev_frame_valid.load(relaxed) == 0 || frame_last.load(relaxed) != own_newest_frame;
  if (!prepare_copies(image, &p.full)) return 0;
  init_pass(p, image, width);
  if (!something_changed(p)) return 0;
  int32_t slot = disp_take_slot(width, height);
  if (slot == 0) {
    if (p.full) prev_frame_valid.store(0, relaxed);  // the copies ran ahead of the frame
    return 0;
  }
  p.pixels = frame_ring[slot].frame_pixels;
  start_from_newest(p, slot);
  draw_cells(p);
  remember_pass(p);
  own_newest_frame = slot;
  disp_publish(slot);
  return slot;
}
