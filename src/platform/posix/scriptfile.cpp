// scriptfile.cpp - opening script files: a failed lookup is one open() that allocates
// nothing, and only a regular file is taken for a script: a folder, a FIFO (opened without
// waiting for a writer) or a device that happens to carry a script's name is not.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform.h"

namespace vesk::platform {

FILE* openforreading(char const* path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  FILE* file = fdopen(fd, "r");
  if (file == nullptr) close(fd);
  return file;
}

} // namespace vesk::platform
