// The GOSUB return stack: room for 16,384 return points, doubled when full.
#include "game/translate.h"

#include <cstdlib>

static int32_t *return_points = nullptr;
static int32_t return_capacity = 0;
static int32_t return_depth = 0;

void basic_gosub_push(int32_t site) {
  if (return_depth == return_capacity) {
    int32_t capacity = return_capacity ? return_capacity * 2 : 16384;
    void *grown = capacity > return_capacity ? realloc(return_points, size_t(capacity) * sizeof(int32_t)) : nullptr;
    if (!grown) {
      err_raise(256);  // fatal: the stack cannot grow
      return;
    }
    return_points = static_cast<int32_t *>(grown);
    return_capacity = capacity;
  }
  return_points[return_depth++] = site;
}

int32_t basic_gosub_pop() {
  if (return_depth == 0) {
    err_raise(3);
    return 0;
  }
  return return_points[--return_depth];
}
