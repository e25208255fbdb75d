// The font tables with the six built-in handles, the glyph working copies, font
// selection, metrics queries and print modes.
#include "screen/screen_private.h"
#include "screen/glyphs.h"
#include "errors/errors.h"

#include <cstdlib>

int32_t *font_heights = nullptr;
int32_t *font_widths = nullptr;
int32_t *font_flags = nullptr;
intptr_t *font_engine_handles = nullptr;
int32_t font_max_handle = -1;

uint8_t font_glyph_pixels_8x8[256 * 64];
uint8_t font_glyph_pixels_8x16[256 * 128];

// One byte per pixel makes the ink test of the drawing loops a byte load.
static void expand_glyphs(const uint8_t *rows, int32_t row_count, uint8_t *out) {
  for (int32_t i = 0; i < row_count; i++)
    for (int32_t j = 0; j < 8; j++) out[i * 8 + j] = (rows[i] & (0x80 >> j)) ? 255 : 0;
}

void font_tables_init() {
  free(font_heights), free(font_widths), free(font_flags), free(font_engine_handles);
  font_heights = static_cast<int32_t *>(calloc(49, sizeof(int32_t)));
  font_widths = static_cast<int32_t *>(calloc(49, sizeof(int32_t)));
  font_flags = static_cast<int32_t *>(calloc(49, sizeof(int32_t)));
  font_engine_handles = static_cast<intptr_t *>(calloc(49, sizeof(intptr_t)));
  if (!font_heights || !font_widths || !font_flags || !font_engine_handles) {
    err_raise(ERR_OUT_OF_MEMORY);
    return;
  }
  font_max_handle = 48;
  struct Builtin { int32_t handle, width, height; };
  static const Builtin builtins[] = {{8, 8, 8}, {9, 16, 8}, {14, 8, 14}, {15, 16, 14}, {16, 8, 16}, {17, 16, 16}};
  for (const Builtin &b : builtins) {
    font_widths[b.handle] = b.width;
    font_heights[b.handle] = b.height;
    font_flags[b.handle] = FONT_MONOSPACE;
  }
  expand_glyphs(glyphs_8x8, 256 * 8, font_glyph_pixels_8x8);
  expand_glyphs(glyphs_8x16, 256 * 16, font_glyph_pixels_8x16);
}

bool font_is_builtin(int32_t handle) {
  return handle == 8 || handle == 9 || handle == 14 || handle == 15 || handle == 16 || handle == 17;
}

bool font_is_loaded(int32_t handle) {
  return handle >= FONT_FIRST_LOADED && handle <= font_max_handle && font_engine_handles[handle] != 0;
}

const uint8_t *font_glyph(int32_t font, int32_t code) {
  code &= 255;
  switch (font) {
    case 8: case 9: return font_glyph_pixels_8x8 + code * 64;
    case 14: case 15: return font_glyph_pixels_8x16 + code * 128 + 8;  // without the first row
    case 16: case 17: return font_glyph_pixels_8x16 + code * 128;
  }
  return nullptr;
}

int32_t font_glyph_height(int32_t font) { return font_is_builtin(font) ? font_heights[font] : 0; }

// Every page of a text screen keeps one font, so that the frame size stays one.
static void set_font_of_text_screen(int32_t handle) {
  bool paused = scr_pause_display();
  prev_frame_valid.store(0, relaxed);
  for (int32_t page = 0; page < page_count; page++) {
    ImageSurface *image = scr_image_at(page_table[page]);
    if (page_table[page] && image->is_valid) image->font = handle;
  }
  scr_release_display(paused);
}

void font_set(int32_t handle, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return;
  if (!font_is_builtin(handle) && !font_is_loaded(handle)) {
    err_raise(ERR_INVALID_HANDLE);
    return;
  }
  if (target->is_text && !(font_flags[handle] & FONT_MONOSPACE)) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  if (target->is_text && (target->flags & IMAGE_IS_SCREEN_PAGE)) return set_font_of_text_screen(handle);
  scr_set_text_rows(handle, target);
}

int32_t font_of_image(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  return target ? target->font : 0;
}

// Metrics queries accept the single-width built-in fonts and loaded ones.
static int32_t metric_handle(int32_t handle, int32_t passed) {
  if (err_pending()) return -1;
  if (!(passed & 1)) return dest_image->font;
  if (handle == 8 || handle == 14 || handle == 16 || font_is_loaded(handle)) return handle;
  err_raise(ERR_INVALID_HANDLE);
  return -1;
}

int32_t font_width_of(int32_t handle, int32_t passed) {
  int32_t h = metric_handle(handle, passed);
  return (h >= 0 && h <= font_max_handle) ? font_widths[h] : 0;
}

int32_t font_height_of(int32_t handle, int32_t passed) {
  int32_t h = metric_handle(handle, passed);
  return (h >= 0 && h <= font_max_handle) ? font_heights[h] : 0;
}

void font_print_mode(int32_t kind, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return;
  static const uint8_t modes[4] = {0, PRINT_FILL_BACKGROUND, PRINT_KEEP_BACKGROUND, PRINT_ONLY_BACKGROUND};
  if (kind < 1 || kind > 3 || (target->is_text && kind != 1)) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  target->print_mode = modes[kind];
}

int32_t font_print_mode_of(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  return target ? target->print_mode : 0;
}
