// Cursor and screen statements: LOCATE with its checks, the start-up screen's growth
// and the cursor shape, VIEW PRINT, CLS in its kinds, SCREEN(row, column), END's
// prompt and the function-key line.
#include "core/core.h"
#include "fixture.h"
#include "print_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

static void open_mode(int32_t mode) {
  rt_test_init();
  if (mode) scr_screen(mode, 0, 0, 0, 0, 1);
  ASSERT_EQ(take_error(), 0u);
}

// A new, blank screen in the mode for each case of a table (through another mode,
// so that SCREEN builds it afresh).
static void fresh_screen(int32_t mode) {
  rt_test_init();
  scr_screen(2, 0, 0, 0, 0, 1);
  scr_screen(mode, 0, 0, 0, 0, 1);
  ASSERT_EQ(take_error(), 0u);
}

struct LocateCase {
  int row, column, cursor, start, stop, passed;
  uint32_t error;
};

TEST(Locate, ChecksOnScreen12) {
  const LocateCase cases[] = {
      {30, 1, 0, 0, 0, 3, 0},   {29, 80, 0, 0, 0, 3, 0}, {31, 1, 0, 0, 0, 3, 5}, {0, 1, 0, 0, 0, 3, 5},
      {1, 81, 0, 0, 0, 3, 5},   {1, 0, 0, 0, 0, 2, 5},   {0, 0, 2, 0, 0, 4, 5},  {0, 0, 0, 32, 0, 8, 5},
      {0, 0, 0, 0, 32, 16, 5},  {0, 0, 1, 31, 0, 12, 0},
  };
  open_mode(12);
  for (const LocateCase &c : cases) {
    scr_locate(7, 9, 0, 0, 0, 3);
    scr_locate(c.row, c.column, c.cursor, c.start, c.stop, c.passed);
    EXPECT_EQ(take_error(), c.error) << c.row << "," << c.column << " passed " << c.passed;
    if (c.error) {  // nothing changes
      EXPECT_EQ(dest_image->cursor_row, 7);
      EXPECT_EQ(dest_image->cursor_col, 9);
    } else if (c.passed & 1) {
      EXPECT_EQ(dest_image->cursor_row, c.row);
    }
  }
  EXPECT_EQ(auto_grow_allowed, 0);
}

TEST(Locate, RowsOutsideAViewPrintWindow) {
  open_mode(12);
  scr_view_print(5, 10, true);
  struct Case { int row; uint32_t error; };
  const Case cases[] = {{4, 5}, {5, 0}, {10, 0}, {11, 5}, {30, 0}};
  for (const Case &c : cases) {
    scr_locate(c.row, 0, 0, 0, 0, 1);
    EXPECT_EQ(take_error(), c.error) << c.row;
  }
}

TEST(Locate, GrowsTheUntouchedStartUpScreen) {
  open_mode(0);
  scr_color(14, 1, 0, 3);
  print_item("first row");
  scr_locate(25, 1, 0, 0, 0, 3);
  print_item("row 25", false);
  scr_locate(0, 33, 1, 2, 6, 30);
  scr_locate(40, 0, 0, 0, 0, 1);
  ASSERT_EQ(take_error(), 0u);
  ImageSurface *page = dest_image;
  EXPECT_EQ(page->width, 80);
  EXPECT_EQ(page->height, 50);
  EXPECT_EQ(page->font, 8);
  EXPECT_EQ(screen_row(1), padded("first row"));
  EXPECT_EQ(screen_row(25), padded("row 25"));
  EXPECT_EQ(screen_row(26), blanks(80));
  EXPECT_EQ(page->cursor_row, 40);
  EXPECT_EQ(page->cursor_col, 33);
  EXPECT_EQ(page->fore_colour, 14u);
  EXPECT_EQ(page->back_colour, 1u);
  EXPECT_EQ(page->cursor_visible, 1);
  EXPECT_EQ(page->cursor_start, 2);
  EXPECT_EQ(page->cursor_stop, 6);
  EXPECT_EQ(auto_grow_allowed, 0);
  scr_locate(51, 0, 0, 0, 0, 1);
  EXPECT_EQ(take_error(), 5u);
}

