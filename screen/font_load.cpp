// The font-loading statements: option parsing, reading the font file, handle choice
// and release. This build has no outline engine, so every load answers -1.
#include "screen/screen_private.h"
#include "errors/errors.h"
#include "platform/file_read.h"
#include "strings/strings.h"

#include <cstdlib>
#include <cstring>

constexpr int32_t MAX_FONT_HEIGHT = 2048;

static void release_if_temporary(RtString *s) {
  if (s && s->is_temporary) rtstr_free(s);
}

static bool is_blank(uint8_t c) { return c == ' ' || c == '\t'; }

int32_t font_parse_options(const uint8_t *text, int32_t length) {
  static const char *const words[6] = {"BOLD", "ITALIC", "UNDERLINE", "DONTBLEND", "MONOSPACE", "UNICODE"};
  int32_t start = 0, bits = 0;
  while (start < length && is_blank(text[start])) start++;
  if (start == length) return 0;  // an options text of blanks asks for nothing
  for (int32_t pos = 0; pos <= length;) {
    int32_t end = pos;
    while (end < length && text[end] != ',') end++;
    int32_t a = pos, b = end;
    while (a < b && is_blank(text[a])) a++;
    while (b > a && is_blank(text[b - 1])) b--;
    int32_t bit = 0;
    for (int32_t w = 0; w < 6 && !bit; w++) {
      size_t n = strlen(words[w]);
      if (size_t(b - a) != n) continue;
      bool same = true;
      for (size_t k = 0; k < n && same; k++) {
        uint8_t c = text[a + k];
        if (c >= 'a' && c <= 'z') c = uint8_t(c - 32);
        same = c == uint8_t(words[w][k]);
      }
      if (same) bit = 1 << w;
    }
    if (!bit || (bits & bit)) return -1;
    bits |= bit;
    pos = end + 1;
  }
  return bits;
}

// The outline engine's load: an engine handle or 0. None is linked in this build.
static intptr_t font_engine_load(const uint8_t *data, size_t size, int32_t height, int32_t flags) {
  (void)data, (void)size, (void)height, (void)flags;
  return 0;
}

static bool grow_font_tables() {
  int32_t count = font_max_handle + 2;
  void *h = realloc(font_heights, sizeof(int32_t) * count);
  if (h) font_heights = static_cast<int32_t *>(h);
  void *w = realloc(font_widths, sizeof(int32_t) * count);
  if (w) font_widths = static_cast<int32_t *>(w);
  void *f = realloc(font_flags, sizeof(int32_t) * count);
  if (f) font_flags = static_cast<int32_t *>(f);
  void *e = realloc(font_engine_handles, sizeof(intptr_t) * count);
  if (e) font_engine_handles = static_cast<intptr_t *>(e);
  if (!h || !w || !f || !e) return false;
  font_max_handle++;
  font_heights[font_max_handle] = font_widths[font_max_handle] = font_flags[font_max_handle] = 0;
  font_engine_handles[font_max_handle] = 0;
  return true;
}

static int32_t free_font_handle() {
  for (int32_t h = FONT_FIRST_LOADED; h <= font_max_handle; h++)
    if (!font_engine_handles[h]) return h;
  return grow_font_tables() ? font_max_handle : -1;
}

static int32_t load_font(RtString *file_name, int32_t height, int32_t flags) {
  if (height > MAX_FONT_HEIGHT || file_name->length == 0) return -1;
  uint8_t *data = nullptr;
  size_t size = 0;
  if (!plat_read_whole_file(file_name->bytes, file_name->length, &data, &size)) return -1;
  intptr_t engine = font_engine_load(data, size, height, flags);
  free(data);
  if (!engine) return -1;
  int32_t handle = free_font_handle();
  if (handle < 0) return -1;
  font_engine_handles[handle] = engine;
  font_heights[handle] = height;
  font_widths[handle] = 0;
  font_flags[handle] = flags;
  return handle;
}

int32_t font_load(RtString *file_name, int32_t height, RtString *options, bool options_given) {
  int32_t result = -1;
  if (err_pending()) {
  } else if (height <= 0) {
    err_raise(ERR_ILLEGAL_FUNCTION);
  } else {
    int32_t flags = (options_given && options) ? font_parse_options(options->bytes, options->length) : 0;
    if (flags < 0) err_raise(ERR_ILLEGAL_FUNCTION);
    else result = load_font(file_name, height, flags);
  }
  release_if_temporary(file_name);
  if (options_given) release_if_temporary(options);
  return err_pending() ? 0 : result;
}

int32_t font_load_flags(RtString *file_name, int32_t height, int32_t option_bits) {
  int32_t result = -1;
  if (err_pending()) {
  } else if (height <= 0) {
    err_raise(ERR_ILLEGAL_FUNCTION);
  } else {
    result = load_font(file_name, height, option_bits & 63);
  }
  release_if_temporary(file_name);
  return err_pending() ? 0 : result;
}

void font_free(int32_t handle) {
  if (err_pending()) return;
  if (!font_is_loaded(handle)) {
    err_raise(ERR_INVALID_HANDLE);
    return;
  }
  for (int32_t i = 2; i < image_record_count; i++) {
    ImageSurface *image = scr_image_at(i);
    if (image->is_valid && image->font == handle) {
      err_raise(ERR_ILLEGAL_FUNCTION);
      return;
    }
  }
  font_engine_handles[handle] = 0;
  font_heights[handle] = font_widths[handle] = font_flags[handle] = 0;
}
