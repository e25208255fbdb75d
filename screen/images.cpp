// Off-screen images as the program sees them: creation, duplication, release, and
// PCOPY between pages and images.
#include "screen/screen_private.h"
#include "errors/errors.h"

#include <cstdlib>
#include <cstring>

static void illegal() { err_raise(ERR_ILLEGAL_FUNCTION); }

// PCOPY names a bad negative handle an illegal call rather than an invalid handle.
static int32_t pcopy_operand(int32_t image) {
  if (image >= 0) return scr_page_image(image);
  int64_t index = -int64_t(image);
  ImageSurface *record = index < image_record_count ? scr_image_at(int32_t(index)) : nullptr;
  if (!record || !record->is_valid) {
    illegal();
    return 0;
  }
  return int32_t(index);
}

void scr_pcopy(int32_t from, int32_t to) {
  if (err_pending()) return;
  int32_t from_index = pcopy_operand(from);
  int32_t to_index = from_index ? pcopy_operand(to) : 0;
  if (!from_index || !to_index || from_index == to_index) return;
  ImageSurface *a = scr_image_at(from_index), *b = scr_image_at(to_index);
  bool palette_image = a->bytes_per_pixel == 1;
  if (a->bytes_per_pixel != b->bytes_per_pixel || a->width != b->width || a->height != b->height ||
      (palette_image && b->colour_mask < a->colour_mask))
    return illegal();
  memcpy(b->pixels, a->pixels, size_t(a->width) * a->height * a->bytes_per_pixel);
}

// An image without a mode of its own looks like the destination.
static void take_destination_look(ImageSurface *image) {
  if (image->palette && dest_image->palette) memcpy(image->palette, dest_image->palette, 256 * sizeof(uint32_t));
  scr_set_text_rows(dest_image->font, image);
  image->fore_colour = dest_image->fore_colour;
  image->back_colour = dest_image->back_colour;
  image->draw_colour = image->fore_colour;
  image->clear_colour = dest_image->clear_colour;
  image->blend_off = dest_image->blend_off;
  image->print_mode = dest_image->print_mode;
}

int32_t scr_new_image(int32_t width, int32_t height, int32_t mode, bool mode_given) {
  if (err_pending()) return 0;
  if (width < 1 || height < 1 || width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE) {
    illegal();
    return 0;
  }
  if (mode_given && !scr_mode_exists(mode)) {
    illegal();
    return 0;
  }
  int32_t index = scr_image_alloc(width, height, mode_given ? mode : dest_image->mode);
  if (!index) return err_pending() ? 0 : -1;
  if (!mode_given) take_destination_look(scr_image_at(index));
  return -index;
}

int32_t scr_copy_image(int32_t handle, bool handle_given) {
  ImageSurface *from = scr_image_arg(handle, handle_given, dest_image);
  if (!from) return 0;
  size_t bytes = size_t(from->width) * from->height * from->bytes_per_pixel;
  uint8_t *pixels = static_cast<uint8_t *>(malloc(bytes));
  uint32_t *palette = from->palette ? static_cast<uint32_t *>(malloc(256 * sizeof(uint32_t))) : nullptr;
  int32_t index = (pixels && (palette || !from->palette)) ? scr_record_new() : 0;
  if (!index) {
    free(pixels);
    free(palette);
    return err_pending() ? 0 : -1;
  }
  ImageSurface *copy = scr_image_at(index);
  *copy = *from;
  copy->mem_lock = nullptr;
  copy->mem_lock_id = 0;
  memcpy(pixels, from->pixels, bytes);
  copy->pixels = pixels;
  if (palette) memcpy(palette, from->palette, 256 * sizeof(uint32_t));
  copy->palette = palette;
  copy->flags = IMAGE_OWNS_PIXELS | (palette ? IMAGE_OWNS_PALETTE : 0);
  return -index;
}

void scr_free_image(int32_t handle, bool handle_given) {
  if (err_pending()) return;
  if (handle_given && handle >= 0) return illegal();
  int32_t index = handle_given ? scr_resolve_image(handle) : dest_image_index;
  if (!index) return;
  ImageSurface *image = scr_image_at(index);
  if (image->flags & IMAGE_IS_SCREEN_PAGE) return illegal();
  int32_t shown = display_image_index.load(relaxed);
  if (index == dest_image_index) scr_select_dest(shown);
  if (index == source_image_index) scr_select_source(shown);
  scr_image_release(index);
}
