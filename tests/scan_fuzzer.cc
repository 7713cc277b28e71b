// SPDX-License-Identifier: MIT
// Differential fuzzing of the scan: the fuzzer's bytes describe a file made of
// free bytes, plain zeros, near misses and slashed zeros; the real scan runs
// through the tool's stream, and its result must equal a few-line model.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "real_font_file.h"
#include "scan_and_replace.h"
#include "test_bytes.h"
#include "zero_records.h"

namespace {

const Bytes kPlain(SearchRecord, SearchRecord + 188);
const Bytes kSlashed(ReplacementRecord, ReplacementRecord + 188);

// Past this the scan only repeats itself, and the session would do fewer runs.
constexpr std::size_t kLargestFile = 1024;

// Reads the fuzzer's bytes as a recipe of pieces.
Bytes file_from_recipe(const std::uint8_t* data, std::size_t size) {
  Bytes file;
  std::size_t i = 0;
  auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
  while (i < size && file.size() < kLargestFile) {
    switch (next() % 5) {
      case 0: {  // free bytes, straight from the recipe
        const std::size_t n = std::min<std::size_t>(next() % 64, size - i);
        file.insert(file.end(), data + i, data + i + n);
        i += n;
        break;
      }
      case 1:
        file.insert(file.end(), kPlain.begin(), kPlain.end());
        break;
      case 2: {  // the start of a plain zero, cut anywhere
        const std::size_t n = next() % 188;
        file.insert(file.end(), kPlain.begin(), kPlain.begin() + static_cast<long>(n));
        break;
      }
      case 3:
        file.insert(file.end(), kSlashed.begin(), kSlashed.end());
        break;
      case 4: {  // a plain zero with one byte changed
        Bytes miss = kPlain;
        miss[next() % 188] ^= static_cast<unsigned char>(next() | 1);
        file.insert(file.end(), miss.begin(), miss.end());
        break;
      }
    }
  }
  return file;
}

// The model: the first occurrence of `from`, found by std::search, made `to`.
Bytes expected_after(Bytes file, const Bytes& from, const Bytes& to, int& count) {
  const auto at = std::search(file.begin(), file.end(), from.begin(), from.end());
  count = at == file.end() ? 0 : 1;
  if (count == 1) std::copy(to.begin(), to.end(), at);
  return file;
}

const std::string& scratch_path() {
  static const std::string path = "scan-fuzz-" + std::to_string(getpid()) + ".bin";
  static const int cleanup = std::atexit([] { std::remove(scratch_path().c_str()); });
  (void)cleanup;
  return path;
}

// A stream whose handle is this value reads and writes `memory_file` (the
// font file's calls are wrapped at link time): no file system in the way.
constexpr std::intptr_t kInMemory = -2;
Bytes memory_file;

// The tool's stream over memory, with a small buffer so that records cross its edges.
Bytes scan_in_memory(Bytes file, ScanResult& result, const ZeroSwap& swap = kPlainToSlashed) {
  memory_file = std::move(file);
  BufferedStream stream;
  stream.file.handle = kInMemory;
  stream.capacity = 512;
  stream.buffer = static_cast<unsigned char*>(std::malloc(stream.capacity));
  if (stream.buffer == nullptr) std::abort();
  result = scan_and_replace(stream, swap);
  std::free(stream.buffer);
  return memory_file;
}

// The tool's own open, buffer and close over a real file.
Bytes scan_on_disk(const Bytes& file, ScanResult& result) {
  write_file(scratch_path(), file);
  BufferedStream stream;
  if (open_stream(scratch_path().c_str(), stream, kStreamBufferSize, FileAccess::kReadWrite) !=
      FileProblem::kNone)
    std::abort();
  result = scan_and_replace(stream);
  if (!close_stream(stream)) std::abort();
  return read_file(scratch_path());
}

void check(const char* where, const Bytes& file, const Bytes& after, const ScanResult& result,
           bool undo = false) {
  int expected_count = 0;
  const Bytes expected = undo ? expected_after(file, kSlashed, kPlain, expected_count)
                              : expected_after(file, kPlain, kSlashed, expected_count);
  if (result.io_failed || result.match_count != expected_count || after != expected) {
    std::fprintf(stderr, "scan %s and model disagree: file of %zu bytes, count %d, model %d\n", where,
                 file.size(), result.match_count, expected_count);
    std::abort();
  }
}

}  // namespace

extern "C" {
std::int64_t __wrap_read_font_file(const FontFile& file, std::int64_t offset, unsigned char* into,
                                   std::size_t length) {
  if (file.handle != kInMemory) return __real_read_font_file(file, offset, into, length);
  if (offset >= static_cast<std::int64_t>(memory_file.size())) return 0;
  const std::size_t n = std::min(length, memory_file.size() - static_cast<std::size_t>(offset));
  std::memcpy(into, memory_file.data() + offset, n);
  return static_cast<std::int64_t>(n);
}

bool __wrap_write_font_file(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                            std::size_t length) {
  if (file.handle != kInMemory) return __real_write_font_file(file, offset, bytes, length);
  if (offset < 0 || static_cast<std::size_t>(offset) + length > memory_file.size()) return false;
  std::memcpy(memory_file.data() + offset, bytes, length);
  return true;
}
}  // extern "C"

// Every input runs in memory, with a small buffer so that records cross its
// edges, and what was patched is undone again; one in 64 also runs on a real
// file with the tool's own buffer.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes file = file_from_recipe(data, size);
  ScanResult result;
  const Bytes after = scan_in_memory(file, result);
  check("in memory", file, after, result);
  if (size % 64 == 0) {
    ScanResult on_disk;
    check("on disk", file, scan_on_disk(file, on_disk), on_disk);
  }
  if (result.match_count == 0) return 0;  // the undo of nothing is only a slower scan
  ScanResult undone;
  const Bytes after_undo = scan_in_memory(after, undone, kSlashedToPlain);
  check("undo", after, after_undo, undone, true);
  // Where the first slashed zero is the one the patch wrote, the undo gives the original back.
  const auto first_slashed = std::search(after.begin(), after.end(), kSlashed.begin(), kSlashed.end());
  if (first_slashed - after.begin() == result.offset && after_undo != file) {
    std::fprintf(stderr, "patch then undo is not the original: file of %zu bytes\n", file.size());
    std::abort();
  }
  return 0;
}
