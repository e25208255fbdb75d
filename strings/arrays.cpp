// Array bounds: LBOUND, UBOUND and the subscript check of every array access.
#include "errors/errors.h"
#include "strings/strings.h"

// The dimension records follow the header, the last dimension's record first.
static const ArrayDimension *dimension_record(const ArrayDescriptor *a, int32_t d, int32_t n) {
  if (d < 1 || d > n || !(a->flags & ARRAY_ALLOCATED)) {
    err_raise(9);
    return nullptr;
  }
  return rt_array_dimensions(a) + (n - d);
}

int32_t num_lbound(const ArrayDescriptor *a, int32_t d, int32_t n) {
  if (err_pending()) return 0;
  const ArrayDimension *record = dimension_record(a, d, n);
  return record ? record->lower_bound : 0;
}

int32_t num_ubound(const ArrayDescriptor *a, int32_t d, int32_t n) {
  if (err_pending()) return 0;
  const ArrayDimension *record = dimension_record(a, d, n);
  return record ? int32_t(int64_t(record->lower_bound) + record->element_count - 1) : 0;
}

// One unsigned comparison refuses both negative and too-large indexes.
int32_t rt_subscript_check(int32_t index_from_lower, int32_t element_count) {
  if (err_pending()) return 0;
  if (uint32_t(index_from_lower) < uint32_t(element_count)) return index_from_lower;
  err_raise(9);
  return 0;
}
