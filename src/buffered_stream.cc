// SPDX-License-Identifier: MIT
#include "buffered_stream.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Fills the buffer from the file, starting at the position: one read at that
// offset. False at the end of the file or on a failure (then `failed` is set).
bool refill_at_position(BufferedStream& stream) {
  stream.buffer_start = stream.position;
  stream.buffered = 0;
  const std::int64_t got = read_font_file(stream.file, stream.position, stream.buffer, stream.capacity);
  if (got < 0) {
    stream.failed = true;  // a read error is never taken for the end of the file
    return false;
  }
  stream.buffered = static_cast<std::size_t>(got);
  return got > 0;
}

}  // namespace

FileProblem open_stream(const char* path, BufferedStream& stream, std::size_t capacity, FileAccess access) {
  stream = BufferedStream{};
  const FileProblem problem = open_font_file(path, access, stream.file);
  if (problem != FileProblem::kNone) return problem;
  // Plain malloc and free keep the tool free of the C++ runtime library.
  stream.buffer = static_cast<unsigned char*>(std::malloc(capacity));
  if (stream.buffer == nullptr) {
    close_unwritten(stream.file);
    return FileProblem::kInputOutput;
  }
  stream.capacity = capacity;
  return FileProblem::kNone;
}

bool close_stream(BufferedStream& stream) {
  const bool told = tell_font_file_version(stream.file, stream.file.version);
  const bool closed = close_font_file(stream.file);
  std::free(stream.buffer);
  stream.buffer = nullptr;
  stream.buffered = 0;
  return told && closed;
}

std::size_t buffered_from(BufferedStream& stream, std::int64_t offset, std::size_t at_least,
                          const unsigned char*& bytes) {
  std::int64_t from = offset - stream.buffer_start;
  if (from < 0 || static_cast<std::size_t>(from) + at_least > stream.buffered) {
    stream.position = offset;
    (void)refill_at_position(stream);  // a failure is in `failed`, the end shows in the count
    from = 0;
  }
  bytes = stream.buffer + from;
  return stream.buffered - static_cast<std::size_t>(from);
}

std::size_t read_stream_slowly(BufferedStream& stream, unsigned char* into, std::size_t length) {
  std::size_t copied = 0;
  while (copied < length && refill_at_position(stream)) {
    const std::size_t n = std::min(length - copied, stream.buffered);
    std::memcpy(into + copied, stream.buffer, n);
    copied += n;
    stream.position += static_cast<std::int64_t>(n);
    if (stream.buffered < stream.capacity) break;  // the file ends within this buffer
  }
  return copied;
}
