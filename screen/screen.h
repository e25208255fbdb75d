// Screen model and text output: image surfaces and screen modes, the print engine
// and cursor, fonts and glyph drawing, colour and palettes.
#pragma once

#include <atomic>
#include <cstdint>

struct RtString;

// Start-up: default palettes, the mode 10 colour table, the built-in fonts, then
// SCREEN 0 with every argument defaulted.
void scr_startup();

// END's prompt: "Press any key to continue" on the bottom row of the visible page.
void scr_end_prompt();

// The function-key line on the bottom row of page 0 (print engine); SCREEN redraws it
// after a mode change.
void scr_key_line();

// ==== Image surfaces, pages and selections ==========================================

// Moved as a whole between pages when the active page changes (stored bytes 83..167).
struct GraphicsState {
  int32_t view_x1, view_y1, view_x2, view_y2;  // inclusive pixel viewport
  int32_t view_origin_x, view_origin_y;        // added to every transformed coordinate
  float gfx_x, gfx_y;                          // graphics cursor, logical coordinates
  uint8_t coord_mode;                          // 0 absolute, 1 viewport origin, 2 WINDOW
  float scale_x, scale_y, offset_x, offset_y;
  float window_x1, window_y1, window_x2, window_y2;
  double draw_angle, draw_scale;               // DRAW's TA and S; reset by SCREEN, CLS, VIEW
};

constexpr uint32_t IMAGE_OWNS_PALETTE = 1;
constexpr uint32_t IMAGE_IS_SCREEN_PAGE = 2;
constexpr uint32_t IMAGE_OWNS_PIXELS = 4;

// One screen page or off-screen image. Records never move once handed out, so a
// pointer to one stays valid until the record is released.
struct ImageSurface {
  void *mem_lock;           // memory-block lock; released first when mem_lock_id != 0
  uint64_t mem_lock_id;
  uint8_t is_valid;
  uint8_t is_text;          // text cells (mode 0)
  uint8_t is_console;       // PRINT goes to standard output
  uint16_t width;           // columns (text) or pixels
  uint16_t height;          // rows (text) or pixels
  uint8_t bytes_per_pixel;  // 1 palette, 2 text cell, 4 ARGB
  uint8_t bits_per_pixel;   // 1, 2, 4, 8, 16 (text) or 32
  uint32_t colour_mask;     // (1 << bits) - 1, 0xFFFFFFFF for 32 bits
  uint16_t mode;            // 0, 1, 2, 7..13, 32 or 256
  uint32_t fore_colour;
  uint32_t back_colour;
  uint32_t draw_colour;     // colour last used by a graphics statement
  int32_t font;             // font handle
  int16_t text_top, text_bottom;  // text window, 1-based rows
  int16_t cursor_col, cursor_row; // 1-based; pixel x + 1 with a proportional font
  uint8_t cursor_visible;
  uint8_t cursor_start, cursor_stop;
  uint8_t *pixels;          // cells (char, attr), palette bytes or 0xAARRGGBB words
  uint32_t flags;           // IMAGE_OWNS_PALETTE | IMAGE_IS_SCREEN_PAGE | IMAGE_OWNS_PIXELS
  uint32_t *palette;        // 256 x 0x00RRGGBB (high byte ignored); null for 32-bit images
  int32_t clear_colour;     // transparent palette index, -1 none
  uint8_t blend_off;        // 32-bit images: 1 writes replace, 0 writes blend
  uint8_t wrap_pending;     // 0, 1 or 2: a line wrap is still owed
  uint8_t print_mode;       // 1 keep background, 2 only background, 3 fill background
  GraphicsState gfx;
};

// The image table: index = identity; 0 and 1 are reserved and never valid.
// Records are kept in blocks of IMAGE_TABLE_BLOCK that never move.
constexpr int32_t IMAGE_TABLE_BLOCK = 4096;
extern int32_t image_record_count;    // records ever handed out (highest index + 1)
extern int32_t image_table_capacity;  // records that exist (multiple of the block)
ImageSurface *scr_image_at(int32_t index);  // null beyond the table

// page_table[n] = image index of screen page n, 0 = not created yet.
extern int32_t *page_table;
extern int32_t page_count;            // entries in page_table
constexpr int32_t MAX_SCREEN_PAGE = 1023;  // higher page numbers are error 5

