// The console image's output: PRINT to it goes to standard output through <cstdio>.
#include "screen/print_private.h"

#include <cstdio>
#include <cstring>

int32_t console_column = 1;

static void count_columns(const uint8_t *bytes, size_t length) {
  for (size_t i = 0; i < length; i++) {
    if (bytes[i] == '\n' || bytes[i] == '\r') console_column = 1;
    else console_column++;
  }
}

void scr_console_write(const uint8_t *bytes, int32_t length, bool line_end) {
  size_t count = 0;
  if (bytes && length > 0) {
    // The text ends at its first NUL, as a C string would.
    const void *nul = memchr(bytes, 0, size_t(length));
    count = nul ? size_t(static_cast<const uint8_t *>(nul) - bytes) : size_t(length);
    fwrite(bytes, 1, count, stdout);
    count_columns(bytes, count);
  }
  if (line_end) {
    fputc('\n', stdout);
    console_column = 1;
  }
  fflush(stdout);
}
