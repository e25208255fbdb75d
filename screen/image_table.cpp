// The image table with its free stack, image records' creation and release, and
// the resolution of page numbers and handles.
#include "screen/screen_private.h"
#include "errors/errors.h"

#include <cstdlib>
#include <cstring>

int32_t image_record_count = 0;
int32_t image_table_capacity = 0;
// Blocks of records that never move: selections and the frame builder keep direct
// references across the table's growth.
static ImageSurface **image_blocks = nullptr;
static int32_t image_block_count = 0;
static int32_t *image_free_stack = nullptr;
static int32_t image_free_top = 0;
static int32_t image_free_capacity = 0;

ImageSurface *scr_image_at(int32_t index) {
  if (index < 0 || index >= image_table_capacity) return nullptr;
  return &image_blocks[index / IMAGE_TABLE_BLOCK][index % IMAGE_TABLE_BLOCK];
}

static bool grow_image_table() {
  void *more = realloc(image_blocks, sizeof(ImageSurface *) * (image_block_count + 1));
  if (!more) return false;
  image_blocks = static_cast<ImageSurface **>(more);
  ImageSurface *block = static_cast<ImageSurface *>(calloc(IMAGE_TABLE_BLOCK, sizeof(ImageSurface)));
  if (!block) return false;
  image_blocks[image_block_count++] = block;
  image_table_capacity += IMAGE_TABLE_BLOCK;
  return true;
}

static bool grow_free_stack() {
  int32_t capacity = image_free_capacity + IMAGE_TABLE_BLOCK;
  void *more = realloc(image_free_stack, sizeof(int32_t) * capacity);
  if (!more) return false;
  image_free_stack = static_cast<int32_t *>(more);
  image_free_capacity = capacity;
  return true;
}

int32_t scr_record_new() {
  int32_t index;
  if (image_free_top > 0) {
    index = image_free_stack[--image_free_top];
  } else {
    if (image_record_count == image_table_capacity && !grow_image_table()) {
      err_raise(ERR_IMAGE_TABLE);
      return 0;
    }
    index = image_record_count++;
  }
  ImageSurface *image = scr_image_at(index);
  *image = ImageSurface{};
  image->is_valid = 1;
  return index;
}

void scr_record_free(int32_t index) {
  ImageSurface *image = scr_image_at(index);
  if (!image || index < 2) return;
  *image = ImageSurface{};
  if (image_free_top == image_free_capacity && !grow_free_stack()) {
    err_raise(ERR_IMAGE_FREE_STACK);
    return;
  }
  image_free_stack[image_free_top++] = index;
}

void scr_image_tables_reset() {
  for (int32_t i = 0; i < image_block_count; i++) free(image_blocks[i]);
  free(image_blocks);
  free(image_free_stack);
  image_blocks = nullptr;
  image_block_count = 0;
  image_table_capacity = 0;
  image_record_count = 0;
  image_free_stack = nullptr;
  image_free_top = image_free_capacity = 0;
  if (!grow_image_table() || !grow_free_stack()) {
    err_raise(ERR_IMAGE_TABLE);
    return;
  }
  // Indexes 0 and 1 are never an image: -0 is no handle and -1 is the failure answer.
  scr_record_new();
  scr_record_new();
  scr_image_at(0)->is_valid = 0;
  scr_image_at(1)->is_valid = 0;
}

void scr_image_release(int32_t index) {
  ImageSurface *image = scr_image_at(index);
  if (!image || !image->is_valid) return;
  // No memory-block facility is linked yet: a lock id only marks the record.
  image->mem_lock = nullptr;
  image->mem_lock_id = 0;
  if (image->flags & IMAGE_OWNS_PIXELS) free(image->pixels);
  if (image->flags & IMAGE_OWNS_PALETTE) free(image->palette);
  scr_record_free(index);
}

