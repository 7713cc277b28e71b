// SPDX-License-Identifier: MIT
// The yardsticks for the tool's speed, each a walk over a file with nothing
// else around it:
//   scan_loop FILE                    the tool's own scan (find_first_match) through the tool's stream
//   scan_loop --read FILE             the file read once, in reads of the stream's buffer size, through
//                                     the tool's own handle: the floor for any scan
//   scan_loop --default-buffer FILE   the per-offset walk (seek, read a window, prefix-first compare)
//                                     through a plain "rb+" stream with the C library's default buffer,
//                                     as any program written the plain way would get
//   scan_loop --in-memory FILE        the whole file read into memory first, then at every offset the
//                                     same copy of a window and prefix-first compare: the per-offset floor
//   scan_loop --search FILE           the whole file in memory, one Boyer-Moore-Horspool search for the
//                                     plain zero
//   scan_loop --buffer KIB FILE       the tool's stream with a buffer of KIB KiB, to choose its size
//   scan_loop --noise FILE MIB        writes MIB MiB of noise that holds no zero glyph
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "buffered_stream.h"
#include "record_scan.h"
#include "zero_records.h"

namespace {

constexpr std::size_t kPrefixLength = 17;

int write_noise(const char* path, std::size_t mib) {
  std::vector<unsigned char> data(mib << 20);
  std::mt19937 random(12345);
  // Bytes below 0x7F only: the plain zero holds 0x94 and 0xa0, so it cannot occur.
  for (unsigned char& b : data) b = static_cast<unsigned char>(random() & 0x7F);
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}

bool matches(const unsigned char* window, std::size_t length) {
  return std::memcmp(window, SearchRecord, kPrefixLength) == 0 &&
         std::memcmp(window + kPrefixLength, SearchRecord + kPrefixLength, length - kPrefixLength) == 0;
}

// std::fseek takes a long, 32 bits on Windows: enough for the benchmark's files.
std::int64_t walk_default_buffer(const char* path) {
  std::FILE* stream = std::fopen(path, "rb+");
  if (stream == nullptr) return -1;
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  long offset = 0;
  while (std::fseek(stream, offset, SEEK_SET) == 0 && std::fread(window, 1, length, stream) == length &&
         !matches(window, length))
    ++offset;
  std::fclose(stream);
  return offset;
}

// The tool's own scan through its own stream, with a buffer of `capacity` bytes.
std::int64_t walk_tool_stream(const char* path, std::size_t capacity = kStreamBufferSize) {
  BufferedStream stream;
  if (open_stream(path, stream, capacity) != FileProblem::kNone) return -1;
  const ScanResult scan = find_first_match(stream, kPlainToSlashed);
  (void)close_stream(stream);  // nothing was written
  return scan.offset >= 0 ? scan.offset : stream.position;
}

std::int64_t read_once(const char* path) {
  FontFile file;
  if (open_font_file(path, FileAccess::kRead, file) != FileProblem::kNone) return -1;
  std::vector<unsigned char> buffer(kStreamBufferSize);
  std::int64_t offset = 0, got;
  while ((got = read_font_file(file, offset, buffer.data(), buffer.size())) > 0) offset += got;
  (void)close_font_file(file);  // nothing was written
  return got < 0 ? -1 : offset;
}

std::vector<unsigned char> whole_file(const char* path) {
  std::vector<unsigned char> data;
  std::FILE* in = std::fopen(path, "rb");
  if (in == nullptr) return data;
  unsigned char chunk[1 << 16];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) data.insert(data.end(), chunk, chunk + n);
  std::fclose(in);
  return data;
}

std::int64_t walk_in_memory(const char* path) {
  const std::vector<unsigned char> data = whole_file(path);
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  std::size_t offset = 0;
  for (; offset + length <= data.size(); ++offset) {
    std::memcpy(window, data.data() + offset, length);
    if (matches(window, length)) break;
  }
  return static_cast<std::int64_t>(offset);
}

std::int64_t search_in_memory(const char* path) {
  const std::vector<unsigned char> data = whole_file(path);
  const unsigned char* end = data.data() + data.size();
  const unsigned char* at = std::search(
      data.data(), end, std::boyer_moore_horspool_searcher(SearchRecord, SearchRecord + window_length()));
  return at - data.data();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 4 && std::strcmp(argv[1], "--noise") == 0)
    return write_noise(argv[2], std::strtoul(argv[3], nullptr, 10));
  std::int64_t offset = -1;
  if (argc == 2) offset = walk_tool_stream(argv[1]);
  if (argc == 3 && std::strcmp(argv[1], "--read") == 0) offset = read_once(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--default-buffer") == 0) offset = walk_default_buffer(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--in-memory") == 0) offset = walk_in_memory(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--search") == 0) offset = search_in_memory(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--buffer") == 0)
    offset = walk_tool_stream(argv[3], std::strtoul(argv[2], nullptr, 10) << 10);
  if (offset < 0) {
    std::fprintf(stderr,
                 "usage: scan_loop [--read | --default-buffer | --in-memory | --search | --buffer KIB] FILE\n"
                 "       scan_loop --noise FILE MIB\n");
    return 2;
  }
  std::printf("stopped at offset %lld\n", static_cast<long long>(offset));
  return 0;
}
