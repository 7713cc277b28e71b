// SPDX-License-Identifier: MIT
// What both platforms' font file share, over each one's read_once and write_once.
#include "platform/font_file.h"

#include "platform/font_file_native.h"

FileProblem open_font_file(const char* path, FileAccess access, FontFile& file) {
  return open_exclusive(path, access, Hold::kWritersOut, file);
}

std::int64_t read_font_file(const FontFile& file, std::int64_t offset, unsigned char* into,
                            std::size_t length) {
  std::size_t got = 0;
  while (got < length) {
    const std::int64_t n = read_once(file, offset + static_cast<std::int64_t>(got), into + got, length - got);
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(got);
}

bool write_font_file(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                     std::size_t length) {
  std::size_t put = 0;
  while (put < length) {
    const std::int64_t n =
        write_once(file, offset + static_cast<std::int64_t>(put), bytes + put, length - put);
    if (n <= 0) return false;
    put += static_cast<std::size_t>(n);
  }
  return true;
}
