// SPDX-License-Identifier: MIT
// The font file as the system's own handle: the only way the tool reaches the
// file. Each platform links its own (font_file_posix.cc, font_file_win32.cc).
// The calls the run makes on an open file have C names, so that the fault
// tests can wrap them at link time (tests/faulty_font_file.cc) and make any
// of them fail over the real open; a wrapper keeps the promises below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_identity.h"

struct FontFile {
  std::intptr_t handle = -1;  // Linux: the file descriptor; Windows: the HANDLE
  FileIdentity identity;      // which file the open reached
  FileVersion version;        // how it looked at the open, or when last told
  bool leased = false;        // Linux: held by a lease, which another open can break
  // Linux: the monotonic time in ms until which a break of the lease begun
  // since it was taken cannot have run out (its lease-break time).
  std::int64_t lease_break_pending_until_ms = 0;
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
// refuses). Linux: the owner's opens do not move the access time. `times`, if given, receives the file's
// times as the open found them, before anything else could move them.
FileProblem open_exclusive(const char* path, FileAccess access, Hold hold, FontFile& file,
                           SavedFileTimes* times = nullptr);

extern "C" {

// The run's opens: for the scan (kRead) and for the write (kReadWrite), in
// place, bytes as they are, writers kept out.
FileProblem open_font_file(const char* path, FileAccess access, FontFile& file);

// Up to `length` bytes from `offset`; fewer only where the file ends. -1 if
// the read failed, which is never taken for the end of the file.
std::int64_t read_font_file(const FontFile& file, std::int64_t offset, unsigned char* into,
                            std::size_t length);

// All `length` bytes at `offset`, or false.
bool write_font_file(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                     std::size_t length);

// What was written reaches the storage itself, or false.
bool write_font_file_through(const FontFile& file);

// As read_font_file, but from the storage rather than the copy the system
// keeps in memory, where the system allows it (Linux: that copy is dropped
// first; Windows: through a second, unbuffered handle), so that a file system
// that put a write elsewhere shows it.
std::int64_t read_font_file_from_storage(const FontFile& file, std::int64_t offset, unsigned char* into,
                                         std::size_t length);

// How the file looks now, asked through the handle and not the path. False if
// the system will not tell.
bool tell_font_file_version(const FontFile& file, FileVersion& version);

// Whether the hold taken at the open still stands. A lease is broken by
// another program's open (after the kernel's lease-break time); a lock or a
// share mode cannot be asked, and counts as standing. A lease being broken to
// a read lease stands only while its break cannot yet have run out.
bool font_file_still_held(const FontFile& file);

// Puts back the saved times that `which` names (TimeField), leaving the others
// as they are (Linux: last access and last write; it cannot set a creation
// time). On Linux, times that only the owner may set stay as they are on
// another user's file, and that is no failure; any other refusal is.
FileProblem set_font_file_times(const FontFile& file, const SavedFileTimes& times, unsigned which);

// False if the close failed. The handle is gone either way.
bool close_font_file(FontFile& file);

}  // extern "C"