TEST(Locate, GrowthRefusals) {
  struct Case { int row, column, passed; bool view_print; };
  const Case cases[] = {{51, 0, 1, false}, {30, 81, 3, false}, {15, 0, 1, true}};
  for (const Case &c : cases) {
    fresh_screen(0);
    auto_grow_allowed = 1;
    if (c.view_print) scr_view_print(1, 10, true);
    scr_locate(c.row, c.column, 0, 0, 0, c.passed);
    EXPECT_EQ(take_error(), 5u) << c.row;
    EXPECT_EQ(dest_image->height, 25) << c.row;
  }
}

TEST(Locate, WrapStateAndCursorShapeOnEveryPage) {
  open_mode(0);
  print_item(std::string(80, 'a'), false);
  scr_locate(0, 0, 1, 0, 0, 4);
  EXPECT_EQ(dest_image->wrap_pending, 2);  // still owed
  EXPECT_EQ(scr_csrlin(), 2);
  for (int32_t page = 0; page < 8; page++) EXPECT_EQ(scr_image_at(page_table[page])->cursor_visible, 1) << page;
  scr_locate(0, 0, 0, 0, 7, 16);
  for (int32_t page = 0; page < 8; page++) {
    EXPECT_EQ(scr_image_at(page_table[page])->cursor_start, 4) << page;
    EXPECT_EQ(scr_image_at(page_table[page])->cursor_stop, 7) << page;
  }
  scr_locate(0, 5, 0, 0, 0, 2);
  EXPECT_EQ(dest_image->wrap_pending, 0);
  EXPECT_EQ(scr_pos(0), 5);
}

TEST(ViewPrint, Bounds) {
  struct Case { int top, bottom; bool given; uint32_t error; int want_top, want_bottom; };
  const Case cases[] = {
      {0, 5, true, 5, 1, 24},   {6, 5, true, 5, 1, 24}, {1, 26, true, 5, 1, 24},
      {3, 3, true, 0, 3, 3},    {1, 25, true, 0, 1, 25}, {9, 9, false, 0, 1, 25},
  };
  for (const Case &c : cases) {
    fresh_screen(0);
    scr_locate(7, 7, 0, 0, 0, 3);
    scr_view_print(c.top, c.bottom, c.given);
    EXPECT_EQ(take_error(), c.error) << c.top << "-" << c.bottom;
    EXPECT_EQ(dest_image->text_top, c.want_top);
    EXPECT_EQ(dest_image->text_bottom, c.want_bottom);
    EXPECT_EQ(dest_image->cursor_row, c.error ? 7 : c.want_top);
    EXPECT_EQ(dest_image->cursor_col, c.error ? 7 : 1);
  }
}

// Rows 1..25 of the text page each filled with their letter.
static void fill_text_page() {
  ImageSurface *page = dest_image;
  for (int32_t r = 0; r < page->height; r++)
    for (int32_t c = 0; c < page->width; c++) page->pixels[(r * page->width + c) * 2] = uint8_t('A' + r);
}

TEST(Cls, KindsOnATextScreen) {
  struct Case { int kind, passed; const char *cleared; };  // cleared: one flag per row 1..25
  const Case cases[] = {
      {0, 0, "0000111111000000000000001"},
      {0, 1, "1111111111111111111111111"},
      {1, 1, "0000000000000000000000000"},
      {2, 1, "0000111111000000000000000"},
  };
  for (const Case &c : cases) {
    fresh_screen(0);
    scr_view_print(5, 10, true);
    scr_color(18, 0, 0, 1);
    fill_text_page();
    dest_image->cursor_row = 8;
    scr_cls(c.kind, 3, c.passed | 2);
    ASSERT_EQ(take_error(), 0u);
    for (int32_t row = 1; row <= 25; row++) {
      bool cleared = c.cleared[row - 1] == '1';
      EXPECT_EQ(screen_row(row), cleared ? blanks(80) : std::string(80, char('A' + row - 1)))
          << "kind " << c.kind << " passed " << c.passed << " row " << row;
      if (cleared) {
        EXPECT_EQ(scr_screen_char(row, 1, 1, 1), 0x30 | 0x80 | 2);  // colour 3 behind blinking 18
      }
    }
    EXPECT_EQ(dest_image->cursor_row, 5);
  }
  scr_cls(3, 0, 1);
  EXPECT_EQ(take_error(), 5u);
}

