// Colour and palette: default palettes per mode, COLOR and PALETTE with their checks,
// PALETTE USING, colour composition, transparency and the blending rule.
#include "errors/errors.h"
#include "fixture.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

static uint32_t take_error() {
  uint32_t code = pending_error.load();
  pending_error.store(0);
  return code;
}

// Low 24 bits: the alpha byte of a palette entry carries no meaning.
static uint32_t rgb_of(uint32_t entry) { return entry & 0xFFFFFF; }

TEST(DefaultPalette, TellingEntriesOfTheTables) {
  rt_test_init();
  struct Entry { int index; uint32_t rgb; };
  const Entry entries[] = {{0, 0x000000},  {6, 0xAA5500},   {7, 0xAAAAAA},   {9, 0x5555FF},   {15, 0xFFFFFF},
                           {16, 0x000000}, {19, 0x2D2D2D},  {31, 0xFFFFFF},  {32, 0x0000FF},  {33, 0x4100FF},
                           {36, 0xFF00FF}, {38, 0xFF007D},  {40, 0xFF0000},  {44, 0xFFFF00},  {48, 0x00FF00},
                           {52, 0x00FFFF}, {55, 0x0041FF},  {56, 0x7D7DFF},  {80, 0xB6B6FF},  {104, 0x000071},
                           {128, 0x393971}, {152, 0x515171}, {176, 0x000041}, {200, 0x202041}, {224, 0x2D2D41},
                           {247, 0x2D3141}, {248, 0x000000}, {255, 0x000000}};
  for (const Entry &e : entries) {
    EXPECT_EQ(rgb_of(default_palette[e.index]), e.rgb) << e.index;
    EXPECT_EQ(default_palette[e.index] >> 24, 0xFFu) << e.index;
  }
  struct Ega { int n; uint32_t rgb; };
  const Ega ega[] = {{0, 0x000000}, {6, 0xAAAA00}, {20, 0xAA5500}, {56, 0x555555}, {63, 0xFFFFFF}, {36, 0xFF0000}};
  for (const Ega &e : ega) EXPECT_EQ(rgb_of(ega_palette[e.n]), e.rgb) << e.n;
  EXPECT_EQ(mode10_blink_table[0 * 9 + 4], 0x808080u);
  EXPECT_EQ(mode10_blink_table[1 * 9 + 4], 0x808080u);
  EXPECT_EQ(mode10_blink_table[0 * 9 + 2], 0x000000u);
  EXPECT_EQ(mode10_blink_table[1 * 9 + 2], 0xFFFFFFu);
}

TEST(DefaultPalette, PerMode) {
  rt_test_init();
  struct Entry { int index; uint32_t rgb; };
  struct Case { int mode; std::vector<Entry> entries; };
  const Case cases[] = {
      {0, {{0, 0x000000}, {4, 0xAA0000}, {15, 0xFFFFFF}, {16, 0}}},
      {1, {{0, 0x000000}, {1, 0x00AAAA}, {2, 0xAA00AA}, {3, 0xAAAAAA}, {4, 0}}},
      {2, {{0, 0x000000}, {1, 0xFFFFFF}, {2, 0}}},
      {7, {{1, 0x0000AA}, {14, 0xFFFF55}, {16, 0}}},
      {8, {{6, 0xAA5500}, {16, 0}}},
      {9, {{6, 0xAA5500}, {7, 0xAAAAAA}, {8, 0x555555}, {15, 0xFFFFFF}}},
      {10, {{0, 0}, {4, 0}, {5, 4}, {6, 6}, {7, 8}}},
      {11, {{0, 0x000000}, {1, 0xFFFFFF}, {2, 0}}},
      {12, {{2, 0x00AA00}, {7, 0xAAAAAA}, {16, 0}}},
      {13, {{32, 0x0000FF}, {224, 0x2D2D41}}},
      {256, {{40, 0xFF0000}, {104, 0x000071}}},
  };
  for (const Case &c : cases) {
    int32_t h = scr_new_image(8, 8, c.mode, true);
    ASSERT_LT(h, -1) << c.mode;
    const uint32_t *p = scr_image_at(-h)->palette;
    for (const Entry &e : c.entries) EXPECT_EQ(rgb_of(p[e.index]), e.rgb) << "mode " << c.mode << " entry " << e.index;
  }
  EXPECT_EQ(scr_image_at(-scr_new_image(8, 8, 32, true))->palette, nullptr);
}

