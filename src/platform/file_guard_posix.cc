// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/exclusive_open_posix.h"
#include "platform/file_guard.h"

namespace {

timespec from_nanoseconds(std::int64_t ns) {
  std::int64_t seconds = ns / 1'000'000'000, rest = ns % 1'000'000'000;
  if (rest < 0) rest += 1'000'000'000, --seconds;  // a time before 1970
  return {static_cast<time_t>(seconds), static_cast<long>(rest)};
}

// Access and modification times: Linux cannot set a creation time, and the
// run never changes it.
FileProblem write_times(int fd, const SavedFileTimes& times) {
  const timespec values[2] = {from_nanoseconds(times.last_access), from_nanoseconds(times.last_write)};
  if (futimens(fd, values) == 0) return FileProblem::kNone;
  // Only the owner (or root) may set the times; on another user's writable
  // file they stay as the run's write left them, and that is no failure.
  if (errno == EPERM || errno == EACCES) return FileProblem::kNone;
  return problem_from_errno(errno);
}

}  // namespace

namespace file_guard {

FileProblem capture(const char* path, CheckedFile& checked) {
  // On an overlay filesystem (containers) the first open for writing copies
  // a lower layer's file up, which gives it a new change time. Opened for
  // writing here, where the user may, the file is copied up before the
  // capture notes how it looks, so the run's own copy-up is never taken for
  // another program's change. Copy-up keeps the access and write times.
  OpenedFile file = open_exclusive(path, O_RDWR);
  if (file.problem == FileProblem::kDenied) file = open_exclusive(path, O_RDONLY);
  if (file.fd < 0) return file.problem;
  checked.identity = identity_of(file.status);
  checked.version = version_of(file.status);
  checked.times = {0, nanoseconds(file.status.st_atim), nanoseconds(file.status.st_mtim), true};
  close_exclusive(file);
  return FileProblem::kNone;
}

FileProblem restore(const char* path, const CheckedFile& checked, const FileVersion& left_by_run) {
  OpenedFile file = open_exclusive(path, O_WRONLY);
  if (file.fd < 0) return file.problem;
  FileProblem problem = FileProblem::kNone;
  if (identity_of(file.status) != checked.identity || version_of(file.status) != left_by_run) {
    problem = FileProblem::kChangedByAnother;
  } else if (checked.times.saved) {
    problem = write_times(file.fd, checked.times);
  }
  close_exclusive(file);
  return problem;
}

}  // namespace file_guard
