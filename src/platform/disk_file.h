// SPDX-License-Identifier: MIT
// The font file as a stream: the platform's part of opening it and of putting
// what was written onto the disk itself.
#pragma once

#include <cstdio>

#include "platform/file_identity.h"

// Opens an existing regular file (Windows: a disk file) as a binary stream
// for reading and writing in place, the stream fopen gives for "rb+", without
// waiting for other processes, and tells which file it reached. nullptr if
// the file cannot be opened so or is no regular file.
std::FILE* open_disk_file(const char* path, FileIdentity& identity);

// Flushes the stream and asks the system to write the file through to its
// storage. False if either step fails.
bool write_through(std::FILE* stream);
