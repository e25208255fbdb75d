// Tests of the built-in glyph sets: blanks, well-known shapes, blocks and box-drawing joins.
#include "screen/glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

struct GlyphSet {
  const char *name;
  const uint8_t *data;
  int rows;
  const uint8_t *glyph(int code) const { return data + code * rows; }
  bool ink(int code, int row, int col) const { return glyph(code)[row] & (0x80 >> col); }
};

void PrintTo(const GlyphSet &s, std::ostream *os) { *os << s.name; }

const GlyphSet kSets[] = {{"8x8", glyphs_8x8, 8}, {"8x16", glyphs_8x16, 16}};

class Glyphs : public ::testing::TestWithParam<GlyphSet> {};

std::vector<int> ink_rows_in_column(const GlyphSet &s, int code, int col) {
  std::vector<int> rows;
  for (int r = 0; r < s.rows; r++)
    if (s.ink(code, r, col)) rows.push_back(r);
  return rows;
}

std::vector<int> ink_columns_in_row(const GlyphSet &s, int code, int row) {
  std::vector<int> cols;
  for (int c = 0; c < 8; c++)
    if (s.ink(code, row, c)) cols.push_back(c);
  return cols;
}

TEST_P(Glyphs, OnlyNulSpaceAndFfAreBlankAndNoTwoGlyphsAreAlike) {
  const GlyphSet &s = GetParam();
  std::set<std::string> seen;
  for (int code = 0; code < 256; code++) {
    std::string bits(reinterpret_cast<const char *>(s.glyph(code)), s.rows);
    bool blank = bits.find_first_not_of('\0') == std::string::npos;
    bool should_be_blank = code == 0 || code == 32 || code == 255;
    EXPECT_EQ(blank, should_be_blank) << s.name << " code " << code;
    if (!blank) {
      EXPECT_TRUE(seen.insert(bits).second) << s.name << " code " << code << " repeats a glyph";
    }
  }
}

TEST_P(Glyphs, LetterAIsMirrorSymmetricAndOpenAtTheBottom) {
  const GlyphSet &s = GetParam();
  int left = 8, right = -1;
  for (int r = 0; r < s.rows; r++)
    for (int c = 0; c < 8; c++)
      if (s.ink('A', r, c)) left = std::min(left, c), right = std::max(right, c);
  ASSERT_GE(right - left, 4) << s.name;
  for (int r = 0; r < s.rows; r++)
    for (int c = left; c <= right; c++)
      EXPECT_EQ(s.ink('A', r, c), s.ink('A', r, left + right - c)) << s.name << " row " << r << " col " << c;
  int last = s.rows - 1;
  while (s.glyph('A')[last] == 0) last--;
  EXPECT_EQ(ink_columns_in_row(s, 'A', last).size(), 4u) << s.name << ": two legs of two pixels";
}

TEST_P(Glyphs, BlocksAndShades) {
  const GlyphSet &s = GetParam();
  auto count = [&](int code) {
    int n = 0;
    for (int r = 0; r < s.rows; r++) n += __builtin_popcount(s.glyph(code)[r]);
    return n;
  };
  for (int r = 0; r < s.rows; r++) {
    EXPECT_EQ(s.glyph(0xDB)[r], 0xFF) << s.name << " full block row " << r;
    EXPECT_EQ(s.glyph(0xDD)[r], 0xF0) << s.name << " left half row " << r;
    EXPECT_EQ(s.glyph(0xDE)[r], 0x0F) << s.name << " right half row " << r;
    EXPECT_EQ(s.glyph(0xDC)[r], r < s.rows / 2 ? 0x00 : 0xFF) << s.name << " lower half row " << r;
    EXPECT_EQ(s.glyph(0xDF)[r], r < s.rows / 2 ? 0xFF : 0x00) << s.name << " upper half row " << r;
  }
  int cell = 8 * s.rows;
  EXPECT_LT(count(0xB0), cell / 2) << s.name;
  EXPECT_EQ(count(0xB1), cell / 2) << s.name;
  EXPECT_GT(count(0xB2), cell / 2) << s.name;
  EXPECT_LT(count(0xB2), cell) << s.name;
}

