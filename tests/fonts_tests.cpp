// Fonts and glyph drawing: built-in metrics, the three print modes on graphics
// pages, text cells, text at pixel positions, font selection and font loading.
#include "errors/errors.h"
#include "fixture.h"
#include "screen/glyphs.h"
#include "screen/screen.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

static uint32_t take_error() {
  uint32_t code = pending_error.load();
  pending_error.store(0);
  return code;
}

// Ink straight from the generated row bits, independent of the working copies.
static bool ink_8x16(int code, int row, int column) { return glyphs_8x16[code * 16 + row] & (0x80 >> column); }
static bool ink_8x8(int code, int row, int column) { return glyphs_8x8[code * 8 + row] & (0x80 >> column); }

static uint8_t pixel(const ImageSurface *image, int x, int y) { return image->pixels[y * image->width + x]; }

TEST(FontTables, BuiltinMetrics) {
  rt_test_init();
  EXPECT_EQ(font_max_handle, 48);
  struct Case { int handle, width, height; };
  const Case cases[] = {{8, 8, 8}, {9, 16, 8}, {14, 8, 14}, {15, 16, 14}, {16, 8, 16}, {17, 16, 16}};
  for (const Case &c : cases) {
    EXPECT_EQ(font_widths[c.handle], c.width) << c.handle;
    EXPECT_EQ(font_heights[c.handle], c.height) << c.handle;
    EXPECT_EQ(font_flags[c.handle], int32_t(FONT_MONOSPACE)) << c.handle;
  }
  EXPECT_EQ(font_heights[10], 0);
  EXPECT_EQ(font_glyph(14, 'A'), font_glyph(16, 'A') + 8);  // the 8 x 14 font skips the first row
  EXPECT_EQ(font_glyph(16, 'A' + 256), font_glyph(16, 'A'));
  EXPECT_EQ(font_glyph(40, 'A'), nullptr);
}

TEST(GlyphDrawing, ThreePrintModesOnAGraphicsPage) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  scr_color(7, 0, 0, 3);
  ImageSurface *image = dest_image;
  image->cursor_row = 3;
  image->cursor_col = 5;
  const int x0 = 4 * 8, y0 = 2 * 16;
  struct Case { int kind; int print_mode; };
  const Case cases[] = {{1, 3}, {2, 1}, {3, 2}};
  for (const Case &c : cases) {
    for (int r = 0; r < 16; r++) memset(image->pixels + (y0 + r) * 640 + x0, 5, 8);
    font_print_mode(c.kind, 0, 0);
    EXPECT_EQ(font_print_mode_of(0, 0), c.print_mode);
    font_draw_glyph('A');
    for (int r = 0; r < 16; r++)
      for (int j = 0; j < 8; j++) {
        bool ink = ink_8x16('A', r, j);
        uint8_t want = c.print_mode == 3 ? (ink ? 7 : 0) : c.print_mode == 1 ? (ink ? 7 : 5) : (ink ? 5 : 0);
        ASSERT_EQ(pixel(image, x0 + j, y0 + r), want) << "mode " << c.print_mode << " row " << r << " col " << j;
      }
    EXPECT_EQ(pixel(image, x0 + 8, y0), 0);  // the next cell is untouched
  }
  EXPECT_EQ(image->cursor_col, 5);  // the cursor stays
}

TEST(GlyphDrawing, FontsOfOtherModesAndColourMask) {
  rt_test_init();
  scr_screen(9, 0, 0, 0, 0, 1);  // font 14: rows 1..14 of the 8 x 16 glyph
  scr_color(9, 0, 0, 1);
  font_draw_glyph(0xDB);
  for (int r = 0; r < 14; r++)
    for (int j = 0; j < 8; j++) ASSERT_EQ(pixel(dest_image, j, r), ink_8x16(0xDB, r + 1, j) ? 9 : 0);
  scr_screen(2, 0, 0, 0, 0, 1);  // one bit per pixel: colours are masked
  dest_image->fore_colour = 3;
  font_draw_glyph('#');
  for (int r = 0; r < 8; r++)
    for (int j = 0; j < 8; j++) ASSERT_EQ(pixel(dest_image, j, r), ink_8x8('#', r, j) ? 1 : 0);
}

