// Random numbers: RND and RANDOMIZE over the 24-bit linear congruential generator.
#include "errors/errors.h"
#include "strings/strings.h"

#include <cstring>

uint32_t rnd_seed = 0x50000;
uint32_t rnd_start_seed = 0x50000;

constexpr uint32_t RND_MULTIPLIER = 0xFD43FD;
constexpr uint32_t RND_INCREMENT = 0xC39EC3;
constexpr uint32_t RND_MASK = 0xFFFFFF;

static uint32_t single_bits(float x) {
  uint32_t bits;
  memcpy(&bits, &x, 4);
  return bits;
}

float num_rnd(float x, bool x_given) {
  if (err_pending()) return 0;
  if (!x_given) x = 1;
  if (x != 0) {
    if (x < 0) {
      uint32_t bits = single_bits(x);
      rnd_seed = (bits & RND_MASK) + (bits >> 24);
    }
    // Unsigned 32-bit wrap-around leaves the low 24 bits exact.
    rnd_seed = (rnd_seed * RND_MULTIPLIER + RND_INCREMENT) & RND_MASK;
  }
  return float(double(rnd_seed) / 16777216.0);
}

// The seed's high word, folded to 16 bits, becomes bits 8..23 of the state.
static uint32_t seed_middle_bits(double seed) {
  uint64_t bits;
  memcpy(&bits, &seed, 8);
  uint32_t t = uint32_t(bits >> 32);
  t ^= t >> 16;
  return (t & 0xFFFF) << 8;
}

// Stand-in until the INPUT editor exists: RANDOMIZE without a seed would print
// "Random-number seed (-32768 to 32767)? " and read a 16-bit integer with it.
// Until then it answers 0 without prompting and raises nothing.
static int32_t ask_for_seed() { return 0; }

void num_randomize(double seed, int32_t kind) {
  if (err_pending()) return;
  if (kind == 1) {
    rnd_seed = seed_middle_bits(seed) | (rnd_seed & 0xFF);
  } else if (kind == 3) {
    rnd_seed = seed_middle_bits(seed) | (rnd_start_seed & 0xFF);
  } else {
    int32_t value = ask_for_seed();
    if (err_pending()) return;
    rnd_seed = ((uint32_t(value) & 0xFFFF) << 8) | (rnd_seed & 0xFF);
  }
}
