// CLS in its kinds: the whole page, the graphics viewport, the text window.
#include "screen/print_private.h"
#include "errors/errors.h"

constexpr int32_t CLS_NO_KIND = -1;

// The middle of the viewport in the image's logical coordinates.
static void centre_graphics_cursor(ImageSurface *image) {
  GraphicsState &g = image->gfx;
  float px = g.view_x1 + (g.view_x2 - g.view_x1 + 1) / 2.0f - g.view_origin_x;
  float py = g.view_y1 + (g.view_y2 - g.view_y1 + 1) / 2.0f - g.view_origin_y;
  if (g.coord_mode == 2) {
    px = (px - g.offset_x) / g.scale_x;
    py = (py - g.offset_y) / g.scale_y;
  }
  g.gfx_x = px;
  g.gfx_y = py;
}

static void redraw_key_line() {
  key_line_forced = 1;
  scr_key_line();
}

static void cls_text(ImageSurface *image, int32_t kind, uint32_t colour) {
  uint32_t fore = image->fore_colour;
  uint8_t attribute = uint8_t((colour & 7) << 4 | ((fore & 16) ? 128 : 0) | (fore & 15));
  if (kind == 1) return;
  if (kind == 0) scr_clear_cell_rows(image, 1, image->height, attribute);
  else scr_clear_cell_rows(image, image->text_top, image->text_bottom, attribute);
  if (kind == 2) return;
  if (kind == CLS_NO_KIND) scr_clear_cell_rows(image, image->height, image->height, attribute);
  redraw_key_line();
}

static void cls_graphics(ImageSurface *image, int32_t kind, uint32_t colour) {
  if (kind == 2) return scr_fill_text_rows(image, image->text_top, image->text_bottom, colour);
  const GraphicsState &g = image->gfx;
  if (kind != 0 && g.coord_mode != 0) scr_fill_pixels(image, g.view_x1, g.view_y1, g.view_x2, g.view_y2, colour);
  else scr_fill_pixels(image, 0, 0, image->width - 1, image->height - 1, colour);
  centre_graphics_cursor(image);
  redraw_key_line();
}

void scr_cls(int32_t kind, int64_t colour, int32_t passed) {
  if (err_pending()) return;
  ImageSurface *image = dest_image;
  bool kind_given = passed & 1, colour_given = passed & 2;
  bool any_colour = image->bytes_per_pixel == 4;  // 32-bit images take any ARGB value
  if ((kind_given && (kind < 0 || kind > 2)) ||
      (colour_given && !any_colour && (colour < 0 || colour > int64_t(image->colour_mask)))) {
    err_raise(ERR_ILLEGAL_FUNCTION);
    return;
  }
  uint32_t fill = colour_given ? uint32_t(colour) : image->back_colour;
  image->cursor_row = image->text_top;
  image->cursor_col = 1;
  image->wrap_pending = 0;  // a wrap owed to the old text would push the first line down
  image->gfx.draw_angle = 0;
  image->gfx.draw_scale = 1.0;
  if (image->is_text) cls_text(image, kind_given ? kind : CLS_NO_KIND, fill);
  else cls_graphics(image, kind_given ? kind : CLS_NO_KIND, fill);
}