TEST(GlyphDrawing, DoubleWidthFontOnAGraphicsImage) {
  rt_test_init();
  scr_screen(13, 0, 0, 0, 0, 1);
  font_set(9, 0, 0);
  EXPECT_EQ(take_error(), 0u);
  dest_image->cursor_col = 2;
  font_draw_glyph('W');
  for (int r = 0; r < 8; r++)
    for (int j = 0; j < 16; j++) ASSERT_EQ(pixel(dest_image, 16 + j, r), ink_8x8('W', r, j / 2) ? 15 : 0);
}

TEST(GlyphDrawing, Argb32ImagesBlendTheInk) {
  rt_test_init();
  int32_t h = scr_new_image(16, 16, 32, true);
  scr_set_dest(h);
  uint32_t *p = reinterpret_cast<uint32_t *>(dest_image->pixels);
  for (int i = 0; i < 256; i++) p[i] = 0xFF0000FF;
  dest_image->fore_colour = 0x80FF0000;
  font_print_mode(2, 0, 0);
  font_draw_glyph(219);  // the full block: ink everywhere
  EXPECT_EQ(p[0], 0xFF7F007Fu);
  EXPECT_EQ(p[8], 0xFF0000FFu);
}

TEST(PrintString, PixelPositionStepAndViewportClipping) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  scr_color(14, 1, 0, 3);
  ImageSurface *image = dest_image;
  font_print_string(100, 50, rtstr_from_cstr("AB"), 0, 0);
  for (int r = 0; r < 16; r++)
    for (int j = 0; j < 8; j++) {
      ASSERT_EQ(pixel(image, 100 + j, 50 + r), ink_8x16('A', r, j) ? 14 : 1);
      ASSERT_EQ(pixel(image, 108 + j, 50 + r), ink_8x16('B', r, j) ? 14 : 1);
    }
  image->gfx.view_x2 = 203;  // only half of the next glyph is inside the viewport
  image->gfx.gfx_x = 190;
  image->gfx.gfx_y = 10;
  font_print_string(10, 0, rtstr_from_cstr("\xDB"), 0, 1);
  EXPECT_FLOAT_EQ(image->gfx.gfx_x, 200);
  EXPECT_EQ(pixel(image, 203, 10), ink_8x16(0xDB, 0, 3) ? 14 : 1);
  EXPECT_EQ(pixel(image, 204, 10), 0);
  font_print_string(0, 0, rtstr_from_cstr(""), 0, 1 | 2);  // empty: nothing at all
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(font_print_width(rtstr_from_cstr("hello"), 0, 0), 40);
  EXPECT_EQ(font_print_width(rtstr_from_cstr(""), 0, 0), 0);

  scr_screen(0, 0, 0, 0, 0, 1);
  font_print_string(0, 0, rtstr_from_cstr("x"), 0, 0);
  EXPECT_EQ(take_error(), 5u);
  font_print_width(rtstr_from_cstr("x"), 0, 0);
  EXPECT_EQ(take_error(), 5u);
  font_print_string(0, 0, rtstr_from_cstr("x"), -5000, 2);
  EXPECT_EQ(take_error(), 258u);
}

TEST(TextCells, GlyphOnATextPage) {
  rt_test_init();
  scr_color(20, 3, 0, 3);  // blinking red on cyan
  dest_image->cursor_row = 25;
  dest_image->cursor_col = 80;
  font_draw_glyph(0x1FF);
  const uint8_t *cell = dest_image->pixels + (24 * 80 + 79) * 2;
  EXPECT_EQ(cell[0], 0xFF);
  EXPECT_EQ(cell[1], 0x80 | 0x30 | 4);
}

