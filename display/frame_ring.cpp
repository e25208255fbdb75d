// The ring of finished frames: taking a slot, publishing, and reclaiming the frames
// the presenter has passed.
#include "display/display_private.h"
#include "platform/process.h"

#include <cstdlib>

Frame frame_ring[FRAME_RING_SIZE + 1];
std::atomic<int32_t> frame_first{0};
std::atomic<int32_t> frame_last{0};

static void free_entry(Frame &f) {
  free(f.frame_pixels);
  f.frame_pixels = nullptr;
}

void disp_clear_ring() {
  for (Frame &f : frame_ring) {
    free_entry(f);
    f.frame_width = f.frame_height = f.frame_bytes = 0;
    f.consumed.store(0, relaxed);
    f.shown.store(0, relaxed);
  }
  frame_first.store(0, relaxed);
  frame_last.store(0, relaxed);
  present_mark = 0;
  prev_frame_valid.store(0, relaxed);
  free(cell_copy);
  cell_copy = nullptr;
  cell_copy_size = 0;
  free(pixel_copy);
  pixel_copy = nullptr;
  pixel_copy_size = 0;
  prev_cursor_x = prev_cursor_y = -1;
}

static bool is_protected(int32_t index, int32_t last) {
  for (int k = 0; k < 4; k++, last = disp_ring_prev(last))
    if (index == last) return true;
  return false;
}

void disp_reclaim_frames() {
  int32_t first = frame_first.load(relaxed);
  if (first == 0) return;
  int32_t last = frame_last.load(relaxed);
  // Acquire pairs with the presenter's release: its reads of the pixels are done.
  while (!is_protected(first, last) && frame_ring[first].consumed.load(std::memory_order_acquire)) {
    free_entry(frame_ring[first]);
    first = disp_ring_next(first);
    frame_first.store(first, relaxed);
  }
}

bool disp_ring_full() {
  int32_t first = frame_first.load(relaxed);
  if (first == 0) return false;
  if (first == 1) first = FRAME_RING_SIZE + 1;
  return first == frame_last.load(relaxed) + 1;
}

// The oldest frame's buffer, when the presenter is done with it and it fits.
static uint32_t *take_oldest_buffer(int32_t bytes, int32_t last) {
  int32_t first = frame_first.load(relaxed);
  if (first == 0 || first == last) return nullptr;
  Frame &old = frame_ring[first];
  if (!old.frame_pixels || old.frame_bytes != bytes) return nullptr;
  if (!old.consumed.load(std::memory_order_acquire)) return nullptr;
  uint32_t *pixels = old.frame_pixels;
  old.frame_pixels = nullptr;
  frame_first.store(disp_ring_next(first), relaxed);
  return pixels;
}

int32_t disp_take_slot(int32_t width, int32_t height) {
  int32_t last = frame_last.load(relaxed);
  int32_t n = disp_ring_next(last);
  Frame &f = frame_ring[n];
  if (f.frame_pixels) plat_exit(9090);  // the reclaim step makes this impossible
  int32_t bytes = width * height * 4;   // callers keep this below 2 GiB
  uint32_t *pixels = take_oldest_buffer(bytes, last);
  if (!pixels) pixels = static_cast<uint32_t *>(malloc(size_t(bytes)));
  if (!pixels) return 0;
  f.frame_pixels = pixels;
  f.frame_width = width;
  f.frame_height = height;
  f.frame_bytes = bytes;
  f.consumed.store(0, relaxed);
  f.shown.store(0, relaxed);
  return n;
}

void disp_publish(int32_t n) {
  prev_frame_valid.store(1, relaxed);
  if (frame_first.load(relaxed) == 0) frame_first.store(n, relaxed);
  // Release: the pixels and the entry's fields are complete before the presenter
  // can see the new index.
  frame_last.store(n, std::memory_order_release);
}
