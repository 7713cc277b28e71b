// SPDX-License-Identifier: MIT
#include "signature_scan.h"

#include <cstdint>
#include <cstring>

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

ScanResult scan_and_replace(BufferedStream& stream) {
  const std::size_t length = window_length();
  unsigned char window[sizeof SearchRecord];
  ScanResult result;
  // Every offset is read afresh from the stream; nothing of the last window is reused.
  for (std::int64_t offset = 0;; ++offset) {
    if (!seek_stream(stream, offset)) {
      result.io_failed = true;
      return result;
    }
    if (read_stream(stream, window, length) < length) {
      result.io_failed = stream.failed;
      return result;
    }
    if (!window_matches(window, length)) continue;

    std::memcpy(window, ReplacementRecord, length);
    result.match_count = 1;
    result.io_failed = !seek_stream(stream, offset) || !write_stream(stream, window, length);
    return result;
  }
}
