// SPDX-License-Identifier: MIT
// Differential fuzzing of the scan: the fuzzer's bytes describe a file made of
// free bytes, plain zeros, near misses and slashed zeros; the real scan runs on
// a real file stream, and its result must equal a few-line model.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "signature_scan.h"
#include "target_stream.h"
#include "test_bytes.h"
#include "zero_records.h"

namespace {

const Bytes kPlain(SearchRecord, SearchRecord + 188);
const Bytes kSlashed(ReplacementRecord, ReplacementRecord + 188);

// Reads the fuzzer's bytes as a recipe of pieces.
Bytes file_from_recipe(const std::uint8_t* data, std::size_t size) {
  Bytes file;
  std::size_t i = 0;
  auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
  while (i < size) {
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

// The model: the first occurrence, found by std::search, slashed.
Bytes expected_after(Bytes file, int& count) {
  const auto at = std::search(file.begin(), file.end(), kPlain.begin(), kPlain.end());
  count = at == file.end() ? 0 : 1;
  if (count == 1) std::copy(kSlashed.begin(), kSlashed.end(), at);
  return file;
}

const std::string& scratch_path() {
  static const std::string path = "scan-fuzz-" + std::to_string(getpid()) + ".bin";
  static const int cleanup = std::atexit([] { std::remove(scratch_path().c_str()); });
  (void)cleanup;
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes file = file_from_recipe(data, size);
  write_file(scratch_path(), file);

  TargetStream stream;
  if (!open_target_stream(scratch_path().c_str(), stream)) std::abort();
  const ScanResult result = scan_and_replace(stream.file);
  if (!close_target_stream(stream)) std::abort();

  int expected_count = 0;
  const Bytes expected = expected_after(file, expected_count);
  if (result.io_failed || result.match_count != expected_count || read_file(scratch_path()) != expected) {
    std::fprintf(stderr, "scan and model disagree: file of %zu bytes, count %d, model %d\n", file.size(),
                 result.match_count, expected_count);
    std::abort();
  }
  return 0;
}
