// Screen modes and image surfaces: SCREEN, WIDTH, PCOPY, images, selections, the
// stored record form and the pause handshake with the frame builder.
#include "core/core.h"
#include "errors/errors.h"
#include "fixture.h"
#include "screen/screen.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

static uint32_t take_error() {
  uint32_t code = pending_error.load();
  pending_error.store(0);
  return code;
}

static ImageSurface *page(int32_t n) { return scr_image_at(page_table[n]); }

TEST(ScreenStartup, EightTextPagesInVideoMemory) {
  rt_test_init();
  ASSERT_EQ(page_count, 8);
  for (int32_t n = 0; n < 8; n++) {
    ImageSurface *p = page(n);
    EXPECT_TRUE(p->is_valid && p->is_text && (p->flags & IMAGE_IS_SCREEN_PAGE));
    EXPECT_EQ(p->pixels, conventional_memory + TEXT_VIDEO_MEMORY + n * 4096) << n;
    EXPECT_EQ(p->palette, page(0)->palette);  // one palette per screen
  }
  ImageSurface *zero = page(0);
  EXPECT_EQ(zero->width, 80);
  EXPECT_EQ(zero->height, 25);
  EXPECT_EQ(zero->font, 16);
  EXPECT_EQ(zero->fore_colour, 7u);
  EXPECT_EQ(zero->text_bottom, 24);
  EXPECT_EQ(zero->cursor_start, 4);
  EXPECT_EQ(zero->cursor_stop, 4);
  EXPECT_EQ(display_image.load(), zero);
  EXPECT_EQ(dest_image, zero);
  EXPECT_EQ(source_image, zero);
  EXPECT_EQ(auto_grow_allowed, 1);
  EXPECT_EQ(zero->pixels[0], 32);
  EXPECT_EQ(zero->pixels[1], 7);
  EXPECT_FALSE(scr_image_at(0)->is_valid || scr_image_at(1)->is_valid);
}

TEST(ScreenMode, Screen12AfterStartup) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  ASSERT_EQ(take_error(), 0u);
  ImageSurface *p = page(0);
  EXPECT_EQ(page_count, 1);
  EXPECT_EQ(p->mode, 12);
  EXPECT_EQ(p->width, 640);
  EXPECT_EQ(p->height, 480);
  EXPECT_EQ(p->bits_per_pixel, 4);
  EXPECT_EQ(p->bytes_per_pixel, 1);
  EXPECT_EQ(p->colour_mask, 15u);
  EXPECT_EQ(p->font, 16);
  EXPECT_EQ(p->text_top, 1);
  EXPECT_EQ(p->text_bottom, 29);
  EXPECT_EQ(p->cursor_row, 1);
  EXPECT_EQ(p->cursor_col, 1);
  EXPECT_EQ(p->fore_colour, 15u);
  EXPECT_EQ(p->back_colour, 0u);
  EXPECT_EQ(p->draw_colour, 15u);
  EXPECT_EQ(p->clear_colour, -1);
  EXPECT_EQ(p->print_mode, 3);
  EXPECT_EQ(p->is_text, 0);
  EXPECT_EQ(p->flags, IMAGE_OWNS_PALETTE | IMAGE_IS_SCREEN_PAGE | IMAGE_OWNS_PIXELS);
  for (int i = 0; i < 16; i++) EXPECT_EQ(p->palette[i], default_palette[i]) << i;
  EXPECT_EQ(p->gfx.view_x2, 639);
  EXPECT_EQ(p->gfx.view_y2, 479);
  EXPECT_FLOAT_EQ(p->gfx.gfx_x, 320);
  EXPECT_FLOAT_EQ(p->gfx.window_y2, 479);
  EXPECT_EQ(p->gfx.draw_scale, 1.0);
  EXPECT_EQ(display_image.load(), p);
  EXPECT_EQ(dest_image, p);
  EXPECT_EQ(scr_image_width(0, false), 640);
  EXPECT_EQ(scr_pixel_size(0, false), 1);
  EXPECT_EQ(auto_grow_allowed, 0);
  for (size_t i = 0; i < 640 * 480; i++) ASSERT_EQ(p->pixels[i], 0);
}

