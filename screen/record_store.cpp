// The fixed 176-byte stored form of an image record, as CHAIN hands a page to the
// next program: little-endian, 32-bit pointer fields, reserved bytes zero.
#include "screen/screen_private.h"

#include <cstring>

static void put16(uint8_t *p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
static void put32(uint8_t *p, uint32_t v) { put16(p, v), put16(p + 2, v >> 16); }
static void put64(uint8_t *p, uint64_t v) { put32(p, uint32_t(v)), put32(p + 4, uint32_t(v >> 32)); }
static void put_float(uint8_t *p, float v) {
  uint32_t bits;
  memcpy(&bits, &v, 4);
  put32(p, bits);
}
static void put_double(uint8_t *p, double v) {
  uint64_t bits;
  memcpy(&bits, &v, 8);
  put64(p, bits);
}
static uint32_t get16(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
static uint32_t get32(const uint8_t *p) { return get16(p) | get16(p + 2) << 16; }
static uint64_t get64(const uint8_t *p) { return uint64_t(get32(p)) | uint64_t(get32(p + 4)) << 32; }
static float get_float(const uint8_t *p) {
  uint32_t bits = get32(p);
  float v;
  memcpy(&v, &bits, 4);
  return v;
}
static double get_double(const uint8_t *p) {
  uint64_t bits = get64(p);
  double v;
  memcpy(&v, &bits, 8);
  return v;
}

// A 64-bit address does not fit the 32-bit field, and its low half may be zero:
// the field only says whether the pointer was set.
static uint32_t presence(const void *p) { return p ? 1 : 0; }

static void store_graphics_state(const GraphicsState &g, uint8_t *out) {
  put32(out + 84, uint32_t(g.view_x1)), put32(out + 88, uint32_t(g.view_y1));
  put32(out + 92, uint32_t(g.view_x2)), put32(out + 96, uint32_t(g.view_y2));
  put32(out + 100, uint32_t(g.view_origin_x)), put32(out + 104, uint32_t(g.view_origin_y));
  put_float(out + 108, g.gfx_x), put_float(out + 112, g.gfx_y);
  out[116] = g.coord_mode;
  put_float(out + 120, g.scale_x), put_float(out + 124, g.scale_y);
  put_float(out + 128, g.offset_x), put_float(out + 132, g.offset_y);
  put_float(out + 136, g.window_x1), put_float(out + 140, g.window_y1);
  put_float(out + 144, g.window_x2), put_float(out + 148, g.window_y2);
  put_double(out + 152, g.draw_angle), put_double(out + 160, g.draw_scale);
}

static void load_graphics_state(const uint8_t *in, GraphicsState &g) {
  g.view_x1 = int32_t(get32(in + 84)), g.view_y1 = int32_t(get32(in + 88));
  g.view_x2 = int32_t(get32(in + 92)), g.view_y2 = int32_t(get32(in + 96));
  g.view_origin_x = int32_t(get32(in + 100)), g.view_origin_y = int32_t(get32(in + 104));
  g.gfx_x = get_float(in + 108), g.gfx_y = get_float(in + 112);
  g.coord_mode = in[116];
  g.scale_x = get_float(in + 120), g.scale_y = get_float(in + 124);
  g.offset_x = get_float(in + 128), g.offset_y = get_float(in + 132);
  g.window_x1 = get_float(in + 136), g.window_y1 = get_float(in + 140);
  g.window_x2 = get_float(in + 144), g.window_y2 = get_float(in + 148);
  g.draw_angle = get_double(in + 152), g.draw_scale = get_double(in + 160);
}

void scr_record_store(const ImageSurface *image, uint8_t out[IMAGE_RECORD_STORED_SIZE]) {
  memset(out, 0, IMAGE_RECORD_STORED_SIZE);
  put32(out + 0, presence(image->mem_lock));
  put64(out + 8, image->mem_lock_id);
  out[16] = image->is_valid, out[17] = image->is_text, out[18] = image->is_console;
  put16(out + 20, image->width), put16(out + 22, image->height);
  out[24] = image->bytes_per_pixel, out[25] = image->bits_per_pixel;
  put32(out + 28, image->colour_mask);
  put16(out + 32, image->mode);
  put32(out + 36, image->fore_colour), put32(out + 40, image->back_colour), put32(out + 44, image->draw_colour);
  put32(out + 48, uint32_t(image->font));
  put16(out + 52, uint16_t(image->text_top)), put16(out + 54, uint16_t(image->text_bottom));
  put16(out + 56, uint16_t(image->cursor_col)), put16(out + 58, uint16_t(image->cursor_row));
  out[60] = image->cursor_visible, out[61] = image->cursor_start, out[62] = image->cursor_stop;
  put32(out + 64, presence(image->pixels));
  put32(out + 68, image->flags);
  put32(out + 72, presence(image->palette));
  put32(out + 76, uint32_t(image->clear_colour));
  out[80] = image->blend_off, out[81] = image->wrap_pending, out[82] = image->print_mode;
  store_graphics_state(image->gfx, out);
}

void scr_record_load(const uint8_t in[IMAGE_RECORD_STORED_SIZE], ImageSurface *image, StoredPointers *present) {
  *image = ImageSurface{};
  if (present) *present = {get32(in + 0) != 0, get32(in + 64) != 0, get32(in + 72) != 0};
  image->mem_lock_id = get64(in + 8);
  image->is_valid = in[16], image->is_text = in[17], image->is_console = in[18];
  image->width = uint16_t(get16(in + 20)), image->height = uint16_t(get16(in + 22));
  image->bytes_per_pixel = in[24], image->bits_per_pixel = in[25];
  image->colour_mask = get32(in + 28);
  image->mode = uint16_t(get16(in + 32));
  image->fore_colour = get32(in + 36), image->back_colour = get32(in + 40), image->draw_colour = get32(in + 44);
  image->font = int32_t(get32(in + 48));
  image->text_top = int16_t(get16(in + 52)), image->text_bottom = int16_t(get16(in + 54));
  image->cursor_col = int16_t(get16(in + 56)), image->cursor_row = int16_t(get16(in + 58));
  image->cursor_visible = in[60], image->cursor_start = in[61], image->cursor_stop = in[62];
  image->flags = get32(in + 68);
  image->clear_colour = int32_t(get32(in + 76));
  image->blend_off = in[80], image->wrap_pending = in[81], image->print_mode = in[82];
  load_graphics_state(in, image->gfx);
}
