// Frame builder and presenter decisions: frames checked pixel by pixel against the
// page, the palette and the glyphs, without threads or a window.
#include "core/core.h"
#include "display/display.h"
#include "errors/errors.h"
#include "fixture.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t POISON = 0x12345678;

ImageSurface *shown() { return display_image.load(); }
const Frame &newest() { return frame_ring[frame_last.load()]; }

void put_cell(ImageSurface *page, int x, int y, uint8_t ch, uint8_t attr) {
  uint8_t *cell = page->pixels + (y * page->width + x) * 2;
  cell[0] = ch;
  cell[1] = attr;
}

uint32_t colour(const ImageSurface *page, int index) { return page->palette[index] | 0xFF000000u; }

// Expected pixels of one text cell (8 x 16 font), without the cursor.
std::vector<uint32_t> expected_cell(const ImageSurface *page, uint8_t ch, uint8_t attr, bool blink) {
  uint32_t fg = colour(page, attr & 15), bg = colour(page, (attr >> 4) & 7);
  if ((attr & 0x80) && blink) fg = bg;
  const uint8_t *glyph = font_glyph(16, ch);
  std::vector<uint32_t> out(8 * 16);
  for (int i = 0; i < 8 * 16; i++) out[i] = glyph[i] ? fg : bg;
  return out;
}

std::vector<uint32_t> frame_cell(const Frame &f, int x, int y) {
  std::vector<uint32_t> out;
  for (int r = 0; r < 16; r++)
    for (int j = 0; j < 8; j++) out.push_back(f.frame_pixels[(y * 16 + r) * f.frame_width + x * 8 + j]);
  return out;
}

bool cell_is_poison(const Frame &f, int x, int y) {
  for (uint32_t p : frame_cell(f, x, y))
    if (p != POISON) return false;
  return true;
}

void poison_newest() {
  const Frame &f = newest();
  for (int i = 0; i < f.frame_width * f.frame_height; i++) f.frame_pixels[i] = POISON;
}

// Cells that are not poison in the newest frame.
std::vector<std::pair<int, int>> repainted_cells(const ImageSurface *page) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < page->height; y++)
    for (int x = 0; x < page->width; x++)
      if (!cell_is_poison(newest(), x, y)) out.push_back({x, y});
  return out;
}

class FrameBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    rt_test_init();
    frame_counter.store(0);
  }
  // Builds once and returns whether a new frame was published.
  bool build() {
    int32_t before = frame_last.load();
    disp_build_frame();
    return frame_last.load() != before;
  }
};

TEST_F(FrameBuilder, FirstFrameOfTheStartScreenIsPaintedInFull) {
  ImageSurface *page = shown();
  ASSERT_TRUE(page && page->is_text);
  put_cell(page, 0, 0, 'A', 0x1E);
  put_cell(page, 79, 24, 219, 0x4F);
  put_cell(page, 40, 12, 'g', 0x07);
  ASSERT_TRUE(build());
  const Frame &f = newest();
  ASSERT_EQ(f.frame_width, 640);
  ASSERT_EQ(f.frame_height, 400);
  EXPECT_EQ(f.frame_bytes, 640 * 400 * 4);
  for (int y = 0; y < 25; y++)
    for (int x = 0; x < 80; x++) {
      const uint8_t *cell = page->pixels + (y * 80 + x) * 2;
      ASSERT_EQ(frame_cell(f, x, y), expected_cell(page, cell[0], cell[1], false)) << x << "," << y;
    }
}

TEST_F(FrameBuilder, NothingChangedBuildsNoFrame) {
  ASSERT_TRUE(build());
  EXPECT_FALSE(build());
  EXPECT_FALSE(build());
}

TEST_F(FrameBuilder, OneChangedCellRepaintsOnlyThatCell) {
  ImageSurface *page = shown();
  ASSERT_TRUE(build());
  poison_newest();
  put_cell(page, 7, 3, 'Q', 0x2A);
  ASSERT_TRUE(build());
  auto cells = repainted_cells(page);
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0], std::make_pair(7, 3));
  EXPECT_EQ(frame_cell(newest(), 7, 3), expected_cell(page, 'Q', 0x2A, false));
}

TEST_F(FrameBuilder, PaletteChangeRepaintsEveryCell) {
  ImageSurface *page = shown();
  ASSERT_TRUE(build());
  poison_newest();
  page->palette[7] = 0x00123456;  // the cleared cells' foreground
  ASSERT_TRUE(build());
  EXPECT_EQ(repainted_cells(page).size(), 80u * 25u);
  EXPECT_EQ(frame_cell(newest(), 5, 5), expected_cell(page, ' ', 0x07, false));
}