TEST(Color, RangeChecksPerMode) {
  rt_test_init();
  struct Case { int mode; int64_t fore, back, border; int32_t passed; bool legal; };
  const Case cases[] = {
      {0, 31, 15, 5, 7, true},   {0, 32, 0, 0, 1, false},   {0, 0, 16, 0, 2, false},  {0, -1, 0, 0, 1, false},
      {1, 15, 1000, 0, 3, true}, {1, 16, 0, 0, 1, false},   {1, 0, 0, 1, 4, false},
      {2, 1, 15, 0, 3, true},    {2, 2, 0, 0, 1, false},    {7, 15, 15, 0, 3, true},  {8, 0, 16, 0, 2, false},
      {9, 15, 63, 0, 3, true},   {9, 0, 64, 0, 2, false},   {10, 3, 8, 0, 3, true},   {10, 4, 0, 0, 1, false},
      {10, 0, 9, 0, 2, false},   {11, 1, 1, 0, 3, true},    {11, 0, 2, 0, 2, false},  {12, 15, 15, 0, 3, true},
      {12, 16, 0, 0, 1, false},  {12, 0, 0, 1, 4, false},   {13, 255, 255, 0, 3, true}, {13, 256, 0, 0, 1, false},
      {32, 0x12345678, 5, 0, 3, true}, {32, 0, 0, 1, 4, false},
  };
  for (const Case &c : cases) {
    int32_t h = scr_new_image(16, 16, c.mode, true);
    scr_set_dest(h);
    ImageSurface before = *dest_image;
    uint32_t palette_before[256] = {};
    if (dest_image->palette) std::copy(dest_image->palette, dest_image->palette + 256, palette_before);
    scr_color(c.fore, c.back, c.border, c.passed);
    uint32_t error = take_error();
    EXPECT_EQ(error, c.legal ? 0u : 5u) << "mode " << c.mode << " " << c.fore << "," << c.back;
    if (!c.legal) {
      EXPECT_EQ(dest_image->fore_colour, before.fore_colour);
      EXPECT_EQ(dest_image->back_colour, before.back_colour);
      if (dest_image->palette) {
        EXPECT_TRUE(std::equal(palette_before, palette_before + 256, dest_image->palette));
      }
    }
  }
}

TEST(Color, EffectsPerMode) {
  rt_test_init();
  scr_color(31, 12, 0, 3);
  EXPECT_EQ(dest_image->fore_colour, 31u);
  EXPECT_EQ(dest_image->back_colour, 4u);
  font_draw_glyph('x');
  EXPECT_EQ(dest_image->pixels[1], 0xCF);  // blinking white on red

  scr_screen(1, 0, 0, 0, 0, 1);
  scr_color(1, 0, 0, 1);
  EXPECT_EQ(rgb_of(dest_image->palette[0]), 0x0000AAu);
  EXPECT_EQ(dest_image->fore_colour, 3u);  // the first value is the background in mode 1
  scr_color(0, 0, 0, 2);
  EXPECT_EQ(rgb_of(dest_image->palette[1]), 0x00AA00u);
  EXPECT_EQ(rgb_of(dest_image->palette[2]), 0xAA0000u);
  EXPECT_EQ(rgb_of(dest_image->palette[3]), 0xAA5500u);

  scr_screen(9, 0, 0, 0, 0, 1);
  scr_color(2, 62, 0, 3);
  EXPECT_EQ(rgb_of(dest_image->palette[0]), rgb_of(ega_palette[62]));
  EXPECT_EQ(dest_image->back_colour, 0u);

  scr_screen(10, 0, 0, 0, 0, 1);
  scr_color(1, 7, 0, 2);
  EXPECT_EQ(dest_image->palette[4], 7u);

  scr_screen(12, 0, 0, 0, 0, 1);
  scr_color(7, 0, 0, 3);
  EXPECT_EQ(dest_image->fore_colour, 7u);
  EXPECT_EQ(dest_image->back_colour, 0u);
  scr_color(0, 0, 0, 0);  // nothing given: nothing happens
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(dest_image->fore_colour, 7u);
}

