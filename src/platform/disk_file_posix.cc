// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/disk_file.h"
#include "platform/exclusive_open_posix.h"

std::FILE* open_disk_file(const char* path, FileIdentity& identity) {
  // Non-blocking: an open that would have to break another process's lease
  // fails at once instead of waiting out the kernel's lease-break time, and a
  // pipe cannot hold the tool before the check below.
  const int fd = open(path, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  std::FILE* stream = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) stream = fdopen(fd, "rb+");
  if (stream == nullptr) {
    (void)close(fd);  // nothing was read or written through it
    return nullptr;
  }
  identity = identity_of(status);
  return stream;
}

bool write_through(std::FILE* stream) { return std::fflush(stream) == 0 && fsync(fileno(stream)) == 0; }