TEST_F(FrameBuilder, AfterScreenTheFirstFrameIsPaintedInFull) {
  ASSERT_TRUE(build());
  scr_screen(12, 0, 0, 0, 0, 1);
  ASSERT_EQ(err_pending(), false);
  ASSERT_TRUE(build());
  ASSERT_EQ(newest().frame_width, 640);
  ASSERT_EQ(newest().frame_height, 480);
  poison_newest();
  scr_screen(0, 0, 0, 0, 0, 1);
  ASSERT_TRUE(build());
  EXPECT_EQ(repainted_cells(shown()).size(), 80u * 25u);
}

TEST_F(FrameBuilder, BlinkPhaseRepaintsOnlyBlinkingCellsAndTheCursorCell) {
  ImageSurface *page = shown();
  put_cell(page, 10, 10, 'B', 0x87);
  put_cell(page, 11, 10, 'C', 0x07);
  page->cursor_col = 30;
  page->cursor_row = 20;
  page->cursor_visible = 1;
  ASSERT_TRUE(build());
  EXPECT_EQ(frame_cell(newest(), 10, 10), expected_cell(page, 'B', 0x87, false));
  poison_newest();
  frame_counter.store(8);  // bit 3: the blink phase flips
  ASSERT_TRUE(build());
  auto cells = repainted_cells(page);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0], std::make_pair(10, 10));
  EXPECT_EQ(cells[1], std::make_pair(29, 19));
  // The blinking character vanishes: all background.
  EXPECT_EQ(frame_cell(newest(), 10, 10), std::vector<uint32_t>(128, colour(page, 0)));
  // The cursor shows on its default line, row 14 of the cell.
  std::vector<uint32_t> cursor_cell = expected_cell(page, ' ', 0x07, true);
  for (int j = 0; j < 8; j++) cursor_cell[14 * 8 + j] = colour(page, 7);
  EXPECT_EQ(frame_cell(newest(), 29, 19), cursor_cell);
  EXPECT_FALSE(build());  // same phase, nothing else changed
}

TEST_F(FrameBuilder, MovingTheCursorRepaintsTheCellLeftAndTheCellEntered) {
  ImageSurface *page = shown();
  page->cursor_visible = 1;
  page->cursor_col = 5;
  page->cursor_row = 5;
  ASSERT_TRUE(build());
  poison_newest();
  page->cursor_col = 6;
  ASSERT_TRUE(build());
  auto cells = repainted_cells(page);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0], std::make_pair(4, 4));
  EXPECT_EQ(cells[1], std::make_pair(5, 4));
}

TEST_F(FrameBuilder, HidingTheCursorRepaintsItsCellAtOnce) {
  ImageSurface *page = shown();
  page->cursor_visible = 1;
  frame_counter.store(8);
  ASSERT_TRUE(build());
  poison_newest();
  page->cursor_visible = 0;  // same phase, same place: only the look changed
  ASSERT_TRUE(build());
  auto cells = repainted_cells(page);
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0], std::make_pair(0, 0));
  EXPECT_EQ(frame_cell(newest(), 0, 0), expected_cell(page, ' ', 0x07, true));
}

TEST_F(FrameBuilder, OwedWrapShowsTheCursorAtTheStartOfTheNextRow) {
  ImageSurface *page = shown();
  page->cursor_visible = 1;
  page->cursor_start = 0;
  page->cursor_stop = 7;
  page->cursor_col = 80;
  page->cursor_row = 3;
  page->wrap_pending = 2;
  frame_counter.store(8);
  ASSERT_TRUE(build());
  EXPECT_EQ(frame_cell(newest(), 0, 3), std::vector<uint32_t>(128, colour(page, 7)));
  EXPECT_EQ(frame_cell(newest(), 79, 2), expected_cell(page, ' ', 0x07, true));
}

struct CursorCase {
  int start, stop, height;
  int first, last;  // -1, -1: nothing painted
};

