// SCREEN(row, column): characters and colours read back from text cells, or from
// glyph cells of a graphics page by matching their ink against the font.
#include "screen/print_private.h"
#include "errors/errors.h"

static int32_t illegal() {
  err_raise(ERR_ILLEGAL_FUNCTION);
  return 0;
}

static uint32_t pixel_at(const ImageSurface *image, int32_t x, int32_t y) {
  size_t at = size_t(y) * image->width + size_t(x);
  if (image->bytes_per_pixel == 1) return image->pixels[at];
  return reinterpret_cast<const uint32_t *>(image->pixels)[at];
}

// The cell's ink pattern, one byte per pixel as the glyph tables hold it.
struct GlyphCell {
  uint8_t ink[16 * 8];
  uint32_t colour;  // first ink pixel, row by row
  bool any_ink;
};

static void read_cell(const ImageSurface *image, int32_t row, int32_t column, int32_t height, GlyphCell *cell) {
  int32_t x0 = (column - 1) * 8, y0 = (row - 1) * height;
  *cell = GlyphCell{};
  for (int32_t r = 0; r < height; r++)
    for (int32_t j = 0; j < 8; j++) {
      uint32_t p = pixel_at(image, x0 + j, y0 + r);
      cell->ink[r * 8 + j] = p ? 255 : 0;
      if (p && !cell->any_ink) cell->any_ink = true, cell->colour = p;
    }
}

static bool glyph_matches(const uint8_t *glyph, const GlyphCell &cell, int32_t height) {
  for (int32_t i = 0; i < height * 8; i++)
    if ((glyph[i] != 0) != (cell.ink[i] != 0)) return false;
  return true;
}

static int32_t read_graphics(const ImageSurface *image, int32_t row, int32_t column, bool colour_form) {
  int32_t font = image->font;
  if (font != 8 && font != 14 && font != 16) return illegal();
  int32_t height = font_heights[font];
  if (row < 1 || column < 1 || row > image->height / height || column > image->width / 8) return illegal();
  GlyphCell cell;
  read_cell(image, row, column, height, &cell);
  if (!cell.any_ink) return colour_form ? 1 : 32;
  for (int32_t code = 0; code < 256; code++)
    if (glyph_matches(font_glyph(font, code), cell, height)) return colour_form ? int32_t(cell.colour) : code;
  return colour_form ? 0 : 32;
}

int32_t scr_screen_char(int32_t row, int32_t column, int32_t colour_flag, int32_t passed) {
  if (err_pending()) return 0;
  const ImageSurface *image = source_image;
  bool colour_form = (passed & 1) && colour_flag != 0;
  if (!image->is_text) return read_graphics(image, row, column, colour_form);
  if (row < 1 || column < 1 || row > image->height || column > image->width) return illegal();
  const uint8_t *cell = image->pixels + (size_t(row - 1) * image->width + size_t(column - 1)) * 2;
  return colour_form ? cell[1] : cell[0];
}