void scr_reset_graphics_state(ImageSurface *image) {
  GraphicsState &g = image->gfx;
  float w = image->width, h = image->height;
  g = GraphicsState{};
  g.view_x2 = image->width - 1;
  g.view_y2 = image->height - 1;
  g.gfx_x = w / 2;
  g.gfx_y = h / 2;
  g.scale_x = g.scale_y = 1;
  g.window_x2 = w - 1;
  g.window_y2 = h - 1;
  g.draw_angle = 0;
  g.draw_scale = 1.0;
}

int32_t scr_text_rows(const ImageSurface *image) {
  if (image->is_text) return image->height;
  int32_t fh = (image->font >= 0 && image->font <= font_max_handle) ? font_heights[image->font] : 0;
  return image->height / (fh > 0 ? fh : 1);
}

int32_t scr_text_columns(const ImageSurface *image) {
  if (image->is_text) return image->width;
  int32_t fw = (image->font >= 0 && image->font <= font_max_handle) ? font_widths[image->font] : 0;
  return image->width / (fw > 0 ? fw : 1);
}

void scr_set_text_rows(int32_t font, ImageSurface *image) {
  image->font = font;
  image->cursor_row = 1;
  image->cursor_col = 1;
  image->text_top = 1;
  int32_t bottom = scr_text_rows(image) - 1;
  image->text_bottom = int16_t(bottom < 1 ? 1 : bottom);
}

struct ModeSetup {
  int32_t mode, bits, font;
  uint32_t fore;
};
static const ModeSetup mode_setups[] = {
    {0, 16, 16, 7},  {1, 2, 8, 3},   {2, 1, 8, 1},   {7, 4, 8, 15},  {8, 4, 8, 15},   {9, 4, 14, 15},
    {10, 2, 14, 3},  {11, 1, 16, 1}, {12, 4, 16, 15}, {13, 8, 8, 15}, {256, 8, 16, 15}, {32, 32, 16, 0xFFFFFFFF},
};

static const ModeSetup *mode_setup(int32_t mode) {
  for (const ModeSetup &m : mode_setups)
    if (m.mode == mode) return &m;
  return nullptr;
}

bool scr_mode_exists(int32_t mode) { return mode_setup(mode) != nullptr; }

int32_t scr_default_font_of_mode(int32_t mode) {
  const ModeSetup *m = mode_setup(mode);
  return m ? m->font : 16;
}

uint32_t scr_colour_mask_of_bits(int32_t bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1; }

int32_t scr_image_create(uint8_t *buffer, int32_t width, int32_t height, int32_t mode) {
  const ModeSetup *setup = mode_setup(mode);
  if (width < 1 || height < 1 || width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE || !setup) return 0;
  int32_t index = scr_record_new();
  if (!index) return 0;
  ImageSurface *image = scr_image_at(index);
  image->pixels = buffer;
  image->width = uint16_t(width);
  image->height = uint16_t(height);
  image->mode = uint16_t(mode);
  image->bits_per_pixel = uint8_t(setup->bits);
  image->bytes_per_pixel = mode == 0 ? 2 : mode == 32 ? 4 : 1;
  image->fore_colour = setup->fore;
  image->back_colour = mode == 32 ? 0xFF000000u : 0;
  image->draw_colour = image->fore_colour;
  image->print_mode = PRINT_FILL_BACKGROUND;
  image->colour_mask = scr_colour_mask_of_bits(setup->bits);
  if (mode == 0) {
    image->is_text = 1;
    image->cursor_start = image->cursor_stop = 4;
  }
  if (mode != 32) {
    image->palette = static_cast<uint32_t *>(calloc(256, sizeof(uint32_t)));
    if (!image->palette) {
      scr_record_free(index);
      return 0;
    }
    image->flags |= IMAGE_OWNS_PALETTE;
    scr_default_palette_of(image);
    image->clear_colour = -1;
  }
  scr_set_text_rows(setup->font, image);
  if (mode != 0) scr_reset_graphics_state(image);
  return index;
}

