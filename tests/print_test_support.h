// Helpers of the print engine and cursor tests: PRINT as translated code does it,
// and reading text back from the current page.
#pragma once

#include "errors/errors.h"
#include "screen/screen.h"
#include "strings/strings.h"

#include <cstdint>
#include <string>

inline uint32_t take_error() {
  uint32_t code = pending_error.load();
  pending_error.store(0);
  return code;
}

// PRINT item; or PRINT item (line end): the pre-wrap, the item, then the line end.
inline void print_item(const std::string &text, bool line_end = true) {
  RtString *s = rtstr_from_bytes(text.data(), int32_t(text.size()));
  scr_print_fit(s);
  scr_print(s, 0);
  rtstr_free(s);
  if (line_end) scr_print(null_string, 1);
}

// PRINT of raw bytes without pre-wrap and without line end.
inline void print_raw(const void *bytes, int32_t length) {
  RtString *s = rtstr_from_bytes(bytes, length);
  scr_print(s, 0);
  rtstr_free(s);
}

// The characters of a row of source_image, text or graphics, read with SCREEN(r, c).
inline std::string screen_row(int32_t row) {
  int32_t columns = source_image->is_text ? source_image->width : source_image->width / 8;
  std::string s;
  for (int32_t col = 1; col <= columns; col++) s += char(scr_screen_char(row, col, 0, 0));
  return s;
}

inline std::string blanks(size_t n) { return std::string(n, ' '); }

// row padded with blanks to the page width
inline std::string padded(const std::string &text, size_t width = 80) { return text + blanks(width - text.size()); }
