// SPDX-License-Identifier: MIT
// Which file an open reached, whatever path led there, and what another
// program's change would move: the run uses them to make sure that the file
// it checked, the file it patches and the file whose times it puts back are
// one and the same, and that nobody else changed it in between.
#pragma once

#include <cstdint>

struct FileIdentity {
  std::uint64_t volume = 0;  // Linux: st_dev; Windows: the volume serial number
  std::uint64_t file = 0;    // Linux: st_ino; Windows: the file index
  bool operator==(const FileIdentity&) const = default;
};

// A time as the file system keeps it, whole seconds and the rest apart: one
// 64-bit count of nanoseconds since 1970 ends in 2262, and a font may be dated
// later. Linux: seconds since 1970 and nanoseconds; Windows: a FILETIME split
// at the second (seconds since 1601 and 100 ns units), so that it goes back
// unchanged.
struct FileTime {
  std::int64_t seconds = 0;
  std::uint32_t fraction = 0;
  bool operator==(const FileTime&) const = default;
};

struct FileVersion {
  std::uint64_t size = 0;
  FileTime changed;     // last change of any kind: Linux st_ctim; Windows ChangeTime
  FileTime last_write;  // Linux st_mtim; Windows LastWriteTime
  bool operator==(const FileVersion&) const = default;
};

// Whether the file still looks as the run's own handle left it, by what that
// handle cannot move behind the run's back. Windows moves a handle's change
// and last-write times only when the handle is written through or closed,
// unless the last-write time was set through it (which the run does); the
// change time also moves on Linux when the run sets the times. So across the
// run's own write, write-through and close only the size and the last-write
// time are compared; any other program's write moves the last-write time.
inline bool looks_as_left(const FileVersion& left, const FileVersion& now) {
  return now.size == left.size && now.last_write == left.last_write;
}

// Copied out and back unchanged (Linux has no creation time: it stays zero).
struct SavedFileTimes {
  FileTime creation;
  FileTime last_access;
  FileTime last_write;
  bool saved = false;  // until a capture read them, a restore writes no time
};

// Which of the times a step writes; the others stay as the file has them.
enum TimeField : unsigned {
  kNoTime = 0,
  kCreationTime = 1,
  kLastAccessTime = 2,
  kLastWriteTime = 4,
  kEveryTime = kCreationTime | kLastAccessTime | kLastWriteTime,
};

// The times in which `now` differs from `saved`.
inline unsigned moved_times(const SavedFileTimes& saved, const SavedFileTimes& now) {
  return (saved.creation == now.creation ? kNoTime : kCreationTime) |
         (saved.last_access == now.last_access ? kNoTime : kLastAccessTime) |
         (saved.last_write == now.last_write ? kNoTime : kLastWriteTime);
}
