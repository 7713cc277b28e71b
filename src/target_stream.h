// SPDX-License-Identifier: MIT
// The run's stream over the font file. This is the seam where tests link a
// stream with injected failures instead: a replacement provides these four
// functions with the promises written here, and hands the run a
// BufferedStream attached to a file of its own. The real one is the library
// tovalin_disk_stream (this unit and platform/disk_file_*), linked by the tool,
// the benchmark and the fuzzer.
#pragma once

#include "buffered_stream.h"
#include "platform/file_identity.h"

struct TargetStream {
  BufferedStream content;
  FileIdentity identity;  // of the file the open reached
  FileVersion version;    // how the file looked at the open, and after the close as the stream left it
};

// Opens `path` for reading and writing in place: the file must exist and is
// neither created nor truncated. Only a regular file is taken, the open never
// waits for another process, and while the stream is open no other program
// writes the file. kNone: the stream is open.
FileProblem open_target_stream(const char* path, TargetStream& stream);

// How the file looks now, asked through the stream's own handle, not the
// path. False if the file will not tell.
bool tell_target_version(const TargetStream& stream, FileVersion& version);

// After a replacement: the written bytes reach the disk before the run says done.
bool commit_target_stream(TargetStream& stream);

// Notes how the stream leaves the file, closes it and frees the buffer. False
// if the close failed or the file would not tell how it looks.
bool close_target_stream(TargetStream& stream);
