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

ExclusiveFile open_exclusive(const char* path, int flags) {
  ExclusiveFile file;
  // Non-blocking, so a pipe without a writer cannot hold the tool before the check below.
  file.fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file.fd < 0) return file;
  if (fstat(file.fd, &file.status) != 0 || !S_ISREG(file.status.st_mode) || !take_lease(file)) {
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
