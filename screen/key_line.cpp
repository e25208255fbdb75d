// The function-key line on the last row of page 0, and KEY ON, OFF, LIST and KEY n.
#include "screen/print_private.h"
#include "core/core.h"
#include "errors/errors.h"
#include "strings/strings.h"

int32_t key_line_on = 0;
int32_t key_line_forced = 0;

// What was last drawn: the state, and the page 0 it was drawn on. A mode change
// brings a new, blank page 0, on which the line must be drawn again.
struct KeyLineDrawn {
  int32_t on;
  int32_t index;
  uint8_t *pixels;
  uint16_t mode, width, height;
  int32_t font;
};
static KeyLineDrawn key_line_drawn{};

static KeyLineDrawn page_zero_signature(int32_t on) {
  int32_t index = page_count > 0 ? page_table[0] : 0;
  const ImageSurface *zero = scr_image_at(index);
  if (!zero || !zero->is_valid) return {on, 0, nullptr, 0, 0, 0, 0};
  return {on, index, zero->pixels, zero->mode, zero->width, zero->height, zero->font};
}

static bool same_drawing(const KeyLineDrawn &a, const KeyLineDrawn &b) {
  return a.on == b.on && (!a.on || (a.index == b.index && a.pixels == b.pixels && a.mode == b.mode &&
                                    a.width == b.width && a.height == b.height && a.font == b.font));
}

// Keys F1..F10 live in trap slots 1..10, F11 and F12 in 30 and 31.
static const RtString *key_text(int32_t key) {
  int32_t slot = key <= 10 ? key : key + 19;
  return key_trap_slots[slot].soft_key_text;
}

// Control characters of a key text shown as the glyphs that stand for them.
static uint8_t shown_code(uint8_t code) {
  switch (code) {
    case 7: return 14;
    case 8: return 254;
    case 9: return 26;
    case 10: return 60;
    case 11: return 127;
    case 12: return 22;
    case 13: return 27;
    case 28: return 16;
    case 29: return 17;
    case 30: return 24;
    case 31: return 25;
  }
  return code;
}

static void glyph_at(ImageSurface *page, int32_t row, int32_t column, uint8_t code) {
  page->cursor_row = int16_t(row);
  page->cursor_col = int16_t(column);
  font_draw_glyph(code);
}

static void clear_last_row(ImageSurface *page, int32_t row, int32_t columns) {
  if (!page->is_text) return scr_fill_text_rows(page, row, row, page->back_colour);
  for (int32_t col = 1; col <= columns; col++) glyph_at(page, row, col, ' ');
}

// One slot: the key number, then its text padded to the slot, reversed on text pages.
static void draw_slot(ImageSurface *page, int32_t row, int32_t first_col, int32_t width, int32_t key) {
  uint32_t fore = page->fore_colour, back = page->back_colour;
  char number[4];
  int32_t digits = key >= 10 ? 2 : 1;
  number[0] = key >= 10 ? '1' : char('0' + key);
  number[1] = char('0' + key % 10);
  int32_t col = first_col, end = first_col + width;
  for (int32_t i = 0; i < digits && col < end; i++) glyph_at(page, row, col++, uint8_t(number[i]));
  if (page->is_text) {
    page->fore_colour = back ? 7 : 0;
    page->back_colour = back ? 0 : 7;
  }
  const RtString *text = key_text(key);
  int32_t length = text ? text->length : 0;
  for (int32_t i = 0; col < end; i++) glyph_at(page, row, col++, i < length ? shown_code(text->bytes[i]) : ' ');
  page->fore_colour = fore;
  page->back_colour = back;
}

static void draw_key_line(bool on) {
  ImageSurface *page = scr_image_at(page_table[0]);
  if (!page || !page->is_valid) return;
  int32_t saved_dest = dest_image_index;
  ImageSurface saved = *page;
  scr_select_dest(page_table[0]);
  int32_t row = scr_text_rows(page), columns = scr_text_columns(page);
  clear_last_row(page, row, columns);
  if (on) {
    int32_t width = columns / 12;
    if (width < 8) width = columns < 8 ? columns : 8;
    int32_t slots = width > 0 ? columns / width : 0;
    for (int32_t key = 1; key <= 12 && key <= slots; key++) draw_slot(page, row, 1 + (key - 1) * width, width, key);
  }
  page->cursor_row = saved.cursor_row;
  page->cursor_col = saved.cursor_col;
  page->wrap_pending = saved.wrap_pending;
  page->fore_colour = saved.fore_colour;
  page->back_colour = saved.back_colour;
  scr_select_dest(saved_dest);
}

void scr_key_line() {
  if (err_pending()) return;
  if (key_line_forced) {
    key_line_forced = 0;
    if (!key_line_on) return;
  } else if (same_drawing(page_zero_signature(key_line_on), key_line_drawn)) {
    return;
  }
  draw_key_line(key_line_on != 0);
  key_line_drawn = page_zero_signature(key_line_on);
}

void scr_key_on() {
  if (err_pending()) return;
  key_line_on = 1;
  scr_key_line();
}

void scr_key_off() {
  if (err_pending()) return;
  key_line_on = 0;
  scr_key_line();
}

// "F1  text" per key; the text's control characters become blanks.
void scr_key_list() {
  if (err_pending()) return;
  for (int32_t key = 1; key <= 12 && !err_pending(); key++) {
    uint8_t line[4 + 16];
    int32_t n = 0;
    line[n++] = 'F';
    if (key >= 10) line[n++] = '1';
    line[n++] = uint8_t('0' + key % 10);
    line[n++] = ' ';
    if (key < 10) line[n++] = ' ';
    const RtString *text = key_text(key);
    for (int32_t i = 0; text && i < text->length && i < 16; i++) {
      uint8_t c = text->bytes[i];
      line[n++] = ((c >= 7 && c <= 13) || (c >= 28 && c <= 31)) ? ' ' : c;
    }
    scr_print_bytes(line, n, true);
  }
}

static void release_if_temporary(RtString *s) {
  if (s && s->is_temporary) rtstr_free(s);
}

static bool is_function_key_slot(int32_t n) { return (n >= 1 && n <= 10) || n == 30 || n == 31; }

void scr_key_define(int32_t n, RtString *text) {
  if (err_pending() || !text) return release_if_temporary(text);
  if (is_function_key_slot(n) && text->length <= 15) {
    KeyTrapSlot &slot = key_trap_slots[n];
    // The slot keeps a permanent string of its own; a constant or a temporary
    // left there by someone else is never written into.
    RtString *kept = slot.soft_key_text;
    if (!kept || kept->is_temporary || kept->is_read_only || kept->is_fixed) slot.soft_key_text = rtstr_new(0, false);
    rtstr_assign(slot.soft_key_text, text);  // takes over a temporary text
    key_line_forced = 1;
    scr_key_line();
    return;
  }
  if (n >= 15 && n <= 29) {
    KeyTrapSlot &slot = key_trap_slots[n];
    slot.scan_code = text->length ? text->bytes[text->length - 1] : 0;
    if (text->length) {
      uint8_t flags = 0;
      for (int32_t i = 0; i + 1 < text->length; i++) flags |= text->bytes[i];
      slot.shift_flags = flags;
    }
    return release_if_temporary(text);
  }
  err_raise(ERR_ILLEGAL_FUNCTION);
  release_if_temporary(text);
}
