// Speed of number text: STR$ of doubles and the game's PRINT USING clock line.
#include "fixture.h"
#include "strings/strings.h"

#include <benchmark/benchmark.h>

#include <cstring>

static const double sample_doubles[] = {0.1, 1.0 / 3, 123.456, 1e100, 59.7, -2.5e-7,
                                        9007199254740993.0, 0.3 + 0.6};
constexpr int SAMPLES = sizeof sample_doubles / sizeof sample_doubles[0];

static void BM_StrDouble(benchmark::State &state) {
  rt_test_init();
  int i = 0;
  for (auto _ : state) {
    uint32_t mark = temp_count;
    RtString *s = num_str_double(sample_doubles[i++ % SAMPLES]);
    benchmark::DoNotOptimize(s->bytes[0]);
    rtstr_release_temps(mark, 0);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StrDouble);

static void BM_StrSingle(benchmark::State &state) {
  rt_test_init();
  int i = 0;
  for (auto _ : state) {
    uint32_t mark = temp_count;
    RtString *s = num_str_single(float(sample_doubles[i++ % SAMPLES]));
    benchmark::DoNotOptimize(s->bytes[0]);
    rtstr_release_temps(mark, 0);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StrSingle);

// One statement of the game's reader: minutes and seconds through " ###:##.###".
static void BM_PrintUsingClock(benchmark::State &state) {
  rt_test_init();
  RtString *format = rtstr_new(0, false);
  rtstr_assign(format, rtstr_from_cstr(" ###:##.###"));
  float seconds = 59.7f;
  for (auto _ : state) {
    uint32_t mark = temp_count;
    RtString *out = rtstr_new(0, false);
    int32_t position = num_using_single(format, 0, 9.0f, out);
    num_using_single(format, position, seconds, out);
    benchmark::DoNotOptimize(out->bytes[0]);
    rtstr_free(out);
    rtstr_release_temps(mark, 0);
    seconds -= 0.033f;
    if (seconds < -0.5f) seconds = 59.7f;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrintUsingClock);
