// COLOR, PALETTE and PALETTE USING: what colour numbers mean per screen mode.
#include "screen/screen_private.h"
#include "errors/errors.h"

#include <cstring>

static bool in(int64_t v, int64_t low, int64_t high) { return v >= low && v <= high; }

// Checks the whole statement first: a violation changes nothing.
static bool color_arguments_valid(const ImageSurface *image, int64_t f, int64_t b, int32_t passed) {
  bool fg = passed & 1, bg = passed & 2, border = passed & 4;
  int32_t mode = image->mode;
  if (border && mode != 0) return false;
  int64_t f_max = 15, b_max = 15;
  switch (mode) {
    case 0: f_max = 31; break;
    case 1: b_max = INT64_MAX; break;
    case 2: f_max = 1; break;
    case 9: b_max = 63; break;
    case 10: f_max = 3, b_max = 8; break;
    case 11: f_max = 1, b_max = 1; break;
    case 13: case 256: f_max = 255, b_max = 255; break;
    case 32: return true;
  }
  if (fg && !in(f, 0, f_max)) return false;
  if (bg && !(mode == 1 || in(b, 0, b_max))) return false;
  return true;
}

void scr_color(int64_t fore, int64_t back, int64_t border, int32_t passed) {
  (void)border;
  if (err_pending() || !(passed & 7)) return;
  ImageSurface *image = dest_image;
  if (!color_arguments_valid(image, fore, back, passed)) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  uint32_t *p = image->palette;
  if (passed & 1) {
    if (image->mode == 1) p[0] = default_palette[fore];  // the foreground names the background here
    else image->fore_colour = uint32_t(fore);
  }
  if (!(passed & 2)) return;
  switch (image->mode) {
    case 0: image->back_colour = uint32_t(back & 7); break;
    case 1: {
      static const int odd[3] = {3, 5, 7}, even[3] = {2, 4, 6};
      const int *set = (back & 1) ? odd : even;
      for (int i = 0; i < 3; i++) p[1 + i] = default_palette[set[i]];
      break;
    }
    case 2: case 7: case 8: p[0] = default_palette[back]; break;
    case 9: p[0] = ega_palette[back]; break;
    case 10: p[4] = uint32_t(back); break;
    default: image->back_colour = uint32_t(back); break;
  }
}

// Each 6-bit part v becomes v * 256 / 63 rounded down (63 giving 255).
static uint32_t vga_channel(int64_t v) { return uint32_t(scr_nearest(double(v) * 4.0634918 - 0.4999999)); }

// One PALETTE attribute, colour on image; false for an illegal pair.
static bool set_palette_entry(ImageSurface *image, int64_t attribute, int64_t colour) {
  if (!image->palette || colour < 0) return false;
  int32_t a = int32_t(attribute & 255);
  uint32_t *p = image->palette;
  switch (image->mode) {
    case 13: case 256: case 12: case 11:
      if ((image->mode == 12 && a > 15) || (image->mode == 11 && a > 1)) return false;
      if (colour & ~int64_t(0x3F3F3F)) return false;
      p[a] = vga_channel(colour & 63) << 16 | vga_channel(colour >> 8 & 63) << 8 | vga_channel(colour >> 16 & 63);
      return true;
    case 10:
      if (a > 3 || colour > 8) return false;
      p[a + 4] = uint32_t(colour);
      return true;
    case 9: case 0:
      if (a > 15 || colour > 63) return false;
      p[a] = ega_palette[colour];
      return true;
    default:  // 1, 2, 7, 8
      if ((image->mode == 2 && a > 1) || a > 15 || colour > 15) return false;
      p[a] = default_palette[colour];
      return true;
  }
}

void scr_palette(int32_t attribute, int64_t colour, bool given) {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  if (image->mode == 32 || !image->palette) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  if (!given) return scr_default_palette_of(image);
  if (!set_palette_entry(image, attribute, colour)) err_raise(ERR_ILLEGAL_FUNCTION);
}

void scr_palette_using(const void *elements, int32_t element_count, int32_t element_bits) {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  // Text pages have 16 palette entries, whatever their cell mask says.
  int64_t needed = image->is_text ? 16 : int64_t(image->colour_mask) + 1;
  bool wide_mode = image->mode == 11 || image->mode == 12 || image->mode == 13 || image->mode == 256;
  if (image->mode == 32 || !image->palette || !elements || (element_bits != 16 && element_bits != 32) ||
      element_count < needed || (element_bits == 16 && wide_mode)) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  int32_t last = int32_t(needed - 1);
  for (int32_t attribute = 0; attribute <= last; attribute++) {
    int64_t value;
    if (element_bits == 16) {
      int16_t v;
      memcpy(&v, static_cast<const uint8_t *>(elements) + attribute * 2, 2);
      value = v;
    } else {
      int32_t v;
      memcpy(&v, static_cast<const uint8_t *>(elements) + attribute * 4, 4);
      value = v;
    }
    if (value == -1) continue;
    if (value < -1 || !set_palette_entry(image, attribute, value)) {
      err_raise(ERR_ILLEGAL_FUNCTION);
      return;
    }
  }
}