TEST(Palette, SetsEntriesPerMode) {
  rt_test_init();
  struct Case { int mode; int32_t attribute; int64_t colour; int entry; uint32_t rgb; uint32_t error; };
  const Case cases[] = {
      {13, 1, 63, 1, 0xFF0000, 0},          {13, 1, 64, 1, 0, 5},            {13, 257, 0, 1, 0x000000, 0},
      {13, 2, 0x3F2001, 2, 0x0482FF, 0},    {12, 15, 0x3F, 15, 0xFF0000, 0}, {12, 16, 0, 0, 0, 5},
      {11, 1, 0x3F3F3F, 1, 0xFFFFFF, 0},    {11, 2, 0, 0, 0, 5},             {10, 3, 8, 7, 8, 0},
      {10, 4, 0, 0, 0, 5},                  {10, 0, 9, 0, 0, 5},             {9, 5, 20, 5, 0xAA5500, 0},
      {9, 5, 64, 0, 0, 5},                  {0, 1, 6, 1, 0xAAAA00, 0},       {0, 16, 0, 0, 0, 5},
      {7, 3, 14, 3, 0xFFFF55, 0},           {7, 3, 16, 0, 0, 5},             {2, 2, 0, 0, 0, 5},
      {1, 3, 12, 3, 0xFF5555, 0},           {13, 0, -1, 0, 0, 5},
  };
  for (const Case &c : cases) {
    int32_t h = scr_new_image(16, 16, c.mode, true);
    scr_set_dest(h);
    scr_palette(c.attribute, c.colour, true);
    EXPECT_EQ(take_error(), c.error) << "mode " << c.mode << " " << c.attribute << "," << c.colour;
    if (!c.error) {
      EXPECT_EQ(rgb_of(dest_image->palette[c.entry]), c.rgb) << "mode " << c.mode << " " << c.attribute;
    }
  }
  scr_palette(0, 0, false);  // the mode's defaults again
  EXPECT_EQ(dest_image->palette[3], default_palette[3]);
  scr_set_dest(scr_new_image(4, 4, 32, true));
  scr_palette(1, 1, true);
  EXPECT_EQ(take_error(), 5u);
}

TEST(Palette, UsingArrays) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  int32_t values[16];
  for (int i = 0; i < 16; i++) values[i] = -1;
  values[2] = 0x3F;
  values[5] = 0x3F00;
  scr_palette_using(values, 16, 32);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(dest_image->palette[2], 0xFF0000u);
  EXPECT_EQ(dest_image->palette[5], 0x00FF00u);
  EXPECT_EQ(dest_image->palette[3], default_palette[3]);  // -1 leaves an entry alone

  values[2] = 0;
  values[4] = -2;  // stops, with entry 2 already set
  scr_palette_using(values, 16, 32);
  EXPECT_EQ(take_error(), 5u);
  EXPECT_EQ(dest_image->palette[2], 0u);
  EXPECT_EQ(dest_image->palette[5], 0x00FF00u);

  int16_t narrow[16] = {};
  scr_palette_using(narrow, 16, 16);  // 16-bit elements are refused in mode 12
  EXPECT_EQ(take_error(), 5u);
  scr_palette_using(values, 15, 32);  // too few elements
  EXPECT_EQ(take_error(), 5u);

  scr_screen(9, 0, 0, 0, 0, 1);
  for (int i = 0; i < 16; i++) narrow[i] = int16_t(i == 1 ? 63 : -1);
  scr_palette_using(narrow, 16, 16);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(rgb_of(dest_image->palette[1]), 0xFFFFFFu);
  scr_screen(0, 0, 0, 0, 0, 1);
  scr_palette_using(narrow, 16, 16);  // a text screen has 16 entries to set
  EXPECT_EQ(take_error(), 0u);
}

TEST(Colours, CompositionAndComponents) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  EXPECT_EQ(gfx_rgb(170, 85, 0, 0, 0), 6u);
  EXPECT_EQ(gfx_rgb(0, 0, 0, 0, 0), 0u);
  EXPECT_EQ(gfx_rgb(300, 300, 300, 0, 0), 15u);  // clamped to white
  EXPECT_EQ(gfx_rgb(90, 90, 90, 0, 0), 8u);
  EXPECT_EQ(gfx_rgba(1, 2, 3, 0, 0, 0), 0u);
  gfx_set_clear_colour(5, 0, 1);
  EXPECT_EQ(gfx_clear_colour_of(0, 0), 5);
  EXPECT_EQ(gfx_rgba(255, 255, 255, 0, 0, 0), 5u);
  EXPECT_EQ(gfx_alpha_of(5, 0, 0), 0);
  EXPECT_EQ(gfx_alpha_of(4, 0, 0), 255);
  EXPECT_EQ(gfx_red_of(4, 0, 0), 0xAA);
  EXPECT_EQ(gfx_green_of(6, 0, 0), 0x55);
  gfx_red_of(16, 0, 0);
  EXPECT_EQ(take_error(), 5u);
  gfx_set_clear_colour(256, 0, 1);
  EXPECT_EQ(take_error(), 5u);
  gfx_set_clear_colour(0, 0, 0);  // none
  EXPECT_EQ(gfx_clear_colour_of(0, 0), -1);

  int32_t argb = scr_new_image(4, 4, 32, true);
  EXPECT_EQ(gfx_rgb(1, 2, 3, argb, 1), 0xFF010203u);
  EXPECT_EQ(gfx_rgba(-5, 2, 999, 128, argb, 1), 0x800002FFu);
  EXPECT_EQ(gfx_alpha_of(0x12345678, argb, 1), 0x12);
  EXPECT_EQ(gfx_blue_of(0x12345678, argb, 1), 0x78);
  EXPECT_EQ(gfx_clear_colour_of(argb, 1), 0);
  EXPECT_EQ(gfx_palette_colour(7, 0, 0), 0xFFAAAAAAu);
  gfx_palette_colour(7, argb, 1);
  EXPECT_EQ(take_error(), 5u);
  gfx_palette_colour(256, 0, 0);
  EXPECT_EQ(take_error(), 5u);
  gfx_rgb(1, 2, 3, -9999, 1);
  EXPECT_EQ(take_error(), 258u);
}