TEST(ScreenMode, SameModeAgainClearsNothing) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  ImageSurface *before = dest_image;
  before->pixels[1234] = 9;
  before->cursor_row = 7;
  scr_screen(12, 0, 0, 0, 0, 1);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(dest_image, before);
  EXPECT_EQ(before->pixels[1234], 9);
  EXPECT_EQ(before->cursor_row, 7);
}

TEST(ScreenMode, EveryModeOfTheTable) {
  rt_test_init();
  struct Case { int32_t mode, width, height, bits, font, fore; };
  const Case cases[] = {{1, 320, 200, 2, 8, 3},   {2, 640, 200, 1, 8, 1},   {7, 320, 200, 4, 8, 15},
                        {8, 640, 200, 4, 8, 15},  {9, 640, 350, 4, 14, 15}, {10, 640, 350, 2, 14, 3},
                        {11, 640, 480, 1, 16, 1}, {13, 320, 200, 8, 8, 15}, {0, 40, 25, 16, 17, 7}};  // 40 x 25 kept
  for (const Case &c : cases) {
    scr_screen(c.mode, 0, 0, 0, 0, 1);
    ASSERT_EQ(take_error(), 0u) << c.mode;
    ImageSurface *p = page(0);
    EXPECT_EQ(p->mode, c.mode);
    EXPECT_EQ(p->width, c.width) << c.mode;
    EXPECT_EQ(p->height, c.height) << c.mode;
    EXPECT_EQ(p->bits_per_pixel, c.bits) << c.mode;
    EXPECT_EQ(p->font, c.font) << c.mode;
    EXPECT_EQ(p->fore_colour, uint32_t(c.fore)) << c.mode;
  }
  scr_screen(13, 0, 0, 0, 0, 1);
  EXPECT_EQ(page(0)->pixels, conventional_memory + GRAPHICS_VIDEO_MEMORY);
  EXPECT_EQ(page(0)->flags & IMAGE_OWNS_PIXELS, 0u);
}

TEST(ScreenMode, IllegalArguments) {
  rt_test_init();
  struct Case { int32_t mode, active, visual, passed; uint32_t error; };
  const Case cases[] = {{5, 0, 0, 1, 5},   {3, 0, 0, 1, 5},      {14, 0, 0, 1, 5},  {7, -1, 0, 5, 5},
                        {7, 0, -1, 9, 5},  {-7, 0, 0, 1, 258},   {-700, 0, 0, 1, 258}, {12, 2000, 0, 5, 5}};
  for (const Case &c : cases) {
    ImageSurface *before = dest_image;
    scr_screen(c.mode, 0, c.active, c.visual, 0, c.passed);
    EXPECT_EQ(take_error(), c.error) << c.mode << " " << c.active << " " << c.visual;
    EXPECT_EQ(dest_image, before);
    EXPECT_EQ(page(0)->mode, 0);
  }
}

TEST(ScreenMode, ActiveAndVisualPages) {
  rt_test_init();
  scr_screen(0, 0, 1, 0, 0, 1 | 4);  // SCREEN 0,,1: visual follows
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(dest_image, page(1));
  EXPECT_EQ(display_image.load(), page(1));
  scr_screen(0, 0, 2, 0, 0, 4 | 8);  // SCREEN ,,2,0
  EXPECT_EQ(dest_image, page(2));
  EXPECT_EQ(source_image, page(2));
  EXPECT_EQ(display_image.load(), page(0));
  EXPECT_EQ(active_page, 2);
  // Graphics pages come into being on first use; the graphics state follows the page.
  scr_screen(12, 0, 0, 0, 0, 1);
  dest_image->gfx.view_origin_x = 17;
  scr_screen(0, 0, 3, 0, 0, 4 | 8);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(page_count, 4);
  EXPECT_EQ(dest_image, page(3));
  EXPECT_EQ(dest_image->palette, page(0)->palette);
  EXPECT_EQ(dest_image->gfx.view_origin_x, 17);
}