TEST(Cls, GraphicsScreenFillsAndCentresTheCursor) {
  open_mode(12);
  ImageSurface *page = dest_image;
  scr_cls(0, 16, 2);
  EXPECT_EQ(take_error(), 5u);
  scr_view_print(3, 4, true);
  scr_cls(2, 9, 3);  // the text window only, across the whole width
  EXPECT_EQ(page->pixels[32 * 640 - 1], 0);
  EXPECT_EQ(page->pixels[32 * 640], 9);
  EXPECT_EQ(page->pixels[64 * 640 - 1], 9);
  EXPECT_EQ(page->pixels[64 * 640], 0);
  EXPECT_EQ(page->cursor_row, 3);
  // A viewport with WINDOW mapping: CLS fills it and centres the graphics cursor in it.
  GraphicsState &g = page->gfx;
  g.view_x1 = 100, g.view_y1 = 100, g.view_x2 = 299, g.view_y2 = 199;
  g.view_origin_x = 100, g.view_origin_y = 100;
  g.coord_mode = 2;
  g.scale_x = 199 / 2.0f, g.offset_x = 199 / 2.0f;  // WINDOW (-1, -1)-(1, 1)
  g.scale_y = -99 / 2.0f, g.offset_y = 99 / 2.0f;
  scr_cls(0, 5, 2);
  EXPECT_EQ(page->pixels[100 * 640 + 100], 5);
  EXPECT_EQ(page->pixels[199 * 640 + 299], 5);
  EXPECT_EQ(page->pixels[99 * 640 + 100], 0);
  EXPECT_EQ(page->pixels[100 * 640 + 300], 0);
  EXPECT_NEAR(g.gfx_x, 0.0f, 0.02f);
  EXPECT_NEAR(g.gfx_y, 0.0f, 0.03f);
  g.coord_mode = 0;
  scr_cls(0, 0, 1);  // CLS 0: the whole image
  EXPECT_EQ(page->pixels[0], 0);
  EXPECT_EQ(page->pixels[100 * 640 + 100], 0);
  EXPECT_FLOAT_EQ(g.gfx_x, 100 + 100 - 100);  // middle of the viewport, no mapping
}

TEST(ScreenChar, TextPage) {
  open_mode(0);
  scr_color(20, 3, 0, 3);
  scr_locate(2, 4, 0, 0, 0, 3);
  print_item("Q", false);
  EXPECT_EQ(scr_screen_char(2, 4, 0, 0), 'Q');
  EXPECT_EQ(scr_screen_char(2, 4, 0, 1), 'Q');  // a zero flag is the character form
  EXPECT_EQ(scr_screen_char(2, 4, 1, 1), 0x80 | 0x30 | 4);
  struct Case { int row, col; };
  const Case bad[] = {{0, 1}, {26, 1}, {1, 0}, {1, 81}};
  for (const Case &c : bad) {
    EXPECT_EQ(scr_screen_char(c.row, c.col, 0, 0), 0);
    EXPECT_EQ(take_error(), 5u) << c.row << "," << c.col;
  }
}

TEST(ScreenChar, GraphicsPageMatchesGlyphs) {
  open_mode(12);
  scr_color(10, 0, 0, 3);
  scr_locate(30, 78, 0, 0, 0, 3);
  print_item("Az", false);
  struct Case { int row, col, flag, passed, want; };
  const Case cases[] = {
      {30, 78, 0, 0, 'A'}, {30, 79, 0, 0, 'z'}, {30, 78, 1, 1, 10}, {30, 80, 0, 0, 32}, {30, 80, 1, 1, 1},
  };
  for (const Case &c : cases) EXPECT_EQ(scr_screen_char(c.row, c.col, c.flag, c.passed), c.want) << c.col;
  dest_image->pixels[0] = 6;  // one ink pixel that no glyph has alone
  EXPECT_EQ(scr_screen_char(1, 1, 0, 0), 32);
  EXPECT_EQ(scr_screen_char(1, 1, 1, 1), 0);
  EXPECT_EQ(scr_screen_char(31, 1, 0, 0), 0);
  EXPECT_EQ(take_error(), 5u);
  font_set(9, 0, 0);  // a double-width font cannot be read back
  EXPECT_EQ(scr_screen_char(1, 1, 0, 0), 0);
  EXPECT_EQ(take_error(), 5u);
}