TEST(CursorShape, RowsFollowTheShapeRule) {
  const CursorCase cases[] = {
      {0, 0, 16, 0, 0},    {3, 0, 16, -1, -1},  {7, 3, 16, 3, 15},  {2, 2, 16, 2, 2},
      {4, 4, 16, 14, 14},  {4, 4, 8, 7, 7},     {4, 4, 14, 13, 13}, {6, 7, 16, 13, 14},
      {5, 7, 16, 12, 14},  {3, 8, 16, 8, 15},   {3, 9, 8, 4, 7},    {0, 7, 16, 0, 15},
      {1, 3, 16, 1, 3},    {0, 31, 16, 0, 15},  {2, 3, 16, 2, 3},   {2, 4, 16, 12, 14},
      {2, 6, 16, 2, 15},   {31, 20, 16, -1, -1}, {6, 7, 8, 6, 7},   {0, 3, 8, 0, 3},
  };
  for (const CursorCase &c : cases) {
    int first = -1, last = -1;
    bool painted = disp_cursor_rows(c.start, c.stop, c.height, &first, &last);
    SCOPED_TRACE(testing::Message() << "start " << c.start << " stop " << c.stop << " height " << c.height);
    EXPECT_EQ(painted, c.first >= 0);
    if (painted) {
      EXPECT_EQ(first, c.first);
      EXPECT_EQ(last, c.last);
    }
  }
}

TEST_F(FrameBuilder, PalettePassMapsIndexesAndWatchesOnlyTheRelevantEntries) {
  scr_screen(12, 0, 0, 0, 0, 1);
  ImageSurface *page = shown();
  ASSERT_EQ(page->bits_per_pixel, 4);
  page->pixels[0] = 1;
  page->pixels[639] = 14;
  page->pixels[640 * 479 + 5] = 15;
  ASSERT_TRUE(build());
  const Frame &f = newest();
  EXPECT_EQ(f.frame_pixels[0], 0xFF0000AAu);
  EXPECT_EQ(f.frame_pixels[639], 0xFFFFFF55u);
  EXPECT_EQ(f.frame_pixels[640 * 479 + 5], 0xFFFFFFFFu);
  EXPECT_EQ(f.frame_pixels[1], 0xFF000000u);
  EXPECT_FALSE(build());
  page->palette[200] = 0x00FFFFFF;  // beyond the 16 entries a 4-bit page shows
  EXPECT_FALSE(build());
  page->palette[1] = 0x0000FF00;  // PALETTE leaves the high byte 0; the frame is opaque
  ASSERT_TRUE(build());
  EXPECT_EQ(newest().frame_pixels[0], 0xFF00FF00u);
  page->pixels[1000] = 3;
  ASSERT_TRUE(build());
  EXPECT_EQ(newest().frame_pixels[1000], 0xFF00AAAAu);
}

TEST_F(FrameBuilder, ModeTenShowsTheBlinkPhaseOfTheMillisecondClock) {
  scr_screen(10, 0, 0, 0, 0, 1);
  ImageSurface *page = shown();
  for (int c = 0; c < 4; c++) page->pixels[c] = uint8_t(c);
  // Pseudo-colours 0, 4, 6, 8: black; grey; white then black; white.
  const uint32_t phase_colours[2][4] = {{0x000000, 0x808080, 0xFFFFFF, 0xFFFFFF},
                                        {0x000000, 0x808080, 0x000000, 0xFFFFFF}};
  for (int attempt = 0; attempt < 100; attempt++) {
    int64_t before = rt_clock_ms() & 512;
    prev_frame_valid.store(0);
    ASSERT_TRUE(build());
    if ((rt_clock_ms() & 512) != before) continue;  // the phase flipped during the pass
    int phase = before ? 1 : 0;
    for (int c = 0; c < 4; c++) EXPECT_EQ(newest().frame_pixels[c], phase_colours[phase][c] | 0xFF000000u);
    // A pseudo-colour entry set out of range leaves its colour alone instead of
    // reading beyond the table.
    page->palette[1] = 0x00ABCDEF;
    page->palette[5] = 0x00FFFFFF;
    prev_frame_valid.store(0);
    ASSERT_TRUE(build());
    EXPECT_EQ(newest().frame_pixels[1], 0xFFABCDEFu);
    return;
  }
  FAIL() << "the clock phase never held still for one pass";
}

TEST_F(FrameBuilder, ArgbPassCopiesThePixelsOnEveryPass) {
  int32_t handle = scr_new_image(4, 3, 32, true);
  ASSERT_LT(handle, -1);
  ImageSurface *image = scr_image_at(-handle);
  uint32_t *px = reinterpret_cast<uint32_t *>(image->pixels);
  for (int i = 0; i < 12; i++) px[i] = 0x80000000u | uint32_t(i * 0x010203);
  scr_screen(handle, 0, 0, 0, 0, 1);
  ASSERT_EQ(shown(), image);
  ASSERT_TRUE(build());
  ASSERT_EQ(newest().frame_width, 4);
  ASSERT_EQ(newest().frame_height, 3);
  for (int i = 0; i < 12; i++) EXPECT_EQ(newest().frame_pixels[i], px[i]);
  EXPECT_TRUE(build());  // unchanged, still a new frame
}

