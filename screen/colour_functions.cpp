// Colour functions: palette entries, colour composition and components,
// transparency, alpha and the blending rule of 32-bit pixel writes.
#include "screen/screen_private.h"
#include "errors/errors.h"

#include <cmath>
#include <cstring>

static void illegal() { err_raise(ERR_ILLEGAL_FUNCTION); }
static bool is_argb(const ImageSurface *image) { return image->bits_per_pixel == 32; }

int64_t scr_nearest(double v) { return int64_t(std::nearbyint(v)); }

uint32_t gfx_palette_colour(int32_t index, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return 0;
  if (!target->palette || index < 0 || index > 255) {
    illegal();
    return 0;
  }
  return target->palette[index] | 0xFF000000u;
}

void gfx_set_palette_colour(int32_t index, uint32_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return;
  if (!target->palette || index < 0 || index > 255) return illegal();
  target->palette[index] = colour;
}

void gfx_copy_palette(int32_t from, int32_t to, int32_t passed) {
  ImageSurface *a = scr_image_arg(from, passed & 1, source_image);
  ImageSurface *b = scr_image_arg(to, passed & 2, dest_image);
  if (!a || !b) return;
  if (!a->palette || !b->palette) return illegal();
  if (a->palette != b->palette) memcpy(b->palette, a->palette, 256 * sizeof(uint32_t));
}

static int32_t clamp_byte(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

uint32_t gfx_nearest_colour(const ImageSurface *image, int32_t r, int32_t g, int32_t b) {
  int32_t last = image->is_text ? 15 : int32_t(image->colour_mask > 255 ? 255 : image->colour_mask);
  int32_t best = 0, best_distance = 1000;
  for (int32_t i = 0; i <= last; i++) {
    uint32_t e = image->palette[i];
    int32_t distance = std::abs(r - int32_t(e >> 16 & 255)) + std::abs(g - int32_t(e >> 8 & 255)) +
                       std::abs(b - int32_t(e & 255));
    if (distance == 0) return uint32_t(i);
    if (distance < best_distance) best = i, best_distance = distance;
  }
  return uint32_t(best);
}

uint32_t gfx_rgb(int32_t r, int32_t g, int32_t b, int32_t image, int32_t passed) {
  return gfx_rgba(r, g, b, 255, image, passed);
}

uint32_t gfx_rgba(int32_t r, int32_t g, int32_t b, int32_t a, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return 0;
  r = clamp_byte(r), g = clamp_byte(g), b = clamp_byte(b), a = clamp_byte(a);
  if (is_argb(target)) return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
  if (a == 0 && target->clear_colour >= 0) return uint32_t(target->clear_colour);
  return gfx_nearest_colour(target, r, g, b);
}

// Palette images: the colour must name a palette entry.
static ImageSurface *component_image(uint32_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target || is_argb(target)) return target;
  if (colour > target->colour_mask || colour > 255) {
    illegal();
    return nullptr;
  }
  return target;
}

static uint32_t palette_rgb(const ImageSurface *image, uint32_t colour) { return image->palette[colour]; }

int32_t gfx_alpha_of(uint32_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = component_image(colour, image, passed);
  if (!target) return 0;
  if (is_argb(target)) return int32_t(colour >> 24);
  return int64_t(colour) == target->clear_colour ? 0 : 255;
}

int32_t gfx_red_of(uint32_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = component_image(colour, image, passed);
  if (!target) return 0;
  return int32_t((is_argb(target) ? colour : palette_rgb(target, colour)) >> 16 & 255);
}

int32_t gfx_green_of(uint32_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = component_image(colour, image, passed);
  if (!target) return 0;
  return int32_t((is_argb(target) ? colour : palette_rgb(target, colour)) >> 8 & 255);
}

int32_t gfx_blue_of(uint32_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = component_image(colour, image, passed);
  if (!target) return 0;
  return int32_t((is_argb(target) ? colour : palette_rgb(target, colour)) & 255);
}

