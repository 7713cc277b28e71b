// SPDX-License-Identifier: MIT
// A stream over a real file that fails one kind of call on demand, to show
// that no I/O failure is ever reported as a patched or unpatchable font.
// glibc only (fopencookie).
#pragma once

#include <cstdio>

enum class Fault {
  kNone,
  kReadPastStart,  // reads starting at byte 200 or later fail
  kSeek,
  kWrite,
  kClose,
  kWriteThrough,  // the write reaches the stream, but not the disk
};

struct FileIdentity;

// nullptr if `path` cannot be opened "rb+". `identity`, if given, receives
// the identity of the file opened.
std::FILE* open_faulty_stream(const char* path, Fault fault, FileIdentity* identity = nullptr);
