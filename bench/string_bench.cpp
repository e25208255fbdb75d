// The translated-statement pattern on the string engine and the same work on
// std::string: v$ = MID$(s$, 5, n) + " = " + STR$(i), then the statement's release.
#include "fixture.h"
#include "strings/strings.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

static const char source_text[] = "The quick brown fox jumps over the lazy dog, twice over.";

// Number text as STR$ gives it: a leading blank for non-negative values.
static int number_text(int32_t value, char *out) {
  char digits[12];
  int n = 0;
  uint32_t v = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
  do digits[n++] = char('0' + v % 10); while ((v /= 10) != 0);
  int length = 0;
  out[length++] = value < 0 ? '-' : ' ';
  while (n > 0) out[length++] = digits[--n];
  return length;
}

static void engine_statement(benchmark::State &state) {
  rt_test_init();
  const int32_t piece = int32_t(state.range(0));
  RtString *source = rtstr_new(0, false);
  rtstr_assign(source, rtstr_from_cstr(source_text));
  RtString *v = rtstr_new(0, false);
  int32_t i = 0;
  for (auto _ : state) {
    uint32_t mark = temp_count;
    RtString *sub = rtstr_new(uint32_t(piece), true);
    memcpy(sub->bytes, source->bytes + 4, size_t(piece));
    RtString *literal = rtstr_from_bytes(" = ", 3);
    char digits[12];
    int n = number_text(i++, digits);
    RtString *number = rtstr_new(uint32_t(n), true);
    memcpy(number->bytes, digits, size_t(n));
    rtstr_assign(v, rtstr_concat(rtstr_concat(sub, literal), number));
    rtstr_release_temps(mark, 0);
    benchmark::DoNotOptimize(v->bytes);
  }
  state.SetItemsProcessed(state.iterations());
}

static void std_string_statement(benchmark::State &state) {
  const size_t piece = size_t(state.range(0));
  std::string source = source_text;
  std::string v;
  int32_t i = 0;
  for (auto _ : state) {
    std::string sub = source.substr(4, piece);
    char digits[12];
    int n = number_text(i++, digits);
    std::string number(digits, size_t(n));
    v = sub + " = " + number;
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations());
}

// 8 characters keeps std::string within its short-string buffer; 24 does not.
BENCHMARK(engine_statement)->Arg(8)->Arg(24);
BENCHMARK(std_string_statement)->Arg(8)->Arg(24);