// Selections. display_image is read by the frame builder on another thread: it is
// published with release order after the record is complete; read it with acquire.
extern std::atomic<ImageSurface *> display_image;
extern std::atomic<int32_t> display_image_index;
extern ImageSurface *dest_image;
extern int32_t dest_image_index;
extern ImageSurface *source_image;
extern int32_t source_image_index;
extern int32_t active_page;           // page last made active; 0 after a mode change
extern int32_t screen_is_image;       // page 0 is an image attached with SCREEN -handle
extern int32_t pending_width, pending_height, pending_font;  // WIDTH requests, -1 none
extern int32_t auto_grow_allowed;     // LOCATE may grow the untouched start-up screen

// Screen memory inside conventional_memory, so PEEK and POKE see the pages.
constexpr int32_t TEXT_VIDEO_MEMORY = 0xB8000;      // 64 KiB of text pages
constexpr int32_t TEXT_VIDEO_MEMORY_SIZE = 65536;
constexpr int32_t GRAPHICS_VIDEO_MEMORY = 0xA0000;  // the SCREEN 13 page
constexpr int32_t GRAPHICS_VIDEO_MEMORY_SIZE = 64000;

// Handshake with the frame builder, which reads display_image from its own thread:
// the program thread stores 1 and waits for the builder's 2; the builder builds
// nothing while the word is nonzero; the program thread stores 0 when done.
// The builder stores 1 in display_builder_ready (release) once it answers pauses;
// until then nobody waits. (prev_frame_valid, display/display.h, is cleared with it.)
extern std::atomic<int32_t> display_pause;
extern std::atomic<int32_t> display_builder_ready;
// Pause / release around replacing a screen page's record or buffer. The pause is
// taken only while automatic display is on and the worker threads run; it returns
// whether it paused, which is what the release takes.
bool scr_pause_display();
void scr_release_display(bool paused);

// Statements. passed: SCREEN bit 0 mode, bit 2 active page, bit 3 visual page;
// WIDTH bit 0 columns, bit 1 rows. kind: 0 the screen, 2 LPRINT.
void scr_screen(int32_t mode, int32_t colour_switch, int32_t active, int32_t visual, int32_t ignored,
                int32_t passed);
extern int32_t lprint_width;  // WIDTH LPRINT's line width (starts 80); defined with WIDTH
void scr_width(int32_t kind, int32_t columns, int32_t rows, int32_t passed);
void scr_pcopy(int32_t from, int32_t to);
int32_t scr_new_image(int32_t width, int32_t height, int32_t mode, bool mode_given);  // -index or -1
int32_t scr_copy_image(int32_t handle, bool handle_given);                          // -index or -1
void scr_free_image(int32_t handle, bool handle_given);
void scr_set_dest(int32_t image);    // page number or negative handle
void scr_set_source(int32_t image);
int32_t scr_dest();
int32_t scr_source();
int32_t scr_display();
int32_t scr_image_width(int32_t handle, bool handle_given);
int32_t scr_image_height(int32_t handle, bool handle_given);
int32_t scr_pixel_size(int32_t handle, bool handle_given);  // 0 text, 1 palette, 4 ARGB

// Internal operations for the other parts of the runtime.
int32_t scr_image_create(uint8_t *buffer, int32_t width, int32_t height, int32_t mode);  // index or 0
int32_t scr_image_alloc(int32_t width, int32_t height, int32_t mode);                   // index or 0
int32_t scr_page_image(int32_t page);      // index; 0 (error raised) when it cannot exist
int32_t scr_resolve_image(int32_t image);  // index; 0 with error 258 for a bad handle
int32_t scr_record_new();                  // index with is_valid set, 0 when out of room
void scr_record_free(int32_t index);       // zero the record, index to the free stack
void scr_image_release(int32_t index);     // owned buffer, owned palette, lock, record
void scr_set_text_rows(int32_t font, ImageSurface *image);
void scr_reset_colours(ImageSurface *image);
void scr_reset_graphics_state(ImageSurface *image);
void scr_free_user_images();
int32_t scr_text_rows(const ImageSurface *image);     // cell rows (graphics: height / font height)
int32_t scr_text_columns(const ImageSurface *image);  // width 0 fonts count as 1 pixel

// The 176-byte stored form of a record (CHAIN): little-endian, pointer fields as
// 32-bit presence markers (0 null, 1 set), since a 64-bit address does not fit and
// its low half may be zero. The reader leaves every pointer null for the caller.
constexpr int32_t IMAGE_RECORD_STORED_SIZE = 176;
struct StoredPointers {
  bool mem_lock, pixels, palette;
};
void scr_record_store(const ImageSurface *image, uint8_t out[IMAGE_RECORD_STORED_SIZE]);
void scr_record_load(const uint8_t in[IMAGE_RECORD_STORED_SIZE], ImageSurface *image,
                     StoredPointers *present);

