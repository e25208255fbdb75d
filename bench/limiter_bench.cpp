// Benchmark: processor time of the frame-rate limiter at 30 rounds per second over
// five seconds of wall time (the CPU column against the Time column).
#include "fixture.h"
#include "strings/strings.h"

#include <benchmark/benchmark.h>

static void BM_limit_30_for_5_seconds(benchmark::State &state) {
  rt_test_init();
  for (auto _ : state) {
    for (int round = 0; round < 150; round++) num_limit(30);
  }
  state.counters["rounds"] = 150;
}

BENCHMARK(BM_limit_30_for_5_seconds)->Iterations(1)->Unit(benchmark::kMillisecond);
