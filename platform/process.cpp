// The running process over /proc and POSIX.
#include "platform/process.h"

#include <fenv.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

extern char **environ;

bool plat_module_path(char *buffer, size_t size) {
  if (size == 0) return false;
  ssize_t n = readlink("/proc/self/exe", buffer, size - 1);
  if (n <= 0) return false;
  buffer[n] = 0;
  return true;
}

bool plat_chdir(const char *path) { return chdir(path) == 0; }

int plat_environment_size() {
  int n = 0;
  if (environ)
    while (environ[n]) n++;
  return n;
}

void plat_fpu_extended_precision() {
  // x87 precision control bits 8-9 = 11: 64-bit mantissa for long double work.
  unsigned short cw;
  __asm__ volatile("fnstcw %0" : "=m"(cw));
  cw = (unsigned short)(cw | 0x300);
  __asm__ volatile("fldcw %0" : : "m"(cw));
}

void plat_route_arith_fault(void (*handler)(int)) { signal(SIGFPE, handler); }

// exit() would run the toolkit's own teardown on this thread while the display
// thread is still inside its event loop: freeglut then reports itself uninitialised
// and ends the process with 1, or crashes. Output is flushed, nothing else is owed.
void plat_exit(int code) {
  fflush(nullptr);
  _exit(code);
}
