// SPDX-License-Identifier: MIT
// The yardsticks for the tool's speed, each the same per-offset walk over a
// file with nothing else around it:
//   scan_loop FILE                    seek and read a whole window at every offset, through the tool's stream
//   scan_loop --default-buffer FILE   the same through a plain "rb+" stream with the C library's default
//                                     buffer, as any program written the plain way would get
//   scan_loop --in-memory FILE        the whole file read into memory first, then at every offset the
//                                     same copy of a window and prefix-first compare: the floor
//   scan_loop --memmem FILE           the whole file in memory, one search for the plain zero
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

#include "platform/file_position.h"
#include "target_stream.h"
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

std::int64_t walk_default_buffer(const char* path) {
  std::FILE* stream = std::fopen(path, "rb+");
  if (stream == nullptr) return -1;
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  std::int64_t offset = 0;
  while (seek_from_start(stream, offset) && std::fread(window, 1, length, stream) == length &&
         !matches(window, length))
    ++offset;
  std::fclose(stream);
  return offset;
}

std::int64_t walk(BufferedStream& stream) {
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  std::int64_t offset = 0;
  while (seek_stream(stream, offset) && read_stream(stream, window, length) == length &&
         !matches(window, length))
    ++offset;
  return offset;
}

std::int64_t walk_tool_stream(const char* path) {
  TargetStream stream;
  if (open_target_stream(path, stream) != FileProblem::kNone) return -1;
  const std::int64_t offset = walk(stream.content);
  (void)close_target_stream(stream);
  return offset;
}

// The tool's buffer at another size, over a plain stream, to choose the size.
std::int64_t walk_buffer_of(const char* kib, const char* path) {
  std::FILE* file = std::fopen(path, "rb+");
  BufferedStream stream;
  if (file == nullptr || !attach_stream(stream, file, std::strtoul(kib, nullptr, 10) << 10)) return -1;
  const std::int64_t offset = walk(stream);
  release_stream_buffer(stream);
  std::fclose(file);
  return offset;
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

// glibc's memmem; the Windows C runtime has none, so there the standard
// library's Boyer-Moore-Horspool search stands in.
std::int64_t search_in_memory(const char* path) {
  const std::vector<unsigned char> data = whole_file(path);
  const unsigned char* end = data.data() + data.size();
#ifdef __GLIBC__
  const void* found = memmem(data.data(), data.size(), SearchRecord, window_length());
  const unsigned char* at = found == nullptr ? end : static_cast<const unsigned char*>(found);
#else
  const unsigned char* at = std::search(
      data.data(), end, std::boyer_moore_horspool_searcher(SearchRecord, SearchRecord + window_length()));
#endif
  return at - data.data();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 4 && std::strcmp(argv[1], "--noise") == 0)
    return write_noise(argv[2], std::strtoul(argv[3], nullptr, 10));
  std::int64_t offset = -1;
  if (argc == 2) offset = walk_tool_stream(argv[1]);
  if (argc == 3 && std::strcmp(argv[1], "--default-buffer") == 0) offset = walk_default_buffer(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--in-memory") == 0) offset = walk_in_memory(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--memmem") == 0) offset = search_in_memory(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--buffer") == 0) offset = walk_buffer_of(argv[2], argv[3]);
  if (offset < 0) {
    std::fprintf(stderr,
                 "usage: scan_loop [--default-buffer | --in-memory | --memmem | --buffer KIB] FILE\n"
                 "       scan_loop --noise FILE MIB\n");
    return 2;
  }
  std::printf("stopped at offset %lld\n", static_cast<long long>(offset));
  return 0;
}
