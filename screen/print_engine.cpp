// PRINT: control characters, glyph output with line wrap and the owed wrap at the
// end of a line, the pre-wrap of items and the comma zones.
#include "screen/print_private.h"
#include "errors/errors.h"
#include "platform/clock.h"
#include "strings/strings.h"

int32_t control_chars_off = 0;
std::atomic<uint8_t> lprint_active{0};
int32_t lprint_column = 1;
ImageSurface *printer_page_image = nullptr;
ScrPrinterHook lprint_mark_content = nullptr;
ScrPrinterHook lprint_page_out = nullptr;

static bool printing_to_printer() { return lprint_active.load(relaxed) != 0; }

static void cursor_right(ImageSurface *image, int32_t columns) {
  if (printing_to_printer() && lprint_column < lprint_width) lprint_column++;
  if (image->cursor_row >= image->text_bottom && image->cursor_col >= columns) return;
  if (++image->cursor_col > columns) image->cursor_row++, image->cursor_col = 1;
}

static void cursor_left(ImageSurface *image, int32_t columns) {
  if (printing_to_printer() && lprint_column > 1) lprint_column--;
  bool row_stops = image->cursor_row <= image->text_top || image->cursor_row > image->text_bottom;
  if (image->cursor_col <= 1 && row_stops) return;
  if (--image->cursor_col < 1) image->cursor_row--, image->cursor_col = int16_t(columns);
}

// A printable byte at the cursor. `continues` says whether more output follows in
// this PRINT (more bytes or its line end): only then does a full line wrap at once;
// otherwise the wrap is owed. Returns whether it called scr_newline for its own wrap.
static bool put_glyph(uint8_t code, bool continues) {
  ImageSurface *image = dest_image;
  font_draw_glyph(code);
  if (printing_to_printer() && ++lprint_column > lprint_width) {
    scr_newline();
    lprint_column = 1;
    return true;
  }
  int32_t columns = scr_text_columns(image);
  if (++image->cursor_col <= columns) return false;
  if (continues) {
    scr_newline();
    return true;
  }
  image->cursor_col = int16_t(columns);
  image->wrap_pending = 1;
  return false;
}

// Spaces up to the next column 9, 17, 25, ... (at least one); a wrap ends the tab.
static bool put_tab(bool continues) {
  ImageSurface *image = dest_image;
  do {
    if (put_glyph(' ', continues)) return true;
    if (image->wrap_pending || err_pending()) return false;
  } while ((image->cursor_col - 1) % 8 != 0);
  return false;
}

static void form_feed() {
  if (printing_to_printer() && lprint_page_out) lprint_page_out();
  scr_cls(0, 0, 0);
  if (printing_to_printer()) lprint_column = 1;
}

// Codes that act instead of printing. Returns false for a printable code.
static bool control_code(uint8_t code) {
  ImageSurface *image = dest_image;
  int32_t columns = scr_text_columns(image);
  switch (code) {
    case 28: cursor_right(image, columns); return true;
    case 29: cursor_left(image, columns); return true;
    case 30:
      if (image->cursor_row > image->text_top && image->cursor_row <= image->text_bottom) image->cursor_row--;
      return true;
    case 31:
      if (image->cursor_row >= image->text_top && image->cursor_row < image->text_bottom) image->cursor_row++;
      return true;
    case 12: form_feed(); return true;
    case 11:
      image->cursor_col = 1;
      image->cursor_row = image->text_top;
      if (printing_to_printer()) lprint_column = 1;
      return true;
    case 7: plat_sleep_ms(250); return true;  // the bell makes no sound, only the pause
    case 10: case 13:
      scr_newline();
      if (printing_to_printer()) lprint_column = 1;
      return true;
  }
  return false;
}

void scr_print_bytes(const uint8_t *bytes, int32_t length, bool line_end) {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  if (image->is_console) return scr_console_write(bytes, length, line_end);
  if (image->wrap_pending && (length > 0 || line_end)) {
    image->wrap_pending = 0;
    if (length > 0) scr_newline();
  }
  bool wrapped = false;  // the last byte's own wrap already ended the line
  for (int32_t i = 0; i < length && !err_pending(); i++) {
    if (printing_to_printer() && lprint_mark_content) lprint_mark_content();
    uint8_t code = bytes[i];
    bool continues = line_end || i + 1 < length;
    wrapped = false;
    if (code == 9 && !control_chars_off) wrapped = put_tab(continues);
    else if (control_chars_off || !control_code(code)) wrapped = put_glyph(code, continues);
  }
  if (!line_end) return;
  if (!wrapped) scr_newline();
  if (printing_to_printer()) lprint_column = 1;
}

void scr_print(RtString *text, int32_t line_end) {
  if (err_pending()) return;
  scr_print_bytes(text ? text->bytes : nullptr, text ? text->length : 0, line_end != 0);
}

void scr_print_fit(RtString *text) {
  if (err_pending() || !text) return;
  ImageSurface *image = dest_image;
  if (image->is_console || image->wrap_pending || image->cursor_col == 1) return;
  if (image->is_text) {
    if (int64_t(image->cursor_col) + text->length - 1 > image->width) scr_newline();
    return;
  }
  int64_t x = int64_t(image->cursor_col - 1) * scr_font_pixel_width(image);
  if (x + font_text_width(image, text->bytes, text->length) > image->width) scr_newline();
}

static void console_zone() {
  static const uint8_t space = ' ';
  do scr_console_write(&space, 1, false);
  while (console_column % 14 != 1);
}

void scr_print_zone() {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  if (image->is_console) return console_zone();
  if (image->wrap_pending) {
    scr_newline();
    image->wrap_pending = 0;
    return;
  }
  static const uint8_t space = ' ';
  int32_t columns = scr_text_columns(image);
  for (;;) {
    scr_print_bytes(&space, 1, false);
    int32_t col = image->cursor_col;
    if (err_pending() || image->wrap_pending || col == 1 || col >= columns) return;
    if ((col - 1) % 14 == 0 && col <= columns - 13) return;
  }
}
