// SPDX-License-Identifier: MIT
#include "platform/exclusive_open_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace {

// An open by another process breaks our lease and sends SIGIO, whose default
// action would end the tool in the middle of a step. It is ignored while the
// lease is held. sigaction cannot fail for SIGIO with a valid action, so its
// result is not looked at.
bool take_lease(ExclusiveFile& file) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  (void)sigaction(SIGIO, &ignore, &file.sigio_before);
  file.lease_held = fcntl(file.fd, F_SETLEASE, F_WRLCK) == 0;
  if (file.lease_held) return true;
  const int lease_error = errno;
  (void)sigaction(SIGIO, &file.sigio_before, nullptr);
  // EAGAIN: someone else has the file open. EACCES (not our file) and EINVAL
  // (no leases on this filesystem): keep others out by lock instead.
  if (lease_error != EACCES && lease_error != EINVAL) return false;
  return flock(file.fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

int open_regular_file(const char* path, int flags, struct stat& status) {
  const int fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) return fd;
  (void)close(fd);  // nothing was read or written through it
  return -1;
}

ExclusiveFile open_exclusive(const char* path, int flags) {
  ExclusiveFile file;
  file.fd = open_regular_file(path, flags, file.status);
  if (file.fd >= 0 && !take_lease(file)) {
    (void)close(file.fd);  // nothing was read or written through it
    file.fd = -1;
  }
  return file;
}

void close_exclusive(ExclusiveFile& file) {
  if (file.lease_held) {
    // Closing the descriptor ends the lease anyway; this only orders it before the handler comes back.
    (void)fcntl(file.fd, F_SETLEASE, F_UNLCK);
    (void)sigaction(SIGIO, &file.sigio_before, nullptr);
    file.lease_held = false;
  }
  // The guard never writes file data through this descriptor, so its close has nothing to lose.
  (void)close(file.fd);
  file.fd = -1;
}
