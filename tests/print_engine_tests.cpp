// The print engine: wrap and the owed wrap, pre-wrap, scrolling of the text window,
// control characters, comma zones, glyphs on graphics pages, the console, TAB and
// SPC, and LPRINT's column and page overflow.
#include "fixture.h"
#include "print_test_support.h"
#include "screen/glyphs.h"

#include <gtest/gtest.h>

#include <cstring>

static void open_mode(int32_t mode) {
  rt_test_init();
  if (mode) scr_screen(mode, 0, 0, 0, 0, 1);
  ASSERT_EQ(take_error(), 0u);
}

class PrintOnMode : public testing::TestWithParam<int32_t> {};
INSTANTIATE_TEST_SUITE_P(TextAndGraphics, PrintOnMode, testing::Values(0, 12));

TEST_P(PrintOnMode, FullLineWithSemicolonOwesTheWrap) {
  open_mode(GetParam());
  std::string line(80, 'x');
  print_item(line, false);
  EXPECT_EQ(dest_image->cursor_row, 1);
  EXPECT_EQ(dest_image->cursor_col, 80);
  EXPECT_NE(dest_image->wrap_pending, 0);
  EXPECT_EQ(scr_pos(0), 1);
  EXPECT_EQ(scr_csrlin(), 2);
  print_item("next", false);
  EXPECT_EQ(screen_row(1), line);
  EXPECT_EQ(screen_row(2), padded("next"));
  EXPECT_EQ(dest_image->cursor_col, 5);
  EXPECT_EQ(dest_image->wrap_pending, 0);
}

TEST_P(PrintOnMode, FullLineWithLineEndFeedsOnce) {
  open_mode(GetParam());
  print_item(std::string(80, 'y'));
  EXPECT_EQ(dest_image->cursor_row, 2);
  EXPECT_EQ(dest_image->cursor_col, 1);
  print_item("z");
  EXPECT_EQ(screen_row(2), padded("z"));
  // The owed wrap and an empty PRINT: one line feed, not two.
  print_item(std::string(80, 'w'), false);
  print_item("");
  EXPECT_EQ(dest_image->cursor_row, 4);
}

TEST_P(PrintOnMode, PreWrapAndLongItems) {
  open_mode(GetParam());
  scr_locate(1, 79, 0, 0, 0, 3);
  print_item("abc");
  EXPECT_EQ(screen_row(1), blanks(80));
  EXPECT_EQ(screen_row(2), padded("abc"));
  // An item longer than a line still wraps character by character.
  std::string long_item;
  for (int i = 0; i < 100; i++) long_item += char('A' + i % 26);
  scr_locate(4, 1, 0, 0, 0, 3);
  print_item(long_item);
  EXPECT_EQ(screen_row(4), long_item.substr(0, 80));
  EXPECT_EQ(screen_row(5), padded(long_item.substr(80)));
  EXPECT_EQ(dest_image->cursor_row, 6);
  // A second item that does not fit the rest of the line starts a new one.
  scr_locate(8, 1, 0, 0, 0, 3);
  print_item(std::string(70, 'p'), false);
  print_item(std::string(20, 'q'));
  EXPECT_EQ(screen_row(9), padded(std::string(20, 'q')));
}

// Every text row shows its number; the last row carries a marker PRINT never touches.
static void fill_window_rows(int32_t rows) {
  scr_locate(rows, 1, 0, 0, 0, 3);
  print_item("BOTTOM ROW", false);
  scr_locate(1, 1, 0, 0, 0, 3);
  for (int32_t r = 1; r < rows; r++) print_item("line " + std::to_string(r), r < rows - 1);
}

TEST(PrintScroll, TextWindowScrollsWithoutTheLastRow) {
  open_mode(0);
  scr_color(14, 1, 0, 3);
  fill_window_rows(25);
  print_item("");  // the line end after row 24 scrolls rows 1..24
  EXPECT_EQ(screen_row(1), padded("line 2"));
  EXPECT_EQ(screen_row(23), padded("line 24"));
  EXPECT_EQ(screen_row(24), blanks(80));
  EXPECT_EQ(screen_row(25), padded("BOTTOM ROW"));
  EXPECT_EQ(scr_screen_char(24, 40, 1, 1), 0x1E);  // the new row takes the current colours
  EXPECT_EQ(dest_image->cursor_row, 24);
}

TEST(PrintScroll, Screen12ScrollsOneTextRowOfPixels) {
  open_mode(12);
  fill_window_rows(30);
  ImageSurface *page = dest_image;
  std::vector<uint8_t> bottom(page->pixels + 29 * 16 * 640, page->pixels + 480 * 640);
  std::vector<uint8_t> row2(page->pixels + 1 * 16 * 640, page->pixels + 2 * 16 * 640);
  print_item("");  // the 30th line end
  EXPECT_EQ(0, memcmp(page->pixels, row2.data(), row2.size()));
  for (int32_t i = 28 * 16 * 640; i < 29 * 16 * 640; i++) ASSERT_EQ(page->pixels[i], 0) << i;
  EXPECT_EQ(0, memcmp(page->pixels + 29 * 16 * 640, bottom.data(), bottom.size()));
  EXPECT_EQ(screen_row(30), padded("BOTTOM ROW"));
  EXPECT_EQ(dest_image->cursor_row, 29);
}

