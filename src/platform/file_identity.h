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

struct FileVersion {
  std::uint64_t size = 0;
  std::int64_t changed = 0;     // last change of any kind: Linux st_ctim in ns; Windows ChangeTime
  std::int64_t last_write = 0;  // Linux st_mtim in ns; Windows LastWriteTime
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

// Copied out and back unchanged. Linux: ns since 1970 (no creation time);
// Windows: the FILETIME values.
struct SavedFileTimes {
  std::int64_t creation = 0;
  std::int64_t last_access = 0;
  std::int64_t last_write = 0;
  bool saved = false;  // until a capture read them, a restore writes no time
};

inline bool same_times(const SavedFileTimes& a, const SavedFileTimes& b) {
  return a.creation == b.creation && a.last_access == b.last_access && a.last_write == b.last_write;
}

// Why an open of the font file, or the step done through it, failed.
enum class FileProblem {
  kNone,
  kBusy,               // another program has it open or locked; worth a short wait
  kMissing,            // no such file
  kDenied,             // no permission, or a read-only file or filesystem
  kNotRegularFile,     // a directory, device, pipe or pseudo-file: never a font
  kChangedByAnother,   // replaced, removed or written by another program meanwhile
  kNotTheCheckedFile,  // the path leads to another file than the one the guard checked
  kInputOutput,        // the system failed otherwise
};
