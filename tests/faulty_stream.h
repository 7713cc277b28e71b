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
struct FileVersion;

// nullptr if `path` cannot be opened "rb+". `identity` and `version`, if
// given, receive the identity of the file opened and how it looked.
std::FILE* open_faulty_stream(const char* path, Fault fault, FileIdentity* identity = nullptr,
                              FileVersion* version = nullptr);
