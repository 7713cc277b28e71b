// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <unistd.h>

#include "platform/disk_file.h"
#include "platform/exclusive_open_posix.h"

std::FILE* open_disk_file(const char* path, FileIdentity& identity) {
  // Non-blocking: an open that would have to break another process's lease
  // fails at once instead of waiting out the kernel's lease-break time.
  struct stat status {};
  const int fd = open_regular_file(path, O_RDWR, status);
  if (fd < 0) return nullptr;
  std::FILE* stream = fdopen(fd, "rb+");
  if (stream == nullptr) {
    (void)close(fd);  // nothing was read or written through it
    return nullptr;
  }
  identity = identity_of(status);
  return stream;
}

bool write_through(std::FILE* stream) { return std::fflush(stream) == 0 && fsync(fileno(stream)) == 0; }
