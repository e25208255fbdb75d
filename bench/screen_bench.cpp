// Screen model costs: a SCREEN 12 mode change, and building the blending tables.
#include "fixture.h"
#include "screen/screen.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

// Each iteration changes the mode twice (text, then 640 x 480 x 4 bits).
static void BM_Screen12FromText(benchmark::State &state) {
  rt_test_init();
  for (auto _ : state) {
    scr_screen(0, 0, 0, 0, 0, 1);
    scr_screen(12, 0, 0, 0, 0, 1);
    benchmark::DoNotOptimize(dest_image);
  }
}
BENCHMARK(BM_Screen12FromText)->Unit(benchmark::kMicrosecond);

static void BM_Screen12Only(benchmark::State &state) {
  rt_test_init();
  for (auto _ : state) {
    state.PauseTiming();
    scr_screen(0, 0, 0, 0, 0, 1);
    state.ResumeTiming();
    scr_screen(12, 0, 0, 0, 0, 1);
    benchmark::DoNotOptimize(dest_image);
  }
}
BENCHMARK(BM_Screen12Only)->Unit(benchmark::kMicrosecond);

static void BM_BlendTableBuild(benchmark::State &state) {
  rt_test_init();
  for (auto _ : state) {
    free(blend_table);
    free(alpha_table);
    blend_table = alpha_table = nullptr;
    scr_blend_tables_build();
    benchmark::DoNotOptimize(blend_table);
  }
}
BENCHMARK(BM_BlendTableBuild)->Unit(benchmark::kMillisecond);

static void BM_BlendPixel(benchmark::State &state) {
  rt_test_init();
  scr_blend_tables_build();
  uint32_t d = 0xFF102030;
  uint32_t s = 0x00FF8040;
  for (auto _ : state) {
    s += 0x01000001;
    d = gfx_blend_pixel(s, d);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_BlendPixel);
