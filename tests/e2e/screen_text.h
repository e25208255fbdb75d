// Screen reading for end-to-end tests: a screenshot of a text screen back into rows of
// characters, by matching each 8 x 16 cell against the built-in glyph table.
#pragma once

#include "e2e/harness.h"

#include <cstdint>
#include <string>
#include <vector>

struct ScreenText {
  std::vector<std::string> rows;              // one string of columns per text row; '?' = no glyph
  std::vector<std::vector<uint32_t>> colour;  // per cell the foreground pixel colour, 0 if blank
};

constexpr int CELL_WIDTH = 8, CELL_HEIGHT = 16;

// Reads every whole cell of the image (640 x 480 gives 30 rows of 80 columns). Pixels in
// background are blank; all others must have one colour and form a glyph of the table.
ScreenText e2e_read_screen(const E2eImage &image, uint32_t background = 0x000000);

// Row r (1-based, as LOCATE counts) with its trailing blanks removed; "" outside the screen.
std::string e2e_screen_row(const ScreenText &screen, int row);
// The screen's rows joined with line ends, trailing blanks and empty bottom rows removed.
std::string e2e_screen_dump(const ScreenText &screen);
// The 1-based row holding text, 0 when none does.
int e2e_screen_find(const ScreenText &screen, const std::string &text);
