// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/file_guard.h"
#include "platform/handle_identity_win32.h"
#include "platform/wide_text_win32.h"

namespace {

// No sharing at all: the open fails while any other process has the file open.
HANDLE open_unshared(const char* path, DWORD access) {
  return CreateFileW(wide_from_utf8(path).c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

std::int64_t from_filetime(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

FILETIME to_filetime(std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  return {static_cast<DWORD>(bits & 0xFFFFFFFFu), static_cast<DWORD>(bits >> 32)};
}

}  // namespace

namespace file_guard {

FileProblem capture(const char* path, CheckedFile& checked) {
  const HANDLE file = open_unshared(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) return problem_from_last_error();
  // The times first: asking for the file type can read the file and move its
  // access time. A failed query leaves zeros, which the restore then leaves alone.
  FILETIME creation{}, last_access{}, last_write{};
  (void)GetFileTime(file, &creation, &last_access, &last_write);
  checked.times = {from_filetime(creation), from_filetime(last_access), from_filetime(last_write), true};
  FileProblem problem = FileProblem::kNone;
  if (!handle_identity(file, checked.identity, checked.version)) problem = FileProblem::kInputOutput;
  if (problem == FileProblem::kNone && !is_disk_file(file)) problem = FileProblem::kNotRegularFile;
  (void)CloseHandle(file);  // a handle that was only read from
  return problem;
}

FileProblem restore(const char* path, const CheckedFile& checked, const FileVersion& left_by_run) {
  // Write access alone may not read the attributes that name the file.
  const HANDLE file = open_unshared(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return problem_from_last_error();
  FileIdentity identity;
  FileVersion version;
  FileProblem problem = FileProblem::kNone;
  // The checked file is a disk file; asking the type again would move another file's access time.
  if (!handle_identity(file, identity, version)) {
    problem = FileProblem::kInputOutput;
  } else if (identity != checked.identity || version != left_by_run) {
    problem = FileProblem::kChangedByAnother;
  } else if (checked.times.saved) {
    const FILETIME creation = to_filetime(checked.times.creation),
                   last_access = to_filetime(checked.times.last_access),
                   last_write = to_filetime(checked.times.last_write);
    // Times only the owner may set stay as the run left them on another user's file; that is no failure.
    if (!SetFileTime(file, &creation, &last_access, &last_write) && GetLastError() != ERROR_ACCESS_DENIED)
      problem = problem_from_last_error();
  }
  (void)CloseHandle(file);
  return problem;
}

}  // namespace file_guard
