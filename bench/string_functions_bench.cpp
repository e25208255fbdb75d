// Benchmarks: INSTR and the string comparisons on 1 KiB strings against the C
// library's memmem and memcmp over the same bytes.
#include "fixture.h"
#include "strings/strings.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

constexpr int32_t KIB = 1024;

// A 1 KiB haystack of varied letters whose only copy of the needle is at the end;
// the needle's first byte is common, so the search takes many false starts.
struct SearchTexts {
  RtString *haystack, *needle, *twin, *other;
};

SearchTexts make_texts(int32_t needle_length) {
  rt_test_init();
  std::string hay(KIB, 'a');
  for (int32_t i = 0; i < KIB; i++) hay[i] = char('a' + (i * 7) % 5);
  std::string needle(needle_length, 'a');
  needle.back() = 'z';
  hay.replace(KIB - needle_length, needle_length, needle);
  auto variable = [](const std::string &text) {
    RtString *v = rtstr_new(0, false);
    RtString *t = rtstr_new(uint32_t(text.size()), true);
    memcpy(t->bytes, text.data(), text.size());
    return rtstr_assign(v, t);
  };
  std::string last_differs = hay;
  last_differs.back() = 'Y';
  return {variable(hay), variable(needle), variable(hay), variable(last_differs)};
}

void BM_instr(benchmark::State &state) {
  SearchTexts t = make_texts(int32_t(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(rtstr_instr(0, t.haystack, t.needle, false));
  state.SetBytesProcessed(state.iterations() * KIB);
}

void BM_memmem(benchmark::State &state) {
  SearchTexts t = make_texts(int32_t(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(memmem(t.haystack->bytes, size_t(t.haystack->length), t.needle->bytes,
                                    size_t(t.needle->length)));
  state.SetBytesProcessed(state.iterations() * KIB);
}

void BM_equal(benchmark::State &state) {
  SearchTexts t = make_texts(8);
  for (auto _ : state) benchmark::DoNotOptimize(rtstr_equal(t.haystack, t.twin));
  state.SetBytesProcessed(state.iterations() * KIB);
}

void BM_less(benchmark::State &state) {
  SearchTexts t = make_texts(8);
  for (auto _ : state) benchmark::DoNotOptimize(rtstr_less(t.haystack, t.other));
  state.SetBytesProcessed(state.iterations() * KIB);
}

void BM_memcmp(benchmark::State &state) {
  SearchTexts t = make_texts(8);
  for (auto _ : state) {
    benchmark::DoNotOptimize(memcmp(t.haystack->bytes, t.other->bytes, KIB));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * KIB);
}

}  // namespace

BENCHMARK(BM_instr)->Arg(1)->Arg(8)->Arg(64);
BENCHMARK(BM_memmem)->Arg(1)->Arg(8)->Arg(64);
BENCHMARK(BM_equal);
BENCHMARK(BM_less);
BENCHMARK(BM_memcmp);
