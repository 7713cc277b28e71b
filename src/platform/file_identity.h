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
  std::int64_t changed = 0;  // last change of any kind: Linux st_ctim in ns; Windows ChangeTime
  bool operator==(const FileVersion&) const = default;
};

// Copied out and back unchanged. Linux: ns since 1970 (no creation time);
// Windows: the FILETIME values.
struct SavedFileTimes {
  std::int64_t creation = 0;
  std::int64_t last_access = 0;
  std::int64_t last_write = 0;
  bool saved = false;  // until a capture read them, a restore writes no time
};

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