TEST(PrintScroll, ViewPrintWithoutArgumentsScrollsTheLastRowToo) {
  open_mode(0);
  fill_window_rows(25);
  scr_view_print(0, 0, false);
  scr_locate(25, 1, 0, 0, 0, 3);
  print_item("");
  EXPECT_EQ(screen_row(24), padded("BOTTOM ROW"));
  EXPECT_EQ(screen_row(25), blanks(80));
}

struct ControlCase {
  int row, col;      // cursor before
  uint8_t code;
  int want_row, want_col;
};

TEST(PrintControls, CursorCodesInATextWindow) {
  // Text window rows 3..10 on an 80-column page.
  const ControlCase cases[] = {
      {5, 1, 9, 5, 9},     {5, 8, 9, 5, 9},     {5, 9, 9, 5, 17},   {5, 40, 28, 5, 41},
      {5, 80, 28, 6, 1},   {10, 80, 28, 10, 80}, {25, 80, 28, 25, 80}, {5, 40, 29, 5, 39},
      {5, 1, 29, 4, 80},   {3, 1, 29, 3, 1},    {25, 1, 29, 25, 1}, {3, 7, 30, 3, 7},
      {5, 7, 30, 4, 7},    {25, 7, 30, 25, 7},  {10, 7, 31, 10, 7}, {5, 7, 31, 6, 7},
      {8, 7, 11, 3, 1},    {5, 7, 10, 6, 1},    {5, 7, 13, 6, 1},   {5, 7, 7, 5, 7},
  };
  open_mode(0);
  for (const ControlCase &c : cases) {
    scr_view_print(3, 10, true);
    dest_image->cursor_row = int16_t(c.row);
    dest_image->cursor_col = int16_t(c.col);
    std::string before = screen_row(c.row);
    print_raw(&c.code, 1);
    EXPECT_EQ(dest_image->cursor_row, c.want_row) << int(c.code) << " at " << c.row << "," << c.col;
    EXPECT_EQ(dest_image->cursor_col, c.want_col) << int(c.code) << " at " << c.row << "," << c.col;
    if (c.code != 9) {
      EXPECT_EQ(screen_row(c.row), before) << int(c.code);  // nothing printed
    }
  }
  EXPECT_EQ(take_error(), 0u);
}

TEST(PrintControls, SwitchedOffTheyPrintAsGlyphs) {
  open_mode(0);
  const uint8_t codes[] = {7, 9, 10, 11, 12, 13, 28, 29, 30, 31};
  scr_control_chars(2);
  print_raw(codes, int32_t(sizeof codes));
  for (size_t i = 0; i < sizeof codes; i++) EXPECT_EQ(scr_screen_char(1, int32_t(i + 1), 0, 0), codes[i]);
  EXPECT_EQ(dest_image->cursor_col, int(sizeof codes) + 1);
  scr_control_chars(1);
  EXPECT_EQ(control_chars_off, 0);
}

TEST(PrintControls, FormFeedClearsAndTrailingLineFeedCountsTwice) {
  open_mode(0);
  print_item("gone");
  print_item("\x0c" "top", false);
  EXPECT_EQ(screen_row(1), padded("top"));
  print_item("x\n");  // its own line feed, then the PRINT's line end
  EXPECT_EQ(dest_image->cursor_row, 3);
  // A tab that fills the last column at the end of a PRINT owes the wrap.
  scr_locate(5, 73, 0, 0, 0, 3);
  print_item("\t", false);
  EXPECT_EQ(dest_image->cursor_col, 80);
  EXPECT_NE(dest_image->wrap_pending, 0);
}

TEST(PrintZones, CommaMovesToTheNextZoneWithRoomLeft) {
  open_mode(0);
  struct Case { int from, to; };
  const Case cases[] = {{1, 15}, {2, 15}, {15, 29}, {56, 57}, {57, 80}, {70, 80}};
  for (const Case &c : cases) {
    scr_locate(2, c.from, 0, 0, 0, 3);
    scr_print_zone();
    EXPECT_EQ(dest_image->cursor_col, c.to) << c.from;
    EXPECT_EQ(dest_image->cursor_row, 2) << c.from;
  }
  scr_locate(3, 1, 0, 0, 0, 3);
  print_item(std::string(80, 'k'), false);
  scr_print_zone();  // the owed wrap is taken instead
  EXPECT_EQ(dest_image->cursor_row, 4);
  EXPECT_EQ(dest_image->cursor_col, 1);
  EXPECT_EQ(dest_image->wrap_pending, 0);
}

