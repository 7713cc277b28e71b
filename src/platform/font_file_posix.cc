// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/filesystem_magic_posix.h"
#include "platform/font_file_native.h"

namespace {

int descriptor(const FontFile& file) { return static_cast<int>(file.handle); }

FileTime file_time(const statx_timestamp& time) { return {time.tv_sec, time.tv_nsec}; }

// Every look at the open file asks the file system itself: FUSE, NFS and CIFS
// clients may otherwise answer from attributes cached up to a second earlier,
// from before the run's own close moved a time. Local file systems answer
// the same either way.
bool look_at(int fd, struct statx& status) {
  return statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS, &status) == 0;
}

FileIdentity identity_of(const struct statx& status) {
  return {static_cast<std::uint64_t>(makedev(status.stx_dev_major, status.stx_dev_minor)),
          static_cast<std::uint64_t>(status.stx_ino)};
}

FileVersion version_of(const struct statx& status) {
  return {static_cast<std::uint64_t>(status.stx_size), file_time(status.stx_ctime),
          file_time(status.stx_mtime)};
}

FileProblem problem_from_errno(int error) {
  switch (error) {
    case EAGAIN:  // also EWOULDBLOCK: the open would have to break another process's lease
    case ETXTBSY:
      return FileProblem::kBusy;
    case ENOENT:
    case ENOTDIR:
      return FileProblem::kMissing;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileProblem::kDenied;
    case EISDIR:
    case ENXIO:
    case ENODEV:
      return FileProblem::kNotRegularFile;
    default:
      return FileProblem::kInputOutput;
  }
}

enum class FilesystemKind {
  kLocal,
  kNetwork,  // leases are refused or mean nothing there; a record lock is what the server shares
  kPseudo,   // proc, sysfs and their kin: their files look regular but are not files
};

template <std::size_t n>
bool among(unsigned long type, const unsigned long (&types)[n]) {
  for (const unsigned long t : types)
    if (t == type) return true;
  return false;
}

FilesystemKind filesystem_kind(int fd) {
  struct statfs filesystem {};
  if (fstatfs(fd, &filesystem) != 0) return FilesystemKind::kLocal;
  const auto type = static_cast<unsigned long>(filesystem.f_type) & 0xFFFFFFFFul;
  if (among(type, kNetworkFilesystems)) return FilesystemKind::kNetwork;
  if (among(type, kPseudoFilesystems)) return FilesystemKind::kPseudo;
  return FilesystemKind::kLocal;
}

bool writes(FileAccess access) { return access == FileAccess::kReadWrite; }

// Only the owner (or root) may open without moving the access time; anyone
// else is refused with EPERM, and then opens the ordinary way.
int open_without_moving_access_time(const char* path, FileAccess access) {
  const int flags = (writes(access) ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const int fd = open(path, flags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return open(path, flags);
}

timespec to_timespec(const FileTime& time, bool wanted) {
  if (!wanted) return {0, UTIME_OMIT};
  return {static_cast<time_t>(time.seconds), static_cast<long>(time.fraction)};
}

std::int64_t monotonic_ms() {
  timespec now{};
  (void)clock_gettime(CLOCK_MONOTONIC, &now);  // cannot fail for CLOCK_MONOTONIC
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1'000'000;
}

// How long the kernel lets a lease holder take before it ends a break by
// force (/proc/sys/fs/lease-break-time, in seconds). Unknown: none at all, so
// a lease being broken never counts as standing.
std::int64_t lease_break_time_ms() {
  std::FILE* setting = std::fopen("/proc/sys/fs/lease-break-time", "re");
  if (setting == nullptr) return 0;
  long seconds = 0;
  if (std::fscanf(setting, "%ld", &seconds) != 1 || seconds < 0) seconds = 0;
  (void)std::fclose(setting);  // only read
  return std::int64_t{seconds} * 1000;
}

// Anything but a regular file is refused before it is opened, as opening some
// devices acts on them, and checked again after the open, for a path that
// changed in between. The open never waits for a pipe's other end nor for
// another process's lease; the descriptor then reads and writes in the
// ordinary blocking way.
FileProblem open_regular_file(const char* path, FileAccess access, int& fd, struct statx& status,
                              FilesystemKind& kind) {
  struct stat before {};
  if (stat(path, &before) != 0) return problem_from_errno(errno);
  if (!S_ISREG(before.st_mode)) return FileProblem::kNotRegularFile;
  fd = open_without_moving_access_time(path, access);
  if (fd < 0) return problem_from_errno(errno);
  kind = filesystem_kind(fd);
  FileProblem problem = FileProblem::kNone;
  if (!look_at(fd, status)) {
    problem = problem_from_errno(errno);
  } else if (!S_ISREG(status.stx_mode) || kind == FilesystemKind::kPseudo) {
    problem = FileProblem::kNotRegularFile;
  } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    // Non-blocking reads on a network or FUSE file could fail with EAGAIN.
    problem = problem_from_errno(errno);
  }
  if (problem != FileProblem::kNone) {
    (void)close(fd);  // nothing was read or written through it
    fd = -1;
  }
  return problem;
}

FileProblem lock_whole_file(int fd, FileAccess access) {
  struct flock lock {};
  lock.l_type = writes(access) ? F_WRLCK : F_RDLCK;  // a read lock still keeps out those who lock to write
  lock.l_whence = SEEK_SET;  // l_start 0 and l_len 0: the whole file, however long it grows
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return FileProblem::kNone;
  return errno == EAGAIN || errno == EACCES ? FileProblem::kBusy : problem_from_errno(errno);
}

// A write lease, which the kernel grants only while no other open of the file
// exists. Where leases are not ours to take (another user's file, a
// filesystem without them), an exclusive advisory lock stands in; on a
// network filesystem, a whole-file record lock that the server shares with
// its other clients. Closing the descriptor gives any of them back.
FileProblem take_hold(int fd, FileAccess access, FilesystemKind kind, bool& leased,
                      std::int64_t& lease_taken_at_ms) {
  leased = false;
  if (kind == FilesystemKind::kNetwork) return lock_whole_file(fd, access);
  if (fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
    leased = true;
    lease_taken_at_ms = monotonic_ms();
    return FileProblem::kNone;
  }
  const int lease_error = errno;
  if (lease_error == EAGAIN) return FileProblem::kBusy;  // someone else has the file open
  // EACCES (not our file) and EINVAL (no leases on this filesystem): keep others out by lock instead.
  if (lease_error != EACCES && lease_error != EINVAL) return problem_from_errno(lease_error);
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return FileProblem::kNone;
  return errno == EWOULDBLOCK ? FileProblem::kBusy : problem_from_errno(errno);
}

}  // namespace

