// SPDX-License-Identifier: MIT
#include "platform/exclusive_open_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Filesystem magic numbers (linux/magic.h and the filesystems' own sources).
constexpr unsigned long kNetworkFilesystems[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x73757245,  // Coda
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x00C36400,  // Ceph
    0x01021997,  // 9P
    0x0BD00BD0,  // Lustre
    0x01161970,  // GFS2
    0x7461636F,  // OCFS2
};
constexpr unsigned long kPseudoFilesystems[] = {
    0x9FA0,      // proc
    0x62656572,  // sysfs
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0x0027E0EB,  // cgroup
    0x63677270,  // cgroup2
    0x6165676C,  // pstore
    0x62656570,  // configfs
    0xDE5E81E4,  // efivarfs
    0xCAFE4A11,  // bpf
    0x00001CD1,  // devpts
    0xF97CFF8C,  // selinuxfs
    0x42494E4D,  // binfmt_misc
    0x65735543,  // fusectl
    0x00009FA2,  // usbdevfs
    0x00006E73,  // nsfs
};

template <std::size_t n>
bool among(unsigned long type, const unsigned long (&types)[n]) {
  for (const unsigned long t : types)
    if (t == type) return true;
  return false;
}

// An open by another process breaks our lease and sends SIGIO, whose default
// action would end the tool in the middle of a step. The tool has no other use
// for it, so it stays ignored from the first hold on; sigaction cannot fail
// for SIGIO with a valid action.
void ignore_lease_breaks() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  (void)sigaction(SIGIO, &ignore, nullptr);
}

FileProblem lock_whole_file(int fd, int flags) {
  struct flock lock {};
  lock.l_type = (flags & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
  lock.l_whence = SEEK_SET;  // l_start 0 and l_len 0: the whole file, however long it grows
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return FileProblem::kNone;
  return errno == EAGAIN || errno == EACCES ? FileProblem::kBusy : problem_from_errno(errno);
}

FileProblem take_hold(const OpenedFile& file, int flags) {
  if (file.filesystem == FilesystemKind::kNetwork) return lock_whole_file(file.fd, flags);
  ignore_lease_breaks();
  if (fcntl(file.fd, F_SETLEASE, F_WRLCK) == 0) return FileProblem::kNone;
  const int lease_error = errno;
  if (lease_error == EAGAIN) return FileProblem::kBusy;  // someone else has the file open
  // EACCES (not our file) and EINVAL (no leases on this filesystem): keep others out by lock instead.
  if (lease_error != EACCES && lease_error != EINVAL) return problem_from_errno(lease_error);
  if (flock(file.fd, LOCK_EX | LOCK_NB) == 0) return FileProblem::kNone;
  return errno == EWOULDBLOCK ? FileProblem::kBusy : problem_from_errno(errno);
}

}  // namespace

FilesystemKind filesystem_kind(int fd) {
  struct statfs filesystem {};
  if (fstatfs(fd, &filesystem) != 0) return FilesystemKind::kLocal;
  const auto type = static_cast<unsigned long>(filesystem.f_type) & 0xFFFFFFFFul;
  if (among(type, kNetworkFilesystems)) return FilesystemKind::kNetwork;
  if (among(type, kPseudoFilesystems)) return FilesystemKind::kPseudo;
  return FilesystemKind::kLocal;
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

OpenedFile open_regular_file(const char* path, int flags) {
  OpenedFile file;
  struct stat before {};
  if (stat(path, &before) != 0) {
    file.problem = problem_from_errno(errno);
    return file;
  }
  if (!S_ISREG(before.st_mode)) {
    file.problem = FileProblem::kNotRegularFile;
    return file;
  }
  file.fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file.fd < 0) {
    file.problem = problem_from_errno(errno);
    return file;
  }
  file.filesystem = filesystem_kind(file.fd);
  if (fstat(file.fd, &file.status) != 0) {
    file.problem = problem_from_errno(errno);
  } else if (!S_ISREG(file.status.st_mode) || file.filesystem == FilesystemKind::kPseudo) {
    file.problem = FileProblem::kNotRegularFile;
  } else if (fcntl(file.fd, F_SETFL, fcntl(file.fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    // Non-blocking reads on a network or FUSE file could fail with EAGAIN.
    file.problem = problem_from_errno(errno);
  }
  if (file.problem != FileProblem::kNone) {
    (void)close(file.fd);  // nothing was read or written through it
    file.fd = -1;
  }
  return file;
}

OpenedFile open_exclusive(const char* path, int flags) {
  OpenedFile file = open_regular_file(path, flags);
  if (file.fd < 0) return file;
  file.problem = take_hold(file, flags);
  if (file.problem != FileProblem::kNone) {
    (void)close(file.fd);  // nothing was read or written through it
    file.fd = -1;
  }
  return file;
}

void close_exclusive(OpenedFile& file) {
  // The guard never writes file data through this descriptor, so its close has nothing to lose.
  (void)close(file.fd);
  file.fd = -1;
}