TEST(Blending, TablesAppearWithTheFirst32BitImage) {
  rt_test_init();
  EXPECT_EQ(blend_table, nullptr);
  scr_new_image(2, 2, 12, true);
  EXPECT_EQ(blend_table, nullptr);
  scr_new_image(2, 2, 32, true);
  ASSERT_NE(blend_table, nullptr);
  ASSERT_NE(alpha_table, nullptr);
  EXPECT_EQ(blend_table[(128 * 256 + 255) * 256 + 0], 128);
  EXPECT_EQ(blend_table[(200 * 256 + 48) * 256 + 208], 83);
  EXPECT_EQ(alpha_table[255 * 256 + 0], 255);
  EXPECT_EQ(alpha_table[0 * 256 + 0], 0);
}

TEST(Blending, RuleForAlphaSourceDestination) {
  rt_test_init();
  scr_blend_tables_build();
  struct Case { uint32_t s, d, result; };
  const Case cases[] = {
      {0x80FF0000, 0xFF0000FF, 0xFF7F007F},  // half transparency: channel average
      {0x7F0000FF, 0x00FF0000, 0x7F7F007F},  // alpha_table[127][0]
      {0x00123456, 0xFFABCDEF, 0xFFABCDEF},  // transparent: unchanged
      {0xFF123456, 0x00ABCDEF, 0xFF123456},  // opaque: replaced
      {0x40FFFFFF, 0xFF000000, 0xFF404040},
      {0xC8102030, 0x80F0E0D0, 0xE4404953},
  };
  for (const Case &c : cases)
    EXPECT_EQ(gfx_blend_pixel(c.s, c.d), c.result) << std::hex << c.s << " over " << c.d;

  int32_t h = scr_new_image(2, 1, 32, true);
  ImageSurface *image = scr_image_at(-h);
  uint32_t *p = reinterpret_cast<uint32_t *>(image->pixels);
  p[0] = 0xFF0000FF;
  scr_put_pixel(image, 0, 0, 0x80FF0000);
  EXPECT_EQ(p[0], 0xFF7F007Fu);
  gfx_blend_off(h, 1);
  EXPECT_EQ(gfx_blend_state(h, 1), 0);
  scr_put_pixel(image, 0, 0, 0x80FF0000);
  EXPECT_EQ(p[0], 0x80FF0000u);
  gfx_blend_on(h, 1);
  EXPECT_EQ(gfx_blend_state(h, 1), -1);
  gfx_blend_on(0, 0);  // the text screen
  EXPECT_EQ(take_error(), 5u);
}

TEST(Transparency, ClearColourAndAlphaOf32BitImages) {
  rt_test_init();
  int32_t h = scr_new_image(4, 1, 32, true);
  uint32_t *p = reinterpret_cast<uint32_t *>(scr_image_at(-h)->pixels);
  p[0] = 0xFF102030, p[1] = 0x80102030, p[2] = 0xFF405060, p[3] = 0xFF112233;
  gfx_set_clear_colour(0xAA102030, h, 3);
  EXPECT_EQ(p[0], 0x00102030u);
  EXPECT_EQ(p[1], 0x00102030u);
  EXPECT_EQ(p[2], 0xFF405060u);

  gfx_set_alpha(99, 0xFF405060, 0, h, 4 | 1);  // one colour: exact matches
  EXPECT_EQ(p[2], 0x63405060u);
  gfx_set_alpha(7, 0x00000000, 0xFF112233, h, 4 | 3);  // a range, byte by byte
  EXPECT_EQ(p[0], 0x07102030u);
  EXPECT_EQ(p[2] >> 24, 0x63u);  // 0x50 lies outside 0x00..0x22
  EXPECT_EQ(p[3], 0x07112233u);
  gfx_set_alpha(1, 0, 0, h, 4);  // every pixel
  for (int i = 0; i < 4; i++) EXPECT_EQ(p[i] >> 24, 1u);
  gfx_set_alpha(256, 0, 0, h, 4);
  EXPECT_EQ(take_error(), 5u);
  gfx_set_alpha(1, 0, 0, 0, 0);  // a text screen
  EXPECT_EQ(take_error(), 5u);
}
