// The three selections (display, destination, source), the pause handshake with
// the frame builder, and the destination and source statements and queries.
#include "screen/screen_private.h"
#include "core/core.h"
#include "errors/errors.h"
#include "platform/clock.h"

std::atomic<ImageSurface *> display_image{nullptr};
std::atomic<int32_t> display_image_index{0};
ImageSurface *dest_image = nullptr;
int32_t dest_image_index = 0;
ImageSurface *source_image = nullptr;
int32_t source_image_index = 0;
int32_t active_page = 0;
int32_t screen_is_image = 0;
int32_t pending_width = -1, pending_height = -1, pending_font = -1;
int32_t auto_grow_allowed = 0;

std::atomic<int32_t> display_pause{0};
std::atomic<int32_t> display_builder_ready{0};

void scr_select_dest(int32_t index) {
  dest_image_index = index;
  dest_image = scr_image_at(index);
}

void scr_select_source(int32_t index) {
  source_image_index = index;
  source_image = scr_image_at(index);
}

// The record is complete before the builder can see it.
void scr_select_display(int32_t index) {
  display_image_index.store(index, relaxed);
  display_image.store(scr_image_at(index), std::memory_order_release);
}

bool scr_pause_display() {
  if (!threads_started.load(std::memory_order_acquire)) return false;
  if (autodisplay.load(relaxed) == 0) return false;  // the builder then runs on this thread
  if (!display_builder_ready.load(std::memory_order_acquire)) return false;
  if (display_pause.load(relaxed) != 0) return false;  // an outer pause of ours holds it
  display_pause.store(1, relaxed);
  // The builder answers 2 at a pass boundary; during shutdown it builds no more.
  while (display_pause.load(std::memory_order_acquire) != 2 && !exit_in_progress.load(relaxed))
    plat_sleep_ms(0);
  return true;
}

void scr_release_display(bool paused) {
  if (paused) display_pause.store(0, std::memory_order_release);
}

void scr_set_dest(int32_t image) {
  if (err_pending()) return;
  int32_t index = scr_resolve_image(image);
  if (index) scr_select_dest(index);
}

void scr_set_source(int32_t image) {
  if (err_pending()) return;
  int32_t index = scr_resolve_image(image);
  if (index) scr_select_source(index);
}

int32_t scr_dest() {
  if (err_pending()) return 0;
  return -dest_image_index;
}

int32_t scr_source() {
  if (err_pending()) return 0;
  return -source_image_index;
}

int32_t scr_display() {
  if (err_pending()) return 0;
  return -display_image_index.load(relaxed);
}

int32_t scr_image_width(int32_t handle, bool handle_given) {
  ImageSurface *image = scr_image_arg(handle, handle_given, dest_image);
  return image ? image->width : 0;
}

int32_t scr_image_height(int32_t handle, bool handle_given) {
  ImageSurface *image = scr_image_arg(handle, handle_given, dest_image);
  return image ? image->height : 0;
}

int32_t scr_pixel_size(int32_t handle, bool handle_given) {
  ImageSurface *image = scr_image_arg(handle, handle_given, dest_image);
  if (!image || image->is_text) return 0;
  return image->bytes_per_pixel == 4 ? 4 : 1;
}

void scr_reset_colours(ImageSurface *image) {
  switch (image->mode) {
    case 0: image->fore_colour = 7; image->back_colour = 0; break;
    case 1: case 10: image->fore_colour = 3; image->back_colour = 0; break;
    case 2: case 11: image->fore_colour = 1; image->back_colour = 0; break;
    case 32: image->fore_colour = 0xFFFFFFFFu; image->back_colour = 0xFF000000u; break;
    default: image->fore_colour = 15; image->back_colour = 0; break;
  }
}
