// String functions: helpers shared by the text-function files of strings/.
#pragma once

#include "strings/strings.h"

// Consumes s and returns its bytes [offset, offset + n): s itself when nothing is cut,
// s narrowed in place when it is disposable, otherwise a new temporary.
RtString *rtstr_slice(RtString *s, int32_t offset, int32_t n);

// A new temporary of n bytes (n < 0 counts as 0).
RtString *rtstr_new_temp(int64_t n);
