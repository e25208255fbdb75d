// Colour tables: the 256-colour default palette with its colour runs, the EGA
// palette, the mode 10 blink table, per-mode defaults and the blending tables.
#include "screen/screen_private.h"
#include "errors/errors.h"

#include <cmath>
#include <cstdlib>

uint32_t default_palette[256];
uint32_t ega_palette[64];
uint32_t mode10_blink_table[18];
uint8_t *blend_table = nullptr;
uint8_t *alpha_table = nullptr;

static const uint32_t first_sixteen[16] = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF,
};
static const uint8_t grey_ramp[16] = {0x00, 0x14, 0x20, 0x2D, 0x39, 0x45, 0x51, 0x61,
                                      0x71, 0x82, 0x92, 0xA2, 0xB6, 0xCA, 0xE3, 0xFF};
static const uint8_t run_levels[9][5] = {
    {0x00, 0x41, 0x7D, 0xBE, 0xFF}, {0x7D, 0x9E, 0xBE, 0xDF, 0xFF}, {0xB6, 0xC6, 0xDB, 0xEB, 0xFF},
    {0x00, 0x1C, 0x39, 0x55, 0x71}, {0x39, 0x45, 0x55, 0x61, 0x71}, {0x51, 0x59, 0x61, 0x69, 0x71},
    {0x00, 0x10, 0x20, 0x31, 0x41}, {0x20, 0x28, 0x31, 0x39, 0x41}, {0x2D, 0x31, 0x35, 0x3D, 0x41},
};
static const uint32_t blink_levels[2][9] = {
    {0x000000, 0x000000, 0x000000, 0x808080, 0x808080, 0x808080, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    {0x000000, 0x808080, 0xFFFFFF, 0x000000, 0x808080, 0xFFFFFF, 0x000000, 0x808080, 0xFFFFFF},
};

static uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// One run of 24: around the colour circle from blue through magenta, red, yellow,
// green and cyan, four steps per leg, each step moving one channel one level.
static void fill_colour_run(uint32_t *out, const uint8_t levels[5]) {
  int r = 0, g = 0, b = 4;  // level numbers
  struct Leg { int *channel; int step; };
  Leg legs[6] = {{&r, +1}, {&b, -1}, {&g, +1}, {&r, -1}, {&b, +1}, {&g, -1}};
  int n = 0;
  for (const Leg &leg : legs)
    for (int k = 0; k < 4; k++) {
      out[n++] = rgb(levels[r], levels[g], levels[b]);
      *leg.channel += leg.step;
    }
}

void palette_tables_init() {
  for (int i = 0; i < 16; i++) default_palette[i] = first_sixteen[i];
  for (int i = 0; i < 16; i++) default_palette[16 + i] = rgb(grey_ramp[i], grey_ramp[i], grey_ramp[i]);
  for (int run = 0; run < 9; run++) fill_colour_run(default_palette + 32 + run * 24, run_levels[run]);
  for (int i = 248; i < 256; i++) default_palette[i] = 0;
  for (uint32_t &entry : default_palette) entry |= 0xFF000000u;
  for (int n = 0; n < 64; n++) {
    int red = 0xAA * (n >> 2 & 1) + 0x55 * (n >> 5 & 1);
    int green = 0xAA * (n >> 1 & 1) + 0x55 * (n >> 4 & 1);
    int blue = 0xAA * (n & 1) + 0x55 * (n >> 3 & 1);
    ega_palette[n] = 0xFF000000u | rgb(red, green, blue);
  }
  for (int phase = 0; phase < 2; phase++)
    for (int p = 0; p < 9; p++) mode10_blink_table[phase * 9 + p] = blink_levels[phase][p];
}

void scr_default_palette_of(ImageSurface *image) {
  uint32_t *p = image->palette;
  if (!p) return;
  static const int mode9_entries[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};
  switch (image->mode) {
    case 1:
      p[0] = default_palette[0], p[1] = default_palette[3], p[2] = default_palette[5], p[3] = default_palette[7];
      break;
    case 2: case 11:
      p[0] = 0x000000, p[1] = 0xFFFFFF;
      break;
    case 9:
      for (int i = 0; i < 16; i++) p[i] = ega_palette[mode9_entries[i]];
      break;
    case 10:
      p[4] = 0, p[5] = 4, p[6] = 6, p[7] = 8;
      break;
    case 13: case 256:
      for (int i = 0; i < 256; i++) p[i] = default_palette[i];
      break;
    default:  // 0, 7, 8, 12
      for (int i = 0; i < 16; i++) p[i] = default_palette[i];
      break;
  }
}

void scr_blend_tables_build() {
  if (blend_table) return;
  uint8_t *blend = static_cast<uint8_t *>(malloc(size_t(256) * 256 * 256));
  uint8_t *alpha = static_cast<uint8_t *>(malloc(size_t(256) * 256));
  if (!blend || !alpha) {
    free(blend);
    free(alpha);
    err_raise(ERR_OUT_OF_MEMORY);
    return;
  }
  for (int a = 0; a < 256; a++) {
    // Single precision, as the values are defined; halves go to even.
    float f = float(a) / 255.0f, g = 1.0f - f;
    uint8_t *plane = blend + size_t(a) * 65536;
    for (int s = 0; s < 256; s++) {
      float fs = f * float(s);
      for (int d = 0; d < 256; d++) plane[s * 256 + d] = uint8_t(std::nearbyintf(fs + g * float(d)));
    }
  }
  for (int i = 0; i < 256; i++)
    for (int j = 0; j < 256; j++)
      alpha[i * 256 + j] = uint8_t(std::nearbyint((1.0 - (1.0 - i / 255.0) * (1.0 - j / 255.0)) * 255.0));
  alpha_table = alpha;
  blend_table = blend;
}