TEST_F(FrameBuilder, TextFrameNeverStartsFromAnotherPassesFrame) {
  ImageSurface *page = shown();
  ASSERT_TRUE(build());
  int32_t handle = scr_new_image(640, 400, 32, true);  // a frame of the same size
  ASSERT_LT(handle, -1);
  ImageSurface *image = scr_image_at(-handle);
  for (int i = 0; i < 640 * 400; i++) reinterpret_cast<uint32_t *>(image->pixels)[i] = POISON;
  display_image.store(image);  // a selection change that keeps prev_frame_valid
  ASSERT_TRUE(build());
  display_image.store(page);  // back, with no cell changed
  ASSERT_TRUE(build()) << "the 32-bit picture would stay on screen";
  EXPECT_TRUE(repainted_cells(page).size() == 80u * 25u) << "cells left from the 32-bit frame";
}

// Changes one cell so that every pass has something to build.
void build_changed(int i) {
  put_cell(shown(), i % 80, 0, uint8_t('a' + i % 26), 0x07);
  disp_build_frame();
}

TEST_F(FrameBuilder, FullRingBuildsNothingAndHoldsTheHandOver) {
  for (int i = 0; i < FRAME_RING_SIZE; i++) build_changed(i);
  ASSERT_EQ(frame_first.load(), 1);
  ASSERT_EQ(frame_last.load(), FRAME_RING_SIZE);
  autodisplay.store(-1);
  build_changed(100);
  EXPECT_EQ(frame_last.load(), FRAME_RING_SIZE);
  EXPECT_EQ(autodisplay.load(), -1);  // no pass end: the display statement keeps waiting
  // Once the presenter passes the old frames the builder reclaims them and goes on.
  window_width = 640;
  window_height = 400;
  ASSERT_EQ(disp_present_begin().action, PresentAction::draw);
  build_changed(101);
  EXPECT_EQ(frame_last.load(), 1);
  // 2..60 freed; 61, the oldest of the four kept, lent its buffer to the new frame.
  EXPECT_EQ(frame_first.load(), FRAME_RING_SIZE - 2);
  EXPECT_EQ(autodisplay.load(), 0);
  for (int i = 2; i <= FRAME_RING_SIZE - 3; i++) EXPECT_EQ(frame_ring[i].frame_pixels, nullptr) << i;
}

TEST_F(FrameBuilder, ConsumedBufferOfTheSameSizeIsReused) {
  build_changed(0);
  build_changed(1);
  uint32_t *oldest = frame_ring[1].frame_pixels;
  window_width = 640;
  window_height = 400;
  ASSERT_EQ(disp_present_begin().action, PresentAction::draw);  // frame 1 is passed
  build_changed(2);
  EXPECT_EQ(frame_ring[3].frame_pixels, oldest);
  EXPECT_EQ(frame_ring[1].frame_pixels, nullptr);
  EXPECT_EQ(frame_first.load(), 2);
}

TEST_F(FrameBuilder, OccupiedSlotIsAConsistencyStop) {
  ASSERT_TRUE(build());
  static uint32_t stray[4];
  frame_ring[disp_ring_next(frame_last.load())].frame_pixels = stray;
  // The status a parent sees keeps only the low byte of 9090.
  EXPECT_EXIT(build_changed(3), ::testing::ExitedWithCode(9090 & 0xFF), "");
}

TEST_F(FrameBuilder, PauseIsAcknowledgedAndNothingIsBuilt) {
  display_pause.store(1);
  EXPECT_FALSE(build());
  EXPECT_EQ(display_pause.load(), 2);
  EXPECT_EQ(display_builder_ready.load(), 1);
  EXPECT_FALSE(build());  // still paused
  display_pause.store(0);
  EXPECT_TRUE(build());
}

TEST_F(FrameBuilder, HiddenWindowBuildsNothingButAnswersTheSwitchOff) {
  window_hidden.store(1);
  autodisplay.store(-1);
  EXPECT_FALSE(build());
  EXPECT_EQ(autodisplay.load(), 0);
  window_hidden.store(0);
}

