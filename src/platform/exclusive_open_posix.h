// SPDX-License-Identifier: MIT
// Linux's nearest equivalent of opening a file with no sharing at all.
#pragma once

#include <sys/stat.h>

#include "platform/file_identity.h"

// Where a file lives, as far as opening and holding it goes.
enum class FilesystemKind {
  kLocal,
  kNetwork,  // leases are refused or mean nothing there; a record lock is what the server shares
  kPseudo,   // proc, sysfs and their kin: their files look regular but are not files
};
FilesystemKind filesystem_kind(int fd);

struct OpenedFile {
  int fd = -1;  // -1: not opened, see `problem`
  FileProblem problem = FileProblem::kNone;
  struct stat status {};  // as checked at the open: a regular file
  FilesystemKind filesystem = FilesystemKind::kLocal;
};

// Opens `path` with `flags` (O_RDONLY, O_WRONLY or O_RDWR) if it is a regular
// file on a real filesystem. Anything else is refused before it is opened,
// as opening some devices acts on them, and checked again after the open, for
// a path that changed in between. The open never waits, neither for a pipe's
// other end nor for another process's lease, and the descriptor it returns
// reads and writes in the ordinary blocking way.
OpenedFile open_regular_file(const char* path, int flags);

// The same, and the file held so that no other process has it open: a write
// lease, which the kernel grants only while no other open of the file exists.
// Where leases are not ours to take (another user's file, a filesystem
// without them), an exclusive advisory lock stands in; on a network
// filesystem, a whole-file record lock that the server shares with its other
// clients (read lock for O_RDONLY, write lock otherwise).
OpenedFile open_exclusive(const char* path, int flags);

// Gives the hold back (closing the descriptor ends lease and locks) and closes it.
void close_exclusive(OpenedFile& file);

FileProblem problem_from_errno(int error);

inline FileIdentity identity_of(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

inline std::int64_t nanoseconds(const timespec& time) {
  return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec;
}

inline FileVersion version_of(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_ctim)};
}
