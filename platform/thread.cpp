// Threads over pthreads.
#include "platform/thread.h"

#include <pthread.h>

static void *thread_body(void *fn) {
  reinterpret_cast<void (*)()>(fn)();
  return nullptr;
}

bool plat_thread_start(void (*fn)()) {
  pthread_t id;
  if (pthread_create(&id, nullptr, thread_body, reinterpret_cast<void *>(fn)) != 0) return false;
  pthread_detach(id);
  return true;
}
