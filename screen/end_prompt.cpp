// END's prompt on the bottom row of the visible page.
#include "screen/print_private.h"
#include "errors/errors.h"
#include "strings/strings.h"

void scr_end_prompt() {
  if (err_pending()) return;
  scr_select_dest(display_image_index.load(relaxed));
  int32_t rows = scr_text_rows(dest_image);
  // A one-row window: its line feed blanks the bottom row and leaves the cursor there.
  scr_view_print(rows, rows, true);
  scr_print(null_string, 1);
  static const char prompt[] = "Press any key to continue";
  scr_print_bytes(reinterpret_cast<const uint8_t *>(prompt), int32_t(sizeof prompt - 1), false);
}
