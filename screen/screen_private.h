// Screen model internals shared between the files of screen/: mode metrics, image
// resolution with the error idiom, and the font tables' set-up.
#pragma once

#include "screen/screen.h"
#include "display/display.h"

constexpr auto relaxed = std::memory_order_relaxed;

// Error codes this subsystem raises.
constexpr int32_t ERR_ILLEGAL_FUNCTION = 5;
constexpr int32_t ERR_OUT_OF_MEMORY = 7;
constexpr int32_t ERR_INVALID_HANDLE = 258;
constexpr int32_t ERR_IMAGE_TABLE = 502;
constexpr int32_t ERR_IMAGE_FREE_STACK = 503;

// Largest image side: the record keeps sizes in 16 bits and cursor rows in signed 16.
constexpr int32_t MAX_IMAGE_SIDE = 32767;

bool scr_mode_exists(int32_t mode);  // 0, 1, 2, 7..13, 32, 256
int32_t scr_default_font_of_mode(int32_t mode);
uint32_t scr_colour_mask_of_bits(int32_t bits);

// An image argument: `given` selects `image` (page number or negative handle),
// otherwise the fallback. Null with error 258 raised for a bad handle.
ImageSurface *scr_image_arg(int32_t image, bool given, ImageSurface *fallback);

// Selections by index (keeps the index and the reference together).
void scr_select_dest(int32_t index);
void scr_select_source(int32_t index);
void scr_select_display(int32_t index);

// Releases every screen page from page 1 up; selections on them go back to page 0.
void scr_release_upper_pages();

// Start-up: an empty image table with records 0 and 1 reserved; a one-entry page table.
void scr_image_tables_reset();
void scr_page_table_reset();

// Mode-change core of SCREEN (also run by WIDTH and LOCATE's start-up growth).
void scr_change_mode(int32_t mode);

// The three print modes of glyph cells.
constexpr uint8_t PRINT_KEEP_BACKGROUND = 1;
constexpr uint8_t PRINT_ONLY_BACKGROUND = 2;
constexpr uint8_t PRINT_FILL_BACKGROUND = 3;

void font_tables_init();     // 49 zeroed entries, the six built-in handles, glyph copies
void palette_tables_init();  // default, EGA and mode 10 tables
bool font_is_builtin(int32_t handle);
bool font_is_loaded(int32_t handle);

// Rounds halves to even, as every nearest-integer of the screen model does.
int64_t scr_nearest(double v);