TEST(EndPrompt, BottomRowOfTextAndGraphicsScreens) {
  const std::string prompt = "Press any key to continue";
  struct Case { int mode, rows; };
  const Case cases[] = {{0, 25}, {12, 30}};
  for (const Case &c : cases) {
    fresh_screen(c.mode);
    for (int32_t row = 1; row < c.rows; row++) print_item("row " + std::to_string(row), row < c.rows - 1);
    scr_locate(c.rows, 1, 0, 0, 0, 3);
    print_item(std::string(30, '#'), false);
    scr_set_dest(-scr_new_image(64, 64, 13, true));  // END prints on the visible page, not here
    scr_end_prompt();
    ASSERT_EQ(take_error(), 0u);
    EXPECT_EQ(dest_image, display_image.load());
    EXPECT_EQ(screen_row(c.rows), padded(prompt)) << c.mode;
    EXPECT_EQ(screen_row(c.rows - 1), padded("row " + std::to_string(c.rows - 1))) << c.mode;
    EXPECT_EQ(dest_image->cursor_row, c.rows);
    EXPECT_EQ(dest_image->cursor_col, 26);
  }
}

static void set_key_text(int slot, const char *text) {
  key_trap_slots[slot].soft_key_text = nullptr;
  scr_key_define(slot, rtstr_from_cstr(text));
}

TEST(KeyLine, DrawnInReverseVideoOnTheLastRowOfPageZero) {
  open_mode(0);
  set_key_text(1, "LIST\r");
  set_key_text(10, "TENTEN");
  scr_locate(3, 3, 0, 0, 0, 3);
  scr_key_on();
  EXPECT_EQ(screen_row(25), "1LIST\x1b  2       3       4       5       6       7       8       9       10TENTEN");
  EXPECT_EQ(scr_screen_char(25, 1, 1, 1), 0x07);  // the number in the normal colours
  EXPECT_EQ(scr_screen_char(25, 2, 1, 1), 0x70);  // the text reversed
  EXPECT_EQ(scr_screen_char(25, 8, 1, 1), 0x70);
  EXPECT_EQ(dest_image->cursor_row, 3);
  EXPECT_EQ(dest_image->cursor_col, 3);
  // CLS 2 leaves the key line alone; CLS redraws it.
  dest_image->pixels[24 * 160] = 'x';
  scr_cls(2, 0, 1);
  EXPECT_EQ(scr_screen_char(25, 1, 0, 0), 'x');
  scr_cls(0, 0, 0);
  EXPECT_EQ(scr_screen_char(25, 1, 0, 0), '1');
  scr_key_off();
  EXPECT_EQ(screen_row(25), blanks(80));
}

TEST(KeyLine, RedrawnOnTheNewPageAfterAModeChange) {
  open_mode(0);
  set_key_text(2, "RUN");
  scr_key_on();
  scr_screen(12, 0, 0, 0, 0, 1);
  EXPECT_EQ(screen_row(30).substr(0, 16), "1       2RUN    ");
  EXPECT_EQ(dest_image->cursor_row, 1);  // the cursor stays where the mode change put it
  EXPECT_EQ(dest_image->cursor_col, 1);
}

TEST(KeyLine, ListAndDefinitions) {
  open_mode(0);
  set_key_text(1, "A\tB");
  set_key_text(31, "TWELVE");
  scr_key_list();
  EXPECT_EQ(screen_row(1), padded("F1  A B"));
  EXPECT_EQ(screen_row(2), padded("F2  "));
  EXPECT_EQ(screen_row(10), padded("F10 "));
  EXPECT_EQ(screen_row(12), padded("F12 TWELVE"));
  EXPECT_EQ(dest_image->cursor_row, 13);
  scr_key_define(3, rtstr_from_cstr("0123456789ABCDEF"));  // 16 bytes
  EXPECT_EQ(take_error(), 5u);
  scr_key_define(12, rtstr_from_cstr("X"));
  EXPECT_EQ(take_error(), 5u);
  scr_key_define(15, rtstr_from_bytes("\x04\x40\x2c", 3));
  EXPECT_EQ(key_trap_slots[15].scan_code, 0x2c);
  EXPECT_EQ(key_trap_slots[15].shift_flags, 0x44);
  scr_key_define(15, rtstr_from_cstr(""));
  EXPECT_EQ(key_trap_slots[15].scan_code, 0);
  EXPECT_EQ(take_error(), 0u);
}
