// The built-in glyph sets (code page 437): 256 glyphs of 8 and of 16 rows, generated data.
// One byte per glyph row, rows top to bottom, bit 7 the leftmost pixel; glyph k at k * rows.
#pragma once

#include <cstdint>

extern const uint8_t glyphs_8x8[256 * 8];
extern const uint8_t glyphs_8x16[256 * 16];
