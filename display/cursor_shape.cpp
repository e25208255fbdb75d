// The text cursor's shape: which scan lines of the cell the cursor paints, from the
// start and stop lines a program sets, mapped onto the font's cell height.
#include "display/display.h"

// k rows ending at the cell's bottom line; a 16-line cell keeps line 15 free, as
// the adapters did.
static void bottom_rows(int k, int h, int *first, int *last) {
  int bottom = h - 1 == 15 ? 14 : h - 1;
  *first = bottom - k + 1;
  *last = bottom;
}

static void rows_when_start_below_stop(int s, int e, int h, int *first, int *last) {
  if (s >= 3) {
    if (e - s == 1) bottom_rows(2, h, first, last);
    else if (e - s == 2) bottom_rows(3, h, first, last);
    else *first = h - h / 2, *last = h - 1;
  } else if (s <= 1) {
    *first = s;
    *last = e <= 3 ? e : h - 1;
  } else if (e == 3) {  // s is 2 from here on
    *first = 2, *last = 3;
  } else if (e == 4) {
    bottom_rows(3, h, first, last);
  } else {
    *first = 2, *last = h - 1;
  }
}

bool disp_cursor_rows(int s, int e, int h, int *first, int *last) {
  if (e == 0) {
    if (s != 0) return false;
    *first = *last = 0;
  } else if (e < s) {
    *first = e, *last = h - 1;
  } else if (s == e) {
    if (s <= 3) *first = *last = s;
    else bottom_rows(1, h, first, last);
  } else {
    rows_when_start_below_stop(s, e, h, first, last);
  }
  if (*first < 0) *first = 0;
  if (*last > h - 1) *last = h - 1;  // lines beyond the cell are never painted
  return *first <= *last;
}
