// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <unistd.h>

#include "platform/disk_file.h"
#include "platform/exclusive_open_posix.h"

FileProblem open_disk_file(const char* path, DiskFile& file) {
  OpenedFile opened = open_exclusive(path, O_RDWR);
  if (opened.fd < 0) return opened.problem;
  file.stream = fdopen(opened.fd, "rb+");
  if (file.stream == nullptr) {
    close_exclusive(opened);  // nothing was read or written through it
    return FileProblem::kInputOutput;
  }
  file.identity = identity_of(opened.status);
  file.version = version_of(opened.status);
  return FileProblem::kNone;
}

bool disk_file_version(std::FILE* stream, FileVersion& version) {
  struct stat status {};
  if (fstat(fileno(stream), &status) != 0) return false;
  version = version_of(status);
  return true;
}

bool write_through(std::FILE* stream) { return std::fflush(stream) == 0 && fsync(fileno(stream)) == 0; }
