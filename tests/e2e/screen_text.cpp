// Screen reading: cells of a screenshot matched against glyphs_8x16.
#include "e2e/screen_text.h"

#include "screen/glyphs.h"

#include <array>
#include <map>

namespace {

using CellBits = std::array<uint8_t, CELL_HEIGHT>;

// Several codes share a picture (0, 32 and 255 are all blank): printable ASCII wins.
const std::map<CellBits, char> &glyph_lookup() {
  static std::map<CellBits, char> lookup;
  if (!lookup.empty()) return lookup;
  auto add = [](int code) {
    CellBits bits;
    for (int y = 0; y < CELL_HEIGHT; y++) bits[size_t(y)] = glyphs_8x16[code * CELL_HEIGHT + y];
    lookup.emplace(bits, char(code));
  };
  for (int code = 32; code < 127; code++) add(code);
  for (int code = 0; code < 256; code++) add(code);
  return lookup;
}

// One cell: the character and its ink colour, '?' when the ink is mixed or no glyph.
char read_cell(const E2eImage &image, int left, int top, uint32_t background, uint32_t *ink) {
  CellBits bits{};
  *ink = 0;
  bool mixed = false;
  for (int y = 0; y < CELL_HEIGHT; y++)
    for (int x = 0; x < CELL_WIDTH; x++) {
      uint32_t p = image.at(left + x, top + y);
      if (p == background) continue;
      if (*ink == 0) *ink = p;
      mixed |= p != *ink;
      bits[size_t(y)] |= uint8_t(0x80 >> x);
    }
  if (mixed) return '?';
  auto found = glyph_lookup().find(bits);
  return found == glyph_lookup().end() ? '?' : found->second;
}

std::string without_trailing_blanks(std::string s) {
  size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? "" : s.substr(0, end + 1);
}

}  // namespace

ScreenText e2e_read_screen(const E2eImage &image, uint32_t background) {
  ScreenText screen;
  int rows = image.height / CELL_HEIGHT, columns = image.width / CELL_WIDTH;
  for (int r = 0; r < rows; r++) {
    std::string text(size_t(columns), ' ');
    std::vector<uint32_t> inks(size_t(columns), 0);
    for (int c = 0; c < columns; c++)
      text[size_t(c)] = read_cell(image, c * CELL_WIDTH, r * CELL_HEIGHT, background, &inks[size_t(c)]);
    screen.rows.push_back(text);
    screen.colour.push_back(inks);
  }
  return screen;
}

std::string e2e_screen_row(const ScreenText &screen, int row) {
  if (row < 1 || row > int(screen.rows.size())) return "";
  return without_trailing_blanks(screen.rows[size_t(row - 1)]);
}

std::string e2e_screen_dump(const ScreenText &screen) {
  std::string all;
  for (int r = 1; r <= int(screen.rows.size()); r++) all += e2e_screen_row(screen, r) + "\n";
  while (all.size() >= 2 && all[all.size() - 1] == '\n' && all[all.size() - 2] == '\n') all.pop_back();
  return all;
}

int e2e_screen_find(const ScreenText &screen, const std::string &text) {
  for (size_t r = 0; r < screen.rows.size(); r++)
    if (screen.rows[r].find(text) != std::string::npos) return int(r) + 1;
  return 0;
}
