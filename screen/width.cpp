// The WIDTH statement: text sizes through SCREEN 0, fonts that divide a graphics
// screen, pixel sizes of 256-colour and 32-bit images, and WIDTH LPRINT.
#include "screen/screen_private.h"
#include "errors/errors.h"

#include <cstdlib>
#include <cstring>

int32_t lprint_width = 80;

// A text screen has eight pages of this many cells at most (16 MiB of cells in all).
constexpr int64_t MAX_TEXT_CELLS = 1 << 20;

static void illegal() { err_raise(ERR_ILLEGAL_FUNCTION); }

static void request_text_screen(int32_t columns, int32_t rows, int32_t font) {
  pending_width = columns;
  pending_height = rows;
  pending_font = font;
  scr_screen(0, 0, 0, 0, 0, 1);
}

static void width_of_text(int32_t columns, int32_t rows, int32_t passed) {
  int32_t n = (passed & 1) ? columns : dest_image->width;
  int32_t r = (passed & 2) ? rows : dest_image->height;
  if (n > MAX_IMAGE_SIDE || r > MAX_IMAGE_SIDE || int64_t(n) * r > MAX_TEXT_CELLS) return illegal();
  int32_t font = (r >= 50 ? 8 : r >= 43 ? 14 : 16) + (n <= 40 ? 1 : 0);
  if (font == dest_image->font && n == dest_image->width && r == dest_image->height) return;
  request_text_screen(n, r, font);
}

// Pixel size of a 256-colour or 32-bit image follows the cell count.
static void width_of_pixel_image(int32_t columns, int32_t rows, int32_t passed) {
  int32_t fw = font_widths[dest_image->font], fh = font_heights[dest_image->font];
  int64_t w = (passed & 1) ? int64_t(columns) * (fw ? fw : 1) : dest_image->width;
  int64_t h = (passed & 2) ? int64_t(rows) * fh : dest_image->height;
  if (w < 1 || h < 1 || w > MAX_IMAGE_SIDE || h > MAX_IMAGE_SIDE) return illegal();
  if (w == dest_image->width && h == dest_image->height) return;
  bool screen = dest_image->flags & IMAGE_IS_SCREEN_PAGE;
  if (screen) scr_release_upper_pages();  // an upper page as destination returns to page 0
  ImageSurface *image = dest_image;
  size_t old_bytes = size_t(image->width) * image->height * image->bytes_per_pixel;
  size_t new_bytes = size_t(w) * size_t(h) * image->bytes_per_pixel;
  bool owned = image->flags & IMAGE_OWNS_PIXELS;
  // A borrowed buffer cannot grow: zeroing past its end would overwrite foreign memory.
  if (!owned && new_bytes > old_bytes) return illegal();
  uint8_t *pixels = owned ? static_cast<uint8_t *>(calloc(new_bytes, 1)) : image->pixels;
  if (!pixels) {
    err_raise(ERR_OUT_OF_MEMORY);
    return;
  }
  bool paused = screen && scr_pause_display();
  if (owned) {
    free(image->pixels);
    image->pixels = pixels;
  } else {
    memset(pixels, 0, new_bytes);
  }
  image->width = uint16_t(w);
  image->height = uint16_t(h);
  image->wrap_pending = 0;
  scr_reset_graphics_state(image);
  scr_set_text_rows(image->font, image);
  prev_frame_valid.store(0, relaxed);
  scr_release_display(paused);
}

// The font a WIDTH asks for on a palette graphics screen, 0 when none fits.
static int32_t graphics_font_for(const ImageSurface *image, int32_t columns, int32_t rows, int32_t passed) {
  bool cols = passed & 1, rws = passed & 2;
  int32_t w = image->width, h = image->height, current = image->font;
  if (cols && int64_t(columns) * 8 != w) return 0;
  switch (image->mode) {
    case 1: case 2: case 7: case 8: case 13:
      return (!rws || int64_t(rows) * 8 == h) ? 8 : 0;
    case 9: case 10:
      if (!rws) return font_heights[current] > 8 ? 14 : current;
      if (int64_t(rows) * 8 == h || (rows == 43 && h == 350)) return 8;
      return int64_t(rows) * 14 == h ? 14 : 0;
    case 11: case 12:
      if (!rws) return font_heights[current] > 8 ? 16 : current;
      if (int64_t(rows) * 8 == h) return 8;
      return int64_t(rows) * 16 == h ? 16 : 0;
  }
  return 0;
}

static void width_of_graphics(int32_t columns, int32_t rows, int32_t passed) {
  int32_t font = graphics_font_for(dest_image, columns, rows, passed);
  if (font) {
    if (font == dest_image->font) return;
    if (dest_image->flags & IMAGE_IS_SCREEN_PAGE) scr_release_upper_pages();
    ImageSurface *image = dest_image;
    image->wrap_pending = 0;
    scr_reset_graphics_state(image);
    scr_set_text_rows(font, image);
    prev_frame_valid.store(0, relaxed);
    return;
  }
  bool cols_ok = !(passed & 1) || columns == 40 || columns == 80;
  bool rows_ok = !(passed & 2) || rows == 25 || rows == 43 || rows == 50;
  if (!cols_ok || !rows_ok) return illegal();
  request_text_screen((passed & 1) ? columns : -1, (passed & 2) ? rows : -1, -1);
}

void scr_width(int32_t kind, int32_t columns, int32_t rows, int32_t passed) {
  if (err_pending()) return;
  if (kind == 2) {
    if (passed != 1 || columns < 1 || columns > 255) return illegal();
    lprint_width = columns;
    return;
  }
  if (kind != 0 || !(passed & 3)) return illegal();
  if (((passed & 1) && columns < 1) || ((passed & 2) && rows < 1)) return illegal();
  auto_grow_allowed = 0;
  if (dest_image->is_text) width_of_text(columns, rows, passed);
  else if (dest_image->mode == 32 || dest_image->mode == 256) width_of_pixel_image(columns, rows, passed);
  else width_of_graphics(columns, rows, passed);
}
