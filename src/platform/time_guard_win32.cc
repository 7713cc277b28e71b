#include <windows.h>

#include "platform/time_guard.h"

namespace {

// Zero leaves a time unchanged, so a restore without a capture changes nothing.
struct SavedFileTimes {
  FILETIME creation{};
  FILETIME last_access{};
  FILETIME last_write{};
};

SavedFileTimes saved;

// No sharing at all: the open fails while any other process has the file open.
HANDLE open_exclusive(const char* path, DWORD access) {
  return CreateFileA(path, access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

namespace time_guard {

bool capture(const char* path) {
  const HANDLE file = open_exclusive(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  // The times first: asking for the file type can read the file and move its access time.
  GetFileTime(file, &saved.creation, &saved.last_access, &saved.last_write);
  // A pipe or device is not a font file, and may never end.
  const bool on_disk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return on_disk;
}

bool restore(const char* path) {
  const HANDLE file = open_exclusive(path, GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return false;
  SetFileTime(file, &saved.creation, &saved.last_access, &saved.last_write);
  CloseHandle(file);
  return true;
}

}  // namespace time_guard