// Linux has no share modes: both holds keep every other open out for as long
// as the kernel lets the lease stand.
FileProblem open_exclusive(const char* path, FileAccess access, Hold /*hold*/, FontFile& file,
                           SavedFileTimes* times) {
  int fd = -1;
  struct statx status {};
  FilesystemKind kind = FilesystemKind::kLocal;
  FileProblem problem = open_regular_file(path, access, fd, status, kind);
  if (problem != FileProblem::kNone) return problem;
  bool leased = false;
  std::int64_t leased_at_ms = 0;
  if (access != FileAccess::kLook) problem = take_hold(fd, access, kind, leased, leased_at_ms);
  if (problem != FileProblem::kNone) {
    (void)close(fd);  // nothing was read or written through it
    return problem;
  }
  file.handle = fd;
  file.leased = leased;
  file.leased_at_ms = leased_at_ms;
  file.identity = identity_of(status);
  file.version = version_of(status);
  if (times != nullptr) *times = {{}, file_time(status.stx_atime), file_time(status.stx_mtime), true};
  return FileProblem::kNone;
}

std::int64_t read_once(const FontFile& file, std::int64_t offset, unsigned char* into, std::size_t length) {
  for (;;) {
    const ssize_t n = pread(descriptor(file), into, length, static_cast<off_t>(offset));
    if (n >= 0 || errno != EINTR) return n;
  }
}

std::int64_t write_once(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                        std::size_t length) {
  for (;;) {
    const ssize_t n = pwrite(descriptor(file), bytes, length, static_cast<off_t>(offset));
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool write_font_file_through(const FontFile& file) { return fsync(descriptor(file)) == 0; }

// Clean pages of the page cache can be dropped, so that the read asks the
// file system: a FUSE or network file system that put a write elsewhere then
// shows it. The kernel drops only whole pages within the range given, so it
// is widened to the pages around it; the rest of the file stays cached.
std::int64_t read_font_file_from_storage(const FontFile& file, std::int64_t offset, unsigned char* into,
                                         std::size_t length) {
  const long page_size = sysconf(_SC_PAGESIZE);
  const std::int64_t page = page_size > 0 ? page_size : 4096;
  const std::int64_t start = offset / page * page;
  const std::int64_t end = (offset + static_cast<std::int64_t>(length) + page - 1) / page * page;
  (void)posix_fadvise(descriptor(file), static_cast<off_t>(start), static_cast<off_t>(end - start),
                      POSIX_FADV_DONTNEED);  // only advice
  return read_font_file(file, offset, into, length);
}

bool tell_font_file_version(const FontFile& file, FileVersion& version) {
  struct statx status {};
  if (!look_at(descriptor(file), status)) return false;
  version = version_of(status);
  return true;
}

bool font_file_still_held(const FontFile& file) {
  if (!file.leased) return true;
  // A lease being broken answers what it is being broken to. F_RDLCK: another
  // program opens the file to read (an indexer woken by the write, say); it
  // changes nothing, and writers are still kept out until the run's close.
  // F_UNLCK: one opens it to write, or truncates it. -1: the lease is gone.
  // But a break that ran out also leaves F_RDLCK, after letting in whatever
  // open was waiting, a truncating one among them: F_RDLCK proves writers
  // kept out only while no break begun since the lease can have run out.
  const int lease = fcntl(descriptor(file), F_GETLEASE);
  // The break time is read only then, as the answer is rarely F_RDLCK.
  if (lease == F_RDLCK) return monotonic_ms() - file.leased_at_ms < lease_break_time_ms();
  return lease == F_WRLCK;
}

FileProblem set_font_file_times(const FontFile& file, const SavedFileTimes& times, unsigned which) {
  const timespec values[2] = {to_timespec(times.last_access, (which & kLastAccessTime) != 0),
                              to_timespec(times.last_write, (which & kLastWriteTime) != 0)};
  if (futimens(descriptor(file), values) == 0) return FileProblem::kNone;
  const int error = errno;
  // Only the owner may set the times: on another user's file that is no
  // failure. The owner (or root) refused is, as by a filesystem that keeps
  // times its own way.
  struct statx status {};
  const bool another_users =
      look_at(descriptor(file), status) && geteuid() != 0 && status.stx_uid != geteuid();
  if ((error == EPERM || error == EACCES) && another_users) return FileProblem::kNone;
  return problem_from_errno(error);
}

bool close_font_file(FontFile& file) {
  // Linux frees the descriptor even when close reports a failure: never close it twice.
  const bool closed = close(descriptor(file)) == 0;
  file.handle = -1;
  return closed;
}
