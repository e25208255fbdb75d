// Helpers of the translation scheme: the shapes of translated statements that would
// otherwise repeat on every line (string literals, PRINT items, GOSUB and GOTO).
#pragma once

#include "core/core.h"
#include "errors/errors.h"
#include "input/input.h"
#include "screen/screen.h"
#include "strings/strings.h"

// A string literal of the listing, passed with its length.
#define LIT(text) rtstr_from_bytes(text, sizeof(text) - 1)

// PRINT of one string item: a permanent copy, the pre-wrap, the item, then freed.
inline void basic_print_item(RtString *item) {
  RtString *copy = rtstr_assign(rtstr_new(0, false), item);
  if (!err_pending()) {
    scr_print_fit(copy);
    scr_print(copy, 0);
  }
  rtstr_free(copy);
}

// The line end of a PRINT without a trailing semicolon.
inline void basic_print_end() {
  if (!err_pending()) scr_print(null_string, 1);
}

// PRINT "text" -- one row of the listing's prose.
#define PRINT_ROW(line, text) \
  RT_STMT(line, basic_print_item(LIT(text)); basic_print_end(); rtstr_release_temps(mark, 0))

// A GOTO ends its statement: the epilogue check runs before the jump.
#define GOTO_AFTER(line, label) \
  do {                          \
    rt_after_label(line);       \
    goto label;                 \
  } while (0)

// The GOSUB return stack: return points are small integers, one per GOSUB site.
void basic_gosub_push(int32_t site);
// The site to return to, or 0 with error 3 when the stack is empty.
int32_t basic_gosub_pop();

// DO: LOOP WHILE INKEY$ = "" -- wait for a key, taking it from the key buffer.
inline void basic_wait_for_key(int32_t line, uint32_t mark) {
  int32_t empty;
  do RT_STMT(line, empty = rtstr_release_temps(mark, rtstr_equal(kbd_inkey(), LIT(""))));
  while (empty);
}

// DO: LOOP UNTIL INKEY$ = "" -- drain the keys.
inline void basic_drain_keys(int32_t line, uint32_t mark) {
  int32_t empty;
  do RT_STMT(line, empty = rtstr_release_temps(mark, rtstr_equal(kbd_inkey(), LIT(""))));
  while (!empty);
}