TEST(Pcopy, Mode12RoundTripWithSharedPalette) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  ImageSurface *zero = page(0);
  for (int i = 0; i < 640 * 480; i++) zero->pixels[i] = uint8_t((i * 7 + i / 640) & 15);
  scr_pcopy(0, 1);
  ASSERT_EQ(take_error(), 0u);
  ImageSurface *one = page(1);
  EXPECT_EQ(one->palette, zero->palette);
  EXPECT_EQ(one->flags & IMAGE_OWNS_PALETTE, 0u);
  EXPECT_TRUE(one->flags & IMAGE_IS_SCREEN_PAGE);
  EXPECT_EQ(memcmp(one->pixels, zero->pixels, 640 * 480), 0);
  std::vector<uint8_t> saved(zero->pixels, zero->pixels + 640 * 480);
  memset(zero->pixels, 3, 640 * 480);
  scr_pcopy(1, 0);
  EXPECT_EQ(memcmp(zero->pixels, saved.data(), 640 * 480), 0);
  EXPECT_EQ(display_image.load(), zero);
}

TEST(Pcopy, MismatchesAndBadHandles) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  int32_t small = scr_new_image(10, 10, 12, true);
  int32_t wide = scr_new_image(640, 480, 13, true);
  int32_t narrow = scr_new_image(640, 480, 11, true);
  struct Case { int32_t from, to; uint32_t error; };
  const Case cases[] = {{0, small, 5}, {0, -4000, 5}, {-4000, 0, 5}, {0, wide, 0}, {0, narrow, 5}, {0, 0, 0}};
  for (const Case &c : cases) {
    scr_pcopy(c.from, c.to);
    EXPECT_EQ(take_error(), c.error) << c.from << " -> " << c.to;
  }
}

TEST(Width, TextAndGraphicsCases) {
  rt_test_init();
  scr_width(0, 80, 50, 3);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(page(0)->height, 50);
  EXPECT_EQ(page(0)->font, 8);
  EXPECT_EQ(page(0)->pixels, conventional_memory + TEXT_VIDEO_MEMORY);
  EXPECT_EQ(page(1)->pixels, conventional_memory + TEXT_VIDEO_MEMORY + 8000);

  scr_width(0, 80, 25, 3);
  scr_width(0, 40, 0, 1);
  EXPECT_EQ(page(0)->width, 40);
  EXPECT_EQ(page(0)->height, 25);
  EXPECT_EQ(page(0)->font, 17);

  scr_width(0, 0, 43, 2);  // 40 columns stay, 43 rows with the double-width 14-row font
  EXPECT_EQ(page(0)->width, 40);
  EXPECT_EQ(page(0)->height, 43);
  EXPECT_EQ(page(0)->font, 15);
  // An 80 x 43 graphics text grid is kept by the next SCREEN 0, with the 43-row font.
  scr_screen(9, 0, 0, 0, 0, 1);
  scr_width(0, 80, 43, 3);
  EXPECT_EQ(page(0)->font, 8);
  scr_screen(0, 0, 0, 0, 0, 1);
  EXPECT_EQ(page(0)->width, 80);
  EXPECT_EQ(page(0)->height, 43);
  EXPECT_EQ(page(0)->font, 14);

  scr_screen(12, 0, 0, 0, 0, 1);
  scr_width(0, 100, 0, 1);
  EXPECT_EQ(take_error(), 5u);
  scr_width(0, 80, 60, 3);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(page(0)->font, 8);
  EXPECT_EQ(page(0)->text_bottom, 59);
  EXPECT_EQ(page(0)->mode, 12);

  scr_screen(13, 0, 0, 0, 0, 1);
  scr_width(0, 0, 50, 2);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(page(0)->mode, 0);
  EXPECT_EQ(page(0)->height, 50);
}

TEST(Width, IllegalForms) {
  rt_test_init();
  struct Case { int32_t kind, columns, rows, passed; uint32_t error; };
  const Case cases[] = {{0, 0, 0, 0, 5}, {0, 0, 25, 3, 5}, {0, 80, -1, 3, 5}, {1, 80, 0, 1, 5},
                        {2, 256, 0, 1, 5}, {2, 60, 5, 3, 5}, {2, 60, 0, 1, 0}, {0, 40000, 0, 1, 5}};
  for (const Case &c : cases) {
    scr_width(c.kind, c.columns, c.rows, c.passed);
    EXPECT_EQ(take_error(), c.error) << c.kind << " " << c.columns << " " << c.rows;
  }
  EXPECT_EQ(lprint_width, 60);
  EXPECT_EQ(page(0)->width, 80);
}