void gfx_set_clear_colour(int64_t colour, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 2, dest_image);
  if (!target) return;
  bool none = !(passed & 1);
  if (target->is_text) {
    if (!none) illegal();
    return;
  }
  if (is_argb(target)) {
    if (none) return;
    uint32_t rgb = uint32_t(colour) & 0xFFFFFF;
    uint32_t *p = reinterpret_cast<uint32_t *>(target->pixels);
    size_t n = size_t(target->width) * target->height;
    for (size_t i = 0; i < n; i++)
      if ((p[i] & 0xFFFFFF) == rgb) p[i] = rgb;
    return;
  }
  if (none) target->clear_colour = -1;
  else if (colour >= 0 && colour < 256) target->clear_colour = int32_t(colour);
  else illegal();
}

int32_t gfx_clear_colour_of(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return 0;
  if (target->is_text) return -1;
  return is_argb(target) ? 0 : target->clear_colour;
}

static bool bytes_between(uint32_t p, uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t v = p >> shift & 255, x = a >> shift & 255, y = b >> shift & 255;
    if (v < (x < y ? x : y) || v > (x < y ? y : x)) return false;
  }
  return true;
}

void gfx_set_alpha(int32_t alpha, uint32_t colour, uint32_t second, int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 4, dest_image);
  if (!target) return;
  if (!is_argb(target) || alpha < 0 || alpha > 255) return illegal();
  bool one = passed & 1, range = one && (passed & 2) && colour != second;
  uint32_t *p = reinterpret_cast<uint32_t *>(target->pixels);
  size_t n = size_t(target->width) * target->height;
  for (size_t i = 0; i < n; i++) {
    bool change = range ? bytes_between(p[i], colour, second) : one ? p[i] == colour : true;
    if (change) p[i] = (p[i] & 0xFFFFFF) | uint32_t(alpha) << 24;
  }
}

void gfx_blend_on(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (!target) return;
  if (!is_argb(target)) return illegal();
  target->blend_off = 0;
}

void gfx_blend_off(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  if (target && is_argb(target)) target->blend_off = 1;
}

int32_t gfx_blend_state(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  return (target && is_argb(target) && !target->blend_off) ? -1 : 0;
}

uint32_t scr_fore_colour_of(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  return target ? target->fore_colour : 0;
}

uint32_t scr_back_colour_of(int32_t image, int32_t passed) {
  ImageSurface *target = scr_image_arg(image, passed & 1, dest_image);
  return target ? target->back_colour : 0;
}

uint32_t gfx_blend_pixel(uint32_t s, uint32_t d) {
  uint32_t a = s >> 24;
  if (a == 0) return d;
  if (a == 255) return s;
  if (!blend_table) scr_blend_tables_build();
  if (!blend_table) return s;
  uint32_t d_alpha = d >> 24;
  if (a == 127 || a == 128) {
    uint32_t rgb = ((d & 0xFEFEFE) + (s & 0xFEFEFE)) >> 1;
    return uint32_t(alpha_table[a * 256 + d_alpha]) << 24 | rgb;
  }
  const uint8_t *plane = blend_table + size_t(a) * 65536;
  uint32_t r = plane[(s >> 16 & 255) * 256 + (d >> 16 & 255)];
  uint32_t g = plane[(s >> 8 & 255) * 256 + (d >> 8 & 255)];
  uint32_t b = plane[(s & 255) * 256 + (d & 255)];
  return uint32_t(alpha_table[d_alpha * 256 + a]) << 24 | r << 16 | g << 8 | b;
}

void scr_put_pixel(ImageSurface *image, int32_t x, int32_t y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= image->width || y >= image->height || image->is_text) return;
  size_t at = size_t(y) * image->width + size_t(x);
  if (image->bytes_per_pixel == 1) {
    image->pixels[at] = uint8_t(colour & image->colour_mask);
    return;
  }
  uint32_t *p = reinterpret_cast<uint32_t *>(image->pixels) + at;
  *p = image->blend_off ? colour : gfx_blend_pixel(colour, *p);
}

void scr_put_pixel_clipped(ImageSurface *image, int32_t x, int32_t y, uint32_t colour) {
  const GraphicsState &g = image->gfx;
  if (x < g.view_x1 || x > g.view_x2 || y < g.view_y1 || y > g.view_y2) return;
  scr_put_pixel(image, x, y, colour);
}
