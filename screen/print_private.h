// Print engine internals shared by its files: byte output, row fills and the
// console's standard-output writer.
#pragma once

#include "screen/screen_private.h"

// The engine behind scr_print, for callers that hold bytes rather than a string.
void scr_print_bytes(const uint8_t *bytes, int32_t length, bool line_end);

// Attribute of a text cell that PRINT writes: blink for foreground 16..31.
inline uint8_t scr_print_attribute(const ImageSurface *image) {
  uint32_t fore = image->fore_colour;
  return uint8_t((fore & 15) | (image->back_colour & 7) << 4 | ((fore & 16) ? 128 : 0));
}

// Text image: cells of rows first..last (1-based, clipped to the page) become
// character 32 with the attribute.
void scr_clear_cell_rows(ImageSurface *image, int32_t first, int32_t last, uint8_t attribute);
// Graphics image: the pixels of the rectangle (inclusive, clipped to the image)
// become the colour, replacing them even on a blending 32-bit image.
void scr_fill_pixels(ImageSurface *image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// Graphics image: the pixel rows of text rows first..last, across the whole width.
void scr_fill_text_rows(ImageSurface *image, int32_t first, int32_t last, uint32_t colour);

// Rows of an image's font in pixels (graphics images), at least 1.
int32_t scr_font_pixel_height(const ImageSurface *image);
// Width of a text column in pixels (graphics images); font width 0 counts as 1.
int32_t scr_font_pixel_width(const ImageSurface *image);

// Standard output for the console image (<cstdio>): the bytes up to the first NUL,
// then a line end when asked. The column is tracked for comma zones and TAB.
void scr_console_write(const uint8_t *bytes, int32_t length, bool line_end);
extern int32_t console_column;
