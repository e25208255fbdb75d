// The SCREEN statement: mode changes with the pages of the new mode, and the
// selection of active and visual pages.
#include "screen/screen_private.h"
#include "errors/errors.h"
#include "strings/strings.h"

#include <cstring>

struct TextSize {
  int32_t columns, rows;
};

static TextSize page_zero_text_size() {
  ImageSurface *zero = page_count > 0 ? scr_image_at(page_table[0]) : nullptr;
  if (!zero || !zero->is_valid) return {0, 0};
  return {scr_text_columns(zero), scr_text_rows(zero)};
}

void scr_release_upper_pages() {
  // The builder may be reading the shown page: it must not be freed under it.
  bool shown_upper = false;
  for (int32_t page = 1; page < page_count; page++)
    shown_upper |= page_table[page] && page_table[page] == display_image_index.load(relaxed);
  bool paused = shown_upper && scr_pause_display();
  for (int32_t page = 1; page < page_count; page++) {
    int32_t index = page_table[page];
    if (!index) continue;
    page_table[page] = 0;
    if (dest_image_index == index) scr_select_dest(page_table[0]);
    if (source_image_index == index) scr_select_source(page_table[0]);
    if (display_image_index.load(relaxed) == index) scr_select_display(page_table[0]);
    scr_image_release(index);
  }
  scr_release_display(paused);
}

static void release_all_pages() {
  scr_release_upper_pages();
  int32_t zero = page_count > 0 ? page_table[0] : 0;
  ImageSurface *image = scr_image_at(zero);
  if (image && image->is_valid) {
    if (screen_is_image) image->flags &= ~IMAGE_IS_SCREEN_PAGE;
    else scr_image_release(zero);
  }
  screen_is_image = 0;
  scr_page_table_reset();
}

// Columns, rows and font of a new text screen from the old size and WIDTH's requests.
static void choose_text_size(TextSize old, int32_t *columns, int32_t *rows, int32_t *font) {
  int32_t w = pending_width, h = pending_height, f = pending_font;
  pending_width = pending_height = pending_font = -1;
  if (w < 0 && h < 0) {
    struct Kept { int32_t c, r, f; };
    static const Kept kept[] = {{80, 50, 8}, {40, 50, 9}, {80, 43, 14}, {40, 43, 15}, {40, 25, 17}};
    *columns = 80, *rows = 25, *font = 16;
    for (const Kept &k : kept)
      if (old.columns == k.c && old.rows == k.r) *columns = k.c, *rows = k.r, *font = k.f;
  } else {
    if (h < 0) h = (old.rows == 43 || old.rows == 50) ? old.rows : 25;
    if (w < 0) w = old.columns == 40 ? 40 : 80;
    if (f < 0) f = (h == 43 ? 14 : h == 50 ? 8 : 16) + (w == 40 ? 1 : 0);
    *columns = w, *rows = h, *font = f;
  }
  if (*columns == 40 && *rows == 25) *font = 17;
  if (*columns == 80 && *rows == 25) *font = 16;
}

// Eight text pages: as many as fit lie in text_video_memory, the rest own buffers.
static int32_t build_text_pages(int32_t columns, int32_t rows, int32_t font) {
  uint8_t *video = conventional_memory + TEXT_VIDEO_MEMORY;
  int64_t page_bytes = int64_t(columns) * rows * 2;
  if (columns == 40 && rows == 25) page_bytes = 2048;
  if (columns == 80 && rows == 25) page_bytes = 4096;
  int64_t fitting = TEXT_VIDEO_MEMORY_SIZE / page_bytes;
  if (fitting > 8) fitting = 8;
  for (int32_t i = 0; i < TEXT_VIDEO_MEMORY_SIZE; i += 2) video[i] = 32, video[i + 1] = 7;
  if (page_count < 8) {
    free(page_table);
    page_table = static_cast<int32_t *>(calloc(8, sizeof(int32_t)));
    if (!page_table) return 0;
    page_count = 8;
  }
  for (int32_t page = 0; page < 8; page++) {
    int32_t index = page < fitting ? scr_image_create(video + page * page_bytes, columns, rows, 0)
                                   : scr_image_alloc(columns, rows, 0);
    if (!index) return 0;
    ImageSurface *image = scr_image_at(index);
    image->flags |= IMAGE_IS_SCREEN_PAGE;
    scr_set_text_rows(font, image);
    page_table[page] = index;
    // One palette for the whole screen, as for pages made on first use.
    if (page > 0) {
      free(image->palette);
      image->palette = scr_image_at(page_table[0])->palette;
      image->flags &= ~IMAGE_OWNS_PALETTE;
    }
  }
  return page_table[0];
}

