// The palette pass (one palette index per pixel, with mode 10's blinking colours)
// and the 32-bit pass.
#include "core/core.h"
#include "display/display_private.h"
#include "platform/clock.h"
#include "screen/screen.h"

#include <cstdlib>
#include <cstring>

uint8_t *pixel_copy = nullptr;
int32_t pixel_copy_size = 0;
uint32_t graphics_palette_copy[256];
// The frame this pass published last; pixel_copy describes only that one.
static int32_t own_newest_frame = 0;

// Mode 10 shows each colour as one of nine pseudo-colours whose grey level changes
// with a 512 ms phase; the pseudo-colours sit in entries 4..7.
static void rewrite_mode10_entries(ImageSurface *image) {
  int phase = (rt_clock_ms() & 512) ? 1 : 0;
  for (int i = 0; i < 4; i++) {
    uint32_t pseudo = image->palette[i + 4];
    if (pseudo <= 8) image->palette[i] = mode10_blink_table[phase * 9 + pseudo];
  }
}

static bool pixels_unchanged(const ImageSurface *image, int32_t n, int32_t k) {
  return prev_frame_valid.load(relaxed) != 0 && frame_last.load(relaxed) == own_newest_frame &&
         memcmp(image->pixels, pixel_copy, size_t(n)) == 0 &&
         memcmp(image->palette, graphics_palette_copy, size_t(k) * 4) == 0;
}

static bool resize_pixel_copy(int32_t n) {
  uint8_t *fresh = static_cast<uint8_t *>(malloc(size_t(n)));
  if (!fresh) return false;
  free(pixel_copy);
  pixel_copy = fresh;
  pixel_copy_size = n;
  return true;
}

// Paints from the copy, not the image, so the frame is exactly what the next pass
// compares against even while the program keeps drawing.
static void paint_from_copy(uint32_t *out, int32_t n, int32_t k) {
  uint32_t colours[256];
  for (int i = 0; i < 256; i++) colours[i] = graphics_palette_copy[i & (k - 1)] | 0xFF000000u;
  const uint8_t *in = pixel_copy;
  for (int32_t i = 0; i < n; i++) out[i] = colours[in[i]];
}

int32_t disp_palette_pass(ImageSurface *image) {
  int32_t width, height;
  if (!image->pixels || !image->palette || !disp_frame_size(image, &width, &height)) return 0;
  if (image->mode == 10) rewrite_mode10_entries(image);
  int32_t n = width * height;
  int bits = image->bits_per_pixel < 1 ? 1 : image->bits_per_pixel > 8 ? 8 : image->bits_per_pixel;
  int32_t k = 1 << bits;
  if (n != pixel_copy_size || !pixel_copy) {
    if (!resize_pixel_copy(n)) return 0;
  } else if (pixels_unchanged(image, n, k)) {
    return 0;
  }
  int32_t slot = disp_take_slot(width, height);
  if (slot == 0) return 0;
  memcpy(pixel_copy, image->pixels, size_t(n));
  memcpy(graphics_palette_copy, image->palette, size_t(k) * 4);
  paint_from_copy(frame_ring[slot].frame_pixels, n, k);
  own_newest_frame = slot;
  disp_publish(slot);
  return slot;
}

int32_t disp_argb_pass(ImageSurface *image) {
  int32_t width, height;
  if (!image->pixels || !disp_frame_size(image, &width, &height)) return 0;
  int32_t slot = disp_take_slot(width, height);
  if (slot == 0) return 0;
  memcpy(frame_ring[slot].frame_pixels, image->pixels, size_t(width) * height * 4);
  disp_publish(slot);
  return slot;
}