// ==== Colour and palette ============================================================

extern uint32_t default_palette[256];     // 0xFFRRGGBB after start-up
extern uint32_t ega_palette[64];          // 0xFFRRGGBB after start-up
extern uint32_t mode10_blink_table[18];   // [phase * 9 + pseudo colour], 0x00RRGGBB
// Built when the first 32-bit image buffer is made; null until then.
extern uint8_t *blend_table;  // [a][s][d], 16 MiB
extern uint8_t *alpha_table;  // [i][j], 64 KiB
void scr_blend_tables_build();  // idempotent

// Fills an image's palette with its mode's defaults (creation, PALETTE alone).
void scr_default_palette_of(ImageSurface *image);

// COLOR: passed bit 0 fore, bit 1 back, bit 2 border.
void scr_color(int64_t fore, int64_t back, int64_t border, int32_t passed);
// PALETTE attribute, colour (given false: the mode's default palette).
void scr_palette(int32_t attribute, int64_t colour, bool given);
// PALETTE USING over element_count elements of 16 or 32 bits from the first one used.
void scr_palette_using(const void *elements, int32_t element_count, int32_t element_bits);

// The image argument of the functions below is a page number or negative handle,
// used when bit `image bit` of passed is set; otherwise dest_image (source_image for
// the copy's source).
uint32_t gfx_palette_colour(int32_t index, int32_t image, int32_t passed);              // bit 0 image
void gfx_set_palette_colour(int32_t index, uint32_t colour, int32_t image, int32_t passed);  // bit 0
void gfx_copy_palette(int32_t from, int32_t to, int32_t passed);  // bit 0 from, bit 1 to
uint32_t gfx_rgb(int32_t r, int32_t g, int32_t b, int32_t image, int32_t passed);        // bit 0
uint32_t gfx_rgba(int32_t r, int32_t g, int32_t b, int32_t a, int32_t image, int32_t passed);  // bit 0
uint32_t gfx_nearest_colour(const ImageSurface *image, int32_t r, int32_t g, int32_t b);
int32_t gfx_alpha_of(uint32_t colour, int32_t image, int32_t passed);  // bit 0 image
int32_t gfx_red_of(uint32_t colour, int32_t image, int32_t passed);
int32_t gfx_green_of(uint32_t colour, int32_t image, int32_t passed);
int32_t gfx_blue_of(uint32_t colour, int32_t image, int32_t passed);
// passed bit 0 colour given (not given = none), bit 1 image given.
void gfx_set_clear_colour(int64_t colour, int32_t image, int32_t passed);
int32_t gfx_clear_colour_of(int32_t image, int32_t passed);  // bit 0 image
// passed bit 0 colour, bit 1 second colour, bit 2 image.
void gfx_set_alpha(int32_t alpha, uint32_t colour, uint32_t second, int32_t image, int32_t passed);
void gfx_blend_on(int32_t image, int32_t passed);   // bit 0 image
void gfx_blend_off(int32_t image, int32_t passed);
int32_t gfx_blend_state(int32_t image, int32_t passed);
uint32_t scr_fore_colour_of(int32_t image, int32_t passed);
uint32_t scr_back_colour_of(int32_t image, int32_t passed);
// The blending rule of every write of colour s over pixel d of a 32-bit image
// whose blend_off is 0.
uint32_t gfx_blend_pixel(uint32_t s, uint32_t d);

// Pixel writes into an image at absolute pixels: palette images store the colour
// masked by colour_mask; 32-bit images store or blend. The plain form writes only
// inside the image, the clipped form only inside the graphics viewport.
void scr_put_pixel(ImageSurface *image, int32_t x, int32_t y, uint32_t colour);
void scr_put_pixel_clipped(ImageSurface *image, int32_t x, int32_t y, uint32_t colour);

// ==== Fonts and glyph drawing =======================================================

constexpr uint32_t FONT_BOLD = 1, FONT_ITALIC = 2, FONT_UNDERLINE = 4, FONT_DONT_BLEND = 8,
                   FONT_MONOSPACE = 16, FONT_UNICODE = 32;
constexpr int32_t FONT_FIRST_LOADED = 32;
// Indexed by handle 0..font_max_handle.
extern int32_t *font_heights;
extern int32_t *font_widths;          // 0 = proportional
extern int32_t *font_flags;
extern intptr_t *font_engine_handles; // nonzero = a loaded font is in use
extern int32_t font_max_handle;

