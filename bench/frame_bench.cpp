// Frame builder speed: full text and palette frames, one changed cell, and a pass
// that finds nothing changed.
#include "core/core.h"
#include "display/display.h"
#include "fixture.h"
#include "screen/screen.h"

#include <benchmark/benchmark.h>

namespace {

// The presenter passes every frame, so the ring never fills during a run.
void present_all() {
  window_width = frame_ring[frame_last.load()].frame_width;
  window_height = frame_ring[frame_last.load()].frame_height;
  disp_present_begin();
}

// Benchmarks share one process: each sets up its own screen mode.
void text_screen() {
  rt_test_init();
  scr_screen(0, 0, 0, 0, 0, 1);
}

void fill_text_page() {
  text_screen();
  ImageSurface *page = display_image.load();
  for (int i = 0; i < page->width * page->height; i++) {
    page->pixels[i * 2] = uint8_t('A' + i % 58);
    page->pixels[i * 2 + 1] = uint8_t(1 + i % 15);
  }
}

void BM_FullTextFrame80x25Font16(benchmark::State &state) {
  fill_text_page();
  for (auto _ : state) {
    prev_frame_valid.store(0);
    disp_build_frame();
    present_all();
  }
}
BENCHMARK(BM_FullTextFrame80x25Font16);

void BM_TextFrameOneChangedCell(benchmark::State &state) {
  fill_text_page();
  disp_build_frame();
  uint8_t ch = 0;
  for (auto _ : state) {
    display_image.load()->pixels[0] = ch++;
    disp_build_frame();
    present_all();
  }
}
BENCHMARK(BM_TextFrameOneChangedCell);

void BM_FullPaletteFrame640x480x4(benchmark::State &state) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  ImageSurface *page = display_image.load();
  for (int i = 0; i < 640 * 480; i++) page->pixels[i] = uint8_t(i % 16);
  uint8_t c = 0;
  for (auto _ : state) {
    page->pixels[12345] = c++ & 15;  // a changed pixel forces a whole new frame
    disp_build_frame();
    present_all();
  }
}
BENCHMARK(BM_FullPaletteFrame640x480x4);

void BM_UnchangedPalettePass(benchmark::State &state) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  disp_build_frame();
  for (auto _ : state) disp_build_frame();
}
BENCHMARK(BM_UnchangedPalettePass);

void BM_UnchangedTextPass(benchmark::State &state) {
  fill_text_page();
  disp_build_frame();
  for (auto _ : state) disp_build_frame();
}
BENCHMARK(BM_UnchangedTextPass);

}  // namespace