TEST_F(FrameBuilder, DisplayStatementHandsBuildingToTheProgramThread) {
  std::atomic<bool> stop{false};
  std::thread housekeeping([&] {
    while (!stop.load()) {
      if (autodisplay.load()) disp_build_frame();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  disp_display();
  EXPECT_EQ(autodisplay.load(), 0);
  int32_t before = frame_last.load();
  put_cell(shown(), 1, 1, 'Z', 0x0C);
  disp_display();  // manual mode: builds at once on this thread
  EXPECT_NE(frame_last.load(), before);
  EXPECT_EQ(frame_cell(newest(), 1, 1), expected_cell(shown(), 'Z', 0x0C, false));
  disp_autodisplay();
  EXPECT_EQ(autodisplay.load(), 1);
  stop.store(true);
  housekeeping.join();
}

TEST_F(FrameBuilder, DisplayStatementGivesUpWhenTheShutdownBegins) {
  exit_in_progress.store(1);  // nobody builds: the wait must still end
  disp_display();
  EXPECT_EQ(autodisplay.load(), -1);
}

class Presenter : public FrameBuilder {
 protected:
  void SetUp() override {
    FrameBuilder::SetUp();
    window_width = 640;
    window_height = 400;
    forced_redraw = 0;
  }
};

TEST_F(Presenter, DrawsEachNewFrameOnceUnlessForced) {
  EXPECT_EQ(disp_present_begin().action, PresentAction::nothing);  // no frame yet
  ASSERT_TRUE(build());
  PresentStep step = disp_present_begin();
  EXPECT_EQ(step.action, PresentAction::draw);
  EXPECT_EQ(step.frame, frame_last.load());
  EXPECT_EQ(disp_present_begin().action, PresentAction::nothing);
  forced_redraw = 1;
  EXPECT_EQ(disp_present_begin().action, PresentAction::draw);
  EXPECT_EQ(forced_redraw, 0);
}

TEST_F(Presenter, AsksForTheFrameSizeAndDrawsAfterTheReshape) {
  ASSERT_TRUE(build());
  disp_reshape(800, 600);  // the user dragged the window larger
  EXPECT_EQ(disp_present_begin().action, PresentAction::resize);
  EXPECT_EQ(disp_present_begin().action, PresentAction::resize);  // until the size comes back
  disp_reshape(640, 400);
  EXPECT_EQ(disp_present_begin().action, PresentAction::draw);
}

TEST_F(Presenter, RefusedSizeStillGetsThePictureAndAReshapeAsksAgain) {
  ASSERT_TRUE(build());
  disp_reshape(1280, 1000);  // maximised: the manager ignores our size requests
  int resizes = 0;
  PresentStep step;
  while ((step = disp_present_begin()).action == PresentAction::resize && resizes < 1000) resizes++;
  EXPECT_GT(resizes, 1);
  EXPECT_LT(resizes, 1000);
  EXPECT_EQ(step.action, PresentAction::draw);  // 1:1 at the top-left corner
  disp_reshape(1280, 1024);  // any new report: try again
  EXPECT_EQ(disp_present_begin().action, PresentAction::resize);
}

TEST_F(Presenter, PassedFramesAreConsumedButNeverTheNewest) {
  build_changed(0);
  build_changed(1);
  build_changed(2);
  EXPECT_EQ(disp_present_begin().frame, 3);
  EXPECT_EQ(frame_ring[1].consumed.load(), 1);
  EXPECT_EQ(frame_ring[2].consumed.load(), 1);
  EXPECT_EQ(frame_ring[3].consumed.load(), 0);
  build_changed(3);  // published while drawing
  disp_present_end();
  EXPECT_EQ(frame_ring[3].consumed.load(), 1);
  EXPECT_EQ(frame_ring[4].consumed.load(), 0);
}

TEST_F(Presenter, PausedProgramHoldsTheNewestFrameBackUntilTheEnd) {
  ASSERT_TRUE(build());
  program_paused.store(1);
  EXPECT_EQ(disp_present_begin().action, PresentAction::nothing);
  program_paused.store(0);
  EXPECT_EQ(disp_present_begin().action, PresentAction::draw);
}

TEST(WindowEvent, CloseRequestSetsItsBitAndIsHandled) {
  rt_test_init();
  EXPECT_TRUE(disp_window_event(1, 0, 0));
  EXPECT_EQ(window_close_requested.load() & 1, 1);
  EXPECT_FALSE(disp_window_event(2, 65, 1));  // keys the toolkit reports are not ours
  EXPECT_FALSE(disp_window_event(9, 0, 0));
}

TEST(WindowEvent, PauseKeyGoesThroughTheKeyPipeline) {
  rt_test_init();
  EXPECT_TRUE(disp_window_event(2, 100019, 1));
  EXPECT_EQ(program_paused.load() & 1, 1);
  EXPECT_TRUE(disp_window_event(2, 100019, -1));
}

}  // namespace
