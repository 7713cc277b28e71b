// SPDX-License-Identifier: MIT
#include "buffered_stream.h"

#include <algorithm>
#include <cstdlib>

#include "platform/file_position.h"

namespace {

// Fills the buffer from the file, starting at the position. False at the end
// of the file or on a failure (then `failed` is set).
bool refill_at_position(BufferedStream& stream) {
  stream.buffer_start = stream.position;
  stream.buffered = 0;
  if (!seek_from_start(stream.file, stream.position)) {
    stream.failed = true;
    return false;
  }
  const std::size_t got = std::fread(stream.buffer, 1, stream.capacity, stream.file);
  if (std::ferror(stream.file) != 0) {
    stream.failed = true;  // a read error is never taken for the end of the file
    return false;
  }
  stream.buffered = got;
  return got > 0;
}

}  // namespace

bool attach_stream(BufferedStream& stream, std::FILE* file, std::size_t capacity) {
  // Plain malloc and free keep the tool free of the C++ runtime library.
  auto* buffer = static_cast<unsigned char*>(std::malloc(capacity));
  if (buffer == nullptr) return false;
  // Unbuffered below us: a buffer there would only copy everything twice.
  if (std::setvbuf(file, nullptr, _IONBF, 0) != 0) {
    std::free(buffer);
    return false;
  }
  stream = BufferedStream{};
  stream.file = file;
  stream.buffer = buffer;
  stream.capacity = capacity;
  return true;
}

void release_stream_buffer(BufferedStream& stream) {
  std::free(stream.buffer);
  stream.buffer = nullptr;
  stream.buffered = 0;
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

bool write_stream(BufferedStream& stream, const unsigned char* bytes, std::size_t length) {
  if (!seek_from_start(stream.file, stream.position) || std::fwrite(bytes, 1, length, stream.file) < length) {
    stream.failed = true;
    return false;
  }
  // Later reads from the buffer must see what the file now holds.
  const std::int64_t end = stream.position + static_cast<std::int64_t>(length);
  const std::int64_t buffer_end = stream.buffer_start + static_cast<std::int64_t>(stream.buffered);
  const std::int64_t from = std::max(stream.position, stream.buffer_start);
  const std::int64_t to = std::min(end, buffer_end);
  if (from < to)
    std::memcpy(stream.buffer + (from - stream.buffer_start), bytes + (from - stream.position),
                static_cast<std::size_t>(to - from));
  stream.position = end;
  return true;
}
