// TAB and SPC: the text that moves a PRINT to a column or on by a count, computed
// from the destination's line width and current column.
#include "errors/errors.h"
#include "strings/string_functions_private.h"
#include "strings/strings.h"

#include <cstring>

static bool count_in_range(int32_t n) {
  if (n >= -32768 && n <= 32767) return true;
  err_raise(7);
  return false;
}

// An optional line break (CR, or CR LF on a file) followed by spaces.
static RtString *break_and_spaces(bool line_break, bool to_file, int64_t spaces) {
  if (spaces < 0) spaces = 0;
  int32_t prefix = line_break ? (to_file ? 2 : 1) : 0;
  RtString *r = rtstr_new_temp(prefix + spaces);
  if (line_break) r->bytes[0] = '\r';
  if (prefix == 2) r->bytes[1] = '\n';
  if (spaces > 0) memset(r->bytes + prefix, ' ', size_t(spaces));
  return r;
}

RtString *rtstr_tab_text(int32_t n, const TabDestination &dest) {
  if (err_pending()) return rtstr_new_temp(0);
  if (!count_in_range(n)) return rtstr_new_temp(0);
  int64_t column = n;
  if (dest.width > 0 && column > dest.width) column %= dest.width;
  if (column < 1) column = 1;
  if (column < dest.column) return break_and_spaces(true, dest.to_file, column - 1);
  return break_and_spaces(false, dest.to_file, column - dest.column);
}

RtString *rtstr_spc_text(int32_t n, const TabDestination &dest) {
  if (err_pending()) return rtstr_new_temp(0);
  if (!count_in_range(n)) return rtstr_new_temp(0);
  int64_t count = n < 0 ? 0 : n;
  if (dest.to_file || dest.width <= 0) return break_and_spaces(false, dest.to_file, count);
  count %= dest.width;
  int64_t room = int64_t(dest.width) - dest.column + 1;
  if (count > room) return break_and_spaces(true, false, count - room);
  return break_and_spaces(false, false, count);
}
