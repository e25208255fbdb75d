// Start-up of the screen model: font metrics, the image table, the colour tables,
// then SCREEN 0 with every argument defaulted.
#include "screen/screen_private.h"
#include "errors/errors.h"

void scr_startup() {
  font_tables_init();
  scr_image_tables_reset();
  scr_page_table_reset();
  palette_tables_init();
  pending_width = pending_height = pending_font = -1;
  screen_is_image = 0;
  active_page = 0;
  scr_screen(0, 0, 0, 0, 0, 1);
  auto_grow_allowed = 1;
}