TEST_P(Glyphs, LinePiecesRunFromEdgeToEdge) {
  const GlyphSet &s = GetParam();
  for (int r = 1; r < s.rows; r++) {
    EXPECT_EQ(s.glyph(0xB3)[r], s.glyph(0xB3)[0]) << s.name << " vertical line row " << r;
    EXPECT_EQ(s.glyph(0xBA)[r], s.glyph(0xBA)[0]) << s.name << " double vertical row " << r;
  }
  EXPECT_EQ(ink_columns_in_row(s, 0xB3, 0).size(), 2u) << s.name;
  EXPECT_EQ(ink_columns_in_row(s, 0xBA, 0).size(), 4u) << s.name;
  for (int code : {0xC4, 0xCD}) {
    std::vector<int> rows = ink_rows_in_column(s, code, 0);
    EXPECT_EQ(rows.size(), code == 0xC4 ? 1u : 2u) << s.name << " code " << code;
    for (int r = 0; r < s.rows; r++) {
      bool on = std::find(rows.begin(), rows.end(), r) != rows.end();
      EXPECT_EQ(s.glyph(code)[r], on ? 0xFF : 0x00) << s.name << " code " << code << " row " << r;
    }
  }
}

// Every box-drawing piece reaches each edge of its cell with no line, the single line or
// the double line, exactly where the straight pieces do, so that neighbours join up.
TEST_P(Glyphs, BoxDrawingPiecesJoinTheirNeighbours) {
  const GlyphSet &s = GetParam();
  enum { N, S, D };  // none, single, double
  struct Piece { int code, up, down, left, right; };
  const Piece pieces[] = {
    {0xB3, S, S, N, N}, {0xB4, S, S, S, N}, {0xB5, S, S, D, N}, {0xB6, D, D, S, N},
    {0xB7, N, D, S, N}, {0xB8, N, S, D, N}, {0xB9, D, D, D, N}, {0xBA, D, D, N, N},
    {0xBB, N, D, D, N}, {0xBC, D, N, D, N}, {0xBD, D, N, S, N}, {0xBE, S, N, D, N},
    {0xBF, N, S, S, N}, {0xC0, S, N, N, S}, {0xC1, S, N, S, S}, {0xC2, N, S, S, S},
    {0xC3, S, S, N, S}, {0xC4, N, N, S, S}, {0xC5, S, S, S, S}, {0xC6, S, S, N, D},
    {0xC7, D, D, N, S}, {0xC8, D, N, N, D}, {0xC9, N, D, N, D}, {0xCA, D, N, D, D},
    {0xCB, N, D, D, D}, {0xCC, D, D, N, D}, {0xCD, N, N, D, D}, {0xCE, D, D, D, D},
    {0xCF, S, N, D, D}, {0xD0, D, N, S, S}, {0xD1, N, S, D, D}, {0xD2, N, D, S, S},
    {0xD3, D, N, N, S}, {0xD4, S, N, N, D}, {0xD5, N, S, N, D}, {0xD6, N, D, N, S},
    {0xD7, D, D, S, S}, {0xD8, S, S, D, D}, {0xD9, S, N, S, N}, {0xDA, N, S, N, S},
  };
  const std::vector<int> across[] = {{}, ink_rows_in_column(s, 0xC4, 0), ink_rows_in_column(s, 0xCD, 0)};
  const std::vector<int> along[] = {{}, ink_columns_in_row(s, 0xB3, 0), ink_columns_in_row(s, 0xBA, 0)};
  for (const Piece &p : pieces) {
    EXPECT_EQ(ink_columns_in_row(s, p.code, 0), along[p.up]) << s.name << " top of " << p.code;
    EXPECT_EQ(ink_columns_in_row(s, p.code, s.rows - 1), along[p.down]) << s.name << " bottom of " << p.code;
    EXPECT_EQ(ink_rows_in_column(s, p.code, 0), across[p.left]) << s.name << " left of " << p.code;
    EXPECT_EQ(ink_rows_in_column(s, p.code, 7), across[p.right]) << s.name << " right of " << p.code;
  }
}

std::string set_name(const ::testing::TestParamInfo<GlyphSet> &info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(BothSets, Glyphs, ::testing::ValuesIn(kSets), set_name);

}  // namespace
