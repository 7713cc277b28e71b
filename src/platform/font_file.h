// SPDX-License-Identifier: MIT
// The font file as the system's own handle: the only way the tool reaches the
// file. font_file.cc holds what both platforms share, over the primitives of
// font_file_native.h, which each platform gives (font_file_posix.cc,
// font_file_win32.cc).
#pragma once

#include <cstddef>
#include <cstdint>

#include "file_problem.h"
#include "platform/file_identity.h"

struct FontFile {
  std::intptr_t handle = -1;      // Linux: the file descriptor; Windows: the HANDLE
  FileIdentity identity;          // which file the open reached
  FileVersion version;            // how it looked at the open, or when last told
  bool leased = false;            // Linux: held by a lease, which another open can break
  std::int64_t leased_at_ms = 0;  // Linux: when the lease was taken, on the monotonic clock
};

// Only a run that has found what it replaces opens the font for writing: a
// run that changes nothing leaves no write event for watchers, and on an
// overlay filesystem (containers) copies nothing up.
enum class FileAccess {
  kCheck,      // the guard's first look: reading; Windows also makes sure it is a disk file
  kRead,       // the scan
  kLook,       // the guard's second look: asks how the file is and reads nothing; excludes no one
  kSetTimes,   // where times moved since: reading, and setting the times
  kReadWrite,  // the one write
};

enum class Hold {
  kAlone,       // no other process has the file open meanwhile (Windows: no sharing at all)
  kWritersOut,  // others may read it but not write, rename or delete it (Linux: held as kAlone)
};

// Opens `path` if it is an existing regular file (Windows: a disk file), never
// creating nor truncating it, and holds it as asked while it is open. The open
// never waits for another process. kLook holds nothing, whatever `hold` says
// (Linux: no lease and no lock; Windows: attributes only, which no share mode
// refuses). Linux: the owner's opens do not move the access time. `times`,
// if given, receives the file's times as the open found them, before anything
// else could move them.
FileProblem open_exclusive(const char* path, FileAccess access, Hold hold, FontFile& file,
                           SavedFileTimes* times = nullptr);

// The calls the run makes on the font, in one list: the declarations below,
// the real calls' names for the tests (tests/real_font_file.h) and the link
// options that wrap them (tests/CMakeLists.txt) all come from it. They have C
// names, so that the fault tests can wrap each at link time
// (tests/faulty_font_file.cc) and make it fail over the real one; a wrapper
// keeps the promises below. Each is CALL(result, name, parameters).
//
// open_font_file: the run's opens: for the scan (kRead) and for the write
//   (kReadWrite), in place, bytes as they are, writers kept out.
// read_font_file: up to `length` bytes from `offset`; fewer only where the
//   file ends. -1 if the read failed, which is never taken for the end.
// write_font_file: all `length` bytes at `offset`, or false.
// write_font_file_through: what was written reaches the storage, or false.
// read_font_file_from_storage: as read_font_file, but from the storage rather
//   than the copy the system keeps in memory, where the system allows it
//   (Linux: that copy is dropped first; Windows: through a second, unbuffered
//   handle), so that a file system that put a write elsewhere shows it.
// tell_font_file_version: how the file looks now, asked through the handle
//   and not the path; false if the system will not tell.
// font_file_still_held: whether the hold taken at the open still stands. A
//   lease is broken by another program's open (after the kernel's lease-break
//   time); a lock or a share mode cannot be asked, and counts as standing. A
//   lease being broken to a read lease stands only while its break cannot
//   yet have run out.
// set_font_file_times: puts back the saved times that `which` names
//   (TimeField), leaving the others as they are (Linux: last access and last
//   write; it cannot set a creation time). On Linux, times that only the
//   owner may set stay as they are on another user's file, and that is no
//   failure; any other refusal is.
// close_font_file: false if the close failed; the handle is gone either way.
#define TOVALIN_FONT_FILE_CALLS(CALL)                                                               \
  CALL(FileProblem, open_font_file, (const char* path, FileAccess access, FontFile& file))          \
  CALL(std::int64_t, read_font_file,                                                                \
       (const FontFile& file, std::int64_t offset, unsigned char* into, std::size_t length))        \
  CALL(bool, write_font_file,                                                                       \
       (const FontFile& file, std::int64_t offset, const unsigned char* bytes, std::size_t length)) \
  CALL(bool, write_font_file_through, (const FontFile& file))                                       \
  CALL(std::int64_t, read_font_file_from_storage,                                                   \
       (const FontFile& file, std::int64_t offset, unsigned char* into, std::size_t length))        \
  CALL(bool, tell_font_file_version, (const FontFile& file, FileVersion& version))                  \
  CALL(bool, font_file_still_held, (const FontFile& file))                                          \
  CALL(FileProblem, set_font_file_times,                                                            \
       (const FontFile& file, const SavedFileTimes& times, unsigned which))                         \
  CALL(bool, close_font_file, (FontFile & file))

#define TOVALIN_DECLARE_CALL(result, name, parameters) result name parameters;
extern "C" {
TOVALIN_FONT_FILE_CALLS(TOVALIN_DECLARE_CALL)
}
#undef TOVALIN_DECLARE_CALL

// Closes a handle through which nothing was written: its close can lose
// nothing, so a failure of it is no failure of the run.
inline void close_unwritten(FontFile& file) { (void)close_font_file(file); }