TEST(PrintGraphics, GlyphsInForeAndBackColours) {
  open_mode(12);
  struct Case { uint32_t fore, back; uint8_t code; };
  const Case cases[] = {{7, 0, 'A'}, {2, 1, 'g'}, {15, 4, 219}};
  ImageSurface *page = dest_image;
  for (const Case &c : cases) {
    scr_color(c.fore, c.back, 0, 3);
    scr_locate(3, 6, 0, 0, 0, 3);
    print_raw(&c.code, 1);
    for (int r = 0; r < 16; r++)
      for (int j = 0; j < 8; j++) {
        bool ink = glyphs_8x16[c.code * 16 + r] & (0x80 >> j);
        ASSERT_EQ(page->pixels[(32 + r) * 640 + 40 + j], ink ? c.fore : c.back) << int(c.code) << " " << r << "," << j;
      }
    EXPECT_EQ(page->cursor_col, 7);
  }
  EXPECT_EQ(page->pixels[32 * 640 + 48], 0);  // the next cell is untouched
}

TEST(PrintConsole, WritesUpToTheFirstNul) {
  open_mode(0);
  ImageSurface *page = dest_image;
  page->is_console = 1;
  testing::internal::CaptureStdout();
  scr_print(rtstr_from_bytes("AB\0CD", 5), 1);
  scr_print(rtstr_from_cstr("x"), 0);
  scr_print_zone();
  scr_print(rtstr_from_cstr("y"), 1);
  std::string out = testing::internal::GetCapturedStdout();
  page->is_console = 0;
  EXPECT_EQ(out, "AB\nx" + blanks(13) + "y\n");
  EXPECT_EQ(screen_row(1), blanks(80));  // nothing reached the cells
}

TEST(PrintTab, TabAndSpcFromTheCursorColumn) {
  open_mode(12);
  struct Case { bool tab; int col; int n; std::string want; };
  const Case cases[] = {
      {true, 5, 10, blanks(5)},    {true, 12, 10, "\r" + blanks(9)}, {true, 1, 85, blanks(4)},
      {false, 5, 3, blanks(3)},    {false, 78, 5, "\r" + blanks(2)},
  };
  for (const Case &c : cases) {
    scr_locate(2, c.col, 0, 0, 0, 3);
    RtString *s = c.tab ? scr_tab(c.n) : scr_spc(c.n);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(s->bytes), s->length), c.want) << c.tab << " " << c.col;
    rtstr_free(s);
  }
  print_item(std::string(80, 't'), false);
  RtString *s = scr_tab(10);  // the owed wrap puts the next character in column 1
  EXPECT_EQ(s->length, 9);
  rtstr_free(s);
}

static int page_outs = 0, content_marks = 0;

// A glyph cell of a palette page shows code in fore on back (font 16).
static bool cell_shows(const ImageSurface *page, int row, int col, uint8_t code, uint8_t fore, uint8_t back) {
  for (int r = 0; r < 16; r++)
    for (int j = 0; j < 8; j++) {
      bool ink = glyphs_8x16[code * 16 + r] & (0x80 >> j);
      if (page->pixels[((row - 1) * 16 + r) * page->width + (col - 1) * 8 + j] != (ink ? fore : back)) return false;
    }
  return true;
}

TEST(PrintLprint, ColumnLimitAndFullPage) {
  open_mode(0);
  int32_t handle = scr_new_image(640, 960, 13, true);
  ImageSurface *page = scr_image_at(-handle);
  printer_page_image = page;
  lprint_page_out = [] { page_outs++; };
  lprint_mark_content = [] { content_marks++; };
  scr_set_dest(handle);
  font_set(16, 0, 0);
  scr_color(0, 15, 0, 3);
  scr_view_print(1, 60, true);
  scr_cls(0, 15, 2);
  ASSERT_EQ(take_error(), 0u);
  lprint_active = 1;
  lprint_width = 10;
  print_item("0123456789AB");
  EXPECT_EQ(content_marks, 12);
  EXPECT_TRUE(cell_shows(page, 1, 10, '9', 0, 15));
  EXPECT_TRUE(cell_shows(page, 1, 11, ' ', 0, 15));
  EXPECT_TRUE(cell_shows(page, 2, 1, 'A', 0, 15));
  EXPECT_TRUE(cell_shows(page, 2, 2, 'B', 0, 15));
  EXPECT_EQ(lprint_column, 1);
  EXPECT_EQ(page->cursor_row, 3);
  page->cursor_row = 60;
  print_item("last");  // the line end past row 60 prints the page and starts a clear one
  EXPECT_EQ(page_outs, 1);
  EXPECT_EQ(page->cursor_row, 1);
  EXPECT_TRUE(cell_shows(page, 60, 1, ' ', 0, 15));
  EXPECT_EQ(page->pixels[959 * 640 + 639], 15);
  lprint_active = 0;
  lprint_width = 80;
}
