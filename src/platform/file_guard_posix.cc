// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/exclusive_open_posix.h"
#include "platform/file_guard.h"

namespace {

// Access and modification times. Linux cannot set a creation time, and the
// run never changes it. Until a capture has read them, a restore leaves the
// times alone rather than setting them to 1970.
struct SavedFileTimes {
  timespec last_access{0, UTIME_OMIT};
  timespec last_write{0, UTIME_OMIT};
};

SavedFileTimes saved;

}  // namespace

namespace file_guard {

bool capture(const char* path, FileIdentity& checked) {
  ExclusiveFile file = open_exclusive(path, O_RDONLY);
  if (file.fd < 0) return false;
  saved = {file.status.st_atim, file.status.st_mtim};
  checked = identity_of(file.status);
  close_exclusive(file);
  return true;
}

bool restore(const char* path, const FileIdentity& checked) {
  ExclusiveFile file = open_exclusive(path, O_WRONLY);
  if (file.fd < 0) return false;
  const bool same_file = identity_of(file.status) == checked;
  if (same_file) {
    const timespec times[2] = {saved.last_access, saved.last_write};
    // Only the owner (or root) may set the times; on another user's writable
    // file they stay as the run's write left them, and that is no failure.
    (void)futimens(file.fd, times);
  }
  close_exclusive(file);
  return same_file;
}

}  // namespace file_guard