static int32_t build_graphics_page(int32_t mode, TextSize old) {
  if (mode == 13) {
    uint8_t *video = conventional_memory + GRAPHICS_VIDEO_MEMORY;
    memset(video, 0, GRAPHICS_VIDEO_MEMORY_SIZE);
    return scr_image_create(video, 320, 200, 13);
  }
  int32_t width = (mode == 7 || mode == 1) ? 320 : 640;
  int32_t height = (mode >= 11) ? 480 : (mode >= 9) ? 350 : 200;
  int32_t index = scr_image_alloc(width, height, mode);
  if (!index) return 0;
  ImageSurface *image = scr_image_at(index);
  if ((mode >= 11 && old.columns == 80 && old.rows == 60) || ((mode == 9 || mode == 10) && old.columns == 80 && old.rows == 43))
    scr_set_text_rows(8, image);
  return index;
}

static int32_t build_page_zero(int32_t mode, TextSize old) {
  if (mode < 0) {
    screen_is_image = 1;
    return -mode;
  }
  if (mode == 0) {
    int32_t columns, rows, font;
    choose_text_size(old, &columns, &rows, &font);
    return build_text_pages(columns, rows, font);
  }
  return build_graphics_page(mode, old);
}

void scr_change_mode(int32_t mode) {
  TextSize old = page_zero_text_size();
  release_all_pages();
  int32_t zero = build_page_zero(mode, old);
  if (!zero) {
    // Out of memory for the new pages: keep a usable screen, the 80 x 25 text pages
    // in video memory, and report the failure.
    release_all_pages();
    pending_width = pending_height = pending_font = -1;
    zero = build_text_pages(80, 25, 16);
    err_raise(ERR_OUT_OF_MEMORY);
  }
  page_table[0] = zero;
  scr_image_at(zero)->flags |= IMAGE_IS_SCREEN_PAGE;
  scr_select_display(zero);
  scr_select_dest(zero);
  scr_select_source(zero);
  dest_image->gfx.draw_angle = 0;
  dest_image->gfx.draw_scale = 1.0;
  active_page = 0;
}

static bool screen_mode_selectable(int32_t mode) { return mode >= 0 && mode <= 13 && (mode <= 2 || mode >= 7); }

// Step 8: the active page takes the output and its own colours and text window.
static void make_page_active(int32_t page) {
  int32_t index = scr_page_image(page);
  if (!index) return;
  int32_t previous = (active_page < page_count) ? page_table[active_page] : 0;
  if (index != dest_image_index || index != source_image_index) {
    scr_select_dest(index);
    scr_select_source(index);
  }
  ImageSurface *image = dest_image;
  scr_reset_colours(image);
  image->text_top = 1;
  int32_t rows = scr_text_rows(image);
  image->text_bottom = int16_t(rows);
  if (image->cursor_row > image->text_bottom) image->cursor_row = 1;
  image->text_bottom = int16_t(rows - 1 < 1 ? 1 : rows - 1);
  if (page != active_page) {
    ImageSurface *from = scr_image_at(previous);
    if (!image->is_text && from && from->is_valid && from != image) image->gfx = from->gfx;
    active_page = page;
  }
}

void scr_screen(int32_t mode, int32_t colour_switch, int32_t active, int32_t visual, int32_t ignored,
                int32_t passed) {
  (void)colour_switch, (void)ignored;
  if (err_pending()) return;
  bool mode_given = passed & 1, active_given = passed & 4, visual_given = passed & 8;
  if (!(mode_given && mode == 0 && passed == 1)) auto_grow_allowed = 0;
  bool mode_change = false, due = false;
  if (mode_given) {
    if (mode < 0) {
      int32_t index = scr_resolve_image(mode);
      if (!index) return;
      mode_change = index != page_table[0];
      // Another page of this screen would be released by the mode change itself:
      // it is no image that can become the screen.
      if (mode_change && (scr_image_at(index)->flags & IMAGE_IS_SCREEN_PAGE)) {
        err_raise(ERR_INVALID_HANDLE);
        return;
      }
    } else {
      if (!screen_mode_selectable(mode)) {
        err_raise(ERR_ILLEGAL_FUNCTION);
        return;
      }
      ImageSurface *zero = scr_image_at(page_table[0]);
      mode_change = !zero || !zero->is_valid || zero->mode != mode || pending_width >= 0 ||
                    pending_height >= 0 || pending_font >= 0;
    }
  }
  if (active_given && !visual_given) visual = active, visual_given = true;
  if ((active_given && (active < 0 || active > MAX_SCREEN_PAGE)) ||
      (visual_given && (visual < 0 || visual > MAX_SCREEN_PAGE))) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  if (!mode_change) {
    if (active_given) {
      int32_t index = scr_page_image(active);
      due |= index != dest_image_index || index != source_image_index;
    }
    if (visual_given) due |= scr_page_image(visual) != display_image_index.load(relaxed);
    if (err_pending()) return;
  }
  due |= mode_change;
  if (!due) return;
  bool paused = mode_change && scr_pause_display();
  prev_frame_valid.store(0, relaxed);
  if (mode_change) scr_change_mode(mode);
  if (active_given) make_page_active(active);
  if (visual_given && !err_pending()) {
    int32_t index = scr_page_image(visual);
    if (index && index != display_image_index.load(relaxed)) scr_select_display(index);
  }
  scr_release_display(paused);
  if (mode_change) scr_key_line();
}
