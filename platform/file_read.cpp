// Reading a whole file into memory, over POSIX files.
#include "platform/file_read.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// BASIC programs write DOS paths; here the separator is '/'. A NUL inside the name
// would silently cut it, so such a name opens nothing.
static char *posix_name(const uint8_t *name, int32_t length) {
  if (length <= 0 || memchr(name, 0, size_t(length))) return nullptr;
  char *path = static_cast<char *>(malloc(size_t(length) + 1));
  if (!path) return nullptr;
  for (int32_t i = 0; i < length; i++) path[i] = name[i] == '\\' ? '/' : char(name[i]);
  path[length] = 0;
  return path;
}

static bool read_all(int fd, uint8_t *buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = read(fd, buffer + done, size - done);
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

bool plat_read_whole_file(const uint8_t *name, int32_t length, uint8_t **data, size_t *size) {
  char *path = posix_name(name, length);
  if (!path) return false;
  int fd = open(path, O_RDONLY);
  free(path);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  size_t n = ok ? size_t(info.st_size) : 0;
  uint8_t *buffer = ok ? static_cast<uint8_t *>(malloc(n ? n : 1)) : nullptr;
  ok = buffer && read_all(fd, buffer, n);
  close(fd);
  if (!ok) {
    free(buffer);
    return false;
  }
  *data = buffer;
  *size = n;
  return true;
}