TEST(FontSelection, HandlesAndTextScreens) {
  rt_test_init();
  struct Query { int handle; int width; uint32_t error; };
  const Query queries[] = {{8, 8, 0}, {14, 8, 0}, {16, 8, 0}, {9, 0, 258}, {15, 0, 258}, {17, 0, 258}, {33, 0, 258}};
  for (const Query &q : queries) {
    EXPECT_EQ(font_width_of(q.handle, 1), q.width) << q.handle;
    EXPECT_EQ(take_error(), q.error) << q.handle;
  }
  EXPECT_EQ(font_height_of(0, 0), 16);  // the destination's font
  font_set(20, 0, 0);
  EXPECT_EQ(take_error(), 258u);
  font_set(8, 0, 0);  // a text page: every page of the screen, cursor kept
  EXPECT_EQ(take_error(), 0u);
  for (int32_t n = 0; n < 8; n++) EXPECT_EQ(scr_image_at(page_table[n])->font, 8) << n;
  EXPECT_EQ(font_of_image(0, 0), 8);
  font_print_mode(2, 0, 0);
  EXPECT_EQ(take_error(), 5u);
  font_print_mode(1, 0, 0);
  EXPECT_EQ(take_error(), 0u);

  scr_screen(12, 0, 0, 0, 0, 1);
  dest_image->cursor_row = 9;
  font_set(8, 0, 0);  // a graphics page: new text grid
  EXPECT_EQ(dest_image->cursor_row, 1);
  EXPECT_EQ(dest_image->text_bottom, 59);
  font_print_mode(4, 0, 0);
  EXPECT_EQ(take_error(), 5u);
}

TEST(FontLoading, OptionParsing) {
  rt_test_init();
  struct Case { const char *options; int32_t bits; };
  const Case cases[] = {
      {"bold, Italic", 3},           {"BOLD", 1},         {"", 0},           {"   ", 0},
      {" underline ,DontBlend,monospace,UNICODE", 4 | 8 | 16 | 32},      {"bold,bold", -1},
      {"BOLD,Bold", -1},             {"bolder", -1},      {"bold,,italic", -1}, {"bold,", -1},
      {"bold italic", -1},
  };
  for (const Case &c : cases)
    EXPECT_EQ(font_parse_options(reinterpret_cast<const uint8_t *>(c.options), int32_t(strlen(c.options))), c.bits)
        << '"' << c.options << '"';
}

TEST(FontLoading, EveryLoadAnswersMinusOneInThisBuild) {
  rt_test_init();
  std::string path = testing::TempDir() + "font_probe.ttf";
  FILE *f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("not really a font", f);
  fclose(f);
  RtString *bold_italic = rtstr_from_cstr("bold, Italic");
  EXPECT_EQ(font_load(rtstr_from_cstr(path.c_str()), 16, bold_italic, true), -1);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(font_load(rtstr_from_cstr(path.c_str()), 3000, nullptr, false), -1);
  EXPECT_EQ(font_load(rtstr_from_cstr("/no/such/font.ttf"), 16, nullptr, false), -1);
  EXPECT_EQ(font_load(rtstr_from_cstr(""), 16, nullptr, false), -1);
  EXPECT_EQ(font_load_flags(rtstr_from_cstr(path.c_str()), 12, 3), -1);
  EXPECT_EQ(take_error(), 0u);
  font_load(rtstr_from_cstr(path.c_str()), 16, rtstr_from_cstr("bold,BOLD"), true);
  EXPECT_EQ(take_error(), 5u);
  font_load(rtstr_from_cstr(path.c_str()), 0, nullptr, false);
  EXPECT_EQ(take_error(), 5u);
  font_load_flags(rtstr_from_cstr(path.c_str()), -3, 0);
  EXPECT_EQ(take_error(), 5u);
  EXPECT_EQ(font_max_handle, 48);  // nothing recorded
  for (int32_t h = 32; h <= 48; h++) EXPECT_EQ(font_engine_handles[h], 0);
  font_free(32);
  EXPECT_EQ(take_error(), 258u);
  font_free(16);
  EXPECT_EQ(take_error(), 258u);
  remove(path.c_str());
}
