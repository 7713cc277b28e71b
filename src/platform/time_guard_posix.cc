#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/exclusive_open_posix.h"
#include "platform/time_guard.h"

namespace {

// Access and modification times. Linux cannot set a creation time, and the
// run never changes it. Until a capture has read them, a restore leaves the
// times alone rather than setting them to 1970.
struct SavedFileTimes {
  timespec last_access{0, UTIME_OMIT};
  timespec last_write{0, UTIME_OMIT};
};

SavedFileTimes saved;

// An open by another process breaks our lease and sends SIGIO, whose default
// action would end the tool in the middle of a step. It is ignored while the
// lease is held.
struct sigaction sigio_before;
bool lease_held = false;

bool take_lease(int fd) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGIO, &ignore, &sigio_before);
  lease_held = fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
  if (lease_held) return true;
  const int lease_error = errno;
  sigaction(SIGIO, &sigio_before, nullptr);
  // EAGAIN: someone else has the file open. EACCES (not our file) and EINVAL
  // (no leases on this filesystem): keep others out by lock instead.
  if (lease_error != EACCES && lease_error != EINVAL) return false;
  return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

int open_exclusive(const char* path, int flags, struct stat* status) {
  // Non-blocking, so a pipe without a writer cannot hold the tool before the check below.
  const int fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat checked {};
  if (fstat(fd, &checked) != 0 || !S_ISREG(checked.st_mode) || !take_lease(fd)) {
    close(fd);
    return -1;
  }
  if (status != nullptr) *status = checked;
  return fd;
}

void close_exclusive(int fd) {
  if (lease_held) {
    fcntl(fd, F_SETLEASE, F_UNLCK);
    sigaction(SIGIO, &sigio_before, nullptr);
    lease_held = false;
  }
  close(fd);
}

namespace time_guard {

bool capture(const char* path) {
  struct stat status {};
  const int fd = open_exclusive(path, O_RDONLY, &status);
  if (fd < 0) return false;
  saved = {status.st_atim, status.st_mtim};
  close_exclusive(fd);
  return true;
}

bool restore(const char* path) {
  const int fd = open_exclusive(path, O_WRONLY);
  if (fd < 0) return false;
  const timespec times[2] = {saved.last_access, saved.last_write};
  futimens(fd, times);
  close_exclusive(fd);
  return true;
}

}  // namespace time_guard
