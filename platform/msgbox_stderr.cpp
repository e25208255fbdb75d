// Message boxes, stand-in: caption and text to standard error, answered 0.
#include "platform/msgbox.h"

#include <atomic>
#include <cstdio>

static std::atomic<PlatMessageBoxHook> message_box_hook{nullptr};

void plat_message_box_set_hook(PlatMessageBoxHook hook) { message_box_hook.store(hook); }

int plat_message_box(const char *text, const char *caption, unsigned flags) {
  if (PlatMessageBoxHook hook = message_box_hook.load()) return hook(text, caption, flags);
  fprintf(stderr, "%s\n%s\n", caption, text);
  return 0;
}
