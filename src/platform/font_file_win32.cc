// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/font_file_native.h"
#include "platform/wide_text_win32.h"

namespace {

HANDLE handle_of(const FontFile& file) { return reinterpret_cast<HANDLE>(file.handle); }

// FILETIME counts 100 ns units: 10,000,000 to the second.
constexpr std::uint64_t kUnitsPerSecond = 10'000'000;

FileTime split_at_second(std::uint64_t units) {
  return {static_cast<std::int64_t>(units / kUnitsPerSecond),
          static_cast<std::uint32_t>(units % kUnitsPerSecond)};
}

std::uint64_t joined(const FileTime& time) {
  return static_cast<std::uint64_t>(time.seconds) * kUnitsPerSecond + time.fraction;
}

// False if the handle will not tell (a pipe or device may not). This reads no
// data, unlike GetFileType, which moves the access time under Wine.
bool handle_identity(HANDLE file, FileIdentity& identity, FileVersion& version) {
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandle(file, &info) ||
      !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
    return false;
  identity = {info.dwVolumeSerialNumber,
              (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  version = {(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
             split_at_second(static_cast<std::uint64_t>(basic.ChangeTime.QuadPart)),
             split_at_second(static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart))};
  return true;
}

FileProblem problem_from_last_error() {
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileProblem::kBusy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return FileProblem::kMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileProblem::kDenied;
    default:
      return FileProblem::kInputOutput;
  }
}

DWORD desired_access(FileAccess access) {
  switch (access) {
    case FileAccess::kCheck:
    case FileAccess::kRead:
      return GENERIC_READ;
    case FileAccess::kLook:
      return FILE_READ_ATTRIBUTES;
    case FileAccess::kSetTimes:
      // Reading keeps the share mode in force; the times need only this, not
      // write access to the data.
      return GENERIC_READ | FILE_WRITE_ATTRIBUTES;
    case FileAccess::kReadWrite:
      break;
  }
  return GENERIC_READ | GENERIC_WRITE;
}

FileTime from_filetime(const FILETIME& time) {
  return split_at_second((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME to_filetime(const FileTime& time) {
  const std::uint64_t bits = joined(time);
  return {static_cast<DWORD>(bits & 0xFFFFFFFFu), static_cast<DWORD>(bits >> 32)};
}

// Who else may open the file meanwhile: a look excludes no one.
DWORD sharing_for(FileAccess access, Hold hold) {
  if (access == FileAccess::kLook) return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  return hold == Hold::kAlone ? 0 : FILE_SHARE_READ;
}

// A synchronous handle reads and writes at the offset an OVERLAPPED names.
OVERLAPPED at(std::int64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return where;
}

// One call moves at most this much, as DWORD counts allow.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

DWORD part_of(std::size_t left) { return static_cast<DWORD>(left < kLargestCall ? left : kLargestCall); }

bool starts_with(const wchar_t* text, const wchar_t* start) {
  while (*start != L'\0')
    if (*text++ != *start++) return false;
  return true;
}

// \\?\ (a name passed on as it is) or \\.\ (a device).
bool in_long_or_device_form(const wchar_t* name) {
  return starts_with(name, L"\\\\?\\") || starts_with(name, L"\\\\.\\");
}

// Appends `text` at `at`, and the end after it; false if that does not fit.
bool append(wchar_t (&full)[kLongestPath], int& at, const wchar_t* text) {
  for (; *text != L'\0'; ++text) {
    if (at == kLongestPath - 1) return false;
    full[at++] = *text;
  }
  full[at] = L'\0';
  return true;
}

// Windows refuses a name of MAX_PATH (260) characters or more unless it is
// absolute and in the \\?\ form, or the program opts in to long paths and
// the machine has them switched on, which it does not by default (CreateFileW;
// "Maximum Path Length Limitation"). So every open uses the name's full form
// with that prefix, made by GetFullPathNameW, which also settles a relative
// name, "/" separators, "." and "..", and trailing dots and spaces as Windows
// would; a network name becomes \\?\UNC\server\share\... A name in the
// \\?\ or \\.\ form stands as it is, so devices keep their form (and are
// refused). False if the full form does not fit.
bool long_form(const wchar_t* name, wchar_t (&full)[kLongestPath]) {
  wchar_t resolved[kLongestPath];
  const wchar_t* source = name;
  if (!in_long_or_device_form(name)) {
    const DWORD length = GetFullPathNameW(name, kLongestPath, resolved, nullptr);
    if (length == 0 || length >= kLongestPath) return false;
    source = resolved;
  }
  const wchar_t* prefix = L"";
  if (in_long_or_device_form(source)) {
    // Already the long form, or a device ("NUL" resolves to \\.\NUL).
  } else if (starts_with(source, L"\\\\")) {
    prefix = L"\\\\?\\UNC";
    source += 1;  // \\server\share becomes \\?\UNC\server\share
  } else {
    prefix = L"\\\\?\\";
  }
  int at = 0;
  return append(full, at, prefix) && append(full, at, source);
}

}  // namespace

FileProblem open_exclusive(const char* path, FileAccess access, Hold hold, FontFile& file,
                           SavedFileTimes* times) {
  wchar_t wide[kLongestPath], full[kLongestPath];
  if (!wide_from_utf8(path, wide) || !long_form(wide, full)) return FileProblem::kMissing;
  const HANDLE handle = CreateFileW(full, desired_access(access), sharing_for(access, hold), nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return problem_from_last_error();
  // The times first: asking for the file type can read the file and move its
  // access time. A failed query leaves zeros, which the restore then leaves alone.
  if (times != nullptr) {
    FILETIME creation{}, last_access{}, last_write{};
    (void)GetFileTime(handle, &creation, &last_access, &last_write);
    *times = {from_filetime(creation), from_filetime(last_access), from_filetime(last_write), true};
  }
  FileProblem problem = FileProblem::kNone;
  if (!handle_identity(handle, file.identity, file.version)) {
    problem = FileProblem::kInputOutput;
  } else if (access == FileAccess::kCheck && GetFileType(handle) != FILE_TYPE_DISK) {
    // A pipe or device is no font and may never end. Asked at the guard's
    // first moment only, after its times were read: under Wine the question
    // moves the access time. The later opens must reach the file checked
    // then, which the run makes sure of before anything is read.
    problem = FileProblem::kNotRegularFile;
  }
  if (problem != FileProblem::kNone) {
    (void)CloseHandle(handle);  // nothing was read or written through it
    return problem;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  return FileProblem::kNone;
}

std::int64_t read_once(const FontFile& file, std::int64_t offset, unsigned char* into, std::size_t length) {
  OVERLAPPED where = at(offset);
  DWORD n = 0;
  if (ReadFile(handle_of(file), into, part_of(length), &n, &where)) return n;
  return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

std::int64_t write_once(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                        std::size_t length) {
  OVERLAPPED where = at(offset);
  DWORD n = 0;
  return WriteFile(handle_of(file), bytes, part_of(length), &n, &where) ? n : -1;
}

bool write_font_file_through(const FontFile& file) { return FlushFileBuffers(handle_of(file)) != 0; }

// An unbuffered handle reads whole sectors into aligned memory: the 4 KiB
// blocks around the range (VirtualAlloc gives whole pages). Where no such
// handle can be had, the ordinary read is all there is.
std::int64_t read_font_file_from_storage(const FontFile& file, std::int64_t offset, unsigned char* into,
                                         std::size_t length) {
  constexpr std::int64_t kBlock = 4096;
  const HANDLE unbuffered =
      ReOpenFile(handle_of(file), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_NO_BUFFERING);
  if (unbuffered == INVALID_HANDLE_VALUE) return read_font_file(file, offset, into, length);
  const std::int64_t start = offset / kBlock * kBlock;
  const std::int64_t end = (offset + static_cast<std::int64_t>(length) + kBlock - 1) / kBlock * kBlock;
  const auto span = static_cast<std::size_t>(end - start);
  void* blocks = VirtualAlloc(nullptr, span, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  std::int64_t got = -1;
  if (blocks != nullptr) {
    FontFile direct;
    direct.handle = reinterpret_cast<std::intptr_t>(unbuffered);
    const std::int64_t read = read_font_file(direct, start, static_cast<unsigned char*>(blocks), span);
    if (read >= 0) {
      const std::int64_t past_offset = read - (offset - start);  // the file may end within the range
      const auto wanted = static_cast<std::int64_t>(length);
      got = past_offset <= 0 ? 0 : past_offset < wanted ? past_offset : wanted;
      CopyMemory(into, static_cast<unsigned char*>(blocks) + (offset - start), static_cast<std::size_t>(got));
    }
    (void)VirtualFree(blocks, 0, MEM_RELEASE);
  }
  (void)CloseHandle(unbuffered);  // only read
  return got;
}

bool tell_font_file_version(const FontFile& file, FileVersion& version) {
  FileIdentity identity;
  return handle_identity(handle_of(file), identity, version);
}

// A share mode stands until the handle is closed.
bool font_file_still_held(const FontFile& /*file*/) { return true; }

// Windows has no owner rule for times: a handle that may write may set them,
// so any refusal is a failure. Set through the handle that wrote, they count
// as the user's on that handle, and neither its write-through nor its close
// moves them afterwards (SetFileTime, and the file systems' rule that a
// handle's writes show in the times when it is cleaned up).
FileProblem set_font_file_times(const FontFile& file, const SavedFileTimes& times, unsigned which) {
  const FILETIME creation = to_filetime(times.creation), last_access = to_filetime(times.last_access),
                 last_write = to_filetime(times.last_write);
  // A null pointer leaves that time as it is.
  if (SetFileTime(handle_of(file), (which & kCreationTime) != 0 ? &creation : nullptr,
                  (which & kLastAccessTime) != 0 ? &last_access : nullptr,
                  (which & kLastWriteTime) != 0 ? &last_write : nullptr))
    return FileProblem::kNone;
  return problem_from_last_error();
}

bool close_font_file(FontFile& file) {
  const bool closed = CloseHandle(handle_of(file)) != 0;
  file.handle = -1;
  return closed;
}
