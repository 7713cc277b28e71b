// SPDX-License-Identifier: MIT
// The yardstick for the tool's speed: the same per-offset seek and read of a
// whole window through the tool's own stream, with nothing else; or through
// a plain fopen stream with the C library's default buffer, as any program
// written the plain way would get.
//   scan_loop FILE                    runs the loop over FILE, through the tool's stream
//   scan_loop --default-buffer FILE   the same through a plain "rb+" stream
//   scan_loop --noise FILE MIB        writes MIB MiB of noise that holds no zero glyph
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "file_position.h"
#include "target_stream.h"
#include "zero_records.h"

namespace {

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

std::int64_t windows_read(std::FILE* stream) {
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  std::int64_t offset = 0;
  while (seek_from_start(stream, offset) && std::fread(window, 1, length, stream) == length) ++offset;
  return offset;
}

int run_loop(const char* path, bool default_buffer) {
  std::int64_t windows = 0;
  if (default_buffer) {
    std::FILE* stream = std::fopen(path, "rb+");
    if (stream == nullptr) return 1;
    windows = windows_read(stream);
    std::fclose(stream);
  } else {
    TargetStream stream;
    if (!open_target_stream(path, stream)) return 1;
    windows = windows_read(stream.file);
    close_target_stream(stream);
  }
  std::printf("%lld windows read\n", static_cast<long long>(windows));
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 4 && std::strcmp(argv[1], "--noise") == 0)
    return write_noise(argv[2], std::strtoul(argv[3], nullptr, 10));
  if (argc == 3 && std::strcmp(argv[1], "--default-buffer") == 0) return run_loop(argv[2], true);
  if (argc == 2) return run_loop(argv[1], false);
  std::fprintf(stderr, "usage: scan_loop [--default-buffer] FILE | scan_loop --noise FILE MIB\n");
  return 2;
}
