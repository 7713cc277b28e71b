// SPDX-License-Identifier: MIT
#include "signature_scan.h"

#include <cstdint>
#include <cstring>

#include "file_position.h"
#include "zero_records.h"

namespace {

// The two records differ within this many leading bytes, so an already
// patched glyph fails here without the rest being compared.
constexpr std::size_t kPrefixLength = 17;

bool window_matches(const unsigned char* window, std::size_t length) {
  if (std::memcmp(window, SearchRecord, kPrefixLength) != 0) return false;
  return std::memcmp(window + kPrefixLength, SearchRecord + kPrefixLength, length - kPrefixLength) == 0;
}

}  // namespace

ScanResult scan_and_replace(std::FILE* stream) {
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  ScanResult result;
  // Every offset is read afresh from the file; nothing of the last window is reused.
  for (std::int64_t offset = 0;; ++offset) {
    if (!seek_from_start(stream, offset)) {
      result.io_failed = true;
      return result;
    }
    if (std::fread(window, 1, length, stream) < length) {
      result.io_failed = std::ferror(stream) != 0;
      return result;
    }
    if (!window_matches(window, length)) continue;

    std::memcpy(window, ReplacementRecord, length);
    result.match_count = 1;
    result.io_failed = !seek_from_start(stream, offset) || std::fwrite(window, 1, length, stream) < length;
    return result;
  }
}