TEST(Width, PixelImagesFollowTheCellCount) {
  rt_test_init();
  int32_t h = scr_new_image(64, 32, 256, true);
  scr_set_dest(h);
  scr_width(0, 10, 3, 3);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(dest_image->width, 80);
  EXPECT_EQ(dest_image->height, 48);
  EXPECT_EQ(dest_image->text_bottom, 2);
}

TEST(Images, ReleaseSelectionsAndScreenPages) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  int32_t h = scr_new_image(100, 50, 32, true);
  ASSERT_LT(h, -1);
  scr_set_dest(h);
  scr_set_source(h);
  EXPECT_EQ(scr_dest(), h);
  scr_free_image(0, false);  // the destination itself
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(dest_image, display_image.load());
  EXPECT_EQ(source_image, display_image.load());
  EXPECT_FALSE(scr_image_at(-h)->is_valid);

  struct Case { int32_t handle; uint32_t error; };
  const Case cases[] = {{scr_display(), 5}, {3, 5}, {h, 258}, {-100000, 258}};
  for (const Case &c : cases) {
    scr_free_image(c.handle, true);
    EXPECT_EQ(take_error(), c.error) << c.handle;
  }
  EXPECT_EQ(scr_image_width(h, true), 0);
  EXPECT_EQ(take_error(), 258u);
  // Released indexes come back last in, first out.
  EXPECT_EQ(scr_new_image(5, 5, 12, true), h);
}

TEST(Images, CreationCopyAndLook) {
  rt_test_init();
  scr_screen(13, 0, 0, 0, 0, 1);
  dest_image->palette[3] = 0x123456;
  dest_image->fore_colour = 42;
  dest_image->print_mode = 1;
  int32_t h = scr_new_image(33, 17, 0, false);
  ImageSurface *image = scr_image_at(-h);
  EXPECT_EQ(image->mode, 13);
  EXPECT_EQ(image->palette[3], 0x123456u);
  EXPECT_NE(image->palette, dest_image->palette);
  EXPECT_EQ(image->fore_colour, 42u);
  EXPECT_EQ(image->print_mode, 1);
  EXPECT_EQ(image->flags, IMAGE_OWNS_PALETTE | IMAGE_OWNS_PIXELS);
  image->pixels[5] = 77;
  int32_t copy = scr_copy_image(h, true);
  ImageSurface *dup = scr_image_at(-copy);
  EXPECT_NE(dup->pixels, image->pixels);
  EXPECT_EQ(dup->pixels[5], 77);
  EXPECT_NE(dup->palette, image->palette);
  EXPECT_EQ(dup->palette[3], 0x123456u);
  EXPECT_EQ(dup->width, 33);
  int32_t page_copy = scr_copy_image(0, false);  // of the screen page: no longer a page
  EXPECT_EQ(scr_image_at(-page_copy)->flags & IMAGE_IS_SCREEN_PAGE, 0u);

  struct Case { int32_t w, h, mode; bool given; };
  const Case bad[] = {{0, 5, 12, true}, {5, -1, 12, true}, {5, 5, 5, true}, {5, 5, 14, true}, {40000, 5, 12, true}};
  for (const Case &c : bad) {
    EXPECT_EQ(scr_new_image(c.w, c.h, c.mode, c.given), 0);
    EXPECT_EQ(take_error(), 5u) << c.w << " " << c.h << " " << c.mode;
  }
  int32_t text = scr_new_image(20, 4, 0, true);
  EXPECT_EQ(scr_pixel_size(text, true), 0);
  EXPECT_EQ(scr_image_at(-text)->pixels[2 * 79 + 1], 7);
}

TEST(Images, AttachedImageAsScreen) {
  rt_test_init();
  int32_t h = scr_new_image(200, 100, 32, true);
  scr_screen(h, 0, 0, 0, 0, 1);
  EXPECT_EQ(take_error(), 0u);
  EXPECT_EQ(display_image.load(), scr_image_at(-h));
  EXPECT_EQ(screen_is_image, 1);
  scr_free_image(h, true);  // a screen page now
  EXPECT_EQ(take_error(), 5u);
  scr_screen(12, 0, 0, 0, 0, 1);  // the image survives the mode change
  EXPECT_TRUE(scr_image_at(-h)->is_valid);
  EXPECT_EQ(scr_image_at(-h)->flags & IMAGE_IS_SCREEN_PAGE, 0u);
  scr_free_user_images();
  EXPECT_FALSE(scr_image_at(-h)->is_valid);
  EXPECT_TRUE(page(0)->is_valid);
}

