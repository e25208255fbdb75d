// Line feeds with scrolling of the text window, and the row and rectangle fills
// that scrolling and CLS share.
#include "screen/print_private.h"
#include "errors/errors.h"

#include <cstring>

int32_t scr_font_pixel_height(const ImageSurface *image) {
  int32_t h = (image->font >= 0 && image->font <= font_max_handle) ? font_heights[image->font] : 0;
  return h > 0 ? h : 1;
}

int32_t scr_font_pixel_width(const ImageSurface *image) {
  int32_t w = (image->font >= 0 && image->font <= font_max_handle) ? font_widths[image->font] : 0;
  return w > 0 ? w : 1;
}

void scr_clear_cell_rows(ImageSurface *image, int32_t first, int32_t last, uint8_t attribute) {
  if (first < 1) first = 1;
  if (last > image->height) last = image->height;
  uint8_t *cell = image->pixels + size_t(first - 1) * image->width * 2;
  for (int32_t row = first; row <= last; row++)
    for (int32_t col = 0; col < image->width; col++, cell += 2) cell[0] = 32, cell[1] = attribute;
}

void scr_fill_pixels(ImageSurface *image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x2 >= image->width) x2 = image->width - 1;
  if (y2 >= image->height) y2 = image->height - 1;
  if (x1 > x2 || y1 > y2) return;
  size_t count = size_t(x2 - x1 + 1);
  for (int32_t y = y1; y <= y2; y++) {
    size_t at = size_t(y) * image->width + size_t(x1);
    if (image->bytes_per_pixel == 1) {
      memset(image->pixels + at, uint8_t(colour & image->colour_mask), count);
    } else {
      uint32_t *p = reinterpret_cast<uint32_t *>(image->pixels) + at;
      for (size_t i = 0; i < count; i++) p[i] = colour;
    }
  }
}

void scr_fill_text_rows(ImageSurface *image, int32_t first, int32_t last, uint32_t colour) {
  int32_t fh = scr_font_pixel_height(image);
  scr_fill_pixels(image, 0, (first - 1) * fh, image->width - 1, last * fh - 1, colour);
}

// The window as far as it lies on the page: a font change can leave it longer.
static void window_rows(const ImageSurface *image, int32_t *top, int32_t *bottom) {
  int32_t rows = scr_text_rows(image);
  *top = image->text_top < 1 ? 1 : image->text_top;
  *bottom = image->text_bottom > rows ? rows : image->text_bottom;
}

static void scroll_cells(ImageSurface *image, int32_t top, int32_t bottom) {
  size_t row_bytes = size_t(image->width) * 2;
  uint8_t *first = image->pixels + size_t(top - 1) * row_bytes;
  if (bottom > top) memmove(first, first + row_bytes, size_t(bottom - top) * row_bytes);
  scr_clear_cell_rows(image, bottom, bottom, scr_print_attribute(image));
}

static void scroll_pixels(ImageSurface *image, int32_t top, int32_t bottom) {
  size_t text_row_bytes = size_t(scr_font_pixel_height(image)) * image->width * image->bytes_per_pixel;
  uint8_t *first = image->pixels + size_t(top - 1) * text_row_bytes;
  if (bottom > top) memmove(first, first + text_row_bytes, size_t(bottom - top) * text_row_bytes);
  scr_fill_text_rows(image, bottom, bottom, image->back_colour);
}

void scr_newline() {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  if (image->is_console) return scr_console_write(nullptr, 0, true);
  image->cursor_row++;
  image->cursor_col = 1;
  if (image->cursor_row <= image->text_bottom) return;
  if (lprint_active.load(relaxed)) {
    // A full printer page goes to the printer instead of scrolling.
    if (lprint_page_out) lprint_page_out();
    scr_cls(0, 15, 2);
    return;
  }
  int32_t top, bottom;
  window_rows(image, &top, &bottom);
  if (top <= bottom) {
    if (image->is_text) scroll_cells(image, top, bottom);
    else scroll_pixels(image, top, bottom);
  }
  image->cursor_row = int16_t(bottom < 1 ? 1 : bottom);
}
