// SPDX-License-Identifier: MIT
#include "target_stream.h"

#include "platform/disk_file.h"

bool open_target_stream(const char* path, TargetStream& stream) {
  std::FILE* file = open_disk_file(path, stream.identity);
  if (file == nullptr) return false;
  if (attach_stream(stream.content, file)) return true;
  (void)std::fclose(file);  // nothing was read or written through it
  return false;
}

bool commit_target_stream(TargetStream& stream) { return write_through(stream.content.file); }

bool close_target_stream(TargetStream& stream) {
  const bool closed = std::fclose(stream.content.file) == 0;
  stream.content.file = nullptr;
  release_stream_buffer(stream.content);
  return closed;
}