int32_t scr_image_alloc(int32_t width, int32_t height, int32_t mode) {
  int32_t index = scr_image_create(nullptr, width, height, mode);
  if (!index) return 0;
  ImageSurface *image = scr_image_at(index);
  size_t count = size_t(width) * size_t(height);
  uint8_t *pixels = static_cast<uint8_t *>(calloc(count, image->bytes_per_pixel));
  if (!pixels) {
    scr_image_release(index);
    return 0;
  }
  if (image->is_text)
    for (size_t i = 0; i < count; i++) pixels[2 * i] = 32, pixels[2 * i + 1] = 7;
  if (mode == 32) scr_blend_tables_build();
  image->pixels = pixels;
  image->flags |= IMAGE_OWNS_PIXELS;
  return index;
}

int32_t *page_table = nullptr;
int32_t page_count = 0;

static bool grow_page_table(int32_t count) {
  void *more = realloc(page_table, sizeof(int32_t) * count);
  if (!more) return false;
  page_table = static_cast<int32_t *>(more);
  for (int32_t i = page_count; i < count; i++) page_table[i] = 0;
  page_count = count;
  return true;
}

void scr_page_table_reset() {
  free(page_table);
  page_table = nullptr;
  page_count = 0;
  if (!grow_page_table(1)) err_raise(ERR_OUT_OF_MEMORY);
}

// A page made on first use looks like page 0 and shares its palette.
static int32_t create_page_from_page_zero(int32_t page) {
  ImageSurface *zero = scr_image_at(page_table[0]);
  if (!zero || !zero->is_valid) return 0;
  int32_t index = scr_image_alloc(zero->width, zero->height, zero->mode);
  if (!index) return 0;
  ImageSurface *image = scr_image_at(index);
  if (image->palette && zero->palette) {
    if (image->flags & IMAGE_OWNS_PALETTE) free(image->palette);
    image->palette = zero->palette;
    image->flags &= ~IMAGE_OWNS_PALETTE;
  }
  image->flags |= IMAGE_IS_SCREEN_PAGE;
  scr_set_text_rows(zero->font, image);
  page_table[page] = index;
  return index;
}

int32_t scr_page_image(int32_t page) {
  if (err_pending()) return 0;
  if (page < 0 || page > MAX_SCREEN_PAGE) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return 0;
  }
  if (page >= page_count && !grow_page_table(page + 1)) {
    err_raise(ERR_OUT_OF_MEMORY);
    return 0;
  }
  if (page_table[page]) return page_table[page];
  int32_t index = create_page_from_page_zero(page);
  if (!index) err_raise(ERR_OUT_OF_MEMORY);
  return index;
}

int32_t scr_resolve_image(int32_t image) {
  if (err_pending()) return 0;
  if (image >= 0) return scr_page_image(image);
  int64_t index = -int64_t(image);
  ImageSurface *record = index < image_record_count ? scr_image_at(int32_t(index)) : nullptr;
  if (!record || !record->is_valid) {
    err_raise(ERR_INVALID_HANDLE);
    return 0;
  }
  return int32_t(index);
}

ImageSurface *scr_image_arg(int32_t image, bool given, ImageSurface *fallback) {
  if (err_pending()) return nullptr;
  if (!given) return fallback;
  int32_t index = scr_resolve_image(image);
  return index ? scr_image_at(index) : nullptr;
}

void scr_free_user_images() {
  for (int32_t i = 2; i < image_record_count; i++) {
    ImageSurface *image = scr_image_at(i);
    if (image->is_valid && !(image->flags & IMAGE_IS_SCREEN_PAGE)) scr_image_release(i);
  }
  int32_t shown = display_image_index.load(relaxed);
  if (dest_image && !dest_image->is_valid) scr_select_dest(shown);
  if (source_image && !source_image->is_valid) scr_select_source(shown);
}
