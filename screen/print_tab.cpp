// TAB and SPC: the line width and column of the current PRINT destination.
#include "screen/print_private.h"
#include "errors/errors.h"
#include "strings/strings.h"

int32_t print_target = 1;
int32_t print_file_number = 0;
ScrFileColumn print_file_column = nullptr;

static TabDestination current_destination() {
  if (print_target == 2) {
    int32_t column = print_file_column ? print_file_column(print_file_number) : 1;
    return {0, column, true};
  }
  const ImageSurface *image = dest_image;
  if (lprint_active.load(relaxed) && printer_page_image) image = printer_page_image;
  if (image->is_console) return {image->width, console_column, false};
  // An owed wrap puts the next character in column 1.
  return {scr_text_columns(image), image->wrap_pending ? 1 : image->cursor_col, false};
}

RtString *scr_tab(int32_t column) {
  if (err_pending()) return rtstr_tab_text(column, {0, 1, false});
  return rtstr_tab_text(column, current_destination());
}

RtString *scr_spc(int32_t count) {
  if (err_pending()) return rtstr_spc_text(count, {0, 1, false});
  return rtstr_spc_text(count, current_destination());
}
