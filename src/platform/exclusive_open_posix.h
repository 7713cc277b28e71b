// SPDX-License-Identifier: MIT
// Linux's nearest equivalent of opening a file with no sharing at all.
#pragma once

#include <signal.h>
#include <sys/stat.h>

#include "platform/file_identity.h"

// Opens `path` with `flags` plus O_NONBLOCK, O_NOCTTY and O_CLOEXEC, and keeps
// it only if it is a regular file; `status` receives what was checked. Never
// waits: not for a pipe's other end, nor for another process's lease.
// -1 on failure.
int open_regular_file(const char* path, int flags, struct stat& status);

// A file held so that no other process has it open, with what the hold needs
// to give it back.
struct ExclusiveFile {
  int fd = -1;                       // -1: not opened
  bool lease_held = false;           // false: held by an exclusive advisory lock instead
  struct sigaction sigio_before {};  // put back when the lease is given up
  struct stat status {};             // as checked at the open: a regular file
};

// Opens `path` with `flags` (O_RDONLY or O_WRONLY) and holds it: a write
// lease, which the kernel grants only while no other open of the file exists.
// Where leases are not available to us (not the owner, or a filesystem without
// them), an exclusive advisory lock stands in. Refuses anything but a regular
// file. fd is -1 on failure.
ExclusiveFile open_exclusive(const char* path, int flags);

// Gives the file back and closes it.
void close_exclusive(ExclusiveFile& file);

inline FileIdentity identity_of(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}
