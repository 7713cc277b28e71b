// SPDX-License-Identifier: MIT
// The run's own buffer over the font file's handle. The scan looks through
// what the buffer holds for places where a record may start, and reads a
// whole window there; a seek into what the buffer holds only moves the
// position, so the file is read about once per buffer and not once per offset.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/font_file.h"

struct BufferedStream {
  FontFile file;
  unsigned char* buffer = nullptr;
  std::size_t capacity = 0;
  std::int64_t buffer_start = 0;  // file offset of buffer[0]
  std::size_t buffered = 0;       // bytes of the file held from buffer_start
  std::int64_t position = 0;
  bool failed = false;  // a read of the file failed
};

// 256 KiB: from 64 KiB up the size makes no measurable difference, natively
// or under Wine (doc/testing.md, "Benchmark"); the memory stays small and fixed.
inline constexpr std::size_t kStreamBufferSize = std::size_t{256} << 10;

// Opens the font file (open_font_file) with a buffer of `capacity` bytes, at
// least one window; the run's scan only reads. kInputOutput, with the file
// closed again, if there is no memory for it.
FileProblem open_stream(const char* path, BufferedStream& stream, std::size_t capacity = kStreamBufferSize,
                        FileAccess access = FileAccess::kRead);

// Notes how the stream leaves the file (in `stream.file.version`), closes it
// and frees the buffer. False if the file would not tell or the close failed.
bool close_stream(BufferedStream& stream);

// Moves the position; the file is not touched. False for a negative offset.
inline bool seek_stream(BufferedStream& stream, std::int64_t offset) {
  if (offset < 0) return false;
  stream.position = offset;
  return true;
}

// The bytes the buffer holds from `offset` on, in `bytes`, and how many. Where
// it holds fewer than `at_least` there, it is first refilled from the file at
// `offset`. Fewer than `at_least` then: the end of the file, or `failed` is set.
std::size_t buffered_from(BufferedStream& stream, std::int64_t offset, std::size_t at_least,
                          const unsigned char*& bytes);

// Fewer than `length` bytes: the end of the file, or `failed` is set.
std::size_t read_stream_slowly(BufferedStream& stream, unsigned char* into, std::size_t length);

inline std::size_t read_stream(BufferedStream& stream, unsigned char* into, std::size_t length) {
  const std::int64_t from = stream.position - stream.buffer_start;
  if (from >= 0 && static_cast<std::size_t>(from) + length <= stream.buffered) {
    std::memcpy(into, stream.buffer + from, length);
    stream.position += static_cast<std::int64_t>(length);
    return length;
  }
  return read_stream_slowly(stream, into, length);
}
