// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/file_guard.h"
#include "platform/handle_identity_win32.h"

namespace {

// Zero leaves a time unchanged, so a restore without a capture changes nothing.
struct SavedFileTimes {
  FILETIME creation{};
  FILETIME last_access{};
  FILETIME last_write{};
};

SavedFileTimes saved;

// No sharing at all: the open fails while any other process has the file open.
HANDLE open_unshared(const char* path, DWORD access) {
  return CreateFileA(path, access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

namespace file_guard {

bool capture(const char* path, FileIdentity& checked) {
  const HANDLE file = open_unshared(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  // The times first: asking for the file type can read the file and move its
  // access time. A failed query leaves zeros, which the restore then leaves alone.
  (void)GetFileTime(file, &saved.creation, &saved.last_access, &saved.last_write);
  const bool taken = handle_identity(file, checked) && is_disk_file(file);
  (void)CloseHandle(file);  // a handle that was only read from
  return taken;
}

bool restore(const char* path, const FileIdentity& checked) {
  // Write access alone may not read the attributes that name the file.
  const HANDLE file = open_unshared(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return false;
  FileIdentity opened;
  // The checked file is a disk file; asking the type again would move another file's access time.
  const bool same_file = handle_identity(file, opened) && opened == checked;
  // Times that cannot be set stay as the run left them; that is not reported.
  if (same_file) (void)SetFileTime(file, &saved.creation, &saved.last_access, &saved.last_write);
  (void)CloseHandle(file);
  return same_file;
}

}  // namespace file_guard
