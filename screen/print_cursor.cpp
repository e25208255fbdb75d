// LOCATE with the cursor shape and the start-up screen's growth, VIEW PRINT,
// CSRLIN and POS.
#include "screen/print_private.h"
#include "errors/errors.h"
#include "strings/strings.h"

#include <cstring>

constexpr int32_t LOCATE_ROW = 1, LOCATE_COLUMN = 2, LOCATE_CURSOR = 4, LOCATE_START = 8, LOCATE_STOP = 16;
constexpr int32_t GROWN_ROWS = 50;
constexpr int32_t STARTUP_PAGE_BYTES = 80 * 25 * 2;

static bool illegal() {
  err_raise(ERR_ILLEGAL_FUNCTION);
  return false;
}

static bool in(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }

static void for_each_screen_page(void (*apply)(ImageSurface *, const ImageSurface *), const ImageSurface *from) {
  for (int32_t page = 0; page < page_count; page++) {
    ImageSurface *image = page_table[page] ? scr_image_at(page_table[page]) : nullptr;
    if (image && image->is_valid) apply(image, from);
  }
}

static void copy_visibility(ImageSurface *to, const ImageSurface *from) { to->cursor_visible = from->cursor_visible; }
static void copy_shape(ImageSurface *to, const ImageSurface *from) {
  to->cursor_start = from->cursor_start;
  to->cursor_stop = from->cursor_stop;
}

// LOCATE past row 25 on the untouched start-up screen makes it 80 x 50, keeping the
// text, colours, cursor column and cursor shape of the 80 x 25 page.
static bool grow_startup_screen() {
  ImageSurface *old = dest_image;
  uint8_t saved[STARTUP_PAGE_BYTES];
  size_t bytes = size_t(old->width) * old->height * 2;
  if (bytes > sizeof saved) bytes = sizeof saved;
  memcpy(saved, old->pixels, bytes);
  ImageSurface kept = *old;
  scr_width(0, 80, GROWN_ROWS, 3);
  if (err_pending()) return false;
  ImageSurface *grown = dest_image;
  memcpy(grown->pixels, saved, bytes);
  grown->fore_colour = kept.fore_colour;
  grown->back_colour = kept.back_colour;
  grown->cursor_col = kept.cursor_col;
  for_each_screen_page(copy_visibility, &kept);
  for_each_screen_page(copy_shape, &kept);
  return true;
}

static bool is_startup_page_zero(const ImageSurface *image) {
  return image->is_text && page_count > 0 && dest_image_index == page_table[0];
}

static bool row_acceptable(int32_t row, int32_t column, int32_t passed) {
  ImageSurface *image = dest_image;
  int32_t rows = scr_text_rows(image);
  if (row < 1 || row < image->text_top) return illegal();
  if (row == rows || row <= image->text_bottom) return true;
  // Only a row beyond the screen grows it; one merely below a VIEW PRINT window is
  // an error as on any other screen.
  if (!auto_grow_allowed || row < rows) return illegal();
  auto_grow_allowed = 0;
  if (row > GROWN_ROWS || !is_startup_page_zero(image)) return illegal();
  if ((passed & LOCATE_COLUMN) && !in(column, 1, scr_text_columns(image))) return illegal();
  return grow_startup_screen();
}

void scr_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop, int32_t passed) {
  if (err_pending()) return;
  if ((passed & LOCATE_ROW) && !row_acceptable(row, column, passed)) return;
  ImageSurface *image = dest_image;
  if (((passed & LOCATE_COLUMN) && !in(column, 1, scr_text_columns(image))) ||
      ((passed & LOCATE_CURSOR) && !in(cursor, 0, 1)) || ((passed & LOCATE_START) && !in(start, 0, 31)) ||
      ((passed & LOCATE_STOP) && !in(stop, 0, 31))) {
    illegal();
    return;
  }
  if (passed & LOCATE_ROW) image->cursor_row = int16_t(row), image->wrap_pending = 0;
  if (passed & LOCATE_COLUMN) image->cursor_col = int16_t(column), image->wrap_pending = 0;
  if (!(passed & (LOCATE_ROW | LOCATE_COLUMN)) && image->wrap_pending) image->wrap_pending = 2;
  bool screen_page = image->flags & IMAGE_IS_SCREEN_PAGE;
  if (passed & LOCATE_CURSOR) {
    image->cursor_visible = cursor != 0;
    if (screen_page) for_each_screen_page(copy_visibility, image);
  }
  if (passed & LOCATE_START) image->cursor_start = uint8_t(start);
  if (passed & LOCATE_STOP) image->cursor_stop = uint8_t(stop);
  if ((passed & (LOCATE_START | LOCATE_STOP)) && screen_page) for_each_screen_page(copy_shape, image);
}

void scr_view_print(int32_t top, int32_t bottom, bool given) {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  int32_t rows = scr_text_rows(image);
  if (given && (top < 1 || bottom < top || bottom > rows)) {
    illegal();
    return;
  }
  if (!given) top = 1, bottom = rows;
  image->text_top = int16_t(top);
  image->text_bottom = int16_t(bottom);
  image->cursor_row = int16_t(top);
  image->cursor_col = 1;
  image->wrap_pending = 0;
}

int32_t scr_csrlin() {
  if (err_pending()) return 0;
  const ImageSurface *image = dest_image;
  if (!image->wrap_pending) return image->cursor_row;
  return image->cursor_row < image->text_bottom ? image->cursor_row + 1 : image->text_bottom;
}

int32_t scr_pos(int32_t ignored) {
  (void)ignored;
  if (err_pending()) return 0;
  return dest_image->wrap_pending ? 1 : dest_image->cursor_col;
}

void scr_control_chars(int32_t setting) {
  if (err_pending()) return;
  control_chars_off = setting == 2;
}