TEST(VideoMemory, PeekSeesTextCells) {
  rt_test_init();
  scr_color(14, 1, 0, 3);
  dest_image->cursor_row = 2;
  dest_image->cursor_col = 3;
  font_draw_glyph('Q');
  rt_def_seg(0xB800, true);
  int32_t at = ((2 - 1) * 80 + (3 - 1)) * 2;
  EXPECT_EQ(rt_peek(at), 'Q');
  EXPECT_EQ(rt_peek(at + 1), 0x1E);
  rt_poke(4096, 'Z');  // page 1 follows page 0
  EXPECT_EQ(page(1)->pixels[0], 'Z');
  scr_screen(13, 0, 0, 0, 0, 1);
  dest_image->pixels[321] = 200;
  rt_def_seg(0xA000, true);
  EXPECT_EQ(rt_peek(321), 200);
}

TEST(StoredRecord, FixedLayoutRoundTrip) {
  rt_test_init();
  scr_screen(12, 0, 0, 0, 0, 1);
  ImageSurface *p = page(0);
  p->cursor_row = 12;
  p->gfx.draw_angle = 1.5;
  p->gfx.view_origin_y = -3;
  p->clear_colour = 4;
  uint8_t bytes[IMAGE_RECORD_STORED_SIZE];
  scr_record_store(p, bytes);
  EXPECT_EQ(bytes[20] | bytes[21] << 8, 640);
  EXPECT_EQ(bytes[22] | bytes[23] << 8, 480);
  EXPECT_EQ(bytes[32], 12);
  EXPECT_EQ(bytes[48], 16);
  EXPECT_EQ(bytes[58], 12);
  EXPECT_EQ(bytes[64], 1);  // pixels set
  EXPECT_EQ(bytes[0], 0);   // no memory lock
  EXPECT_EQ(bytes[68], IMAGE_OWNS_PALETTE | IMAGE_IS_SCREEN_PAGE | IMAGE_OWNS_PIXELS);
  EXPECT_EQ(bytes[104], 0xFD);
  EXPECT_EQ(bytes[107], 0xFF);
  ImageSurface back;
  StoredPointers present;
  scr_record_load(bytes, &back, &present);
  EXPECT_TRUE(present.pixels && present.palette && !present.mem_lock);
  EXPECT_EQ(back.pixels, nullptr);
  EXPECT_EQ(back.palette, nullptr);
  EXPECT_EQ(back.width, 640);
  EXPECT_EQ(back.cursor_row, 12);
  EXPECT_EQ(back.clear_colour, 4);
  EXPECT_EQ(back.gfx.draw_angle, 1.5);
  EXPECT_EQ(back.gfx.view_origin_y, -3);
  EXPECT_FLOAT_EQ(back.gfx.gfx_y, 240);
  uint8_t again[IMAGE_RECORD_STORED_SIZE];
  back.pixels = p->pixels;
  back.palette = p->palette;
  scr_record_store(&back, again);
  EXPECT_EQ(memcmp(bytes, again, sizeof bytes), 0);
}

TEST(PauseHandshake, NoBuilderNoWait) {
  rt_test_init();
  threads_started.store(1);
  scr_screen(12, 0, 0, 0, 0, 1);  // would hang if it waited for an absent builder
  EXPECT_EQ(display_pause.load(), 0);
  threads_started.store(0);
}

TEST(PauseHandshake, BuilderAcknowledgesThenIsReleased) {
  rt_test_init();
  std::atomic<bool> stop{false};
  std::atomic<int> acknowledged{0};
  display_builder_ready.store(1);
  threads_started.store(1);
  std::thread builder([&] {
    while (!stop.load()) {
      int32_t asked = 1;
      if (display_pause.compare_exchange_strong(asked, 2)) acknowledged++;
      std::this_thread::yield();
    }
  });
  scr_screen(12, 0, 0, 0, 0, 1);
  scr_screen(9, 0, 0, 0, 0, 1);
  stop.store(true);
  builder.join();
  threads_started.store(0);
  EXPECT_EQ(acknowledged.load(), 2);
  EXPECT_EQ(display_pause.load(), 0);
  EXPECT_EQ(page(0)->mode, 9);
}
