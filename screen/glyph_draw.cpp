// Glyph drawing: PRINT's character at the text cursor, text at a pixel position,
// and the pixel width of a text.
#include "screen/screen_private.h"
#include "errors/errors.h"
#include "strings/strings.h"

static void release_if_temporary(RtString *s) {
  if (s && s->is_temporary) rtstr_free(s);
}

using PixelWrite = void (*)(ImageSurface *, int32_t, int32_t, uint32_t);

// One glyph cell at (x0, y0); double-width fonts paint every glyph pixel twice.
static void draw_cell(ImageSurface *image, int32_t code, int32_t x0, int32_t y0, PixelWrite write) {
  const uint8_t *glyph = font_glyph(image->font, code);
  if (!glyph) return;  // loaded fonts need an outline engine, which this build lacks
  int32_t rows = font_glyph_height(image->font);
  int32_t scale = font_widths[image->font] == 16 ? 2 : 1;
  uint32_t fore = image->fore_colour, back = image->back_colour;
  uint8_t mode = image->print_mode;
  for (int32_t r = 0; r < rows; r++)
    for (int32_t j = 0; j < 8 * scale; j++) {
      bool ink = glyph[r * 8 + j / scale] != 0;
      if (ink && mode != PRINT_ONLY_BACKGROUND) write(image, x0 + j, y0 + r, fore);
      else if (!ink && mode != PRINT_KEEP_BACKGROUND) write(image, x0 + j, y0 + r, back);
    }
}

void font_draw_glyph(int32_t code) {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  int32_t col = image->cursor_col - 1, row = image->cursor_row - 1;
  if (image->is_text) {
    if (col < 0 || row < 0 || col >= image->width || row >= image->height) return;
    uint8_t *cell = image->pixels + (size_t(row) * image->width + size_t(col)) * 2;
    uint32_t f = image->fore_colour, b = image->back_colour;
    cell[0] = uint8_t(code);
    cell[1] = uint8_t((f & 15) | (b << 4 & 0x70) | ((f & 16) ? 128 : 0));
    return;
  }
  int32_t fw = font_widths[image->font];
  int32_t x0 = fw ? col * fw : col;
  draw_cell(image, code, x0, row * font_heights[image->font], scr_put_pixel);
}

// The WINDOW / viewport mapping of a logical point to a pixel.
static void map_point(const ImageSurface *image, float x, float y, int32_t *px, int32_t *py) {
  const GraphicsState &g = image->gfx;
  if (g.coord_mode == 2) {
    *px = int32_t(scr_nearest(g.scale_x * x + g.offset_x)) + g.view_origin_x;
    *py = int32_t(scr_nearest(g.scale_y * y + g.offset_y)) + g.view_origin_y;
  } else if (g.coord_mode == 1) {
    *px = int32_t(scr_nearest(x)) + g.view_origin_x;
    *py = int32_t(scr_nearest(y)) + g.view_origin_y;
  } else {
    *px = int32_t(scr_nearest(x));
    *py = int32_t(scr_nearest(y));
  }
}

static int32_t cell_advance(const ImageSurface *image) {
  return font_widths[image->font] == 16 ? 16 : 8;
}

int32_t font_text_width(const ImageSurface *image, const uint8_t *bytes, int32_t length) {
  (void)bytes;  // every glyph of a built-in font has the same advance
  return length * cell_advance(image);
}

void font_print_string(float x, float y, RtString *text, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 2, dest_image);
  if (target && target->is_text) err_raise(ERR_ILLEGAL_FUNCTION);
  if (!target || err_pending() || text->length == 0) return release_if_temporary(text);
  if (passed & 1) {
    x += target->gfx.gfx_x;
    y += target->gfx.gfx_y;
    target->gfx.gfx_x = x;
    target->gfx.gfx_y = y;
  }
  int32_t px, py;
  map_point(target, x, y, &px, &py);
  int32_t advance = cell_advance(target);
  for (int32_t i = 0; i < text->length; i++, px += advance)
    draw_cell(target, text->bytes[i], px, py, scr_put_pixel_clipped);
  release_if_temporary(text);
}

int32_t font_print_width(RtString *text, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (target && target->is_text) err_raise(ERR_ILLEGAL_FUNCTION);
  int32_t width = (target && !err_pending()) ? font_text_width(target, text->bytes, text->length) : 0;
  release_if_temporary(text);
  return width;
}
