// SPDX-License-Identifier: MIT
// The run's stream over the font file. This is the seam where tests link a
// stream with injected failures instead: a replacement provides these three
// functions with the promises written here, and hands the run a
// BufferedStream attached to a file of its own. The real one is the library
// tovalin_disk_stream (this unit and platform/disk_file_*), linked by the tool
// and the benchmark.
#pragma once

#include "buffered_stream.h"
#include "platform/file_identity.h"

struct TargetStream {
  BufferedStream content;
  FileIdentity identity;  // of the file the open reached
};

// Opens `path` for reading and writing in place: the file must exist and is
// neither created nor truncated. Only a regular file is taken, and the open
// never waits for another process. False: nothing is open.
bool open_target_stream(const char* path, TargetStream& stream);

// After a replacement: the written bytes reach the disk before the run says done.
bool commit_target_stream(TargetStream& stream);

// Closes the file and frees the buffer. False if the close failed.
bool close_target_stream(TargetStream& stream);
