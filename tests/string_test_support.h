// Helpers for string tests: variables, disposable temporaries and byte views.
#pragma once

#include "errors/errors.h"
#include "strings/strings.h"

#include <cstring>
#include <string>

// A permanent string variable holding text.
inline RtString *make_variable(const std::string &text) {
  RtString *v = rtstr_new(0, false);
  RtString *t = rtstr_new(uint32_t(text.size()), true);
  if (!text.empty()) memcpy(t->bytes, text.data(), text.size());
  return rtstr_assign(v, t);
}

// A disposable temporary holding text.
inline RtString *make_temp(const std::string &text) {
  RtString *t = rtstr_new(uint32_t(text.size()), true);
  if (!text.empty()) memcpy(t->bytes, text.data(), text.size());
  return t;
}

inline std::string bytes_of(const RtString *s) {
  return std::string(reinterpret_cast<const char *>(s->bytes), size_t(s->length));
}

// Takes the pending error, if any, so the next operation runs again.
inline uint32_t take_error() { return pending_error.exchange(0); }