// Working copies of the glyph sets, one byte per pixel (255 ink, 0 background),
// 8 pixels per row: glyph k of 8x8 at k * 64, of 8x16 at k * 128.
extern uint8_t font_glyph_pixels_8x8[256 * 64];
extern uint8_t font_glyph_pixels_8x16[256 * 128];
// First row of glyph code in a built-in font (8, 9, 14, 15, 16, 17), null for other
// fonts. Rows are 8 pixels; the double-width fonts 9, 15, 17 draw each pixel twice.
const uint8_t *font_glyph(int32_t font, int32_t code);
int32_t font_glyph_height(int32_t font);  // rows of a built-in font's glyph, 0 otherwise

void font_draw_glyph(int32_t code);  // at dest_image's cursor; the cursor stays
// passed bit 0 STEP, bit 1 image given.
void font_print_string(float x, float y, RtString *text, int32_t image, int32_t passed);
int32_t font_print_width(RtString *text, int32_t image, int32_t passed);  // bit 0 image
// Pixel width of a text in an image's font; the text is only read (PRINT's pre-wrap).
int32_t font_text_width(const ImageSurface *image, const uint8_t *bytes, int32_t length);
void font_set(int32_t handle, int32_t image, int32_t passed);             // bit 0 image
int32_t font_of_image(int32_t image, int32_t passed);                     // bit 0 image
int32_t font_width_of(int32_t handle, int32_t passed);                    // bit 0 handle
int32_t font_height_of(int32_t handle, int32_t passed);                   // bit 0 handle
void font_print_mode(int32_t kind, int32_t image, int32_t passed);        // bit 0 image
int32_t font_print_mode_of(int32_t image, int32_t passed);                // bit 0 image
int32_t font_load(RtString *file_name, int32_t height, RtString *options, bool options_given);
int32_t font_load_flags(RtString *file_name, int32_t height, int32_t option_bits);
// Option list of font_load: flag bits, or -1 for an unknown or repeated item.
int32_t font_parse_options(const uint8_t *text, int32_t length);
void font_free(int32_t handle);

// ==== Text output and cursor ========================================================
// Everything writes to dest_image; text cells on text pages, glyphs on graphics pages.
// A PRINT line is, per item, scr_print_fit then scr_print without line end, and last
// scr_print(null_string, 1); a trailing semicolon drops that last call. The text
// arguments are only read, never freed.

extern int32_t control_chars_off;  // 1: codes 7..13 and 28..31 print as glyphs
extern int32_t key_line_on;        // KEY ON / KEY OFF
extern int32_t key_line_forced;    // the next scr_key_line draws even when nothing changed

// LPRINT goes through the same engine with printer_page_image as the destination.
// Printing owns the page and installs the hooks: mark the page as having content,
// and print it (clearing that mark). lprint_active is read by the housekeeping thread.
extern std::atomic<uint8_t> lprint_active;
extern int32_t lprint_column;              // starts 1; lprint_width is WIDTH LPRINT's
extern ImageSurface *printer_page_image;   // null until the first LPRINT
using ScrPrinterHook = void (*)();
extern ScrPrinterHook lprint_mark_content;
extern ScrPrinterHook lprint_page_out;

void scr_print(RtString *text, int32_t line_end);
void scr_print_fit(RtString *text);  // pre-wrap of an item that does not fit the line
void scr_print_zone();               // PRINT comma
void scr_newline();                  // line feed, scrolling the text window

// CLS: passed bit 0 kind given, bit 1 colour given.
void scr_cls(int32_t kind, int64_t colour, int32_t passed);
// LOCATE: passed bits 0..4 say which of row, column, cursor, start, stop were given.
void scr_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop, int32_t passed);
void scr_view_print(int32_t top, int32_t bottom, bool given);
int32_t scr_csrlin();
int32_t scr_pos(int32_t ignored);
// SCREEN(row, column [, colour flag]) on source_image: passed bit 0 flag given.
int32_t scr_screen_char(int32_t row, int32_t column, int32_t colour_flag, int32_t passed);
void scr_control_chars(int32_t setting);  // 2 turns control characters off, others on

void scr_key_on();
void scr_key_off();
void scr_key_list();
void scr_key_define(int32_t n, RtString *text);  // KEY n, text; a temporary text is consumed

// TAB and SPC for PRINT and LPRINT: temporary texts for the destination's line.
// PRINT # sets print_target 2 around its items; the file subsystem installs the
// column query of a file number.
extern int32_t print_target;       // 1 screen or printer, 2 file
extern int32_t print_file_number;
using ScrFileColumn = int32_t (*)(int32_t file_number);
extern ScrFileColumn print_file_column;
RtString *scr_tab(int32_t column);
RtString *scr_spc(int32_t count);
