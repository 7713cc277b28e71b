// SPDX-License-Identifier: MIT
// The font file as a stream: the platform's part of opening it, of telling
// what it looks like, and of putting what was written onto the disk itself.
#pragma once

#include <cstdio>

#include "platform/file_identity.h"

struct DiskFile {
  std::FILE* stream = nullptr;  // the file opened as fopen opens "rb+"
  FileIdentity identity;        // which file the open reached
  FileVersion version;          // how it looked at the open
};

// Opens an existing regular file (Windows: a disk file) for reading and
// writing in place, without waiting for other processes, and holds it while
// it is open: no other program writes it meanwhile (Linux: as the guard holds
// it; Windows: others may only read it, and may neither rename nor delete it).
FileProblem open_disk_file(const char* path, DiskFile& file);

// How the file looks now. False if the system will not tell.
bool disk_file_version(std::FILE* stream, FileVersion& version);

// Flushes the stream and asks the system to write the file through to its
// storage. False if either step fails.
bool write_through(std::FILE* stream);
