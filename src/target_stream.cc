// SPDX-License-Identifier: MIT
#include "target_stream.h"

#include "platform/disk_file.h"

FileProblem open_target_stream(const char* path, TargetStream& stream) {
  DiskFile file;
  const FileProblem problem = open_disk_file(path, file);
  if (problem != FileProblem::kNone) return problem;
  stream.identity = file.identity;
  stream.version = file.version;
  if (attach_stream(stream.content, file.stream)) return FileProblem::kNone;
  (void)std::fclose(file.stream);  // nothing was read or written through it
  return FileProblem::kInputOutput;
}

bool tell_target_version(const TargetStream& stream, FileVersion& version) {
  return disk_file_version(stream.content.file, version);
}

bool commit_target_stream(TargetStream& stream) { return write_through(stream.content.file); }

bool close_target_stream(TargetStream& stream) {
  const bool told = disk_file_version(stream.content.file, stream.version);
  const bool closed = std::fclose(stream.content.file) == 0;
  stream.content.file = nullptr;
  release_stream_buffer(stream.content);
  return told && closed;
}
